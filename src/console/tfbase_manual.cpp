// The window's side of working the machine by hand and watching its
// hydraulic station: it builds and places the manual control, station and
// hold panels and wires them to the station's manual control.

#include <QFrame>

#include "console/compression_panel.h"
#include "console/hold_panel.h"
#include "console/hydraulic_panel.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_screen.h"
#include "controls/megabutton.h"
#include "station/station_manual.h"

namespace {

// Where the manual panels open.
constexpr int kManualLeft = 400;
constexpr int kManualTop = 300;

}  // namespace

void TFBase::BuildManualPanels() {
    station::ManualControl& manual = station_->Manual();
    tensionPanel_ = new console::TensionManualPanel(this);
    compressionPanel_ = new console::CompressionManualPanel(this);
    compressionPanel_->Bind(manual);
    stationPanel_ = new console::HydraulicStationPanel(this);
    holdPanel_ = new console::HoldPanel(this);

    // The menus that open these panels are built with their screens.
    for (const char* name : {"MENU_PUDIK", "MegaButton53"}) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [this](TMegaButton*) { ManualPanelClick(); };
    }
    if (auto* b = findChild<TMegaButton*>("MegaButton45"))
        b->OnClick = [this](TMegaButton*) { StationPanelClick(); };
    connect(workScreen_, &console::WorkScreen::holdPanelRequested, this, &TFBase::HoldPanelClick);

    using console::CompressionManualPanel;
    using console::TensionManualPanel;
    using M = station::ManualControl;
    connect(tensionPanel_, &TensionManualPanel::command, this, &TFBase::Command);
    connect(tensionPanel_, &TensionManualPanel::upperGripToggled, &manual,
            [&manual](bool close) { manual.GripToggled(true, close); });
    connect(tensionPanel_, &TensionManualPanel::lowerGripToggled, &manual,
            [&manual](bool close) { manual.GripToggled(false, close); });
    connect(tensionPanel_, &TensionManualPanel::outputToggled, &manual,
            [&manual](bool locked) { manual.OutputToggled(0, locked); });
    connect(tensionPanel_, &TensionManualPanel::closeRequested, &manual, &M::CloseManualPanels);
    connect(compressionPanel_, &CompressionManualPanel::command, this, &TFBase::Command);
    connect(compressionPanel_, &CompressionManualPanel::holdRequested, this,
            &TFBase::HoldPanelClick);
    connect(compressionPanel_, &CompressionManualPanel::outputToggled, &manual,
            [&manual](bool locked) { manual.OutputToggled(3, locked); });
    connect(compressionPanel_, &CompressionManualPanel::closeRequested, &manual,
            &M::CloseManualPanels);
    connect(compressionPanel_, &CompressionManualPanel::keyboardRequested, this,
            &TFBase::ShowVirtualKeyboard);
    connect(stationPanel_, &console::HydraulicStationPanel::shownChanged, &manual,
            &M::SetStationShown);
    connect(holdPanel_, &console::HoldPanel::applyRequested, &manual,
            [this, &manual] { manual.ApplyHoldProgram(holdPanel_->Fields()); });
    connect(holdPanel_, &console::HoldPanel::closed, this, &TFBase::HideVirtualKeyboard);
    connect(holdPanel_, &console::HoldPanel::keyboardRequested, this, &TFBase::ShowVirtualKeyboard);

    // What the station's manual control shows.
    connect(&manual, &M::outputLockShown, tensionPanel_, [this](int zone, bool locked) {
        if (zone == 0) tensionPanel_->ShowOutputLock(locked);
    });
    connect(&manual, &M::outputLockShown, compressionPanel_, [this](int zone, bool locked) {
        if (zone == 3) compressionPanel_->ShowOutputLock(locked);
    });
    connect(&manual, &M::manualPanelsClosing, tensionPanel_, &QWidget::hide);
    connect(&manual, &M::manualPanelsClosing, compressionPanel_, &QWidget::hide);
    // The zoom panel goes with its flag, and the keyboard with them.
    connect(&manual, &M::entryClosed, this, &TFBase::CloseZoomPanel);
    connect(&manual, &M::entryClosed, this, &TFBase::HideVirtualKeyboard);
    connect(&manual, &M::listsRefreshed, setupScreen_, &console::SetupScreen::ReloadLists);
    connect(&manual, &M::ratesShown, tensionPanel_,
            [this](double tension) { tensionPanel_->ShowRate(tension); });
    connect(&manual, &M::ratesShown, compressionPanel_,
            [this](double, double compression) { compressionPanel_->ShowRate(compression); });
    connect(&manual, &M::stationRead, stationPanel_, &console::HydraulicStationPanel::ShowReadings);
    connect(&manual, &M::holdProgramAnswered, holdPanel_,
            [this](const QString& why) { holdPanel_->ShowRefusal(why.toStdString()); });
}

void TFBase::ManualPanelClick() {
    tensionPanel_->move(kManualLeft, kManualTop);
    compressionPanel_->move(kManualLeft, kManualTop);
    const std::optional<station::ManualPanelChoice> choice = station_->Manual().PanelForZone();
    if (!choice) return;
    QFrame* panel = choice->zone == 0 ? static_cast<QFrame*>(tensionPanel_) : compressionPanel_;
    compressionPanel_->ShowSetPoint(4, choice->setPoint);
    compressionPanel_->ClearRefusal();
    if (panel->isHidden()) {
        OpenPanel(panel);
    } else {
        panel->hide();
    }
}

void TFBase::StationPanelClick() {
    if (stationPanel_->isHidden()) {
        OpenPanel(stationPanel_);
    } else {
        stationPanel_->hide();
    }
    CentrePanel(stationPanel_);
    // Shown at once rather than after up to 10 s of empty fields.
    if (!stationPanel_->isHidden()) station_->Manual().RefreshStation();
}

void TFBase::HoldPanelClick() {
    if (!holdPanel_->isHidden()) {
        holdPanel_->hide();
        return;
    }
    OpenPanel(holdPanel_);
    holdPanel_->ClearRefusal();
    CentrePanel(holdPanel_);
}
