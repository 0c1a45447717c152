#include "model/archive.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/cp1251.h"
#include "platform/plural.h"

namespace {

const char kCaption[] = "Ошибка";
const char kNothingLoaded[] = "Из файла ничего не загружено.";
// Not an errno: a string too long for the file's length field.
constexpr int kTooLong = -1;

std::string Bytes(uint64_t n) {
    return platform::CountOf(n, "байт", "байта", "байт");
}

// Why a file cannot be read, in the operator's words.
const char* ReadReason(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return "Такого файла нет.";
        case EACCES:
        case EPERM:
            return "Нет прав на чтение этого файла.";
        case EISDIR:
            return "Это папка, а не файл.";
        default:
            return "Файл не читается.";
    }
}

// Why a file cannot be written, in the operator's words.
const char* WriteReason(int err) {
    switch (err) {
        case ENOSPC:
        case EDQUOT:
            return "На диске нет места.";
        case EACCES:
        case EPERM:
            return "Нет прав на запись в эту папку.";
        case EROFS:
            return "Диск защищён от записи.";
        case ENOENT:
        case ENOTDIR:
            return "Такой папки нет.";
        case kTooLong:
            return "Текст слишком длинный для файла.";
        default:
            return "Запись на диск не удалась.";
    }
}

}  // namespace

Archive::Archive(platform::MessageSink& sink) : sink_(sink) {}

Archive::~Archive() {
    if (!isOpen_) return;
    // A save that never reached Close is incomplete: the old file stays.
    if (replacing_) {
        DiscardSave();
    } else {
        Close();
    }
}

void Archive::Begin(const std::string& fileName, bool read) {
    if (isOpen_) Close();
    crc_ = kCrcStart;
    crcOk_ = false;
    readFailed_ = false;
    writeFailed_ = false;
    writeMode_ = !read;
    fileName_ = fileName;
    size_ = 0;
    readPos_ = 0;
    fenced_ = false;
    aheadAt_ = aheadEnd_ = 0;
    replacing_ = false;
    tempName_.clear();
}

bool Archive::Open(const std::string& fileName, bool read) {
    Begin(fileName, read);
    if (read) {
        errno = 0;
        if (!file_.OpenRead(fileName)) {
            const int err = errno;
            Show("Файл '" + fileName + "' не может быть открыт\n" + ReadReason(err) + " " +
                 kNothingLoaded);
            return false;
        }
        size_ = file_.Size().value_or(0);
    } else {
        errno = 0;
        if (!file_.Create(fileName)) {
            ReportNotCreated(errno);
            return false;
        }
    }
    isOpen_ = true;
    return true;
}

bool Archive::OpenForLoad(const std::string& fileName) {
    if (!Open(fileName, true)) return false;
    fenced_ = true;
    return true;
}

