#pragma once

#include <QFrame>

#include <string>
#include <vector>

class TMegaButton;

namespace station {
class EntryControl;
}

namespace console {

class ParamList;

// The large copy of one input list of the set-up screen, for editing by
// touch. What an edited value does is the station's.
class ZoomPanel final : public QFrame {
    Q_OBJECT

public:
    explicit ZoomPanel(QWidget* parent);
    // Edits go to the station's entry, and the lines it stored come back.
    void Bind(station::EntryControl& entry);

    // Shows the list `group` with its lines, the first value current.
    void Open(int group, const std::vector<std::string>& lines);
    // The lines again after an edit: as stored, or as they were when refused.
    void ShowLines(const std::vector<std::string>& lines);
    // Hidden, the zoom flag cleared.
    void Close();
    // When open, closes as its close button does; the flag is cleared either way.
    void CloseIfOpen();
    bool ZoomFlag() const { return zoomFlag_; }

signals:
    void edited(int group, int row, const std::string& text);
    // The close button, or CloseIfOpen on an open panel.
    void closeRequested();

private:
    ParamList* SELECT_DATA = nullptr;
    TMegaButton* ZoomClose = nullptr;
    int group_ = 0;
    bool zoomFlag_ = false;
    std::vector<std::string> lines_;
};

}  // namespace console
