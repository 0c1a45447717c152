// The settings screen's part in the station: the group the list shows and
// stores into, an edit stored into the configuration, the list read again,
// the calibration table to the unit, the console panel's list, and leaving
// the settings.

#include <QApplication>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTimer>

#include <string>

#include "console/password_panel.h"
#include "console/service_console.h"
#include "console/settings_screen.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "engine/cwork.h"
#include "platform/messagesink.h"

namespace {

// The unit takes the PID gains before anything else reaches it.
constexpr int kConfigExitPauseMs = 200;

}  // namespace

QWidget* TFBase::BuildSettingsPage() {
    using console::SettingsScreen;
    settingsScreen_ = new SettingsScreen(station_->Lists().settings);
    connect(settingsScreen_, &SettingsScreen::groupChosen, this, &TFBase::ShowSettingsGroup);
    connect(settingsScreen_, &SettingsScreen::settingEdited, this, &TFBase::CustomListEdit);
    connect(settingsScreen_, &SettingsScreen::cellChanged, this, [this] {
        if (Work()) Work()->RefreshConfigList();
        ReloadCustomList();
    });
    connect(settingsScreen_, &SettingsScreen::refreshDue, this, &TFBase::Timer2Timer);
    connect(settingsScreen_, &SettingsScreen::fieldEntered, this, &TFBase::ShowVirtualKeyboard);
    connect(settingsScreen_, &SettingsScreen::keyboardRequested, this,
            &TFBase::KeyboardButtonClick);
    connect(settingsScreen_, &SettingsScreen::leaveRequested, this, &TFBase::ConfigExitClick);
    connect(settingsScreen_, &SettingsScreen::calibrationSaveRequested, this,
            &TFBase::SaveCalibPoint);

    configExitPause_ = new QTimer(this);
    configExitPause_->setObjectName("ConfigExitPause");
    configExitPause_->setSingleShot(true);
    configExitPause_->setInterval(kConfigExitPauseMs);
    connect(configExitPause_, &QTimer::timeout, this, &TFBase::ConfigExitFinish);

    serviceConsole_ = new console::ServiceConsole(this);
    connect(serviceConsole_, &console::ServiceConsole::parametersRequested, this,
            &TFBase::ConsButton1Click);
    BuildShortcuts();
    return settingsScreen_;
}

// ----- the tree and the configuration list

void TFBase::ShowSettingsGroup(int group) {
    configGroup_ = group;
    if (Work()) Work()->FillConfigList(station_->Lists().settings, group);
    ReloadCustomList();
}

void TFBase::ReloadCustomList() {
    settingsScreen_->ReloadCustomList(configGroup_);
}

void TFBase::CustomListEdit(int row, const std::string& text) {
    if (!Work()) return;
    // An empty cell is not stored; a number that does not convert leaves the
    // setting as it was. Either way the list shows what is stored.
    const TextResult typed =
        text.empty() ? TextResult{} : Work()->Config().SetInGroup(configGroup_, row, text);
    Work()->FillConfigList(station_->Lists().settings, configGroup_);
    ReloadCustomList();
    if (!typed) ShowMes(typed.error, 1, 0);
}

void TFBase::CommitCustomListEdit() {
    settingsScreen_->CommitOpenEdit();
}

void TFBase::Timer2Timer() {
    if (!Work()) return;
    Work()->RefreshConfigList();
    ReloadCustomList();
}

std::string TFBase::KeyboardSettingPlace() const {
    constexpr int kGeneralGroup = 7;
    const std::string group = console::SettingsScreen::GroupTitle(kGeneralGroup);
    std::string caption = "Использовать Вирт. клавиатуру";
    if (Work()) {
        const C_Config& config = Work()->Config();
        if (const int i = config.IndexOf("iVK"); i >= 0) caption = config.Record(i)->caption;
    }
    return "«" + group + "», «" + caption + "»";
}

void TFBase::ConsButton1Click() {
    if (!Work()) return;
    serviceConsole_->ListParameters(Work()->Config());
}

// ----- calibration

void TFBase::SaveCalibPoint(int unitChannel) {
    if (!Work()) return;
    Work()->DeviceCmd(unitChannel, 0);
}

// ----- leaving the settings

void TFBase::ConfigExitClick() {
    // A second click during the pause would send everything twice.
    if (configExitPause_->isActive()) return;
    CommitCustomListEdit();
    if (Work()) Work()->DeviceCmd(0, 4);
    configExitPause_->start();
}

void TFBase::ConfigExitFinish() {
    if (!Work()) return;
    Timer1->setInterval(Work()->Config().iCHANCOUNT);
    // The focus leaves the settings' fields for the hidden Edit1; a hidden
    // field takes it only when shown, so a field that keeps it lets it go.
    passwordPanel_->FocusSink()->setFocus();
    QWidget* settings = BaseTab->widget(2);
    if (QWidget* focused = QApplication::focusWidget();
        focused != nullptr && settings->isAncestorOf(focused))
        focused->clearFocus();
    ApplyChannels();
    ShowChannelsInUse();
    Command(32);
    if (!Work()->Config().Save(0))
        station_->Messages().ShowMessage(
            "Ошибка", "Настройки не сохранены: файл 'Config.INI' не может быть записан");
}
