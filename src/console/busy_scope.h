#pragma once

#include <string>

class TFBase;

namespace console {

// While it lives the operator sees the station busy: the wait cursor, and
// `text` on the message panel without a button, painted before the work
// starts, since the window answers nothing until the work ends. Both go
// when it ends, however the work ended; a message the work showed in its
// place stays, and file errors reported meanwhile follow.
class BusyScope {
public:
    BusyScope(TFBase& window, const std::string& text);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TFBase& window_;
};

}  // namespace console
