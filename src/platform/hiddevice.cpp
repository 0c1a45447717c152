#include "platform/hiddevice.h"

#include <hidapi.h>

#include <array>

#include "platform/cp1251.h"

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

size_t Utf8Length(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

class HidapiHandle final : public HidHandle {
public:
    explicit HidapiHandle(hid_device* device) : device_(device) {}
    ~HidapiHandle() override { hid_close(device_); }
    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    std::string Manufacturer() override { return ReadString(hid_get_manufacturer_string); }
    std::string Product() override { return ReadString(hid_get_product_string); }

    int SetFeature(std::span<const std::uint8_t> report) override {
        if (report.empty()) return -1;
        return hid_send_feature_report(device_, report.data(), report.size());
    }

    int GetFeature(std::span<std::uint8_t> buffer) override {
        if (buffer.empty()) return -1;
        const int got = hid_get_feature_report(device_, buffer.data(), buffer.size());
        // A count past the buffer would be the library's fault; never pass it on.
        return got > static_cast<int>(buffer.size()) ? -1 : got;
    }

private:
    using StringReader = int (*)(hid_device*, wchar_t*, size_t);

    std::string ReadString(StringReader read) {
        std::array<wchar_t, kMaxStringChars + 1> text{};
        if (read(device_, text.data(), text.size()) != 0) return {};
        text.back() = L'\0';
        return WideToUtf8(std::wstring_view(text.data()), kMaxStringBytes);
    }

    hid_device* device_;
};

class HidapiBackend final : public HidBackend {
public:
    bool Usable() override {
        // Initialised once for the process and never released, so that any
        // number of backends may come and go.
        static const bool initialised = hid_init() == 0;
        return initialised;
    }

    std::vector<std::string> Enumerate() override {
        std::vector<std::string> paths;
        if (!Usable()) return paths;
        hid_device_info* list = hid_enumerate(0, 0);
        for (const hid_device_info* d = list; d != nullptr; d = d->next)
            paths.emplace_back(d->path != nullptr ? d->path : "");
        hid_free_enumeration(list);
        return paths;
    }

    std::unique_ptr<HidHandle> Open(const std::string& path) override {
        if (!Usable() || path.empty()) return nullptr;
        hid_device* device = hid_open_path(path.c_str());
        if (device == nullptr) return nullptr;
        return std::make_unique<HidapiHandle>(device);
    }
};

}  // namespace

std::string WideToUtf8(std::wstring_view text, size_t maxBytes) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            // UTF-16: a high surrogate followed by a low one is one character.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                const auto low = static_cast<char32_t>(text[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if (c > 0x10FFFF || IsSurrogate(c)) c = kReplacement;
        if (out.size() + Utf8Length(c) > maxBytes) break;
        AppendUtf8(out, c);
    }
    return out;
}

std::unique_ptr<HidBackend> SystemHidBackend() {
    return std::make_unique<HidapiBackend>();
}

}  // namespace platform
