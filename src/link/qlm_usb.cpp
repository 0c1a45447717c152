#include "link/qlm_usb.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>

#include "link/devicecommands.h"

namespace {

// The unit's header carries the first data byte of this code in its byte 3.
constexpr std::uint8_t kCodeWithExtraByte = device_code::kBendProtectionReadBack;

// Characters, not bytes: the manufacturer test counts letters of the name.
size_t CharacterCount(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

QLM_USB::QLM_USB(LinkContext context, platform::HidBackend& hid)
    : QLM_CONNECT(context), hid_(hid) {}

std::string QLM_USB::NameOf(const std::string& path) const {
    const auto it = names_.find(path);
    return it != names_.end() ? it->second : std::string();
}

std::string QLM_USB::NameDevice(const std::string& path) {
    const std::unique_ptr<platform::HidHandle> handle = hid_.Open(path);
    if (!handle) return kUnknownDevice;
    std::string name = handle->Manufacturer();
    if (CharacterCount(name) > 2) name += " " + handle->Product();
    return name;
}

int QLM_USB::Enumerate() {
    paths_.clear();
    if (!hid_.Usable()) return 0;
    for (std::string& path : hid_.Enumerate()) {
        // The name of this enumeration replaces the last one: appended, a
        // device once busy would never be chosen, and a chosen one would
        // carry its name twice.
        names_[path] = NameDevice(path);
        paths_.push_back(std::move(path));
    }
    return static_cast<int>(paths_.size());
}

bool QLM_USB::SelectDevice(int index) {
    if (index < 0) return false;
    const auto wanted = static_cast<size_t>(index) + 1;
    if (paths_.size() < wanted) Enumerate();
    if (paths_.size() < wanted) return false;
    currentPath_ = paths_[static_cast<size_t>(index)];
    return true;
}

bool QLM_USB::Open(int /*argument*/) {
    connected = 0;
    for (int i = 0;; ++i) {
        if (Enumerate() <= i) break;
        if (SelectDevice(i) && NameOf(currentPath_).starts_with(kFamilyWord)) {
            connected = 1;
            currentIndex_ = i;
            deviceName = NameOf(currentPath_);
            return true;
        }
    }
    // No transfer may reach a device that is not the unit.
    currentPath_.clear();
    currentIndex_ = 0;
    return false;
}

void QLM_USB::Close() {
    connected = 0;
}

bool QLM_USB::SetFeature(std::uint8_t report, std::span<const std::uint8_t> data) {
    if (currentPath_.empty() || !hid_.Usable()) return false;
    std::vector<std::uint8_t> buffer(data.size() + 1, 0);
    buffer[0] = report;
    std::copy(data.begin(), data.end(), buffer.begin() + 1);
    const std::unique_ptr<platform::HidHandle> handle = hid_.Open(currentPath_);
    if (!handle) return false;
    return handle->SetFeature(buffer) == static_cast<int>(buffer.size());
}

bool QLM_USB::GetFeature(std::uint8_t report, std::span<std::uint8_t> destination, size_t needed) {
    if (currentPath_.empty() || !hid_.Usable()) return false;
    std::vector<std::uint8_t> buffer(destination.size() + 1, 0);
    buffer[0] = report;
    const std::unique_ptr<platform::HidHandle> handle = hid_.Open(currentPath_);
    if (!handle) return false;
    // hidraw gives what the device sent: a report without the bytes that
    // carry meaning is not the report asked for; padding it may leave out.
    const int got = handle->GetFeature(buffer);
    const size_t least = 1 + std::min(needed, destination.size());
    if (got < static_cast<int>(least) || got > static_cast<int>(buffer.size())) return false;
    std::copy(buffer.begin() + 1, buffer.end(), destination.begin());
    return true;
}

bool QLM_USB::Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                       Direction direction) {
    if (!connected || !hid_.Usable()) return false;
    if (block == nullptr && length > 0) return false;

    if (code == device_code::kLiveSample) {
        // Reported as failed when the read fails, so that the decoder does not
        // hand the previous sample to the engine again.
        std::array<std::uint8_t, kLiveSize> live{};
        if (!GetFeature(kLiveReport, live)) return false;
        std::copy_n(live.begin(), std::min<size_t>(length, live.size()), block);
        return true;
    }

    // The unit knows no commands or writes with reply: both are read requests.
    if (direction == Direction::kCommand || direction == Direction::kWriteWithReply)
        direction = Direction::kRead;
    if (!SelectDevice(currentIndex_)) return false;

    const size_t blocks = length == 0 ? 1 : (length + kBlockSize - 1) / kBlockSize;
    std::array<std::uint8_t, kHeaderSize> header{};
    header[0] = code;
    header[1] = static_cast<std::uint8_t>(blocks);
    header[2] = static_cast<std::uint8_t>(direction);
    header[3] = code == kCodeWithExtraByte && length > 0 ? block[0] : kNoExtraByte;
    if (!SetFeature(kHeaderReport, header) || length < 1) return false;

    switch (direction) {
        case Direction::kWrite:
            return WriteBlocks(block, length, blocks);
        case Direction::kRead:
            return ReadBlocks(block, length, blocks);
        default:
            return false;
    }
}

bool QLM_USB::WriteBlocks(const std::uint8_t* block, std::uint8_t length, size_t blocks) {
    for (size_t k = 0; k < blocks; ++k) {
        std::array<std::uint8_t, kBlockSize> chunk{};
        const size_t at = k * kBlockSize;
        std::copy_n(block + at, std::min(kBlockSize, length - at), chunk.begin());
        if (!SetFeature(kBlockReport, chunk)) return false;
    }
    return true;
}

bool QLM_USB::ReadBlocks(std::uint8_t* block, std::uint8_t length, size_t blocks) {
    // Gathered apart and copied whole, so that a read failing half way does
    // not leave the block half new and half old.
    std::array<std::uint8_t, std::numeric_limits<std::uint8_t>::max()> staged{};
    for (size_t k = 0; k < blocks; ++k) {
        std::array<std::uint8_t, kBlockReadSize> report{};
        if (!GetFeature(kBlockReport, report, kBlockSize)) return false;
        const size_t at = k * kBlockSize;
        std::copy_n(report.begin(), std::min(kBlockSize, length - at), staged.begin() + at);
    }
    std::copy_n(staged.begin(), length, block);
    return true;
}
