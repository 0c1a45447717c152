// The timers that drive the unit: the live sample every 50 ms, the status
// every 250 ms (the unit reports pump and grips back through the status
// listener), the cycle counter every second while the method cycles.

#include <QFrame>

#include "console/tfbase.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "link/c_connect.h"

void TFBase::Timer5Timer() {
    if (!work_) return;
    // The decoder hands the sample to the engine; the value is not used.
    work_->ReadDevice(unit_value::kLiveSample);
    CheckUnitAnswers();
}

void TFBase::Timer4Timer() {
    if (!work_) return;
    work_->ReadDevice(unit_value::kStatus);
    CheckUnitAnswers();
}

void TFBase::TimerGetCyklTimer() {
    if (!work_) return;
    const C_Parametr* m = work_->Methods().Current();
    const bool cycles = m != nullptr && m->IndexOf("iMULTICYCLE") >= 0;
    if (cycles) work_->ReadDevice(unit_value::kCyclesDone);
    Datchik4->setVisible(cycles);
}

// A unit that stops answering is reported once; the link itself then reads
// with a short probe about once a second, so polling goes on without
// stalling the window and picks up when the unit answers again.
void TFBase::CheckUnitAnswers() {
    C_Connect* unit = work_->Connected() ? work_->Unit() : nullptr;
    if (unit == nullptr) return;
    if (unit->Answering()) {
        unitSilentReported_ = false;
        return;
    }
    // Never over a question the operator has not answered yet; a later tick tells.
    if (unitSilentReported_ || !Messager->isHidden()) return;
    unitSilentReported_ = true;
    ShowMes("УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!", 1, 0);
}
