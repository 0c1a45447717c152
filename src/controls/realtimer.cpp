#include "controls/realtimer.h"

TRealTimer::TRealTimer(platform::TaskPoster& ui, const PerformanceCounter* counter)
    : times_(ui, counter) {}

TRealTimer::~TRealTimer() {
    times_.Suspend();
}

void TRealTimer::SetEnable(bool on) {
    enabled_ = on;
    if (on) {
        times_.onTimed = OnTimed;
        times_.Resume();
    } else {
        times_.Suspend();
    }
}

void TRealTimer::SetMillisec(int n) {
    millisec_ = n;
    times_.clock.SetResolution(n);
}
