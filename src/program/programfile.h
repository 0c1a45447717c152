#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Program files: text in the folder "PROG" of the program folder, one line a
// program line, named by the program and ".ini".
namespace testprogram {

// The lines of a file as UTF-8. A file may have been typed here (UTF-8) or on
// the Windows station (Windows-1251), and a person may have pasted lines of
// one into the other, so each line is decided alone: a line that is valid
// UTF-8 is UTF-8 (plain ASCII reads the same either way), any other is
// Windows-1251. Real command lines in Windows-1251 never pass as UTF-8: two
// lower-case Cyrillic letters in a row are no UTF-8 sequence. CRLF, LF and a
// lone CR end a line; a last line terminator makes no empty line; a UTF-8
// byte order mark at the start is dropped.
std::vector<std::string> ProgramLines(std::string_view fileBytes);

// The file as the Windows station writes it: Windows-1251, each line ended
// by CRLF.
std::string ProgramFileBytes(const std::vector<std::string>& lines);

// A program name (or file name) that stays inside the folder: not empty, no
// "/" or "\", not "." or "..", no NUL.
bool IsProgramName(std::string_view name);

// The folder's file `fileName` (with its extension), or nothing when the
// name is refused or the file cannot be read.
std::optional<std::vector<std::string>> LoadProgram(const std::string& folder,
                                                    std::string_view fileName);

// Replaces folder/name.ini whole; false when the name is refused or the write
// fails (the old file then stays).
bool SaveProgram(const std::string& folder, std::string_view name,
                 const std::vector<std::string>& lines);

// Removes folder/fileName; false when the name is refused or nothing was removed.
bool DeleteProgram(const std::string& folder, std::string_view fileName);

}  // namespace testprogram
