#pragma once

#include <functional>

#include "controls/times.h"

// A non-visual timer that fires OnTimed on the user-interface thread each
// time a count in units of 1/Millisec of a second moves on.
class TRealTimer {
public:
    explicit TRealTimer(platform::TaskPoster& ui, const PerformanceCounter* counter = nullptr);
    ~TRealTimer();
    TRealTimer(const TRealTimer&) = delete;
    TRealTimer& operator=(const TRealTimer&) = delete;

    bool Enabled() const { return enabled_; }
    // On: the worker takes the current OnTimed and runs; off: it is suspended.
    void SetEnable(bool on);
    int Millisec() const { return millisec_; }
    // Ticks per second; a running timer counts on from its start.
    void SetMillisec(int n);

    // Called with the worker as its sender.
    TTimes::Handler OnTimed;

private:
    bool enabled_ = false;
    int millisec_ = 1000;
    TTimes times_;
};
