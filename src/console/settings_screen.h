#pragma once

#include <QFrame>

#include <string>

class C_Work;
class QStackedWidget;
class QTimer;
class QTreeWidget;
class TMegaButton;

namespace station {
class StationSettings;
}

namespace console {

class AboutPanel;
class CalibrationPage;
class ParamList;

// The settings screen "TabSheet2": the tree of setting groups, the
// configuration list of the group chosen, the calibration page and the
// information plate, the keyboard and the way out.
class SettingsScreen : public QFrame {
    Q_OBJECT

public:
    // The list shows the settings' "caption=value" lines, filled by the engine.
    explicit SettingsScreen(station::StationSettings& settings, QWidget* parent = nullptr);
    ~SettingsScreen() override;

    // The engine the list and the calibration page read; null before it exists.
    void Bind(C_Work* work);
    // The list as the lines are now; the title rows of its group take no edit.
    void ReloadCustomList();
    // An edit still open in the list is stored (and handed on) now.
    void CommitOpenEdit();
    // The information plate centred at the window's scale.
    void CentreShildik(double scale);
    // The one-shot refresh of the list after start-up (Timer2).
    void StartRefresh();
    void StopRefresh();

signals:
    // The tree chose a node that shows a configuration group in the list.
    void groupChosen(int group);
    // The operator finished editing the value of a row.
    void settingEdited(int row, const std::string& text);
    // The operator moved to another cell: the list is to show the stored values.
    void cellChanged();
    // Timer2 ran out.
    void refreshDue();
    // The list or a calibration field took the focus (the on-screen keyboard).
    void fieldEntered();
    void keyboardRequested();  // КЛАВИАТУРА
    void leaveRequested();     // ВЫХОД ИЗ НАСТРОЕК

private:
    void NodeChosen(int index);

    station::StationSettings& settings_;
    C_Work* work_ = nullptr;
    double scale_ = 1.0;
    QTreeWidget* TreeView1 = nullptr;
    TMegaButton* CONFIG_KEYBOARD = nullptr;
    TMegaButton* CONFIG_EXIT = nullptr;
    QStackedWidget* PageConfig = nullptr;
    ParamList* CUSTOM_LIST = nullptr;
    CalibrationPage* calibration_ = nullptr;
    AboutPanel* SHILDIK = nullptr;
    QTimer* Timer2 = nullptr;
};

}  // namespace console
