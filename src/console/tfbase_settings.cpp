// The settings screen in the window: the screen and the console panel wired
// to the station's settings, and what the window does once they are left.

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "console/keyboard_offer.h"
#include "console/password_panel.h"
#include "console/service_console.h"
#include "console/settings_screen.h"
#include "console/tfbase.h"
#include "station/station_settings.h"

QWidget* TFBase::BuildSettingsPage() {
    using console::SettingsScreen;
    using station::StationSettings;
    StationSettings& settings = station_->Settings();
    settingsScreen_ = new SettingsScreen(settings);
    connect(settingsScreen_, &SettingsScreen::groupChosen, &settings, &StationSettings::ShowGroup);
    connect(settingsScreen_, &SettingsScreen::settingEdited, &settings,
            &StationSettings::StoreEdit);
    connect(settingsScreen_, &SettingsScreen::cellChanged, &settings, &StationSettings::Refresh);
    connect(settingsScreen_, &SettingsScreen::refreshDue, &settings, &StationSettings::Refresh);
    connect(settingsScreen_, &SettingsScreen::fieldEntered, keyboard_,
            &console::KeyboardOffer::Show);
    connect(settingsScreen_, &SettingsScreen::keyboardRequested, keyboard_,
            &console::KeyboardOffer::Ask);
    connect(settingsScreen_, &SettingsScreen::leaveRequested, &settings, &StationSettings::Leave);
    connect(&settings, &StationSettings::listChanged, settingsScreen_,
            &SettingsScreen::ReloadCustomList);
    connect(&settings, &StationSettings::leaving, settingsScreen_, &SettingsScreen::CommitOpenEdit);
    // Left: the display refresh, the focus and the channels.
    connect(&settings, &StationSettings::left, this, [this](int refreshMs) {
        Timer1->setInterval(refreshMs);
        // The focus leaves the settings' fields for the hidden Edit1; a hidden
        // field takes it only when shown, so a field that keeps it lets it go.
        passwordPanel_->FocusSink()->setFocus();
        if (QWidget* focused = QApplication::focusWidget();
            focused != nullptr && settingsScreen_->isAncestorOf(focused))
            focused->clearFocus();
        ApplyChannels();
        ShowChannelsInUse();
    });

    serviceConsole_ = new console::ServiceConsole(settings, this);
    panels_.Add(serviceConsole_);
    BuildShortcuts();
    return settingsScreen_;
}
