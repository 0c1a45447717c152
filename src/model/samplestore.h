#pragma once

#include <cstddef>
#include <limits>
#include <vector>

// One channel's samples, contiguous as in a vector, but grown in place: room
// for the longest channel a test can hold is reserved as address space when
// the first sample comes, and memory is taken from it as the samples arrive.
// An append never moves what is recorded, so no sample of a long test stalls
// the window. Where that room cannot be reserved the samples live on the heap
// and grow as a vector does.
class SampleStore {
public:
    using value_type = double;
    using size_type = size_t;
    using reference = double&;
    using const_reference = const double&;
    using iterator = double*;
    using const_iterator = const double*;

    // The most samples a channel holds: its count is an int.
    static constexpr size_t kMaxSamples = static_cast<size_t>(std::numeric_limits<int>::max());

    SampleStore() = default;
    SampleStore(const SampleStore& other);
    SampleStore& operator=(const SampleStore& other);
    SampleStore(SampleStore&& other) noexcept;
    SampleStore& operator=(SampleStore&& other) noexcept;
    ~SampleStore();

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Samples held without taking more memory.
    size_t capacity() const { return room_; }
    double* data() { return data_; }
    const double* data() const { return data_; }
    double& operator[](size_t i) { return data_[i]; }
    const double& operator[](size_t i) const { return data_[i]; }
    double* begin() { return data_; }
    double* end() { return data_ + size_; }
    const double* begin() const { return data_; }
    const double* end() const { return data_ + size_; }
    double& front() { return data_[0]; }
    const double& front() const { return data_[0]; }
    double& back() { return data_[size_ - 1]; }
    const double& back() const { return data_[size_ - 1]; }

    void push_back(double value) {
        if (size_ + ahead_ >= ready_) Advance();
        data_[size_++] = value;
    }
    // New samples are 0, as in a vector.
    void resize(size_t n);
    void reserve(size_t n) {
        if (n > room_) Grow(n);
    }
    // Room for n samples about to be written at once (a loaded or rebuilt
    // channel): on large pages where the system has them, taken in one go.
    void PrepareFor(size_t n);
    // Takes the first memory now, off the sample path: the first sample of a
    // test then costs no more than any other.
    void Prime();
    // Keeps the memory: the next test appends without taking any.
    void clear() { size_ = 0; }
    // n more samples at the end for the caller to write; where they begin.
    double* Extend(size_t n);

    std::vector<double> ToVector() const { return {begin(), end()}; }

    friend bool operator==(const SampleStore& a, const SampleStore& b);
    friend bool operator==(const SampleStore& a, const std::vector<double>& b);

private:
    // Makes room for at least `need` samples; throws std::bad_alloc when the
    // system has no memory for them.
    void Grow(size_t need);
    // The address space, once; the heap kind stays when it cannot be had.
    void ReserveOnce();
    // Reserved kind: room for at least `need` samples; false when the
    // system refuses the memory.
    bool Commit(size_t need);
    // Room for the next sample, and one more page touched ahead of need.
    void Advance();
    // Takes the memory of the page holding sample ready_ (committed) by
    // writing to it.
    void TouchNextPage();
    void Free();

    double* data_ = nullptr;
    size_t size_ = 0;
    size_t room_ = 0;
    // Samples of reserved address space; 0 when the samples are on the heap.
    size_t reserved_ = 0;
    // Samples below ready_ sit on pages already taken; an append keeps at
    // least ahead_ of them in front of the end (0 for the heap kind).
    size_t ready_ = 0;
    size_t ahead_ = 0;
};
