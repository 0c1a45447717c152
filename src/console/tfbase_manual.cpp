// The window's side of working the machine by hand and watching its
// hydraulic station: it builds and places the manual control, station and
// hold panels and wires them to the station's manual control.

#include <QFrame>

#include "console/compression_panel.h"
#include "console/hold_panel.h"
#include "console/hydraulic_panel.h"
#include "console/keyboard_offer.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_screen.h"
#include "console/zoom_panel.h"
#include "controls/megabutton.h"
#include "station/station_manual.h"

namespace {

// Where the manual panels open.
constexpr int kManualLeft = 400;
constexpr int kManualTop = 300;

}  // namespace

void TFBase::BuildManualPanels() {
    using console::CompressionManualPanel;
    using console::KeyboardOffer;
    using console::TensionManualPanel;
    using M = station::ManualControl;
    M& manual = station_->Manual();
    KeyboardOffer* keyboard = keyboard_;
    tensionPanel_ = new TensionManualPanel(this);
    compressionPanel_ = new CompressionManualPanel(this);
    compressionPanel_->Bind(manual);
    auto* stationPanel = new console::HydraulicStationPanel(this);
    auto* holdPanel = new console::HoldPanel(this);
    // Closed as their close buttons close them: the crosshead stops.
    panels_.Add(tensionPanel_, [&manual] { manual.CloseManualPanels(); });
    panels_.Add(compressionPanel_, [&manual] { manual.CloseManualPanels(); });
    panels_.Add(stationPanel);
    panels_.Add(holdPanel);

    // The menus that open these panels are built with their screens.
    auto manualPanelClick = [this, &manual] {
        tensionPanel_->move(kManualLeft, kManualTop);
        compressionPanel_->move(kManualLeft, kManualTop);
        const std::optional<station::ManualPanelChoice> choice = manual.PanelForZone();
        if (!choice) return;
        QFrame* panel = choice->zone == 0 ? static_cast<QFrame*>(tensionPanel_) : compressionPanel_;
        compressionPanel_->ShowSetPoint(4, choice->setPoint);
        compressionPanel_->ClearRefusal();
        panels_.Toggle(panel);
    };
    for (const char* name : {"MENU_PUDIK", "MegaButton53"}) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [manualPanelClick](TMegaButton*) { manualPanelClick(); };
    }
    if (auto* b = findChild<TMegaButton*>("MegaButton45")) {
        b->OnClick = [this, stationPanel, &manual](TMegaButton*) {
            const bool shown = panels_.Toggle(stationPanel);
            panels_.Centre(stationPanel);
            // Shown at once rather than after up to 10 s of empty fields.
            if (shown) manual.RefreshStation();
        };
    }
    auto holdPanelClick = [this, holdPanel] {
        if (!panels_.Toggle(holdPanel)) return;
        holdPanel->ClearRefusal();
        panels_.Centre(holdPanel);
    };
    connect(workScreen_, &console::WorkScreen::holdPanelRequested, this, holdPanelClick);

    connect(tensionPanel_, &TensionManualPanel::command, this, &TFBase::Command);
    connect(tensionPanel_, &TensionManualPanel::upperGripToggled, &manual,
            [&manual](bool close) { manual.GripToggled(true, close); });
    connect(tensionPanel_, &TensionManualPanel::lowerGripToggled, &manual,
            [&manual](bool close) { manual.GripToggled(false, close); });
    connect(tensionPanel_, &TensionManualPanel::outputToggled, &manual,
            [&manual](bool locked) { manual.OutputToggled(0, locked); });
    connect(tensionPanel_, &TensionManualPanel::closeRequested, &manual, &M::CloseManualPanels);
    connect(compressionPanel_, &CompressionManualPanel::command, this, &TFBase::Command);
    connect(compressionPanel_, &CompressionManualPanel::holdRequested, this, holdPanelClick);
    connect(compressionPanel_, &CompressionManualPanel::outputToggled, &manual,
            [&manual](bool locked) { manual.OutputToggled(3, locked); });
    connect(compressionPanel_, &CompressionManualPanel::closeRequested, &manual,
            &M::CloseManualPanels);
    connect(compressionPanel_, &CompressionManualPanel::keyboardRequested, keyboard,
            &KeyboardOffer::Show);
    connect(stationPanel, &console::HydraulicStationPanel::shownChanged, &manual,
            &M::SetStationShown);
    connect(holdPanel, &console::HoldPanel::applyRequested, &manual,
            [holdPanel, &manual] { manual.ApplyHoldProgram(holdPanel->Fields()); });
    connect(holdPanel, &console::HoldPanel::closed, keyboard, &KeyboardOffer::Hide);
    connect(holdPanel, &console::HoldPanel::keyboardRequested, keyboard, &KeyboardOffer::Show);

    // What the station's manual control shows.
    connect(&manual, &M::outputLockShown, tensionPanel_, [this](int zone, bool locked) {
        if (zone == 0) tensionPanel_->ShowOutputLock(locked);
    });
    connect(&manual, &M::outputLockShown, compressionPanel_, [this](int zone, bool locked) {
        if (zone == 3) compressionPanel_->ShowOutputLock(locked);
    });
    connect(&manual, &M::panelsHidden, tensionPanel_, &QWidget::hide);
    connect(&manual, &M::panelsHidden, compressionPanel_, &QWidget::hide);
    // The zoom panel goes with its flag, and the keyboard with them.
    connect(&manual, &M::entryClosed, this, [this] { zoomPanel_->CloseIfOpen(); });
    connect(&manual, &M::entryClosed, keyboard, &KeyboardOffer::Hide);
    connect(&manual, &M::ratesShown, tensionPanel_,
            [this](double tension) { tensionPanel_->ShowRate(tension); });
    connect(&manual, &M::ratesShown, compressionPanel_,
            [this](double, double compression) { compressionPanel_->ShowRate(compression); });
    connect(&manual, &M::stationRead, stationPanel, &console::HydraulicStationPanel::ShowReadings);
    connect(&manual, &M::holdProgramAnswered, holdPanel,
            [holdPanel](const QString& why) { holdPanel->ShowRefusal(why.toStdString()); });
}
