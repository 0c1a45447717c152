// The entry panels as the window builds and places them, the settings
// password's check, and the data zoom closed into the set-up lists. What a
// typed value does is the station's entry (station/station_entry.h).

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

#include <functional>

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
#include "controls/tfkeyboard.h"
#include "engine/cwork.h"
#include "station/station_entry.h"
#include "station/station_manual.h"
#include "station/station_settings.h"

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
    using console::entry::Readout;

    // The keyboard is its own window on top of this one; it lives as long.
    FKeyBoard = new TFKeyBoard(this);
    FKeyBoard->SetTarget(this);

    // ----- numeric entry
    speedEntry_ = new console::NumericEntryPanel(this);
    speedEntry_->Bind(station_->Entry());
    connect(speedEntry_, &console::NumericEntryPanel::closed, this, &TFBase::HideVirtualKeyboard);

    connect(&workScreen_->Readouts(), &console::WorkReadouts::limitClicked, this,
            [this](Readout which, int row, QWidget* readout) {
                if (const auto target = console::entry::TargetOfRow(which, row))
                    OpenSpeedEntry(*target, readout);
            });
    connect(&workScreen_->ControlBar(), &console::WorkControlBar::speedClicked, this,
            [this](QWidget* readout) { OpenSpeedEntry(0, readout); });

    // ----- password
    passwordPanel_ = new console::PasswordPanel(this);
    station::StationSettings& settings = station_->Settings();
    connect(passwordPanel_, &console::PasswordPanel::accepted, &settings,
            &station::StationSettings::EnterPassword);
    connect(&settings, &station::StationSettings::passwordRefused, passwordPanel_,
            &console::PasswordPanel::Refuse);
    connect(&settings, &station::StationSettings::passwordAccepted, this,
            &TFBase::ShowSettingsUnlocked);
    connect(passwordPanel_, &console::PasswordPanel::cancelled, this,
            [this] { ShowPassword(false); });

    // ----- data zoom
    zoomPanel_ = new console::ZoomPanel(this);
    zoomPanel_->Bind(station_->Entry());
    connect(zoomPanel_, &console::ZoomPanel::closeRequested, this, &TFBase::ZoomCloseClick);
    const std::pair<const char*, int> zoomButtons[] = {
        {"PANEL_DATA", 0}, {"PANEL_STARTDATA", 1}, {"PANEL_ENDDATA", 2}};
    for (const auto& [name, group] : zoomButtons) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [this, group = group](TMegaButton*) { OpenZoomPanel(group); };
    }

    // ----- the keyboard where the operator asks for it or reaches a list
    for (const char* name : {"MENU5", "MegaButton28", "MegaButton7"}) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [this](TMegaButton*) { KeyboardButtonClick(); };
    }
    if (auto* b = findChild<TMegaButton*>("MENU_CUSTOM"))
        b->OnClick = [this](TMegaButton*) { ShowPassword(true); };
    // (The settings page brings it up for its own list.)
    for (const char* name : {"ListPodgotov", "ListStart", "ListFinish", "ListResult"})
        new EventHook(findChild<QWidget*>(name), QEvent::FocusIn,
                      [this] { ShowVirtualKeyboard(); });
}

// ----- numeric entry

void TFBase::OpenSpeedEntry(int target, QWidget* opener) {
    if (!station_->Entry().Opens(target)) return;
    // Closed before the keyboard comes up for this entry.
    ClosePanels(speedEntry_);
    const QWidget* controlBar = &workScreen_->ControlBar();
    const std::string speedCaption = workScreen_->ControlBar().SpeedText().toStdString();
    speedEntry_->Open(target, opener, station_->Entry().OpeningText(target, speedCaption));
    const QPoint bar = controlBar->mapTo(this, QPoint(0, 0));
    const console::Point at = console::entry::SpeedEntryOrigin(
        {bar.x(), bar.y()}, {controlBar->width(), controlBar->height()},
        {speedEntry_->width(), speedEntry_->height()}, {width(), height()});
    speedEntry_->move(at.x, at.y);
    ShowVirtualKeyboard();
    OpenPanel(speedEntry_);
    // The first key typed replaces the value shown.
    speedEntry_->FocusEntry();
    FKeyBoard->KeepClear();
}

// ----- password

void TFBase::ShowPassword(bool show) {
    if (show) ClosePanels(passwordPanel_);
    passwordPanel_->Show(show);
    // Cancelling closes the panel and with it the keyboard it brought.
    if (show) {
        ShowVirtualKeyboard();
    } else {
        HideVirtualKeyboard();
    }
    CentrePanel(passwordPanel_);
    if (show) passwordPanel_->FocusEntry();
    FKeyBoard->KeepClear();
}

void TFBase::ShowSettingsUnlocked() {
    passwordPanel_->Accept();
    modeBar_->DisableModes();
    // Closed here, not by the screen change: it keeps the green of the answer.
    passwordPanel_->hide();
    HideVirtualKeyboard();
    passwordPanel_->FocusSink()->setFocus();
    ShowScreen(2);
}

// ----- data zoom

void TFBase::OpenZoomPanel(int group) {
    // Hidden first, so it comes back in the zoom panel's own mode and size.
    HideVirtualKeyboard();
    CentrePanel(zoomPanel_);
    OpenPanel(zoomPanel_);
    if (Work() && Work()->Config().iVK != 0) {
        ShowKeyboardIn(3);
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        QRect screenArea;
        if (QScreen* s = screen()) screenArea = s->availableGeometry();
        const console::Point at = console::entry::ZoomKeyboardOrigin(
            {origin.x(), origin.y()}, width(), zoomPanel_->y(),
            {FKeyBoard->width(), FKeyBoard->height()}, {screenArea.x(), screenArea.y()},
            {screenArea.width(), screenArea.height()});
        FKeyBoard->move(at.x, at.y);
    }
    zoomPanel_->Open(group, station_->Lists().params[group]);
    FKeyBoard->KeepClear();
}

void TFBase::ZoomCloseClick() {
    zoomPanel_->Close();
    HideVirtualKeyboard();
    station_->Entry().ZoomClosed();
    setupScreen_->ReloadLists();
    station_->Verification().FillPoverkaTable(0);
}

void TFBase::CloseZoomPanel() {
    zoomPanel_->CloseIfOpen();
}
