#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/registerimage.h"

namespace testsupport {

// One reading of the curve a simulated unit replays as live samples.
struct CurveRow {
    double time = 0.0;
    double force = 0.0;
    double displacement = 0.0;
    double extensometer = 0.0;
};

// The register side the simulated units share, whatever wire they speak:
// the image, what each device command moves into and out of it, and the
// curve live samples come from. Not locked: its owner locks.
class UnitRegisters {
public:
    // The block that `code` moves (reads answer it, writes store into it).
    void SetBlock(int code, const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> Block(int code) const;

    // Force and displacement go to live value 1 + their unit input number,
    // the time to value 0 and the extensometer to value 3.
    void SetCurve(std::vector<CurveRow> rows, int forceInput, int displacementInput);
    bool HasCurve() const { return !curve_.empty(); }
    // The live block of the next row (the last one repeats), put into the
    // image as well; without a curve, the image's live block as it stands.
    std::vector<std::uint8_t> NextLiveBlock();
    // The live block `row` gives, on its own.
    std::vector<std::uint8_t> LiveBlockOf(const CurveRow& row) const;

    // A request of `code`: a write stores its data when the length is the
    // block's; a code that answers gives its reply data and sets `answer`.
    std::vector<std::uint8_t> Serve(int code, const std::vector<std::uint8_t>& data, bool& answer);

    RegisterImage image;

private:
    std::vector<CurveRow> curve_;
    size_t next_ = 0;
    int forceInput_ = 0;
    int displacementInput_ = 1;
};

// The simulated units build and check frames with code of their own, so
// that a fault in the link's codec is not mirrored. The sums of the two
// checksum variants: of the data alone, and of code, length and data.
std::uint8_t SumOfData(const std::vector<std::uint8_t>& data);
std::uint8_t SumOfAll(int code, const std::vector<std::uint8_t>& data);
// A frame carrying at most 255 bytes of `data`, its sum in `variant` (0 or 1),
// spoilt when `corrupt`.
std::vector<std::uint8_t> MakeUnitFrame(int code, const std::vector<std::uint8_t>& data,
                                        int variant, bool corrupt);

}  // namespace testsupport
