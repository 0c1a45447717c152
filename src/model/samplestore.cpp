#include "model/samplestore.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/posixfile.h"

namespace {

// Memory is taken from the reserved room in steps of 2 MiB: one call to the
// system per step, and the pages themselves come as they are first written.
constexpr size_t kStep = (size_t{2} << 20) / sizeof(double);

// A page of the system's smallest size; touching at this pitch takes every
// page of a larger size too.
constexpr size_t kPage = 4096 / sizeof(double);

// Taking a page costs a fault; the first page of each 2 MiB costs many times
// more (the system builds a page table for it), and on a virtual machine any
// fault may. Appends touch one page ahead of need at a time, so no sample
// pays for more than one. Each store keeps a different distance ahead, by
// whole pages and by a part of one: the channels of a test grow in step, and
// otherwise all of them would take a page, or a new 2 MiB, on the same row.
constexpr size_t kAheadPages = 8;
constexpr size_t kAheadSpread = 8;
constexpr size_t kAheadPitch = 4 * kPage + kPage / kAheadSpread;

size_t NextAhead() {
    static std::atomic<size_t> stores{0};
    const size_t phase = stores.fetch_add(1, std::memory_order_relaxed) % kAheadSpread;
    return kAheadPages * kPage + phase * kAheadPitch;
}

// Address space only, aligned to 2 MiB so a loaded test can sit on large pages.
double* Reserve(size_t samples) {
    constexpr size_t kAlign = size_t{2} << 20;
    const size_t bytes = samples * sizeof(double);
    void* p = ::mmap(nullptr, bytes + kAlign, PROT_NONE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    auto* const start = static_cast<char*>(p);
    const uintptr_t at = reinterpret_cast<uintptr_t>(start);
    char* const aligned = start + ((kAlign - at % kAlign) % kAlign);
    if (aligned > start) ::munmap(start, static_cast<size_t>(aligned - start));
    char* const tail = aligned + bytes;
    const size_t after = static_cast<size_t>(start + bytes + kAlign - tail);
    if (after > 0) ::munmap(tail, after);
    return reinterpret_cast<double*>(aligned);
}

}  // namespace

SampleStore::SampleStore(const SampleStore& other) {
    if (other.size_ == 0) return;
    std::memcpy(Extend(other.size_), other.data_, other.size_ * sizeof(double));
}

SampleStore& SampleStore::operator=(const SampleStore& other) {
    if (this == &other) return *this;
    size_ = 0;
    if (other.size_ > 0)
        std::memcpy(Extend(other.size_), other.data_, other.size_ * sizeof(double));
    return *this;
}

SampleStore::SampleStore(SampleStore&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      room_(std::exchange(other.room_, 0)),
      reserved_(std::exchange(other.reserved_, 0)),
      ready_(std::exchange(other.ready_, 0)),
      ahead_(std::exchange(other.ahead_, 0)) {}

SampleStore& SampleStore::operator=(SampleStore&& other) noexcept {
    if (this == &other) return *this;
    Free();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    room_ = std::exchange(other.room_, 0);
    reserved_ = std::exchange(other.reserved_, 0);
    ready_ = std::exchange(other.ready_, 0);
    ahead_ = std::exchange(other.ahead_, 0);
    return *this;
}

SampleStore::~SampleStore() {
    Free();
}

void SampleStore::Free() {
    if (reserved_ > 0) {
        ::munmap(data_, reserved_ * sizeof(double));
    } else {
        std::free(data_);
    }
    data_ = nullptr;
    size_ = room_ = reserved_ = ready_ = ahead_ = 0;
}

void SampleStore::resize(size_t n) {
    if (n > size_) {
        const size_t from = size_;
        std::fill_n(Extend(n - from), n - from, 0.0);
        return;
    }
    size_ = n;
}

void SampleStore::PrepareFor(size_t n) {
    // A primed store that holds nothing has one page taken in its first
    // 2 MiB, which keeps that block off large pages for good: it starts again
    // on fresh address space, which costs nothing recorded.
    if (reserved_ > 0 && size_ == 0 && ready_ <= kPage && n > kStep) Free();
    reserve(n);
    if (n == 0) return;
    if (reserved_ == 0) {
        platform::PreferLargePages(data_, n * sizeof(double));
        platform::TakePagesNow(data_, n * sizeof(double));
        return;
    }
    // The rest of the room, which the reserved kind holds in whole large
    // pages; pages taken before are not walked again (a repeated load).
    if (ready_ >= room_) return;
    double* const from = data_ + ready_ / kPage * kPage;
    const size_t bytes = static_cast<size_t>(data_ + room_ - from) * sizeof(double);
    platform::PreferLargePages(from, bytes);
    platform::TakePagesNow(from, bytes);
    ready_ = room_;
}

// Memory taken ahead of need is never a failure: a system out of memory
// fails the append that needs it, as before.
void SampleStore::Prime() {
    ReserveOnce();
    if (reserved_ > 0 && ready_ == 0 && (room_ > 0 || Commit(1))) TouchNextPage();
}

void SampleStore::Advance() {
    if (size_ == room_) Grow(size_ + 1);
    if (reserved_ == 0 || ready_ >= reserved_) return;
    if (ready_ == room_ && !Commit(ready_ + 1)) return;
    TouchNextPage();
}

void SampleStore::TouchNextPage() {
    // Past the last sample: nothing reads it before an append writes it.
    *static_cast<volatile double*>(data_ + ready_) = 0.0;
    ready_ = std::min((ready_ / kPage + 1) * kPage, room_);
}

double* SampleStore::Extend(size_t n) {
    if (n > room_ - size_) Grow(size_ + n);
    double* at = data_ + size_;
    size_ += n;
    ready_ = std::max(ready_, size_);
    return at;
}

void SampleStore::ReserveOnce() {
    if (data_ != nullptr) return;
    data_ = Reserve(kMaxSamples);
    if (data_ == nullptr) return;
    reserved_ = kMaxSamples;
    ahead_ = NextAhead();
}

bool SampleStore::Commit(size_t need) {
    const size_t room = std::min((need + kStep - 1) / kStep * kStep, reserved_);
    if (::mprotect(data_ + room_, (room - room_) * sizeof(double), PROT_READ | PROT_WRITE) != 0)
        return false;
    room_ = room;
    return true;
}

void SampleStore::Grow(size_t need) {
    if (need > kMaxSamples) throw std::bad_alloc();
    ReserveOnce();
    if (reserved_ > 0) {
        if (!Commit(need)) throw std::bad_alloc();
        return;
    }
    // No address space to reserve: the heap, doubling as a vector does.
    const size_t room = std::max({need, room_ * 2, size_t{16}});
    void* p = std::realloc(data_, room * sizeof(double));
    if (p == nullptr) throw std::bad_alloc();
    data_ = static_cast<double*>(p);
    room_ = room;
    ready_ = room_;
}

bool operator==(const SampleStore& a, const SampleStore& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

bool operator==(const SampleStore& a, const std::vector<double>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}
