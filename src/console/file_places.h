#pragma once

#include <string>
#include <vector>

class QAbstractItemView;
class QComboBox;
class QFileSystemModel;
class QFont;
class QLabel;
class QLineEdit;
class QObject;
class QString;
class QTreeView;
class QWidget;

// Names and places of the save and open panels, apart from their widgets,
// and the finger-sized views the file panels share.
namespace console {

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

namespace filepanel {

constexpr int kTextPixels = 20;

QFont TouchFont(const QWidget* w);
// Check boxes, scroll bars and rows a finger can hit.
void TouchSized(QAbstractItemView* view);
QComboBox* PlaceBox(QWidget* parent, const char* name);
// The places as they are now: media come and go.
void FillPlaces(QComboBox* box, const std::string& programFolder);
QTreeView* FolderTree(QWidget* parent, const char* name, QFileSystemModel* model);
QFileSystemModel* FolderModel(QObject* parent);
QLabel* FieldLabel(QWidget* parent, const char* text);
QLineEdit* Field(QWidget* parent, const char* name);
// Points the tree at a place and at a folder in it (the place itself when
// the folder is not there).
void ShowFolder(QTreeView* tree, const QString& place, const QString& folder);

}  // namespace filepanel

}  // namespace console