bool Archive::OpenForSave(const std::string& fileName) {
    Begin(fileName, false);
    const std::string temp = platform::TemporaryPathFor(fileName);
    replacing_ = true;
    errno = 0;
    if (!file_.Create(temp)) {
        ReportNotCreated(errno);
        replacing_ = false;
        return false;
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(fileName.c_str(), &old) == 0) file_.SetMode(old.st_mode & 07777);
    tempName_ = temp;
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
            errno = 0;
            const size_t done = file_.Write(trailer, sizeof trailer);
            if (done < sizeof trailer) ReportShortWrite(sizeof trailer, errno);
            crcOk_ = done == sizeof trailer;
        }
        if (replacing_) {
            crcOk_ = FinishSave();
            isOpen_ = false;
            return true;
        }
    } else {
        // The comparison means something only when every content byte, and
        // nothing else, went through the CRC.
        crcOk_ = false;
        const auto size = file_.Size();
        const int64_t taken = file_.Position() - static_cast<int64_t>(aheadEnd_ - aheadAt_);
        if (size && *size >= 4 && !readFailed_ && taken == *size - 4) {
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

bool Archive::FinishSave() {
    if (writeFailed_) {
        DiscardSave();
        return false;
    }
    // On disk before the rename, or a crash could leave an empty file in
    // place of the old one.
    errno = 0;
    const bool synced = file_.Sync();
    const bool closed = synced && file_.Close();
    if (synced && closed && platform::ReplaceFile(tempName_, fileName_)) {
        replacing_ = false;
        return true;
    }
    const int err = errno;
    ReportNotCreated(err);
    DiscardSave();
    writeFailed_ = true;
    return false;
}

void Archive::DiscardSave() {
    file_.Close();
    std::remove(tempName_.c_str());
    replacing_ = false;
    isOpen_ = false;
}

int64_t Archive::Remaining() const {
    if (writeMode_) return 0;
    return size_ - 4 - readPos_;
}

bool Archive::Require(uint64_t n) {
    if (!isOpen_ || writeMode_ || readFailed_) return false;
    const int64_t left = Remaining();
    if (left >= 0 && n <= static_cast<uint64_t>(left)) return true;
    ReportShortRead(n);
    return false;
}

void Archive::ReportDamaged() {
    if (readFailed_ || writeFailed_) return;
    readFailed_ = true;
    Show("Файл '" + fileName_ + "' повреждён\nОн испорчен или записан другой программой. " +
         kNothingLoaded);
}

void Archive::Fold(const void* data, size_t n) {
    // zlib's register is complemented on entry and exit; ours is kept raw.
    crc_ = static_cast<uint32_t>(
        ~crc32_z(static_cast<uLong>(~crc_), static_cast<const Bytef*>(data), n));
}

size_t Archive::ReadFolded(void* buffer, size_t n) {
    auto* p = static_cast<unsigned char*>(buffer);
    size_t asked = n;
    if (fenced_) {
        const int64_t left = Remaining();
        asked =
            left <= 0 ? 0 : static_cast<size_t>(std::min<uint64_t>(n, static_cast<uint64_t>(left)));
    }
    const size_t got = ReadThrough(p, asked);
    readPos_ += static_cast<int64_t>(got);
    std::memset(p + got, 0, n - got);
    Fold(p, n);
    return got;
}

size_t Archive::ReadThrough(unsigned char* buffer, size_t n) {
    // One call to the system for a block of fields, not one for each.
    constexpr size_t kAhead = 16384;
    size_t got = std::min(n, aheadEnd_ - aheadAt_);
    if (got > 0) std::memcpy(buffer, ahead_.data() + aheadAt_, got);
    aheadAt_ += got;
    if (got == n) return got;
    if (n - got >= kAhead) return got + file_.Read(buffer + got, n - got);
    if (ahead_.empty()) ahead_.resize(kAhead);
    aheadAt_ = 0;
    aheadEnd_ = file_.Read(ahead_.data(), kAhead);
    const size_t more = std::min(n - got, aheadEnd_);
    if (more > 0) std::memcpy(buffer + got, ahead_.data(), more);
    aheadAt_ = more;
    return got + more;
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
    errno = 0;
    const size_t done = file_.Write(buffer, n);
    const int err = errno;
    Fold(buffer, n);
    if (done < n) ReportShortWrite(n, err);
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
        ReportShortWrite(2 + stored, kTooLong);
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

void Archive::ReportShortRead(uint64_t asked) {
    readFailed_ = true;
    Show("Невозможно прочесть " + Bytes(asked) + " из файла '" + fileName_ +
         "'\nФайл повреждён или записан не до конца. " + kNothingLoaded);
}

void Archive::ReportShortWrite(uint64_t asked, int err) {
    writeFailed_ = true;
    Show("Невозможно записать " + Bytes(asked) + " в файл '" + fileName_ + "'\n" +
         WriteReason(err) + " " + WhatWasKept());
}

void Archive::ReportNotCreated(int err) {
    Show("Файл '" + fileName_ + "' не может быть создан\n" + WriteReason(err) + " " +
         WhatWasKept());
}

std::string Archive::WhatWasKept() const {
    // A save goes to a temporary file first, so the one it replaces is untouched.
    if (replacing_ && platform::FileExists(fileName_)) return "Прежний файл остался без изменений.";
    if (replacing_ || !isOpen_) return "Файл не сохранён.";
    return "Файл записан не полностью.";
}

void Archive::Show(const std::string& text) {
    sink_.ShowMessage(kCaption, text);
}
