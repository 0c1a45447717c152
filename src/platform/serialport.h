#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

// A termios serial port in raw 8N1 mode without flow control, held
// exclusively. Every wait is bounded: a stuck port never freezes the caller.
class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens `path` at `baud` (a standard rate; any other fails). Closes a
    // port that is already open first.
    bool Open(const std::string& path, int baud);
    // The same with the rate as the settings hold it, as text ("115200");
    // a text that is no whole number fails.
    bool Open(const std::string& path, const std::string& speedText);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    // Writes every byte or gives up when `timeoutMs` has passed; on giving
    // up the unsent output is discarded.
    bool Write(std::span<const std::uint8_t> bytes, int timeoutMs);

    // Waits up to `timeoutMs` for input and returns what one read gives, at
    // most the buffer's size: 0 when nothing came, -1 when the port failed or
    // hung up.
    int Read(std::span<std::uint8_t> buffer, int timeoutMs);

    // Drops whatever input has arrived and not been read.
    void FlushInput();
    // Drops output written and not yet sent.
    void FlushOutput();

    // True for the rates Open accepts.
    static bool IsSupportedBaud(int baud);

private:
    int fd_ = -1;
    std::string path_;
};

// The serial devices worth trying, in a stable order: /dev/ttyUSB* and
// /dev/ttyACM* by number, then the /dev/ttyS* that have a real UART behind
// them. When UTM_SERIAL_PORTS is set (paths separated by ":"), that list is
// returned as it stands.
std::vector<std::string> ListSerialPorts();

// The same search over other folders (the device folder and the sysfs tty
// class folder); ListSerialPorts uses "/dev" and "/sys/class/tty".
std::vector<std::string> ListSerialPortsIn(const std::string& devDir, const std::string& sysTtyDir);

// "COM1".."COM<maxPorts>" name the candidate devices in order, as the
// Windows station named its ports; "" for any other name or a number past
// the candidates.
std::string DeviceForPortName(const std::string& name, const std::vector<std::string>& candidates,
                              int maxPorts);

}  // namespace platform
