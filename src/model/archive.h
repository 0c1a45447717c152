#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/messagesink.h"
#include "platform/posixfile.h"

// Values go to disk in memory order; the file format is little-endian.
static_assert(std::endian::native == std::endian::little, "Archive needs a little-endian machine");

// Values the typed operators move: flags, 32-bit counts and floats, doubles.
// No 8-byte integers: `long` and `size_t` are 4 bytes in the Windows files,
// so a count must be cast to a 32-bit type by the caller.
template <typename T>
concept ArchiveValue =
    std::is_same_v<T, bool> || std::is_same_v<T, char> || std::is_same_v<T, std::int8_t> ||
    std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::int32_t> ||
    std::is_same_v<T, std::uint32_t> || std::is_same_v<T, float> || std::is_same_v<T, double>;

// The program's binary file: opened for reading or for writing, with a running
// CRC over every byte moved and a four-byte trailer that Close appends
// (writing) or checks (reading). Texts are UTF-8 here and Windows-1251 on disk.
class Archive {
public:
    static constexpr uint32_t kCrcStart = 0xFFFFFFFFu;
    // The string record's 16-bit length counts the text and its zero.
    static constexpr size_t kMaxStringBytes = 0xFFFF - 1;

    explicit Archive(platform::MessageSink& sink);
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // read: open an existing file; otherwise create (or truncate) it.
    bool Open(const std::string& fileName, bool read);
    // Reading a whole file that is checked before use: as Open(fileName, true),
    // but the trailer is fenced off, so a read that would reach into it fails
    // as a short read at the field that lacks its bytes.
    bool OpenForLoad(const std::string& fileName);
    // Writing a file that must never be lost half written: the bytes go to a
    // temporary file beside fileName, which Close flushes and renames over it
    // only when everything was written. Anything else (a failed write, a
    // destructor reached without Close) removes the temporary file and leaves
    // the old one as it was.
    bool OpenForSave(const std::string& fileName);
    // Writing: appends the trailer; after OpenForSave also puts the file in
    // place, and a failure to do so is reported and leaves Failed() set.
    // Reading: compares the trailer (see CrcOk). False when nothing was open.
    bool Close();

    // Both return the count moved. After the first short transfer the object
    // stops: later calls return 0 and a read leaves zeros in its buffer.
    size_t Read(void* buffer, size_t n);
    size_t Write(const void* buffer, size_t n);

    // Reads one string record; keeps its text up to the zero, cut to `limit`
    // Windows-1251 bytes. Returns the number of Windows-1251 bytes kept.
    size_t ReadString(std::string& text, int limit);
    // Reading: content bytes before the trailer that have not been read yet;
    // negative once reading has reached into the trailer (or the file is
    // shorter than one).
    int64_t Remaining() const;
    // Reading: true when n more content bytes are there. Otherwise the object
    // fails as after a short read of n bytes (reported once), so a count can
    // be checked against the file before anything is allocated for it.
    bool Require(uint64_t n);
    // Reports the file as damaged ("Файл '%s' повреждён") and fails the object,
    // once: nothing is shown when a failure was reported already. Also after
    // Close, for a trailer that did not match.
    void ReportDamaged();

    // Writes one string record; returns its stored length (text and zero), or
    // 0 when nothing could be written. A text too long for the record is
    // refused and the object counts as failed.
    size_t WriteString(std::string_view text);
    // The text's bytes only, no length and no zero; returns the count written.
    size_t WriteText(std::string_view text);

    template <ArchiveValue T>
    Archive& operator<<(T value) {
        if (!IsOpen()) return *this;
        if constexpr (std::is_same_v<T, bool>) {
            const uint8_t byte = value ? 1 : 0;
            Write(&byte, 1);
        } else {
            Write(&value, sizeof value);
        }
        return *this;
    }

    template <ArchiveValue T>
    Archive& operator>>(T& value) {
        if (!IsOpen()) return *this;
        if constexpr (std::is_same_v<T, bool>) {
            // Not every byte is a valid bool object.
            uint8_t byte = 0;
            Read(&byte, 1);
            value = byte != 0;
        } else {
            Read(&value, sizeof value);
        }
        return *this;
    }

    bool IsOpen() const { return isOpen_; }
    bool IsWriting() const { return writeMode_; }
    // Set by Close: reading, the trailer matched a file read exactly to its
    // end without failure; writing, the trailer was written.
    bool CrcOk() const { return crcOk_; }
    // A short read or write, or a refused string, since Open.
    bool Failed() const { return readFailed_ || writeFailed_; }
    uint32_t Crc() const { return crc_; }

private:
    void Fold(const void* data, size_t n);
    // File read, zero fill of the rest and CRC; no failure handling.
    size_t ReadFolded(void* buffer, size_t n);
    // Reading: the file read through ahead_, a small block at a time for
    // the many small fields, a large one straight into its destination.
    size_t ReadThrough(unsigned char* buffer, size_t n);
    void Begin(const std::string& fileName, bool read);
    bool FinishSave();
    void DiscardSave();
    void ReportShortRead(uint64_t asked);
    // err: the errno of the failed call.
    void ReportShortWrite(uint64_t asked, int err);
    void ReportNotCreated(int err);
    std::string WhatWasKept() const;
    void Show(const std::string& text);

    platform::MessageSink& sink_;
    bool isOpen_ = false;
    bool writeMode_ = false;
    platform::PosixFile file_;
    bool crcOk_ = false;
    uint32_t crc_ = kCrcStart;
    bool readFailed_ = false;
    bool writeFailed_ = false;
    std::string fileName_;
    // Reading: the file's size when opened and the bytes read since.
    int64_t size_ = 0;
    int64_t readPos_ = 0;
    bool fenced_ = false;
    // Reading: bytes read from the file and not yet taken, ahead_[aheadAt_]
    // to ahead_[aheadEnd_].
    std::vector<unsigned char> ahead_;
    size_t aheadAt_ = 0;
    size_t aheadEnd_ = 0;
    // Writing through a temporary file (OpenForSave).
    bool replacing_ = false;
    std::string tempName_;
};
