#pragma once

#include <string>

#include "station/station_controller.h"

namespace station {

// While it lives the operator sees the station busy: the wait cursor, and
// `text` on the message panel without a button, painted before the work
// starts, since the window answers nothing until the work ends. Both go
// when it ends, however the work ended; a message the work showed in its
// place stays, and file errors reported meanwhile follow.
class BusyScope {
public:
    BusyScope(StationController& station, const std::string& text) : station_(station) {
        station_.ShowBusy(text);
    }
    ~BusyScope() { station_.EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    StationController& station_;
};

}  // namespace station
