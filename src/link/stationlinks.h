#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/unitdeps.h"

// The links of the real station. The serial link tries the serial devices
// found when it is made, or the candidates it was given.
class StationLinks : public LinkFactory {
public:
    StationLinks() = default;
    explicit StationLinks(std::vector<std::string> serialCandidates);

    std::unique_ptr<QLM_CONNECT> MakeSerial(LinkContext context) override;

private:
    std::optional<std::vector<std::string>> serialCandidates_;
};
