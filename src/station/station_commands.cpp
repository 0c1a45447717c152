// The dispatcher: every button, panel, timer and engine event acts through
// StationController::Command. The station's blocks are tried in their fixed
// order; a block that implies other codes runs them through Command, each
// to its end (engine part included), before it goes on; the engine gets the
// code last. What a block shows leaves as a signal at its place in the block.

#include <string>

#include "engine/cwork.h"
#include "engine/eventsink.h"
#include "engine/protocolmaker.h"
#include "platform/clock.h"
#include "station/station_controller.h"
#include "station/station_files.h"
#include "station/station_manual.h"
#include "station/station_program.h"
#include "station/station_rules.h"
#include "station/station_verification.h"

namespace station {

namespace {

struct Block {
    int code;
    int (StationController::*run)(int code);
};

constexpr const char* kEngineMessages[] = {
    "ДОСТИГНУТА УСТАВКА ПО F!!!",       "ДОСТИГНУТА УСТАВКА ПО L!!!",
    "ДОСТИГНУТА УСТАВКА ПО E!!!",       "ДОСТИГНУТА ЗАЩИТА ПО F!!!",
    "ДОСТИГНУТА ЗАЩИТА ПО L!!!",        "ДОСТИГНУТА ЗАЩИТА ПО E!!!",
    "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!", "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО L!!!",
    "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО E!!!"};

}  // namespace

void StationController::Command(int code) {
    using S = StationController;
    // The station's blocks in the order they are tried.
    static constexpr Block kBlocks[] = {
        {244, &S::StartUpBlock},
        {245, &S::ExitBlock},
        {246, &S::PowerOffBlock},
        {49, &S::EngineEventBlock},
        {52, &S::EngineEventBlock},
        {55, &S::EngineEventBlock},
        {50, &S::EngineEventBlock},
        {53, &S::EngineEventBlock},
        {56, &S::EngineEventBlock},
        {51, &S::EngineEventBlock},
        {54, &S::EngineEventBlock},
        {57, &S::EngineEventBlock},
        {32, &S::NewTestBlock},
        {61, &S::ClearPlotBlock},
        {33, &S::SaveBlock},
        {34, &S::OpenBlock},
        {35, &S::PrintBlock},
        {36, &S::NothingBlock},
        {37, &S::NothingBlock},
        {64, &S::PoverkaBlock},
        {65, &S::PoverkaBlock},
        {66, &S::PoverkaBlock},
        {80, &S::HelpBlock},
        {241, &S::SetUpModeBlock},
        {242, &S::WorkModeBlock},
        {243, &S::ResultModeBlock},
        {240, &S::HideControlPanelBlock},
        {1, &S::StartBlock},
        {2, &S::StopBlock},
        {38, &S::PauseBlock},
        {4, &S::ChannelBlock},
        {5, &S::ChannelBlock},
        {6, &S::ChannelBlock},
        {12, &S::GripBlock},
        {13, &S::GripBlock},
        {15, &S::GripBlock},
        {16, &S::GripBlock},
        {17, &S::PumpBlock},
        {18, &S::PumpBlock},
        {19, &S::CrossheadBlock},
        {20, &S::CrossheadBlock},
        {21, &S::CrossheadBlock},
        {22, &S::ZeroingBlock},
        {25, &S::ZeroingBlock},
        {23, &S::ZeroingBlock},
        {26, &S::ZeroingBlock},
        {24, &S::ZeroingBlock},
        {27, &S::ZeroingBlock},
        {7, &S::DirectionBlock},
        {40, &S::DirectionBlock},
        {68, &S::TensionZoneBlock},
        {67, &S::CompressionZoneBlock},
        {48, &S::ComputeBlock},
        {kLeavePoverkaCode, &S::LeavePoverkaBlock},
        {kOverwriteCode, &S::OverwriteBlock},
    };
    // Whatever sends it (a button, a program, a posted event), a jog with the
    // specimen held in both grips goes nowhere.
    if (IsJogCode(code) && JogLocked()) return;
    emit commandDispatched(code);
    for (const Block& b : kBlocks) {
        // Start-up goes on as set-up mode: the blocks after it see 241.
        if (b.code == code) code = (this->*b.run)(code);
    }
    emit engineCommand(code);
    if (work_) work_->Command(code);
    // The calculation wrote its results into the method's lists; the scan of
    // condition lines ends with it.
    if (code == 48) {
        emit resultsComputed();
        program_->StopConditionScan();
    }
    // Once the test has stopped: the calculation cleared what another test
    // left, and the operator learns why the results are empty.
    if (code == 2 && work_ && !work_->Methods().HasTest()) ShowMes("НЕТ ДАННЫХ ДЛЯ РАСЧЕТА", 1, 0);
}

void StationController::Post(int code) {
    deps_.events->post(code);
}

void StationController::ShowResultMode(Redraw later) {
    redrawLater_ = later;
    Command(243);
    redrawLater_ = kRedrawNone;
}

// ----- blocks

int StationController::EngineEventBlock(int code) {
    ShowMes(kEngineMessages[code - 49], 1, 0);
    return code;
}

int StationController::NewTestBlock(int code) {
    if (!work_) return code;
    work_->ResetForLoad();
    Command(21);
    Command(5);
    Command(7);
    Command(241);
    // The method shown is chosen again.
    emit newTestChoosing();
    SyncZone();
    emit protocolNumberShown(QString::fromStdString(ModeCaptionText()));
    if (C_Parametr* m = work_->Methods().Current()) m->ResetManualPoints();
    // Nothing of the test before stays shown: its curve, markers and results.
    emit newTestShown();
    ShowResults();
    return code;
}

int StationController::ClearPlotBlock(int code) {
    if (work_) work_->ClearBuffer();
    return code;
}

int StationController::SaveBlock(int code) {
    // The panel is placed for the method chosen, then gets its folder.
    emit saveRequested();
    files_->MakeMethodFolder();
    return code;
}

int StationController::OpenBlock(int code) {
    emit openRequested();
    return code;
}

int StationController::PrintBlock(int code) {
    if (!work_ || report_ == nullptr) return code;
    // A protocol is this test's or none: without a recording the lists hold
    // only what another test or the template left.
    if (!work_->Methods().HasTest()) {
        ShowMes("НЕТ ИСПЫТАНИЯ ДЛЯ ПЕЧАТИ", 1, 0);
        return code;
    }
    emit printRequested();
    return code;
}

int StationController::NothingBlock(int code) {
    return code;
}

int StationController::PoverkaBlock(int code) {
    verification_->StartPoverka(code - 64);
    return code;
}

int StationController::HelpBlock(int code) {
    emit modeShown(80, kRedrawNone);
    return code;
}

int StationController::HideControlPanelBlock(int code) {
    emit controlBarShown(false);
    Command(241);
    return code;
}

int StationController::SetUpModeBlock(int code) {
    emit modeShown(241, kRedrawNone);
    return code;
}

int StationController::WorkModeBlock(int code) {
    emit modeShown(242, kRedrawNone);
    if (work_) {
        emit protocolNumberShown(QString::fromStdString(ModeCaptionText()));
        C_Parametr* m = work_->Methods().Current();
        if (m != nullptr && m->IndexOf("fOX") >= 0)
            m->SetMaxText("sGO", std::to_string(ProtocolNumber()));
    }
    viewing_ = false;
    return code;
}

int StationController::ResultModeBlock(int code) {
    emit modeShown(243, redrawLater_);
    if (work_ && work_->Config().iAUTOSAVE != 0 && !viewing_) Command(33);
    return code;
}

int StationController::StartBlock(int code) {
    emit runShown(1);
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

int StationController::StopBlock(int code) {
    emit runShown(2);
    // The calculation redraws the result plot with its markers.
    ShowResultMode(kRedrawResultPlot);
    Command(48);
    // The stop's calculation fixed the test's time; later ones keep it.
    testTimeDue_ = false;
    return code;
}

int StationController::PauseBlock(int code) {
    emit runShown(38);
    return code;
}

int StationController::ChannelBlock(int code) {
    emit channelShown(code - 3);
    return code;
}

int StationController::DirectionBlock(int code) {
    emit directionShown(code == 40);
    return code;
}

int StationController::GripBlock(int code) {
    const bool clamp = code == 12 || code == 15;
    const bool upper = code <= 13;
    SetGrip(upper, clamp);
    // The grip's buttons show it, and the jog buttons obey the grips
    // whichever button moved them.
    emit gripsShown(upper ? std::optional<bool>(clamp) : std::nullopt,
                    upper ? std::nullopt : std::optional<bool>(clamp));
    CrossheadInterlock(false);
    return code;
}

int StationController::PumpBlock(int code) {
    PumpChanged(code == 17);
    return code;
}

int StationController::CrossheadBlock(int code) {
    emit crossheadShown(code);
    return code;
}

int StationController::ZeroingBlock(int code) {
    emit zeroingShown(code);
    return code;
}

void StationController::SetZoneOutputs(bool tension) {
    const C_Config& c = work_->Config();
    if (ZoneOutputConfigured(c.iZONAR)) work_->SetOutput(c.iZONAR, tension);
    if (ZoneOutputConfigured(c.iZONAS)) work_->SetOutput(c.iZONAS, !tension);
}

int StationController::TensionZoneBlock(int code) {
    if (work_) work_->testZone = 0;
    emit zoneShown(0);
    // The output buttons come up and the manual controls are free again.
    manual_->ReleaseOutputs();
    Command(5);
    if (work_) {
        work_->DeviceCmd(0, 15);
        SetZoneOutputs(true);
    }
    return code;
}

int StationController::CompressionZoneBlock(int code) {
    if (work_) work_->testZone = 3;
    emit zoneShown(3);
    Command(5);
    if (work_) {
        work_->DeviceCmd(3, 15);
        SetZoneOutputs(false);
    }
    return code;
}

int StationController::ComputeBlock(int code) {
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

int StationController::LeavePoverkaBlock(int code) {
    verification_->LeaveAnswered();
    return code;
}

int StationController::OverwriteBlock(int code) {
    files_->OverwriteAnswered();
    return code;
}

}  // namespace station
