#include "link/stationlinks.h"

#include <utility>

#include "link/qlm_com.h"
#include "platform/serialport.h"

StationLinks::StationLinks(std::vector<std::string> serialCandidates)
    : serialCandidates_(std::move(serialCandidates)) {}

std::unique_ptr<QLM_CONNECT> StationLinks::MakeSerial(LinkContext context) {
    // Listed now rather than at start, so that an adapter plugged in since is found.
    return std::make_unique<QLM_COM>(
        context, serialCandidates_ ? *serialCandidates_ : platform::ListSerialPorts());
}
