// Properties of the INI document on any input:
//  - parsing and serializing gives back the input byte for byte;
//  - a Set steered by the input (section, key and value cut from it) is
//    refused exactly for unusable names, touches either one line's content or
//    only inserts bytes, and Get then returns the value as it reads back, also
//    after the text is parsed again.
//
// Layout of an input: the INI text, then 7 steering bytes (offset and length
// of section, key and value inside the text, and a flag byte). Shorter inputs
// only check the round trip.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cp1251.h"
#include "platform/inidocument.h"

namespace {

using platform::IniDocument;

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool Representable(std::string_view utf8) {
    return platform::Cp1251ToUtf8(platform::Utf8ToCp1251(utf8)) == utf8;
}

bool UsableSection(std::string_view s) {
    s = Trim(s);
    return !s.empty() && s.find_first_of("]\r\n") == std::string_view::npos && Representable(s);
}

bool UsableKey(std::string_view k) {
    k = Trim(k);
    return !k.empty() && k.find_first_of("=\r\n") == std::string_view::npos && k.front() != '[' &&
           k.front() != ';' && Representable(k);
}

// What Get must return after the value was set.
std::string ReadBack(std::string_view value) {
    std::string bytes = platform::Utf8ToCp1251(value);
    for (char& c : bytes) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    std::string_view v = Trim(bytes);
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'')) {
        v = v.substr(1, v.size() - 2);
    }
    return platform::Cp1251ToUtf8(v);
}

std::string_view Cut(std::string_view text, uint8_t offset, uint8_t length) {
    if (text.empty()) return {};
    const size_t from = offset * text.size() / 256;
    return text.substr(from, length % 24);
}

// The part of `after` that differs from `before`, and the part of `before` it
// replaced, once the common head and tail are taken away.
void Difference(std::string_view before, std::string_view after, std::string_view& removed,
                std::string_view& added) {
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    removed = before.substr(head, before.size() - head - tail);
    added = after.substr(head, after.size() - head - tail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Check(IniDocument::Parse(input).Serialize() == input);

    constexpr size_t kSteering = 7;
    if (size < kSteering) return 0;
    const std::string_view text = input.substr(0, size - kSteering);
    const uint8_t* steer = data + size - kSteering;

    // Names normally come in as UTF-8 made from file bytes; a flag passes the
    // raw bytes instead, so malformed UTF-8 reaches the name checks too.
    const bool raw = (steer[6] & 1) != 0;
    const auto asText = [raw](std::string_view bytes) {
        return raw ? std::string(bytes) : platform::Cp1251ToUtf8(bytes);
    };
    const std::string section = asText(Cut(text, steer[0], steer[1]));
    const std::string key = asText(Cut(text, steer[2], steer[3]));
    const std::string value = asText(Cut(text, steer[4], steer[5]));

    IniDocument doc = IniDocument::Parse(text);
    const std::string before = doc.Serialize();
    const bool existed = doc.Get(section, key).has_value();
    (void)doc.Keys(section);
    (void)doc.KeyValueLines(section);

    const IniDocument::SetResult result = doc.Assign(section, key, value);
    const std::string after = doc.Serialize();

    if (!UsableSection(section) || !UsableKey(key)) {
        Check(result == IniDocument::SetResult::kRefused);
        Check(after == before);
        Check(!doc.Get(section, key).has_value());
        return 0;
    }
    Check(result != IniDocument::SetResult::kRefused);
    Check((result == IniDocument::SetResult::kChanged) == (after != before));

    const std::string expected = ReadBack(value);
    Check(doc.Get(section, key) == expected);

    const IniDocument reread = IniDocument::Parse(after);
    Check(reread.Serialize() == after);
    Check(reread.Get(section, key) == expected);
    Check(reread.Keys(section) == doc.Keys(section));
    Check(reread.KeyValueLines(section) == doc.KeyValueLines(section));

    // Every byte outside the edited line stays: a replaced key changes one
    // line's content, a new key or section only inserts.
    std::string_view removed;
    std::string_view added;
    Difference(before, after, removed, added);
    if (existed) {
        Check(removed.find('\n') == std::string_view::npos);
        Check(added.find('\n') == std::string_view::npos);
    } else {
        Check(removed.empty());
    }
    return 0;
}
