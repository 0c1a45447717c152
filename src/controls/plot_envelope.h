#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Turns the samples of a curve, as pixel positions, into the polylines that
// draw it. Drawn one segment per sample a million samples cost far too much;
// where several consecutive samples fall into one pixel column only the
// first, the two extremes (in the order they came) and the last are kept.
// With lines that leave out their last pixel this covers exactly the pixels
// the segments between all of them cover, so the picture does not change.
namespace plot {

struct Pixel {
    int x = 0;
    int y = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

// Polylines in whole pixels: polyline k runs from points[starts[k]] up to the
// next start; its first point is where the pen moves to.
struct Path {
    std::vector<Pixel> points;
    std::vector<std::size_t> starts;

    void Clear() {
        points.clear();
        starts.clear();
    }
    std::size_t Polylines() const { return starts.size(); }
    std::size_t Begin(std::size_t k) const { return starts[k]; }
    std::size_t End(std::size_t k) const {
        return k + 1 < starts.size() ? starts[k + 1] : points.size();
    }
};

// Where segments are kept; beyond it they are cut, so that no position far
// outside the picture reaches an integer.
struct ClipRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    bool Contains(double x, double y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
};

// Cuts the segment a-b to the rectangle (Cohen-Sutherland): on return a and
// b are the ends of the part kept. False when nothing is kept. Each cut is
// reckoned from the end nearer the edge, so an end a hundred orders of
// magnitude away does not drown the position where the segment comes in.
bool ClipSegment(const ClipRect& r, double& ax, double& ay, double& bx, double& by);

// Data to pixel as View::LM_X and LM_Y reckon it, term for term, so that a
// sample lands on the pixel those give.
struct Mapping {
    double lowerX = 0.0;
    double panX = 0.0;
    double scaleX = 1.0;  // plot width / X span
    double borderX = 0.0;
    double lowerY = 0.0;
    double panY = 0.0;
    double scaleY = 1.0;
    double borderY = 0.0;
    double height = 0.0;

    double X(double x) const { return (x - lowerX + panX) * scaleX + borderX; }
    double Y(double y) const { return height - ((y - lowerY + panY) * scaleY + borderY); }
};

// The smallest and largest of the samples passed, each the first of equal
// ones, as C_Buffer::GetMax rescans them: started at the first sample (a NaN
// there stays), later NaNs passed over.
struct Scanned {
    bool any = false;
    double minX = 0.0;
    double maxX = 0.0;
    double minY = 0.0;
    double maxY = 0.0;
};

class CurveTracer {
public:
    // envelope off: every sample whose pixel differs from the last one drawn
    // to is kept, as one segment per sample draws it.
    CurveTracer(const ClipRect& clip, bool envelope, Path& out);

    // The next sample's position in pixels. A sample that is not a number
    // leaves a gap: the curve goes on from the next one.
    void Add(double px, double py) {
        // Most samples of a long curve land inside, in the column of the one
        // before: kept here, inline. NaN fails Contains.
        if (open_ && envelope_ && column_ && clip_.Contains(px, py)) {
            const int x = static_cast<int>(px);
            if (x == columnX_) {
                prevX_ = px;
                prevY_ = py;
                const int y = static_cast<int>(py);
                ++seen_;
                last_ = y;
                if (y < low_) {
                    low_ = y;
                    lowAt_ = seen_;
                }
                if (y > high_) {
                    high_ = y;
                    highAt_ = seen_;
                }
                return;
            }
        }
        AddAny(px, py);
    }
    // Samples from, from + step, ... below `to` of the two channels, mapped;
    // the same as Add for each, with a pixel column's run kept in registers.
    // Returns the first index at or past `to`. With `scan`, the ranges of
    // all samples from `from` below `to` are rescanned into it on the way.
    std::size_t AddSamples(const double* xs, const double* ys, std::size_t from, std::size_t to,
                           std::size_t step, const Mapping& m, Scanned* scan = nullptr);
    void Break();
    // Writes out what the last pixel column still holds.
    void Finish();

    // The position of the last finite sample added, to go on from later.
    bool HasLast() const { return hasPrev_; }
    double LastX() const { return prevX_; }
    double LastY() const { return prevY_; }

private:
    std::size_t Run(const double* xs, const double* ys, std::size_t from, std::size_t to,
                    std::size_t step, const Mapping& m);
    void AddAny(double px, double py);
    void Start(Pixel p);
    void Feed(Pixel p);
    void Emit(Pixel p);
    void FlushColumn();

    ClipRect clip_;
    bool envelope_;
    Path& out_;

    bool hasPrev_ = false;
    double prevX_ = 0.0;
    double prevY_ = 0.0;
    bool open_ = false;  // a polyline takes further points

    // The samples of the current pixel column.
    bool column_ = false;
    int columnX_ = 0;
    int first_ = 0;
    int last_ = 0;
    int low_ = 0;
    int high_ = 0;
    std::int64_t lowAt_ = 0;  // order in which the extremes were reached
    std::int64_t highAt_ = 0;
    std::int64_t seen_ = 0;
};

}  // namespace plot
