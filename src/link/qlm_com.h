#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/framecodec.h"
#include "link/qlm_connect.h"
#include "platform/serialport.h"

// The serial link: device frames over a serial port. "COM1".."COM29" name
// the candidate devices in order.
class QLM_COM : public QLM_CONNECT {
public:
    static constexpr int kPortCount = 29;
    static constexpr int kReplyTimeoutMs = 1100;
    // A unit answers identification at once; the short wait keeps a scan over
    // real but empty ports short.
    static constexpr int kIdentifyTimeoutMs = 250;
    static constexpr int kRawTextWindowMs = 200;
    static constexpr int kWriteTimeoutMs = 500;
    static constexpr int kWriteReplySleepMs = 5;
    static constexpr size_t kRawBufferSize = 500;

    QLM_COM(LinkContext context, std::vector<std::string> candidates);
    ~QLM_COM() override;

    // With the link closed nothing moves and the result is false.
    bool Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                  Direction direction) override;
    // 0 scans the candidates; any other value opens the current port name once
    // with the current checksum variant.
    bool Open(int argument) override;
    void Close() override;

    // The device behind a port name, or "" when the name is no candidate.
    std::string DevicePath(const std::string& name) const;
    const std::vector<std::string>& Candidates() const { return candidates_; }

    std::string portName = "COM1";
    std::string speedText = "115200";
    frame::Checksum checksum = frame::Checksum::kCodeLengthData;
    frame::Parser parser;

private:
    bool OpenPort();
    bool Exchange(std::uint8_t code, std::uint8_t* block, std::uint8_t length, Direction direction,
                  int replyTimeoutMs);
    bool SendFrame(std::uint8_t code, std::span<const std::uint8_t> data);
    bool WriteRaw(size_t count);
    bool ReadFrame(std::uint8_t code, std::span<std::uint8_t> block, int timeoutMs);
    size_t ReadRaw();
    bool TextExchange(std::uint8_t* block, std::uint8_t length);

    std::vector<std::string> candidates_;
    platform::SerialPort port_;
    std::array<std::uint8_t, frame::kMaxFrame + 1> transmit_{};
    std::array<std::uint8_t, kRawBufferSize> raw_{};
};
