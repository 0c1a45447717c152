#include "platform/posixfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform {

PosixFile::~PosixFile() {
    Close();
}

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool PosixFile::OpenRead(const std::string& path) {
    Close();
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        Close();
        return false;
    }
    return true;
}

bool PosixFile::Create(const std::string& path) {
    Close();
    do {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
}

size_t PosixFile::Read(void* buffer, size_t n) {
    if (fd_ < 0) return 0;
    auto* p = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < n) {
        const ssize_t r = ::read(fd_, p + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

size_t PosixFile::Write(const void* buffer, size_t n) {
    if (fd_ < 0) return 0;
    const auto* p = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < n) {
        const ssize_t r = ::write(fd_, p + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

size_t PosixFile::ReadAt(void* buffer, size_t n, int64_t offset) {
    if (fd_ < 0 || offset < 0) return 0;
    auto* p = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < n) {
        const ssize_t r =
            ::pread(fd_, p + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

bool PosixFile::Seek(int64_t offset) {
    if (fd_ < 0 || offset < 0) return false;
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

int64_t PosixFile::Position() const {
    if (fd_ < 0) return -1;
    return ::lseek(fd_, 0, SEEK_CUR);
}

std::optional<int64_t> PosixFile::Size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
}

bool PosixFile::SetMode(unsigned mode) {
    return fd_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode)) == 0;
}

bool PosixFile::Sync() {
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

bool PosixFile::Close() {
    if (fd_ < 0) return false;
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    PosixFile f;
    if (!f.OpenRead(path)) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const size_t n = f.Read(chunk, sizeof chunk);
        bytes.append(chunk, n);
        if (n < sizeof chunk) break;
    }
    return bytes;
}

std::string TemporaryPathFor(const std::string& path) {
    return path + ".tmp~";
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    const size_t slash = to.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : to.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);  // best effort: some file systems refuse it on folders
        ::close(dir);
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
    const std::string temp = TemporaryPathFor(path);
    PosixFile f;
    if (!f.Create(temp)) return false;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) f.SetMode(old.st_mode & 07777);  // keep its permissions
    const bool written = f.Write(bytes.data(), bytes.size()) == bytes.size() && f.Sync();
    const bool closed = f.Close();
    if (!written || !closed || !ReplaceFile(temp, path)) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void PreferLargePages(void* data, size_t bytes) {
    constexpr uintptr_t kLarge = 2 * 1024 * 1024;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (end <= begin) return;
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void TakePagesNow(void* data, size_t bytes) {
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23;
#endif
    constexpr uintptr_t kPage = 4096;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data) & ~(kPage - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(data) + bytes;
    if (bytes == 0) return;
    // Older kernels refuse the advice: the pages then come as they are written.
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
}

}  // namespace platform
