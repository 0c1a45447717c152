#pragma once

#include <cstdint>

namespace platform {

// A seeded pseudo-random sequence, used as the C library's srand and rand are.
class RandomSource {
public:
    static constexpr int kMax = 32767;

    virtual ~RandomSource() = default;
    virtual void Seed(std::uint32_t seed) = 0;
    // 0 to kMax.
    virtual int Next() = 0;
};

// The portable generator the C standard gives as its example: the same
// sequence for the same seed on every machine, and no state shared with
// anything else in the process.
class StandardRandom final : public RandomSource {
public:
    void Seed(std::uint32_t seed) override { state_ = seed; }
    int Next() override {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ / 65536u) % 32768u);
    }

private:
    std::uint32_t state_ = 1;
};

}  // namespace platform
