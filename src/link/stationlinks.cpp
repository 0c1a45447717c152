#include "link/stationlinks.h"

#include <utility>

#include "link/qlm_com.h"
#include "link/qlm_udp.h"
#include "link/qlm_usb.h"
#include "platform/hiddevice.h"
#include "platform/serialport.h"
#include "platform/taskqueue.h"

StationLinks::StationLinks(platform::TaskPoster* ui) : ui_(ui) {}

StationLinks::StationLinks(std::vector<std::string> serialCandidates, platform::TaskPoster* ui)
    : serialCandidates_(std::move(serialCandidates)), ui_(ui) {}

StationLinks::~StationLinks() = default;

std::unique_ptr<QLM_CONNECT> StationLinks::MakeSerial(LinkContext context) {
    // Listed now rather than at start, so that an adapter plugged in since is found.
    return std::make_unique<QLM_COM>(
        context, serialCandidates_ ? *serialCandidates_ : platform::ListSerialPorts());
}

std::unique_ptr<QLM_CONNECT> StationLinks::MakeUsb(LinkContext context) {
    if (!hid_) hid_ = platform::SystemHidBackend();
    if (!hid_) return nullptr;
    return std::make_unique<QLM_USB>(context, *hid_);
}

std::unique_ptr<QLM_CONNECT> StationLinks::MakeUdp(LinkContext context, const std::string& address,
                                                   int port) {
    if (ui_ == nullptr) return nullptr;
    auto link = std::make_unique<QLM_UDP>(context, *ui_);
    link->SetAddress(address, port);
    return link;
}
