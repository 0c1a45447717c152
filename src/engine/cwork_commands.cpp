#include "engine/cwork.h"
#include "link/cycleprogramtarget.h"

void C_Work::Command(int code) {
    C_Connect* unit = connected_ ? unitInUse_ : nullptr;
    switch (code) {
        case 1:
            Start();
            break;
        case 2:
            if (unit) unit->HaltControl();
            state_ = kFinished;
            break;
        case 4:
        case 5:
        case 6:
            SelectChannel(code - 3);
            break;
        case 7:
            directionMode_ = 0;
            if (unit) unit->SetDirection(1);
            break;
        case 40:
            directionMode_ = 1;
            if (unit) unit->SetDirection(2);
            break;
        case 8:
            SpeedPlus();
            break;
        case 9:
            SpeedMinus();
            break;
        case 10:
            SpeedDouble();
            break;
        case 11:
            SpeedHalve();
            break;
        case 12:
            if (unit) unit->UpperGripClamp();
            break;
        case 13:
            if (unit) unit->UpperGripRelease();
            break;
        case 15:
            if (unit) unit->LowerGripClamp();
            break;
        case 16:
            if (unit) unit->LowerGripRelease();
            break;
        case 17:
            if (unit) unit->PumpOn();
            break;
        case 18:
            if (unit) unit->PumpOff();
            break;
        case 19:
        case 20:
            Jog(code);
            break;
        case 21:
            jogSpeed_ = 0.0;
            if (unit) unit->MoveStop();
            break;
        case 22:
        case 23:
            if (unit) unit->ZeroChannel(code - 21, true);
            break;
        case 25:
        case 26:
            if (unit) unit->ZeroChannel(code - 24, false);
            break;
        case 24:
            Channel(3).Tare();
            break;
        case 27:
            Channel(3).ClearTare();
            break;
        case 28:
        case 29:
            // The unit's reserved switch; no unit of this program acts on it.
            if (unit) unit->Reserved27(code == 28);
            break;
        case 34:
            state_ = kFinished;
            break;
        case 38:
            Pause();
            break;
        case 39:
            Resume();
            break;
        case 48:
            methods_->Calculate();
            methods_->RefreshList(3);
            break;
        case 58:
            SetSpeed(1.0f);
            break;
        case 59:
            SetSpeed(0.1f);
            break;
        case 60:
            SetSpeed(0.01f);
            break;
        case 62:
            SetSpeed(0.0f);
            break;
        case 241:
            state_ = kSetUp;
            if (unit) {
                unit->IdleControl();
                ResumeThread();
            }
            break;
        default:
            break;
    }
}

void C_Work::Start() {
    state_ = kRunning;
    ++testRun_;
    if (connected_) unitInUse_->PumpOn();
    recording_ = true;
    paused_ = false;
    for (int c : {1, 2, 3, 6})
        Channel(c).ResetPeak();
    buffer_->ClearAll();
    speedSetPoint_ = Channel(activeChannel_).GetSpeed();
    if (connected_) unitInUse_->SetSpeed(static_cast<float>(speedSetPoint_));
    for (int c : {1, 3, 2, 6})
        Channel(c).Arm();
    ResetTimeOrigin();
    StartUnit();
    MultiCycle();
}

void C_Work::Jog(int code) {
    const int other = code == 19 ? 20 : 19;
    // A reversal starts slow.
    if (lastJogCode_ == other) jogSpeed_ = 0.0;
    if (jogSpeed_ == 0.0) jogSpeed_ = 1.0;
    jogSpeed_ *= 2.0;
    const double limit = Channel(2).speedLimit;
    if (jogSpeed_ > limit) jogSpeed_ = limit;
    // The unit's jog keys carry no speed: the unit moves at its own jog rate.
    if (connected_) {
        if (code == 19)
            unitInUse_->MoveUp();
        else
            unitInUse_->MoveDown();
    }
    lastJogCode_ = code;
}

void C_Work::Pause() {
    if (connected_) unitInUse_->Pause();
    if (paused_) return;
    paused_ = true;
    pauseTime_ = sampleTime_;
    recording_ = false;
}

void C_Work::Resume() {
    if (connected_) unitInUse_->Resume();
    if (!paused_) return;
    paused_ = false;
    timeOrigin_ += sampleTime_ - pauseTime_;
    recording_ = true;
}

void C_Work::MultiCycle() {
    const C_Parametr* m = methods_->Current();
    if (m == nullptr || m->IndexOf("iMULTICYCLE") < 0 || m->GetInt("iMULTICYCLE") != 1) return;
    // The block lives in the unit: an unconnected one gets nothing.
    if (!connected_) return;
    auto* target = dynamic_cast<CycleProgramTarget*>(unitInUse_);
    if (target == nullptr) return;
    target->SetCycleProgramBlock(
        static_cast<float>(m->GetFloat("fISPD")), static_cast<float>(m->GetFloat("fIUP")),
        static_cast<float>(m->GetFloat("fIDP")), 0.0f, m->GetInt("iIC"), 3, 0);
    DeviceCmd(0, unit_code::kSendCycleProgram);
}
