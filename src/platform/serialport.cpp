#include "platform/serialport.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "platform/deadline.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

speed_t SpeedConstant(int baud) {
    switch (baud) {
        case 50:
            return B50;
        case 75:
            return B75;
        case 110:
            return B110;
        case 134:
            return B134;
        case 150:
            return B150;
        case 200:
            return B200;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 1800:
            return B1800;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 500000:
            return B500000;
        case 576000:
            return B576000;
        case 921600:
            return B921600;
        case 1000000:
            return B1000000;
        case 1152000:
            return B1152000;
        case 1500000:
            return B1500000;
        case 2000000:
            return B2000000;
        case 2500000:
            return B2500000;
        case 3000000:
            return B3000000;
        case 3500000:
            return B3500000;
        case 4000000:
            return B4000000;
        default:
            return B0;
    }
}

// The number after `prefix` in `name`, or -1 when the rest is not all digits.
long DeviceNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    long n = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || end != last || n < 0) return -1;
    return n;
}

// A ttyS node exists for every UART slot the kernel reserves; only the ones
// with a port type have hardware behind them.
bool HasUart(const std::string& devPath, const std::string& sysTypePath) {
    std::ifstream type(sysTypePath);
    if (type) {
        int value = 0;
        return (type >> value) && value != 0;
    }
    const int fd = ::open(devPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct info{};
    const bool uart = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return uart;
}

}  // namespace

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::IsSupportedBaud(int baud) {
    return SpeedConstant(baud) != B0;
}

bool SerialPort::Open(const std::string& path, int baud) {
    Close();
    const speed_t speed = SpeedConstant(baud);
    if (speed == B0) return false;

    // Non-blocking so that a modem line without carrier cannot hang the open;
    // it stays non-blocking and every wait goes through poll.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    // The lock comes first: a port that another holder has must keep its
    // exclusive flag, which the failure path below clears.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    auto fail = [fd] {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    };
    if (::ioctl(fd, TIOCEXCL) != 0) return fail();

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return fail();
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return fail();
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return fail();

    // The unit's lines stay low, as the station always drove them. A pty has
    // no modem lines and refuses; that is harmless.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &lines);

    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    path_ = path;
    return true;
}

bool SerialPort::Open(const std::string& path, const std::string& speedText) {
    int baud = 0;
    const char* last = speedText.data() + speedText.size();
    const auto [end, ec] = std::from_chars(speedText.data(), last, baud);
    if (ec != std::errc() || end != last) {
        Close();
        return false;
    }
    return Open(path, baud);
}

void SerialPort::Close() {
    if (fd_ < 0) return;
    // The exclusive flag can outlive the descriptor (a pty keeps its tty while
    // the other side is open), so it is cleared before closing.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

bool SerialPort::Write(std::span<const std::uint8_t> bytes, int timeoutMs) {
    if (fd_ < 0) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;

        pollfd p{fd_, POLLOUT, 0};
        const int left = MsUntil(deadline);
        const int r = left > 0 ? ::poll(&p, 1, left) : 0;
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        if (r == 0) {
            // What is left would go out late and garble the next exchange.
            ::tcflush(fd_, TCOFLUSH);
            return false;
        }
        if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
    }
    return true;
}

int SerialPort::Read(std::span<std::uint8_t> buffer, int timeoutMs) {
    if (fd_ < 0) return -1;
    if (buffer.empty()) return 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        short revents = 0;
        const int r = PollUntil(fd_, POLLIN, deadline, &revents);
        if (r <= 0) return r;
        if ((revents & POLLIN) == 0) return -1;  // hung up or failed
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) return static_cast<int>(n);
        if (n == 0) return -1;  // end of file: the device went away
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
            if (MsUntil(deadline) == 0) return 0;
            continue;
        }
        return -1;
    }
}

void SerialPort::FlushInput() {
    if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

void SerialPort::FlushOutput() {
    if (fd_ >= 0) ::tcflush(fd_, TCOFLUSH);
}

std::vector<std::string> ListSerialPortsIn(const std::string& devDir,
                                           const std::string& sysTtyDir) {
    std::vector<std::pair<long, std::string>> usb, acm, uart;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(devDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (const long n = DeviceNumber(name, "ttyUSB"); n >= 0) {
            usb.emplace_back(n, name);
        } else if (const long m = DeviceNumber(name, "ttyACM"); m >= 0) {
            acm.emplace_back(m, name);
        } else if (const long s = DeviceNumber(name, "ttyS"); s >= 0) {
            uart.emplace_back(s, name);
        }
    }
    std::vector<std::string> ports;
    const auto add = [&](std::vector<std::pair<long, std::string>>& family, bool checkUart) {
        std::sort(family.begin(), family.end());
        for (const auto& [number, name] : family) {
            const std::string path = devDir + "/" + name;
            if (checkUart && !HasUart(path, sysTtyDir + "/" + name + "/type")) continue;
            ports.push_back(path);
        }
    };
    add(usb, false);
    add(acm, false);
    add(uart, true);
    return ports;
}

std::vector<std::string> ListSerialPorts() {
    if (const char* list = std::getenv("UTM_SERIAL_PORTS"); list != nullptr) {
        std::vector<std::string> ports;
        std::string rest = list;
        size_t start = 0;
        while (start <= rest.size()) {
            const size_t colon = std::min(rest.find(':', start), rest.size());
            if (colon > start) ports.push_back(rest.substr(start, colon - start));
            start = colon + 1;
        }
        return ports;
    }
    return ListSerialPortsIn("/dev", "/sys/class/tty");
}

std::string DeviceForPortName(const std::string& name, const std::vector<std::string>& candidates,
                              int maxPorts) {
    if (name.size() <= 3 || name.compare(0, 3, "COM") != 0) return {};
    int i = 0;
    const char* last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(name.data() + 3, last, i);
    if (ec != std::errc() || end != last || i < 1 || i > maxPorts) return {};
    if (static_cast<size_t>(i) > candidates.size()) return {};
    return candidates[static_cast<size_t>(i) - 1];
}

}  // namespace platform
