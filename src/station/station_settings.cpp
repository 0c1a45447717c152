// The settings' part in the station: the group the list shows and stores
// into, an edit stored into the configuration, the list read again, the
// calibration table to the unit, the password, and leaving the settings.

#include "station/station_settings.h"

#include <QTimer>

#include "engine/cwork.h"
#include "link/c_connect.h"
#include "platform/messagesink.h"
#include "station/station_controller.h"

namespace station {

namespace {

// The unit takes the PID gains before anything else reaches it.
constexpr int kConfigExitPauseMs = 200;

}  // namespace

std::string SettingsGroupTitle(int group) {
    for (const SettingsNode& node : kSettingsNodes) {
        if (node.group == group) return node.text;
    }
    return {};
}

StationSettings::StationSettings(StationController& station)
    : QObject(&station), station_(station) {
    setObjectName("StationSettings");
    exitPause_ = new QTimer(this);
    exitPause_->setObjectName("ConfigExitPause");
    exitPause_->setSingleShot(true);
    exitPause_->setInterval(kConfigExitPauseMs);
    connect(exitPause_, &QTimer::timeout, this, &StationSettings::FinishLeaving);
}

StationSettings::~StationSettings() = default;

std::vector<std::string>& StationSettings::Lines() const {
    return station_.Lists().settings;
}

void StationSettings::ShowGroup(int group) {
    group_ = group;
    if (C_Work* work = station_.Work()) work->FillConfigList(Lines(), group);
    emit listChanged();
}

void StationSettings::StoreEdit(int row, const std::string& text) {
    C_Work* work = station_.Work();
    if (work == nullptr) return;
    // An empty cell is not stored; a number that does not convert leaves the
    // setting as it was. Either way the list shows what is stored.
    const TextResult typed =
        text.empty() ? TextResult{} : work->Config().SetInGroup(group_, row, text);
    ShowGroup(group_);
    if (!typed) station_.ShowMes(typed.error, 1, 0);
}

void StationSettings::Refresh() {
    if (C_Work* work = station_.Work()) work->RefreshConfigList();
    emit listChanged();
}

std::string StationSettings::KeyboardPlace() const {
    constexpr int kGeneralGroup = 7;
    const std::string group = SettingsGroupTitle(kGeneralGroup);
    std::string caption = "Использовать Вирт. клавиатуру";
    if (const C_Config* config = Configuration()) {
        if (const int i = config->IndexOf("iVK"); i >= 0) caption = config->Record(i)->caption;
    }
    return "«" + group + "», «" + caption + "»";
}

const C_Config* StationSettings::Configuration() const {
    C_Work* work = station_.Work();
    return work != nullptr ? &work->Config() : nullptr;
}

void StationSettings::SaveCalibration(int unitChannel) {
    if (C_Work* work = station_.Work()) work->DeviceCmd(unitChannel, 0);
}

void StationSettings::EnterPassword(const std::string& typed) {
    const C_Config* config = Configuration();
    if (config == nullptr) return;
    // An empty password in the configuration opens with an empty entry.
    if (typed != config->iPASSV) {
        emit passwordRefused();
        return;
    }
    station_.Command(18);
    emit passwordAccepted();
}

void StationSettings::Leave() {
    // A second click during the pause would send everything twice.
    if (exitPause_->isActive()) return;
    emit leaving();
    if (C_Work* work = station_.Work()) work->DeviceCmd(0, unit_code::kWritePid);
    exitPause_->start();
}

void StationSettings::FinishLeaving() {
    C_Work* work = station_.Work();
    if (work == nullptr) return;
    emit left(work->Config().iCHANCOUNT);
    station_.Command(32);
    if (!work->Config().Save(0))
        station_.Messages().ShowMessage(
            "Ошибка", "Настройки не сохранены: файл 'Config.INI' не может быть записан");
}

}  // namespace station
