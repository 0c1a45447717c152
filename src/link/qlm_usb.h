#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "link/qlm_connect.h"
#include "platform/hiddevice.h"

// The USB link: the device command transfers in HID feature reports. Every
// report opens the device path anew and closes it afterwards.
class QLM_USB : public QLM_CONNECT {
public:
    static constexpr const char* kUnknownDevice = "Unknown device";
    static constexpr const char* kFamilyWord = "QUELM";

    // Report identifiers and payload sizes.
    static constexpr std::uint8_t kLiveReport = 1;
    static constexpr std::uint8_t kHeaderReport = 3;
    static constexpr std::uint8_t kBlockReport = 4;
    static constexpr size_t kLiveSize = 32;
    static constexpr size_t kHeaderSize = 8;
    static constexpr size_t kBlockSize = 8;       // block bytes per report
    static constexpr size_t kBlockReadSize = 16;  // of which the first kBlockSize count
    static constexpr std::uint8_t kNoExtraByte = 255;

    QLM_USB(LinkContext context, platform::HidBackend& hid);

    // False with the link closed or the library missing, and for every
    // transfer that does not move a block: a command or a block of length 0
    // sends only the header.
    bool Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                  Direction direction) override;
    // Searches the HID interfaces for the first whose name begins with the
    // family word; the argument is not used.
    bool Open(int argument) override;
    void Close() override;

    // Lists the HID interfaces present and names each; returns how many.
    int Enumerate();
    // Makes interface `index` the current one, enumerating again when the
    // last list is too short.
    bool SelectDevice(int index);

    // One report to or from the current device. GetFeature fails and leaves
    // the destination as it was when the device sent fewer than `needed`
    // bytes after the report number (all of them unless told); bytes it did
    // not send read as 0.
    bool SetFeature(std::uint8_t report, std::span<const std::uint8_t> data);
    bool GetFeature(std::uint8_t report, std::span<std::uint8_t> destination,
                    size_t needed = SIZE_MAX);

    const std::vector<std::string>& Paths() const { return paths_; }
    // The name of a path as last enumerated; "" for a path never seen.
    std::string NameOf(const std::string& path) const;
    const std::string& CurrentPath() const { return currentPath_; }
    int CurrentIndex() const { return currentIndex_; }

private:
    std::string NameDevice(const std::string& path);
    bool ReadBlocks(std::uint8_t* block, std::uint8_t length, size_t blocks);
    bool WriteBlocks(const std::uint8_t* block, std::uint8_t length, size_t blocks);

    platform::HidBackend& hid_;
    std::vector<std::string> paths_;
    std::map<std::string, std::string> names_;
    std::string currentPath_;
    int currentIndex_ = 0;
};
