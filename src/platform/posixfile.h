#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A file on a POSIX descriptor. Reads and writes loop over short transfers
// and EINTR, so a count below the one asked means end of file or an error.
class PosixFile {
public:
    PosixFile() = default;
    ~PosixFile();
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;

    bool OpenRead(const std::string& path);
    // Creates the file or truncates an existing one.
    bool Create(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }

    size_t Read(void* buffer, size_t n);
    size_t Write(const void* buffer, size_t n);
    // Reads at an absolute offset without moving the file position.
    size_t ReadAt(void* buffer, size_t n, int64_t offset);
    bool Seek(int64_t offset);  // absolute
    int64_t Position() const;
    std::optional<int64_t> Size() const;
    bool Sync();
    bool SetMode(unsigned mode);
    bool Close();

private:
    int fd_ = -1;
};

std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces `path` by `bytes` so that a crash leaves either the old file or the
// new one: a temporary file beside it is written, flushed and renamed.
bool WriteFileAtomic(const std::string& path, std::string_view bytes);

// The temporary name WriteFileAtomic and other savers use beside `path`.
std::string TemporaryPathFor(const std::string& path);

// Renames `from` over `to` and flushes the folder, so the rename survives a crash.
bool ReplaceFile(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);

// A hint that a large block about to be filled may use large pages: a long
// test's channels then cost far fewer page faults. Does nothing for small
// blocks or where the system has no such pages.
void PreferLargePages(void* data, size_t bytes);
// Takes the memory of a block about to be written in full in one call, not
// one page fault at a time. Only for memory that is writable already.
void TakePagesNow(void* data, size_t bytes);

}  // namespace platform
