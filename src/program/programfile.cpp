#include "program/programfile.h"

#include <unistd.h>

#include "platform/cp1251.h"
#include "platform/posixfile.h"
#include "platform/programfolder.h"

namespace testprogram {
namespace {

bool IsUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        // A real U+FFFD takes three bytes; a malformed sequence gives it for one.
        if (platform::NextCodePoint(text, pos) == 0xFFFD && pos - start != 3) return false;
    }
    return true;
}

std::string LineToUtf8(std::string_view bytes) {
    return IsUtf8(bytes) ? std::string(bytes) : platform::Cp1251ToUtf8(bytes);
}

}  // namespace

std::vector<std::string> ProgramLines(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        lines.push_back(LineToUtf8(bytes.substr(start, end - start)));
        if (end == bytes.size()) break;
        const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

std::string ProgramFileBytes(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += platform::Utf8ToCp1251(line);
        out += "\r\n";
    }
    return out;
}

bool IsProgramName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::optional<std::vector<std::string>> LoadProgram(const std::string& folder,
                                                    std::string_view fileName) {
    if (!IsProgramName(fileName)) return std::nullopt;
    const auto bytes = platform::ReadWholeFile(platform::JoinPath(folder, std::string(fileName)));
    if (!bytes) return std::nullopt;
    return ProgramLines(*bytes);
}

bool SaveProgram(const std::string& folder, std::string_view name,
                 const std::vector<std::string>& lines) {
    if (!IsProgramName(name)) return false;
    return platform::WriteFileAtomic(platform::JoinPath(folder, std::string(name) + ".ini"),
                                     ProgramFileBytes(lines));
}

bool DeleteProgram(const std::string& folder, std::string_view fileName) {
    if (!IsProgramName(fileName)) return false;
    return ::unlink(platform::JoinPath(folder, std::string(fileName)).c_str()) == 0;
}

}  // namespace testprogram
