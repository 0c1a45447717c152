// The dispatcher: every button, panel, timer and engine event acts through
// TFBase::Command. The console's blocks are tried in their fixed order; a
// block that implies other codes runs them through Command, each to its end
// (engine part included), before it goes on; the engine gets the code last.

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "console/compression_panel.h"
#include "console/file_places.h"
#include "console/look.h"
#include "console/manual_rules.h"
#include "console/mode_bar.h"
#include "console/open_panel.h"
#include "console/paramlist.h"
#include "console/preview_screen.h"
#include "console/result_plot.h"
#include "console/save_panel.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "model/configini.h"
#include "platform/clock.h"
#include "platform/messagesink.h"
#include "platform/programfolder.h"
#include "protocols/creport.h"

using console::SetButtonDown;
using console::SetButtonEnabled;

namespace {

struct Block {
    int code;
    int (TFBase::*run)(int code);
};

constexpr const char* kEngineMessages[] = {
    "ДОСТИГНУТА УСТАВКА ПО F!!!",       "ДОСТИГНУТА УСТАВКА ПО L!!!",
    "ДОСТИГНУТА УСТАВКА ПО E!!!",       "ДОСТИГНУТА ЗАЩИТА ПО F!!!",
    "ДОСТИГНУТА ЗАЩИТА ПО L!!!",        "ДОСТИГНУТА ЗАЩИТА ПО E!!!",
    "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!", "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО L!!!",
    "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО E!!!"};

}  // namespace

void TFBase::Command(int code) {
    // The console's blocks in the order they are tried.
    static constexpr Block kBlocks[] = {
        {244, &TFBase::StartUpBlock},
        {245, &TFBase::ExitBlock},
        {246, &TFBase::PowerOffBlock},
        {49, &TFBase::EngineEventBlock},
        {52, &TFBase::EngineEventBlock},
        {55, &TFBase::EngineEventBlock},
        {50, &TFBase::EngineEventBlock},
        {53, &TFBase::EngineEventBlock},
        {56, &TFBase::EngineEventBlock},
        {51, &TFBase::EngineEventBlock},
        {54, &TFBase::EngineEventBlock},
        {57, &TFBase::EngineEventBlock},
        {32, &TFBase::NewTestBlock},
        {61, &TFBase::ClearPlotBlock},
        {33, &TFBase::SaveBlock},
        {34, &TFBase::OpenBlock},
        {35, &TFBase::PrintBlock},
        {36, &TFBase::NothingBlock},
        {37, &TFBase::NothingBlock},
        {64, &TFBase::PoverkaBlock},
        {65, &TFBase::PoverkaBlock},
        {66, &TFBase::PoverkaBlock},
        {80, &TFBase::HelpBlock},
        {241, &TFBase::SetUpModeBlock},
        {242, &TFBase::WorkModeBlock},
        {243, &TFBase::ResultModeBlock},
        {240, &TFBase::HideControlPanelBlock},
        {1, &TFBase::StartBlock},
        {2, &TFBase::StopBlock},
        {38, &TFBase::PauseBlock},
        {4, &TFBase::ChannelBlock},
        {5, &TFBase::ChannelBlock},
        {6, &TFBase::ChannelBlock},
        {12, &TFBase::GripBlock},
        {13, &TFBase::GripBlock},
        {15, &TFBase::GripBlock},
        {16, &TFBase::GripBlock},
        {17, &TFBase::PumpBlock},
        {18, &TFBase::PumpBlock},
        {19, &TFBase::CrossheadBlock},
        {20, &TFBase::CrossheadBlock},
        {21, &TFBase::CrossheadBlock},
        {22, &TFBase::ZeroingBlock},
        {25, &TFBase::ZeroingBlock},
        {23, &TFBase::ZeroingBlock},
        {26, &TFBase::ZeroingBlock},
        {24, &TFBase::ZeroingBlock},
        {27, &TFBase::ZeroingBlock},
        {7, &TFBase::DirectionBlock},
        {40, &TFBase::DirectionBlock},
        {68, &TFBase::TensionZoneBlock},
        {67, &TFBase::CompressionZoneBlock},
        {48, &TFBase::ComputeBlock},
        {kLeavePoverkaCode, &TFBase::LeavePoverkaBlock},
        {kOverwriteCode, &TFBase::OverwriteBlock},
    };
    // Whatever sends it (a button, a program, a posted event), a jog with the
    // specimen held in both grips goes nowhere.
    if (console::IsJogCode(code) && JogLocked()) return;
    emit commandDispatched(code);
    for (const Block& b : kBlocks) {
        // Start-up goes on as set-up mode: the blocks after it see 241.
        if (b.code == code) code = (this->*b.run)(code);
    }
    commandSeen_ = true;
    emit engineCommand(code);
    if (work_) work_->Command(code);
    if (code == 48) {
        // The calculation wrote its results into the method's lists.
        setupScreen_->ReloadLists();
        setupScreen_->Plot()->DrawGrid();
        StopConditionScan();
    }
    // Once the test has stopped: the calculation cleared what another test
    // left, and the operator learns why the results are empty.
    if (code == 2 && work_ && !work_->Methods().HasTest()) ShowMes("НЕТ ДАННЫХ ДЛЯ РАСЧЕТА", 1, 0);
}

