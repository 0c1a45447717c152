#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serialport.h"

// The motorised extensometer and its grips on a second serial port, driven
// by short text commands. Its replies are never read: each command returns
// at once with the status line the extensometer window lists.
class QLM_COMeX {
public:
    static constexpr int kPortCount = 29;
    static constexpr size_t kTransmitSize = 500;
    // The device takes a few bytes at a time; a port that takes none for this
    // long is given up rather than freezing the window.
    static constexpr int kWriteTimeoutMs = 500;

    enum Pending : std::uint8_t {
        kNone = 0,
        kIdentify = 2,
        kCloseGrips = 3,
        kOpenGrips = 4,
        kCalibrate = 5,
    };

    // "COM1".."COM29" name the candidate devices in order.
    explicit QLM_COMeX(std::vector<std::string> candidates);
    ~QLM_COMeX();
    QLM_COMeX(const QLM_COMeX&) = delete;
    QLM_COMeX& operator=(const QLM_COMeX&) = delete;

    // 0 scans COM1..COM29 and keeps the first port that opens; any other
    // value opens the current port name once.
    bool Open(int argument);
    void Close();
    bool IsOpen() const { return open_; }

    std::string Identify();
    std::string CloseGrips(int n);
    std::string OpenGrips();
    std::string Calibrate(float start, float base);
    void Stop();

    std::string portName = "COM3";
    std::string speedText = "115200";
    std::uint8_t pending = kNone;
    float calibrationBase = 0.0f;
    bool writeSucceeded = false;
    size_t lastWriteBytes = 0;

private:
    bool OpenPort();
    // Clears the transmit buffer and puts `text` at its start.
    size_t Format(std::string_view text);
    void Write(size_t count);

    std::vector<std::string> candidates_;
    platform::SerialPort port_;
    bool open_ = false;
    std::array<std::uint8_t, kTransmitSize> transmit_{};
};
