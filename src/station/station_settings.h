#pragma once

#include <QObject>

#include <iterator>
#include <string>
#include <vector>

class C_Config;
class QTimer;

namespace station {

class StationController;

// The settings tree's nodes in order (a node's position is its index): the
// caption, whether it sits under "Каналы", and the configuration group the
// list shows (0: a page of its own).
struct SettingsNode {
    const char* text;
    bool underChannels;
    int group;
};
inline constexpr SettingsNode kSettingsNodes[] = {
    {"Общие настройки", false, 7}, {"Каналы", false, 11},     {"Сила", true, 11},
    {"Перемещение", false, 12},    {"Деформация", false, 13}, {"Калибровка", false, 0},
    {"О программе", false, 0}};
inline constexpr int kSettingsNodeCount = static_cast<int>(std::size(kSettingsNodes));

// The tree's caption of a configuration group ("" when no node shows it).
std::string SettingsGroupTitle(int group);

// The settings as the station keeps them: the configuration group the list
// shows and stores into, an edit stored, the list read again, a calibration
// table to the unit, the settings password, and leaving the settings (the
// unit takes the PID gains, then after a pause the rest, then the file).
class StationSettings final : public QObject {
    Q_OBJECT

public:
    explicit StationSettings(StationController& station);
    ~StationSettings() override;

    // The lines the settings list shows, filled by the engine.
    std::vector<std::string>& Lines() const;
    // The configuration group the list holds and stores into.
    int Group() const { return group_; }
    void ShowGroup(int group);
    // The value typed into a row of the group: an empty text is not stored,
    // one that does not convert leaves the setting and is reported.
    void StoreEdit(int row, const std::string& text);
    // The list read again from the configuration.
    void Refresh();
    // Where the keyboard's setting is: «group», «caption».
    std::string KeyboardPlace() const;
    // The configuration the service panel lists; null before the engine.
    const C_Config* Configuration() const;
    // The calibration table of the unit's channel (from 1) to the unit.
    void SaveCalibration(int unitChannel);
    // The password typed on the settings' panel.
    void EnterPassword(const std::string& typed);
    // ВЫХОД ИЗ НАСТРОЕК: the gains now, the rest after the pause.
    void Leave();
    void FinishLeaving();

signals:
    // The list is to show the lines as they are now.
    void listChanged();
    void passwordRefused();
    // The right password: the settings screen opens.
    void passwordAccepted();
    // An edit still open in the list is to be stored now.
    void leaving();
    // After the pause, before the station starts afresh: the display
    // refresh period and the channels as the settings have them.
    void left(int refreshMs);

private:
    StationController& station_;
    int group_ = 7;
    // The unit's pause after the PID gains when the settings are left.
    QTimer* exitPause_ = nullptr;
};

}  // namespace station
