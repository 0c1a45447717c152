#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"

// Names and places of the save and open panels, apart from their widgets.
namespace console {

// "Протокол № 12 от 05.03.2026": the name a test is saved under when the
// operator typed none. The date is always day.month.year with dots, whatever
// the system's short date holds (a "/" there would make a folder).
std::string DefaultSaveName(int protocolNumber, const platform::CalendarTime& today);

// Why a typed file name is refused, "" when it may be used. A name must stay
// a name in the chosen folder: no "/", and no leading "." (which also covers
// "." and "..": a hidden file or a way out of the folder).
std::string RefusedFileName(const std::string& name);

// A place the folder trees of the panels are rooted at.
struct FilePlace {
    std::string caption;
    std::string folder;
};

// Where an operator looks for tests: the station's own "SaveTest" tree, the
// user's home, then removable media as the system mounts them (/media,
// /mnt). `exists` says which folders are there; the others are left out.
std::vector<FilePlace> FilePlaces(const std::string& programFolder, const std::string& home,
                                  bool (*exists)(const std::string& folder));

// The journal program beside the station.
std::string JournalProgram(const std::string& programFolder);

}  // namespace console