// ----- blocks

int TFBase::EngineEventBlock(int code) {
    ShowMes(kEngineMessages[code - 49], 1, 0);
    return code;
}

int TFBase::NewTestBlock(int code) {
    if (!work_) return code;
    work_->ResetForLoad();
    Command(21);
    Command(5);
    Command(7);
    Command(241);
    workScreen_->ControlBar().ShowDirectionDown(false);
    MirandexClick();
    SyncModeButtons();
    modeBar_->ShowCaption(ModeCaptionText());
    if (C_Parametr* m = work_->Methods().Current()) m->ResetManualPoints();
    workScreen_->Readouts().ReleaseZeroHold();
    // Nothing of the test before stays shown: its curve, markers and results.
    ShowResults();
    return code;
}

int TFBase::ClearPlotBlock(int code) {
    if (work_) work_->ClearBuffer();
    return code;
}

int TFBase::SaveBlock(int code) {
    methodText_ = setupScreen_->MethodName().value_or(std::string());
    savePanel_->SetName(console::DefaultSaveName(ProtocolNumber(), deps_.clock->Now()));
    CentrePanel(savePanel_);
    OpenPanel(savePanel_);
    const std::string folder = platform::JoinPath(SaveTestFolder(), methodText_);
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    // The panel stays, its tree where it was: the operator may pick another folder.
    if (ec) {
        deps_.messages->ShowMessage("Ошибка", "Папка '" + folder + "' не может быть создана");
        return code;
    }
    savePanel_->ShowPlaces(ProgramDir(), SaveTestFolder(), folder);
    return code;
}

int TFBase::OpenBlock(int code) {
    CentrePanel(openPanel_);
    OpenPanel(openPanel_);
    const std::string method = setupScreen_->MethodName().value_or("");
    openPanel_->ShowPlaces(ProgramDir(), SaveTestFolder(),
                           platform::JoinPath(SaveTestFolder(), method));
    return code;
}

int TFBase::PrintBlock(int code) {
    if (!work_ || report_ == nullptr) return code;
    // A protocol is this test's or none: without a recording the lists hold
    // only what another test or the template left.
    if (!work_->Methods().HasTest()) {
        ShowMes("НЕТ ИСПЫТАНИЯ ДЛЯ ПЕЧАТИ", 1, 0);
        return code;
    }
    console::BusyScope busy(*this, "ИДЕТ ФОРМИРОВАНИЕ ОТЧЕТА, ПОДОЖДИТЕ...");
    ShowScreen(3);
    report_->SetRowCount(work_->Methods().CountShown());
    report_->ClearOtchet();
    report_->MakeOtchet();
    previewScreen_->ReadyViewer();
    previewScreen_->ToLastSheet();
    CloseMes();
    return code;
}

int TFBase::NothingBlock(int code) {
    return code;
}

int TFBase::PoverkaBlock(int code) {
    StartPoverka(code - 64);
    return code;
}

int TFBase::HelpBlock(int code) {
    ShowScreen(4);
    modeBar_->SetModeButtons(-1, true, false, true);
    return code;
}

int TFBase::HideControlPanelBlock(int code) {
    workScreen_->ShowControlBar(false);
    Command(241);
    return code;
}

int TFBase::SetUpModeBlock(int code) {
    modeBar_->SetModeButtons(0, true, false, true);
    setupScreen_->ShowChoice(true);
    workScreen_->ShowSetUpControls();
    ShowScreen(0);
    setupScreen_->ColourLists(true);
    return code;
}

int TFBase::WorkModeBlock(int code) {
    modeBar_->SetModeButtons(1, false, true, false);
    workScreen_->ShowZeroPanel();
    tensionPanel_->hide();
    compressionPanel_->hide();
    setupScreen_->ShowChoice(false);
    workScreen_->HideMenuForTest();
    ShowScreen(0);
    if (work_) {
        modeBar_->ShowCaption(ModeCaptionText());
        C_Parametr* m = work_->Methods().Current();
        if (m != nullptr && m->IndexOf("fOX") >= 0)
            m->SetMaxText("sGO", std::to_string(ProtocolNumber()));
    }
    viewing_ = false;
    return code;
}

