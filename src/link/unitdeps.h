#pragma once

#include <memory>
#include <optional>
#include <string>

#include "link/qlm_connect.h"

namespace platform {
class MessageSink;
class Scheduler;
class Sleeper;
}  // namespace platform
class SampleSink;

// Makes the links the unit tries in turn. A kind that does not exist here
// gives nullptr and is skipped.
class LinkFactory {
public:
    virtual ~LinkFactory() = default;
    virtual std::unique_ptr<QLM_CONNECT> MakeSerial(LinkContext context) = 0;
    virtual std::unique_ptr<QLM_CONNECT> MakeUsb(LinkContext /*context*/) { return nullptr; }
    virtual std::unique_ptr<QLM_CONNECT> MakeUdp(LinkContext /*context*/,
                                                 const std::string& /*address*/, int /*port*/) {
        return nullptr;
    }
};

// Pump and grip state as the unit reports it after a status read; the
// console shows it on its buttons.
class UnitStatusListener {
public:
    virtual ~UnitStatusListener() = default;
    virtual void PumpChanged(bool running) = 0;
    // A grip whose output is not configured is reported as nullopt.
    virtual void GripsChanged(std::optional<bool> upperClosed, std::optional<bool> lowerClosed) = 0;
};

// Everything the unit takes from outside.
struct UnitDeps {
    platform::Sleeper& sleeper;
    SampleSink& samples;
    platform::MessageSink& messages;
    LinkFactory& links;
    UnitStatusListener* status = nullptr;
    // The program-wide test zone: 0 tension, 3 compression. Null reads as 0.
    const int* testZone = nullptr;
    // Waits out the pauses between keys on the event loop of the thread that
    // sends. Null: the pauses are slept there.
    platform::Scheduler* scheduler = nullptr;
};
