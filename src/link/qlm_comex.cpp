#include "link/qlm_comex.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <utility>

namespace {

// One decimal and a point, whatever the locale.
std::string OneDecimal(float value) {
    std::array<char, 64> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(),
                                         static_cast<double>(value), std::chars_format::fixed, 1);
    if (ec != std::errc()) return "0.0";
    return std::string(buf.data(), end);
}

}  // namespace

QLM_COMeX::QLM_COMeX(std::vector<std::string> candidates) : candidates_(std::move(candidates)) {}

QLM_COMeX::~QLM_COMeX() {
    Close();
}

bool QLM_COMeX::Open(int argument) {
    pending = kNone;
    if (argument != 0) return OpenPort();
    for (int i = 1; i <= kPortCount; ++i) {
        Close();
        portName = "COM" + std::to_string(i);
        if (OpenPort()) return true;
    }
    return false;
}

bool QLM_COMeX::OpenPort() {
    port_.Close();
    open_ = false;
    const std::string path = platform::DeviceForPortName(portName, candidates_, kPortCount);
    if (path.empty()) return false;
    if (!port_.Open(path, speedText)) return false;
    port_.FlushOutput();
    open_ = true;
    return true;
}

void QLM_COMeX::Close() {
    open_ = false;
    port_.Close();
    pending = kNone;
}

size_t QLM_COMeX::Format(std::string_view text) {
    transmit_.fill(0);
    const size_t n = std::min(text.size(), transmit_.size() - 1);
    std::copy_n(text.begin(), n, transmit_.begin());
    return n;
}

void QLM_COMeX::Write(size_t count) {
    if (!open_) {
        writeSucceeded = false;
        lastWriteBytes = 0;
        return;
    }
    port_.FlushOutput();
    lastWriteBytes = count;
    writeSucceeded =
        port_.Write(std::span<const std::uint8_t>(transmit_.data(), count), kWriteTimeoutMs);
}

std::string QLM_COMeX::Identify() {
    if (pending != kNone) return std::to_string(pending);
    Format("*IDN?\r\n");
    Write(6);  // without the line feed
    pending = kIdentify;
    // Nothing is read, so the number the identification would show stays 0.
    return ">Определяется производитель...0";
}

std::string QLM_COMeX::CloseGrips(int n) {
    Write(Format("!:MST" + std::to_string(n) + "\r\n"));
    pending = kCloseGrips;
    return ">Закрытие захватов...";
}

std::string QLM_COMeX::OpenGrips() {
    Write(Format("!<"));
    pending = kOpenGrips;
    return ">Открытие захватов...";
}

std::string QLM_COMeX::Calibrate(float start, float base) {
    const size_t n =
        Format("!\r\n:SEP" + OneDecimal(start) + "," + OneDecimal(base) + "\r\n*CAL\r\n:MOV\r\n");
    calibrationBase = base;
    Write(n + 1);  // the terminating zero goes with it
    pending = kCalibrate;
    return ">Идет калибровка...";
}

void QLM_COMeX::Stop() {
    Write(Format("!"));
}
