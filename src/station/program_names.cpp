#include "station/program_names.h"

#include "program/programfile.h"
#include "program/programline.h"

namespace station {

std::string ProgramNameOf(std::string_view fileName) {
    constexpr std::string_view kExtension = ".ini";
    if (fileName.size() < kExtension.size()) return std::string(fileName);
    const std::string_view tail = fileName.substr(fileName.size() - kExtension.size());
    for (size_t i = 0; i < kExtension.size(); ++i) {
        const char c =
            tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
        if (c != kExtension[i]) return std::string(fileName);
    }
    return std::string(fileName.substr(0, fileName.size() - kExtension.size()));
}

std::vector<NamedPosition> ParsePositions(std::string_view fileBytes) {
    std::vector<NamedPosition> rows;
    for (const std::string& line : testprogram::ProgramLines(fileBytes)) {
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            rows.push_back({line, ""});
        else
            rows.push_back({line.substr(0, eq), line.substr(eq + 1)});
    }
    return rows;
}

std::string PositionFileBytes(const std::vector<NamedPosition>& rows) {
    std::vector<std::string> lines;
    for (const NamedPosition& row : rows) {
        if (row.name.empty() && row.position.empty()) continue;
        lines.push_back(row.name + "=" + row.position);
    }
    return testprogram::ProgramFileBytes(lines);
}

std::string PositionEntry(const NamedPosition& row) {
    return row.name + " - " + row.position;
}

std::string PositionLine(const NamedPosition& row) {
    return std::string(testprogram::TextOf(testprogram::Cmd::kToPosition).text) + " " +
           row.position;
}

}  // namespace station