int TFBase::ResultModeBlock(int code) {
    modeBar_->SetModeButtons(2, false, false, true);
    setupScreen_->ShowChoice(false);
    ShowScreen(1);
    // The method's axes first: each plot draws once, with them.
    SetResultAxisButtons();
    for (CGrafic* plot : {workScreen_->Plot(), static_cast<CGrafic*>(setupScreen_->Plot())}) {
        // Autoscale on; SetMode draws it.
        if (std::ranges::find(drawnLater_, plot) != drawnLater_.end())
            plot->autoscale = true;
        else
            plot->SetMode(3);
    }
    setupScreen_->ColourLists(false);
    CloseZoomPanel();
    setupScreen_->ReloadMethodLists();
    if (work_ && work_->Config().iAUTOSAVE != 0 && !viewing_) Command(33);
    return code;
}

int TFBase::StartBlock(int code) {
    workScreen_->ControlBar().ShowStarted();
    // One number per test: a ПУСК while the test runs, or the work-mode
    // button, starts none.
    if (work_ && work_->State() != C_Work::kRunning) {
        testTimeDue_ = true;
        ++work_->Config().iNOMPROT;
        WriteProtocolNumber();
    }
    Command(242);
    return code;
}

int TFBase::StopBlock(int code) {
    workScreen_->ControlBar().ShowStopped();
    // The calculation redraws the result plot with its markers.
    drawnLater_ = {setupScreen_->Plot()};
    Command(243);
    drawnLater_.clear();
    Command(48);
    // The stop's calculation fixed the test's time; later ones keep it.
    testTimeDue_ = false;
    return code;
}

int TFBase::PauseBlock(int code) {
    workScreen_->ControlBar().ShowPaused();
    return code;
}

int TFBase::ChannelBlock(int code) {
    workScreen_->ControlBar().ShowChannel(code - 3);
    return code;
}

int TFBase::DirectionBlock(int code) {
    workScreen_->ControlBar().ShowDirectionDown(code == 40);
    return code;
}

int TFBase::GripBlock(int code) {
    const bool clamp = code == 12 || code == 15;
    // The grip's toggle shows the same, and the jog buttons obey the grips
    // whichever button moved them.
    tensionPanel_->ShowGrip(code <= 13, clamp);
    (code <= 13 ? upperGripClosed_ : lowerGripClosed_) = clamp;
    CrossheadInterlock(false);
    return code;
}

int TFBase::PumpBlock(int code) {
    PumpChanged(code == 17);
    return code;
}

int TFBase::CrossheadBlock(int code) {
    tensionPanel_->ShowCrosshead(code);
    compressionPanel_->ShowCrosshead(code);
    return code;
}

int TFBase::ZeroingBlock(int code) {
    const bool on = code <= 24;
    workScreen_->Readouts().ShowZeroing(on ? code - 21 : code - 24, on);
    return code;
}

namespace {

void SetZoneOutputs(C_Work& work, bool tension) {
    const C_Config& c = work.Config();
    if (console::ZoneOutputConfigured(c.iZONAR)) work.SetOutput(c.iZONAR, tension);
    if (console::ZoneOutputConfigured(c.iZONAS)) work.SetOutput(c.iZONAS, !tension);
}

}  // namespace

int TFBase::TensionZoneBlock(int code) {
    setupScreen_->ShowZone(true, false);
    if (work_) work_->testZone = 0;
    tensionPanel_->hide();
    compressionPanel_->hide();
    // The output buttons come up and their handlers enable the manual controls.
    tensionPanel_->SetOutputLocked(false);
    compressionPanel_->SetOutputLocked(false);
    OUTPUDClick();
    OUTPUD1Click();
    Command(5);
    workScreen_->Readouts().ShowZoneLimits(true);
    if (work_) {
        work_->DeviceCmd(0, 15);
        SetZoneOutputs(*work_, true);
    }
    return code;
}

int TFBase::CompressionZoneBlock(int code) {
    setupScreen_->ShowZone(false, true);
    if (work_) work_->testZone = 3;
    tensionPanel_->hide();
    compressionPanel_->hide();
    Command(5);
    workScreen_->Readouts().ShowZoneLimits(false);
    if (work_) {
        work_->DeviceCmd(3, 15);
        SetZoneOutputs(*work_, false);
    }
    return code;
}

int TFBase::ComputeBlock(int code) {
    C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    const int at = m != nullptr ? m->IndexOf("sTI") : -1;
    if (at < 0 || !testTimeDue_) return code;
    m->SetFromText(at, platform::TimeText(deps_.clock->Now()));
    // The lists show what the protocol prints.
    for (int group = 0; group < C_GostWorks::kLists; ++group)
        if (m->InGroup(at, group)) work_->Methods().RefreshList(group);
    // A calculation during the run is not the test's end.
    if (work_->State() != C_Work::kRunning) testTimeDue_ = false;
    return code;
}
