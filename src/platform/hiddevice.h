#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One HID interface, open for as long as the handle lives.
class HidHandle {
public:
    // Device strings are read as at most this many wide characters and
    // converted to at most kMaxStringBytes of UTF-8.
    static constexpr size_t kMaxStringChars = 500;
    static constexpr size_t kMaxStringBytes = 1000;

    virtual ~HidHandle() = default;

    // UTF-8; "" when the device has no such string.
    virtual std::string Manufacturer() = 0;
    virtual std::string Product() = 0;

    // report[0] is the report identifier. Returns the bytes the device took,
    // identifier included, or -1.
    virtual int SetFeature(std::span<const std::uint8_t> report) = 0;
    // buffer[0] holds the identifier of the report wanted; the report is read
    // into the buffer, identifier first. Returns the bytes read, identifier
    // included, or -1.
    virtual int GetFeature(std::span<std::uint8_t> buffer) = 0;
};

// The HID devices of the machine.
class HidBackend {
public:
    virtual ~HidBackend() = default;

    // False when the HID library cannot be used at all.
    virtual bool Usable() = 0;
    // The device path of every HID interface present now.
    virtual std::vector<std::string> Enumerate() = 0;
    // Nothing when the path cannot be opened.
    virtual std::unique_ptr<HidHandle> Open(const std::string& path) = 0;
};

// The machine's HID devices through hidapi (hidraw).
std::unique_ptr<HidBackend> SystemHidBackend();

// UTF-8 of a wide string, cut at a character boundary so that it fits in
// maxBytes. Values that are no Unicode character become U+FFFD.
std::string WideToUtf8(std::wstring_view text, size_t maxBytes);

}  // namespace platform
