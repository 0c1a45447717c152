#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "controls/canvas.h"

class QPaintEvent;
class QResizeEvent;

namespace diod {

// The segments of a glyph as bits, bit s - 1 for segment s (1 upper-left,
// 2 top, 3 upper-right, 4 lower-right, 5 bottom, 6 lower-left, 7 and 8 the
// upper and lower halves of the middle bar); 0 for a character that is no
// digit or "-".
unsigned GlyphSegments(char c);

// Segment s (1 ... 8) of a digit at (x, y0), thickness t, length h, gap g:
// a polygon within the segment's box whose ends narrow to the middle of the
// thickness; the two middle halves narrow towards their outer edges, so
// together they make one bar like the others.
struct Segment {
    std::array<QPoint, 6> p{};
    std::size_t n = 0;
    std::span<const QPoint> Points() const { return {p.data(), n}; }
};
Segment SegmentPolygon(int s, int x, int y0, int t, int h, int g);

}  // namespace diod

// A numeric display of seven-segment digits, like an LED indicator. Digits,
// "-" and the point ("." or ",") are drawn; other characters (the blanks of
// a padded number) are skipped and take no room. It draws into a back
// buffer only when its text, size or a property changed.
class MegaDiodIndic : public QWidget {
    Q_OBJECT

public:
    explicit MegaDiodIndic(QWidget* parent = nullptr);
    ~MegaDiodIndic() override;

    // ----- properties; colours are 0x00BBGGRR
    const std::string& Caption() const { return caption_; }
    std::uint32_t DigitColor() const { return digitColor_; }
    std::uint32_t GroundColor() const { return groundColor_; }
    int DigitThink() const { return digitThink_; }
    int DigitHeight() const { return digitHeight_; }
    int DigitSegInt() const { return digitSegInt_; }
    int DigitX() const { return digitX_; }
    int DigitY() const { return digitY_; }
    int AlignText() const { return alignText_; }  // 0 left, 1 right

    void SetDigitColor(std::uint32_t colour);
    void SetGroundColor(std::uint32_t colour);
    void SetDigitThink(int t);
    void SetDigitHeight(int h);
    void SetDigitSegInt(int g);
    void SetDigitX(int x);
    void SetDigitY(int y);
    void SetAlignText(int align);

    // The Caption setter.
    void SetValue(std::string_view text);
    // "%5.2f" beyond +-100, else "%5.3f", always with a point.
    void fSetValue(float v);
    static std::string FormatValue(float v);

    // Paints the caption into the back buffer and schedules the copy.
    void Draw();
    // Sizes the back buffer (x and y are not used).
    void CreateBuffer(int x, int y, int width, int height);

    // The back buffer as last drawn (a copy).
    QImage Picture() const { return back_.copy(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    template <typename T>
    void Change(T& field, T value);
    void DrawPoint(draw::Canvas& cv, int x);
    void DrawGlyph(draw::Canvas& cv, unsigned segments, int x);

    std::string caption_;
    std::uint32_t digitColor_ = 0x00FF00;
    std::uint32_t groundColor_ = 0x000000;
    int digitThink_ = 2;
    int digitHeight_ = 10;
    int digitSegInt_ = 1;
    int digitX_ = 0;
    int digitY_ = 3;
    int alignText_ = 0;

    QImage back_;
    std::unique_ptr<draw::Canvas> canvas_;
};
