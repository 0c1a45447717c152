#include "model/archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/cp1251.h"

namespace {

const char kCaption[] = "Ошибка";

}  // namespace

Archive::Archive(platform::MessageSink& sink) : sink_(sink) {}

Archive::~Archive() {
    if (isOpen_) Close();
}

bool Archive::Open(const std::string& fileName, bool read) {
    if (isOpen_) Close();
    crc_ = kCrcStart;
    crcOk_ = false;
    readFailed_ = false;
    writeFailed_ = false;
    writeMode_ = !read;
    if (read) {
        if (!file_.OpenRead(fileName)) {
            Show("Файл '" + fileName + "' не может быть открыт");
            return false;
        }
    } else if (!file_.Create(fileName)) {
        Show("Файл '" + fileName + "' не может быть создан");
        return false;
    }
    isOpen_ = true;
    return true;
}

bool Archive::Close() {
    if (!isOpen_) return false;
    if (writeMode_) {
        const uint32_t word = crc_;
        const unsigned char trailer[4] = {
            static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
            static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
        // A file whose writing stopped early gets no trailer, so no reader takes
        // it for complete. The trailer itself stays out of the CRC.
        if (!writeFailed_) {
            const size_t done = file_.Write(trailer, sizeof trailer);
            if (done < sizeof trailer) ReportShortWrite(sizeof trailer);
            crcOk_ = done == sizeof trailer;
        }
    } else {
        // The comparison means something only when every content byte, and
        // nothing else, went through the CRC.
        crcOk_ = false;
        const auto size = file_.Size();
        if (size && *size >= 4 && !readFailed_ && file_.Position() == *size - 4) {
            unsigned char trailer[4] = {};
            if (file_.ReadAt(trailer, sizeof trailer, *size - 4) == sizeof trailer) {
                const uint32_t stored = static_cast<uint32_t>(trailer[0]) |
                                        static_cast<uint32_t>(trailer[1]) << 8 |
                                        static_cast<uint32_t>(trailer[2]) << 16 |
                                        static_cast<uint32_t>(trailer[3]) << 24;
                crcOk_ = stored == crc_;
            }
        }
    }
    file_.Close();
    isOpen_ = false;
    return true;
}

void Archive::Fold(const void* data, size_t n) {
    // zlib's register is complemented on entry and exit; ours is kept raw.
    crc_ = static_cast<uint32_t>(
        ~crc32_z(static_cast<uLong>(~crc_), static_cast<const Bytef*>(data), n));
}

size_t Archive::ReadFolded(void* buffer, size_t n) {
    auto* p = static_cast<unsigned char*>(buffer);
    const size_t got = file_.Read(p, n);
    std::memset(p + got, 0, n - got);
    Fold(p, n);
    return got;
}

size_t Archive::Read(void* buffer, size_t n) {
    if (n == 0) return 0;
    if (!isOpen_ || readFailed_) {
        std::memset(buffer, 0, n);
        return 0;
    }
    const size_t got = ReadFolded(buffer, n);
    if (got < n) ReportShortRead(n);
    return got;
}

size_t Archive::Write(const void* buffer, size_t n) {
    if (n == 0 || !isOpen_ || writeFailed_) return 0;
    const size_t done = file_.Write(buffer, n);
    Fold(buffer, n);
    if (done < n) ReportShortWrite(n);
    return done;
}

size_t Archive::ReadString(std::string& text, int limit) {
    text.clear();
    if (!isOpen_) return 0;
    unsigned char head[2] = {};
    if (Read(head, sizeof head) != sizeof head) return 0;
    const size_t length = static_cast<size_t>(head[0]) | static_cast<size_t>(head[1]) << 8;
    const size_t keep = static_cast<size_t>(std::max(limit, 0));

    // The whole record goes through the CRC in small pieces, so a long record
    // in a short file costs no more memory than what is kept.
    std::string bytes;
    bool ended = false;
    char piece[4096];
    for (size_t left = length; left > 0;) {
        const size_t n = std::min(left, sizeof piece);
        const size_t got = ReadFolded(piece, n);
        if (!ended) {
            const void* zero = std::memchr(piece, 0, n);
            const size_t textBytes =
                zero ? static_cast<size_t>(static_cast<const char*>(zero) - piece) : n;
            bytes.append(piece, std::min(textBytes, keep - bytes.size()));
            ended = zero != nullptr;
        }
        if (got < n) {
            ReportShortRead(length);
            break;
        }
        left -= n;
    }
    text = platform::Cp1251ToUtf8(bytes);
    return bytes.size();
}

size_t Archive::WriteString(std::string_view text) {
    if (!isOpen_ || writeFailed_) return 0;
    const std::string bytes = platform::Utf8ToCp1251(text);
    const size_t stored = bytes.size() + 1;
    if (bytes.size() > kMaxStringBytes) {
        // Writing it cut short would shift every later field of the file.
        ReportShortWrite(2 + stored);
        return 0;
    }
    std::string record;
    record.reserve(2 + stored);
    record.push_back(static_cast<char>(stored & 0xFF));
    record.push_back(static_cast<char>(stored >> 8));
    record.append(bytes);
    record.push_back('\0');
    return Write(record.data(), record.size()) == record.size() ? stored : 0;
}

size_t Archive::WriteText(std::string_view text) {
    const std::string bytes = platform::Utf8ToCp1251(text);
    return Write(bytes.data(), bytes.size());
}

void Archive::ReportShortRead(size_t asked) {
    readFailed_ = true;
    Show("Невозможно прочесть " + std::to_string(asked) + " байт из файла");
}

void Archive::ReportShortWrite(size_t asked) {
    writeFailed_ = true;
    Show("Невозможно записать " + std::to_string(asked) + " байт в файл");
}

void Archive::Show(const std::string& text) {
    sink_.ShowMessage(kCaption, text);
}
