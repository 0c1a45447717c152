#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the program sheet and the position bar decide without widgets: the
// program's name from its file, and the named crosshead positions.
namespace station {

// The program folder's subfolder of test programs.
inline constexpr const char* kProgramFolder = "PROG";
inline constexpr const char* kDefaultProgram = "Default.ini";
inline constexpr const char* kPositionFile = "PositionList.ini";

// A program's name is its file name without the ".ini" (any letter case); a
// name without it stays whole.
std::string ProgramNameOf(std::string_view fileName);

// One row of the position table.
struct NamedPosition {
    std::string name;
    std::string position;  // as typed; the program line reads the number
    bool operator==(const NamedPosition&) const = default;
};

// The file's "name=position" lines (split at the first "="); a line without
// "=" is a name without a position, an empty line is no row. Encodings and
// line ends as for program files: a person may have typed it anywhere.
std::vector<NamedPosition> ParsePositions(std::string_view fileBytes);
// The rows as the Windows station writes its table: Windows-1251, CRLF;
// rows with neither name nor position are left out.
std::string PositionFileBytes(const std::vector<NamedPosition>& rows);
// The chooser's entry: name, " - ", position.
std::string PositionEntry(const NamedPosition& row);
// The program line that sends the crosshead to the row's position.
std::string PositionLine(const NamedPosition& row);

}  // namespace station
