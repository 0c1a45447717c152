// The timers that drive the unit: the live sample every 50 ms, the status
// every 250 ms (the unit reports pump and grips back through the status
// listener), the cycle counter every second while the method cycles; and the
// timers that wait out the unit's pauses between keys.

#include <QFrame>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>

#include "console/message_panel.h"
#include "console/tfbase.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "link/c_connect.h"

namespace console {

namespace {

using PauseClock = std::chrono::steady_clock;

void ArmUntil(QObject* context, PauseClock::time_point due, std::function<void()> task) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - PauseClock::now());
    QTimer::singleShot(static_cast<int>(std::max<long long>(left.count(), 0)), Qt::PreciseTimer,
                       context, [context, due, task = std::move(task)]() mutable {
                           if (PauseClock::now() < due) {
                               ArmUntil(context, due, std::move(task));
                               return;
                           }
                           task();
                       });
}

}  // namespace

void TimerScheduler::After(int ms, std::function<void()> task) {
    ArmUntil(context_, PauseClock::now() + std::chrono::milliseconds(ms), std::move(task));
}

}  // namespace console

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
    workScreen_->Readouts().ShowCycles(cycles);
}

namespace {
constexpr const char* kUnitSilent = "УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!";
}

// A unit that stops answering is reported once; after its first missed
// reply the link waits only briefly, and once silent reads with a brief
// probe about once a second, so polling goes on without stalling the window
// and picks up when the unit answers again.
void TFBase::CheckUnitAnswers() {
    C_Connect* unit = work_->Connected() ? work_->Unit() : nullptr;
    if (unit == nullptr) return;
    if (unit->Answering()) {
        // The report no longer holds; a message shown over it since stays.
        if (unitSilentReported_ && MessageText() == kUnitSilent) CloseMes();
        unitSilentReported_ = false;
        return;
    }
    // Never over a question the operator has not answered yet; a later tick tells.
    if (unitSilentReported_ || !messagePanel_->isHidden()) return;
    unitSilentReported_ = true;
    ShowMes(kUnitSilent, 1, 0);
}
