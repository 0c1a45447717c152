#pragma once

// Where the engine reports to the console: a console command code per event.
// Posting only queues the code; the console handles it later on its own
// thread, in the order posted, never inside the call that posted it.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void post(int code) = 0;
};
