// The entry panels as the window builds and places them: the numeric entry,
// the settings' password and the data zoom, and the keyboard's buttons. What a
// typed value does is the station's entry (station/station_entry.h).

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include <functional>

#include "console/keyboard_offer.h"
#include "console/look.h"
#include "console/mode_bar.h"
#include "console/numeric_entry_panel.h"
#include "console/panel_entry.h"
#include "console/paramlist.h"
#include "console/password_panel.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "console/zoom_panel.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "station/station_entry.h"
#include "station/station_manual.h"
#include "station/station_settings.h"
#include "station/station_verification.h"

namespace {

// Runs an action when the watched widget sees one kind of event, which then
// goes on as before: a left-button release, or a focus taken by a touch.
class EventHook : public QObject {
public:
    EventHook(QWidget* watched, QEvent::Type type, std::function<void()> action)
        : QObject(watched), type_(type), action_(std::move(action)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != type_) return false;
        if (type_ == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        // Focus moved by the window itself (a page hidden, a panel closed)
        // is not the operator reaching for a field.
        if (type_ == QEvent::FocusIn &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
            return false;
        action_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> action_;
};

}  // namespace

void TFBase::BuildEntryPanels() {
    using console::KeyboardOffer;
    using console::entry::Readout;
    KeyboardOffer* keyboard = keyboard_;

    // ----- numeric entry, over the control bar
    auto* speedEntry = new console::NumericEntryPanel(this);
    speedEntry->Bind(station_->Entry());
    panels_.Add(speedEntry);
    connect(speedEntry, &console::NumericEntryPanel::closed, keyboard, &KeyboardOffer::Hide);
    auto openSpeedEntry = [this, speedEntry, keyboard](int target, QWidget* opener) {
        if (!station_->Entry().Opens(target)) return;
        // Closed before the keyboard comes up for this entry.
        panels_.CloseAll(speedEntry);
        const QWidget* controlBar = &workScreen_->ControlBar();
        const std::string speedCaption = workScreen_->ControlBar().SpeedText().toStdString();
        speedEntry->Open(target, opener, station_->Entry().OpeningText(target, speedCaption));
        const QPoint bar = controlBar->mapTo(this, QPoint(0, 0));
        const console::Point at = console::entry::SpeedEntryOrigin(
            {bar.x(), bar.y()}, {controlBar->width(), controlBar->height()},
            {speedEntry->width(), speedEntry->height()}, {width(), height()});
        speedEntry->move(at.x, at.y);
        keyboard->Show();
        panels_.Open(speedEntry);
        // The first key typed replaces the value shown.
        speedEntry->FocusEntry();
        keyboard->KeepClear();
    };
    connect(&workScreen_->Readouts(), &console::WorkReadouts::limitClicked, this,
            [openSpeedEntry](Readout which, int row, QWidget* readout) {
                if (const auto target = console::entry::TargetOfRow(which, row))
                    openSpeedEntry(*target, readout);
            });
    connect(&workScreen_->ControlBar(), &console::WorkControlBar::speedClicked, this,
            [openSpeedEntry](QWidget* readout) { openSpeedEntry(0, readout); });

    // ----- the settings' password; cancelling closes the panel and with it
    // the keyboard it brought
    passwordPanel_ = new console::PasswordPanel(this);
    auto showPassword = [this, keyboard](bool show) {
        if (show) panels_.CloseAll(passwordPanel_);
        passwordPanel_->Show(show);
        if (show) {
            keyboard->Show();
        } else {
            keyboard->Hide();
        }
        panels_.Centre(passwordPanel_);
        if (show) passwordPanel_->FocusEntry();
        keyboard->KeepClear();
    };
    panels_.Add(passwordPanel_, [showPassword] { showPassword(false); });
    station::StationSettings& settings = station_->Settings();
    connect(passwordPanel_, &console::PasswordPanel::accepted, &settings,
            &station::StationSettings::EnterPassword);
    connect(&settings, &station::StationSettings::passwordRefused, passwordPanel_,
            &console::PasswordPanel::Refuse);
    // The right password: the settings screen, the mode buttons disabled.
    connect(&settings, &station::StationSettings::passwordAccepted, this, [this, keyboard] {
        passwordPanel_->Accept();
        modeBar_->DisableModes();
        // Closed here, not by the screen change: it keeps the green of the answer.
        passwordPanel_->hide();
        keyboard->Hide();
        passwordPanel_->FocusSink()->setFocus();
        ShowScreen(2);
    });
    connect(passwordPanel_, &console::PasswordPanel::cancelled, this,
            [showPassword] { showPassword(false); });
    if (auto* b = findChild<TMegaButton*>("MENU_CUSTOM"))
        b->OnClick = [showPassword](TMegaButton*) { showPassword(true); };

    // ----- data zoom, closed into the set-up lists
    zoomPanel_ = new console::ZoomPanel(this);
    zoomPanel_->Bind(station_->Entry());
    auto closeZoom = [this, keyboard] {
        zoomPanel_->Close();
        keyboard->Hide();
        station_->Entry().ZoomClosed();
    };
    panels_.Add(zoomPanel_, closeZoom);
    connect(zoomPanel_, &console::ZoomPanel::closeRequested, this, closeZoom);
    const std::pair<const char*, int> zoomButtons[] = {
        {"PANEL_DATA", 0}, {"PANEL_STARTDATA", 1}, {"PANEL_ENDDATA", 2}};
    for (const auto& [name, group] : zoomButtons) {
        auto* b = findChild<TMegaButton*>(name);
        if (b == nullptr) continue;
        b->OnClick = [this, keyboard, group = group](TMegaButton*) {
            // Hidden first, so it comes back in the zoom panel's own mode and size.
            keyboard->Hide();
            panels_.Centre(zoomPanel_);
            panels_.Open(zoomPanel_);
            keyboard->ShowUnderZoom(zoomPanel_->y());
            zoomPanel_->Open(group, station_->Lists().params[group]);
            keyboard->KeepClear();
        };
    }

    // ----- the keyboard where the operator asks for it or reaches a list
    for (const char* name : {"MENU5", "MegaButton28", "MegaButton7"}) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [keyboard](TMegaButton*) { keyboard->Ask(); };
    }
    // (The settings page brings it up for its own list.)
    for (const char* name : {"ListPodgotov", "ListStart", "ListFinish", "ListResult"})
        new EventHook(findChild<QWidget*>(name), QEvent::FocusIn, [keyboard] { keyboard->Show(); });
}
