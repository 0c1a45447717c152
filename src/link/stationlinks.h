#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/unitdeps.h"

namespace platform {
class HidBackend;
class TaskPoster;
}  // namespace platform

// The links of the real station. The serial link tries the serial devices
// found when it is made, or the candidates it was given; the USB link the
// HID interfaces present; the UDP link the configured address, handing the
// samples the unit pushes to `ui` (without one there is no UDP link).
class StationLinks : public LinkFactory {
public:
    explicit StationLinks(platform::TaskPoster* ui = nullptr);
    explicit StationLinks(std::vector<std::string> serialCandidates,
                          platform::TaskPoster* ui = nullptr);
    ~StationLinks() override;

    std::unique_ptr<QLM_CONNECT> MakeSerial(LinkContext context) override;
    std::unique_ptr<QLM_CONNECT> MakeUsb(LinkContext context) override;
    std::unique_ptr<QLM_CONNECT> MakeUdp(LinkContext context, const std::string& address,
                                         int port) override;

private:
    std::optional<std::vector<std::string>> serialCandidates_;
    platform::TaskPoster* ui_ = nullptr;
    // Made on first use and kept: a link made from it may outlive the call.
    std::unique_ptr<platform::HidBackend> hid_;
};
