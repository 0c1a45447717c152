#pragma once

#include <string>
#include <string_view>

namespace platform {

// Files on disk are Windows-1251, texts in memory are UTF-8. These two are
// the only place where one becomes the other.

// Every byte maps to one code point (0x98, unassigned in the code page, maps
// to U+0098), so any byte string survives a round trip.
std::string Cp1251ToUtf8(std::string_view bytes);

// A code point without a Windows-1251 byte, or a malformed UTF-8 sequence, is
// written as "?".
std::string Utf8ToCp1251(std::string_view text);

// Windows-1251 byte of one code point, or -1 when there is none.
int Cp1251FromCodePoint(char32_t cp);

// Decodes one UTF-8 sequence at text[pos]; advances pos past it. A malformed
// sequence yields U+FFFD and advances by one byte.
char32_t NextCodePoint(std::string_view text, size_t& pos);

void AppendUtf8(std::string& out, char32_t cp);

}  // namespace platform
