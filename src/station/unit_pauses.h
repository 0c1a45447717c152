#pragma once

#include <QObject>

#include <functional>

#include "platform/scheduler.h"

namespace station {

// The unit's pauses on the station's event loop: a precise single-shot
// timer, dropped with its context. A timer that fires early waits out the rest.
class TimerScheduler final : public platform::Scheduler {
public:
    explicit TimerScheduler(QObject* context) : context_(context) {}
    void After(int ms, std::function<void()> task) override;

private:
    QObject* context_;
};

}  // namespace station
