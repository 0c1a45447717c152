// Datagrams a unit pushes to the UDP link: any bytes reach the live block
// only as a whole, checked frame of the live sample, and only then the
// decoder; nothing else of the register image ever changes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "link/qlm_udp.h"
#include "link/registerimage.h"
#include "platform/sleeper.h"
#include "platform/taskqueue.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

class CountingDecoder final : public ReplyDecoder {
public:
    void DecodeReply(int code) override {
        Require(code == 1);
        ++decoded;
    }
    int decoded = 0;
};

struct Rig {
    Rig() : link(LinkContext{image, sleeper, &decoder}, ui) {
        // Streaming starts with the first live request, even on a closed link;
        // the pushes are handed straight to the handler below.
        std::uint8_t live[32] = {};
        link.Transfer(1, live, 32, Direction::kRead);
        link.connected = 1;
    }
    RegisterImage image;
    platform::RealSleeper sleeper;
    platform::TaskQueue ui;
    CountingDecoder decoder;
    QLM_UDP link;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static Rig* rig = new Rig();
    const std::span<const std::uint8_t> live = rig->image.Bytes(RegisterImage::kLive);
    const std::vector<std::uint8_t> liveBefore(live.begin(), live.end());
    const int decodedBefore = rig->decoder.decoded;

    rig->link.UDPRead(std::span<const std::uint8_t>(data, size));

    const bool decoded = rig->decoder.decoded != decodedBefore;
    Require(rig->decoder.decoded - decodedBefore <= 1);
    if (!decoded) Require(std::equal(live.begin(), live.end(), liveBefore.begin()));
    if (decoded) {
        // A whole frame of the live sample with at least its 32 bytes.
        Require(size >= 7 + 32 && data[0] == '!' && data[1] == '%' && data[2] == 1);
        Require(std::equal(live.begin(), live.begin() + 32, data + 4));
    }
    return 0;
}
