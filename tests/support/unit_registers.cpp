#include "support/unit_registers.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "link/devicecommands.h"

namespace testsupport {

namespace {

constexpr size_t kLiveLength = 32;

void PutFloat(std::vector<std::uint8_t>& block, int index, double value) {
    if (index < 0 || index >= 8) return;
    const float f = static_cast<float>(value);
    std::memcpy(block.data() + 4 * index, &f, sizeof f);
}

}  // namespace

void UnitRegisters::SetBlock(int code, const std::vector<std::uint8_t>& bytes) {
    const DeviceCommand* row = FindDeviceCommand(code);
    if (row == nullptr) return;
    auto block = image.Bytes(row->block);
    std::copy_n(bytes.begin(), std::min(bytes.size(), block.size()), block.begin());
}

std::vector<std::uint8_t> UnitRegisters::Block(int code) const {
    const DeviceCommand* row = FindDeviceCommand(code);
    if (row == nullptr) return {};
    auto block = image.Bytes(row->block);
    const size_t n = std::min<size_t>(row->length, block.size());
    return {block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n)};
}

void UnitRegisters::SetCurve(std::vector<CurveRow> rows, int forceInput, int displacementInput) {
    curve_ = std::move(rows);
    next_ = 0;
    forceInput_ = forceInput;
    displacementInput_ = displacementInput;
}

std::vector<std::uint8_t> UnitRegisters::LiveBlockOf(const CurveRow& row) const {
    std::vector<std::uint8_t> block(kLiveLength, 0);
    PutFloat(block, 0, row.time);
    PutFloat(block, 3, row.extensometer);
    PutFloat(block, 1 + forceInput_, row.force);
    PutFloat(block, 1 + displacementInput_, row.displacement);
    return block;
}

std::vector<std::uint8_t> UnitRegisters::NextLiveBlock() {
    if (!curve_.empty()) {
        const CurveRow& row = curve_[std::min(next_, curve_.size() - 1)];
        if (next_ < curve_.size()) ++next_;
        SetBlock(device_code::kLiveSample, LiveBlockOf(row));
    }
    return Block(device_code::kLiveSample);
}

std::vector<std::uint8_t> UnitRegisters::Serve(int code, const std::vector<std::uint8_t>& data,
                                               bool& answer) {
    answer = false;
    const DeviceCommand* row = FindDeviceCommand(code);
    if (row == nullptr) return {};
    auto block = image.Bytes(row->block);
    const size_t length = std::min<size_t>(row->length, block.size());
    const bool writes =
        row->direction == Direction::kWrite || row->direction == Direction::kWriteWithReply;
    if (writes && data.size() == length) std::copy(data.begin(), data.end(), block.begin());
    if (row->direction != Direction::kRead && row->direction != Direction::kWriteWithReply) {
        return {};
    }
    answer = true;
    return {block.begin(), block.begin() + static_cast<std::ptrdiff_t>(length)};
}

std::uint8_t SumOfData(const std::vector<std::uint8_t>& data) {
    unsigned s = 0;
    for (std::uint8_t b : data)
        s += b;
    return static_cast<std::uint8_t>(s);
}

std::uint8_t SumOfAll(int code, const std::vector<std::uint8_t>& data) {
    return static_cast<std::uint8_t>(code + static_cast<int>(data.size()) + SumOfData(data));
}

std::vector<std::uint8_t> MakeUnitFrame(int code, const std::vector<std::uint8_t>& data,
                                        int variant, bool corrupt) {
    const std::vector<std::uint8_t> body(
        data.begin(),
        data.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(data.size(), 255)));
    const size_t n = body.size();
    std::vector<std::uint8_t> f(n + 7);
    f[0] = '!';
    f[1] = '%';
    f[2] = static_cast<std::uint8_t>(code);
    f[3] = static_cast<std::uint8_t>(n);
    std::copy(body.begin(), body.end(), f.begin() + 4);
    std::uint8_t sum = variant == 1 ? SumOfData(body) : SumOfAll(code & 0xFF, body);
    if (corrupt) sum ^= 0x5A;
    f[4 + n] = sum;
    f[5 + n] = '#';
    f[6 + n] = '@';
    return f;
}

}  // namespace testsupport
