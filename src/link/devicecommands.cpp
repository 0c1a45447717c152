#include "link/devicecommands.h"

#include <array>

namespace {

using B = RegisterImage::Block;
using D = Direction;
using P = Payload;

class TableBuilder {
public:
    std::array<DeviceCommand, 255> rows{};
    std::array<bool, 255> present{};

    void Block(int code, int block, D dir, bool decode = true, int sleepMs = 0) {
        const auto b = static_cast<B>(block);
        Set(code, {static_cast<std::uint8_t>(code), P::kBlock, b,
                   static_cast<std::uint8_t>(RegisterImage::Length(b)), dir, decode, sleepMs});
    }
    void Range(int first, int last, int firstBlock, D dir, int sleepMs = 0) {
        for (int c = first; c <= last; ++c)
            Block(c, firstBlock + (c - first), dir, true, sleepMs);
    }
    void Command(int code, bool decode = true, int sleepMs = 0) {
        Set(code, {static_cast<std::uint8_t>(code), P::kNone, B::kIdentification, 0, D::kCommand,
                   decode, sleepMs});
    }
    void ParamByte(int code) {
        Set(code,
            {static_cast<std::uint8_t>(code), P::kParamByte, B::kParameter, 1, D::kWrite, true, 0});
    }
    void Set(int code, DeviceCommand row) {
        rows[static_cast<size_t>(code)] = row;
        present[static_cast<size_t>(code)] = true;
    }
};

TableBuilder Build() {
    TableBuilder t;
    t.Block(0, B::kIdentification, D::kRead, false);
    t.rows[0].length = 6;  // the serial unit answers six bytes; UDP reads its own seven
    t.Block(1, B::kLive, D::kRead);
    t.Block(2, B::kCode2, D::kRead);
    t.Block(3, B::kCode3, D::kRead);
    t.Command(4);
    t.ParamByte(5);
    t.Command(6, true, 100);
    t.Command(7);
    t.Command(8);
    t.Block(9, B::kCode9, D::kRead);
    t.Block(11, B::kAmbientTemperature, D::kRead);
    t.Block(12, B::kCode12, D::kRead);
    t.Block(13, B::kCode13, D::kRead);
    t.Range(14, 19, B::kChannelTable1, D::kWrite);
    t.Range(20, 25, B::kChannelTable1, D::kRead);
    t.Range(32, 35, B::kEight1, D::kWrite);
    t.Range(36, 39, B::kEight1, D::kRead);
    t.Block(40, B::kOutputWord, D::kWrite);
    t.Block(41, B::kInputWord, D::kRead);
    t.Range(42, 45, B::kForty1, D::kWrite);
    t.Range(50, 53, B::kForty1, D::kRead);
    t.Block(58, B::kOutputWord, D::kRead);
    t.Block(59, B::kBlock32For59, D::kWrite);
    t.Block(60, B::kBlock32For59, D::kRead);
    t.Block(61, B::kBlock144, D::kWrite);
    t.Block(62, B::kBlock144, D::kRead);
    t.Range(64, 65, B::kBlock36First, D::kWrite);
    t.Range(68, 69, B::kBlock36First, D::kRead);
    t.Block(72, B::kBlock36For72, D::kWrite);
    t.Block(73, B::kBlock36For72, D::kRead);
    t.Block(74, B::kBlock36For72, D::kWrite);
    t.Block(76, B::kBlock250, D::kWrite);
    t.Block(77, B::kBlock250, D::kRead);
    t.Block(78, B::kBlock20, D::kWrite);
    t.Block(79, B::kBlock20, D::kRead);
    t.Range(80, 85, B::kChannel1, D::kWrite);
    t.ParamByte(92);
    t.ParamByte(93);
    t.Block(94, B::kCycleProgram, D::kWrite);
    t.Block(95, B::kStatus, D::kRead);
    t.Range(96, 101, B::kChannel1, D::kRead, 150);
    t.Block(109, B::kCode109, D::kWrite, false);
    t.Block(110, B::kBendProtection, D::kWrite);
    t.Block(111, B::kBendProtection, D::kWriteWithReply);
    t.Block(112, B::kBlock32For112, D::kWrite);
    t.Block(113, B::kBlock32For112, D::kRead);
    t.Block(114, B::kSetpoints, D::kRead);
    t.Block(115, B::kSetpoints, D::kWrite);
    t.Set(117, {117, P::kParamFloat, B::kParameter, 4, D::kWrite, true, 0});
    t.Block(119, B::kCode119, D::kWrite);
    t.Block(120, B::kCycleProgram, D::kRead);
    t.ParamByte(128);
    t.ParamByte(129);
    t.Block(130, B::kMotion, D::kWrite);
    t.Set(131, {131, P::kNoTransfer, B::kIdentification, 0, D::kCommand, true, 0});
    t.Block(132, B::kBlock6For132, D::kWrite);
    t.Block(133, B::kBlock6For132, D::kRead);
    t.Block(134, B::kBlock6For134, D::kWrite);
    t.Block(135, B::kBlock6For134, D::kRead);
    t.Block(138, B::kBlock32For138, D::kWrite);
    t.Block(139, B::kBlock32For138, D::kRead);
    t.Block(140, B::kBlock8For140, D::kWrite);
    t.Block(141, B::kBlock8For140, D::kRead);
    t.Range(144, 149, B::kBlock84First, D::kWrite);
    t.Range(150, 155, B::kBlock84First, D::kRead);
    t.Command(160);
    t.ParamByte(161);
    t.Range(162, 167, B::kBlock28First, D::kWrite);
    t.Range(168, 173, B::kBlock28First, D::kRead);
    t.Command(174, false);
    t.Set(254, {254, P::kRawText, B::kIdentification, 0, D::kRawText, true, 0});
    return t;
}

const TableBuilder& Table() {
    static const TableBuilder table = Build();
    return table;
}

}  // namespace

const DeviceCommand* FindDeviceCommand(int code) {
    if (code < 0 || code > 254) return nullptr;
    const TableBuilder& t = Table();
    return t.present[static_cast<size_t>(code)] ? &t.rows[static_cast<size_t>(code)] : nullptr;
}
