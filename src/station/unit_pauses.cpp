#include "station/unit_pauses.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <utility>

namespace station {

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

}  // namespace station
