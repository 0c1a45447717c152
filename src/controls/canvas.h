#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPaintDevice;

// The drawing layer of the drawn controls, the plot and the page canvas. The
// controls were designed against Windows drawing rules and their geometry
// depends on them, so this canvas keeps those rules on top of QPainter:
// - a rectangle, ellipse or rounded rectangle from (x1, y1) to (x2, y2)
//   covers the pixels x1 ... x2 - 1 and y1 ... y2 - 1; the outline is drawn
//   with the pen inside that box and the inside is filled with the brush;
// - a line leaves out its last pixel;
// - text is placed by the top-left corner of its cell, not by its baseline;
// - shapes and lines are drawn without antialiasing, so pixels are exact.
// All coordinates are logical: device pixel = logical + origin.
namespace draw {

// Colours as the controls' properties hold them: 0x00BBGGRR.
QColor ColorRef(std::uint32_t bgr);
std::uint32_t ToColorRef(const QColor& color);

enum class PenStyle {
    Solid,
    Dot,  // 3 pixels on, 3 off; gaps take the background colour when opaque
    Null  // no outline
};

struct Pen {
    QColor color = Qt::black;
    int width = 1;  // 0 is taken as 1; a dotted pen wider than 1 draws solid
    PenStyle style = PenStyle::Solid;
};

enum class BrushStyle {
    Solid,
    Clear,      // hollow: shapes are outlines only
    BDiagonal,  // "/" hatch, 8-pixel cells, lines where (x + y) % 8 == 7
    DiagCross,  // "/" and "\" hatches together
    Pattern     // Brush::pattern tiled from the device's (0, 0)
};

struct Brush {
    QColor color = Qt::white;
    BrushStyle style = BrushStyle::Solid;
    QImage pattern;  // for BrushStyle::Pattern
};

// Whether text cells, hatch gaps and dotted-pen gaps are painted in the
// background colour (Opaque) or left as they are (Transparent).
enum class BkMode { Transparent, Opaque };

enum class Gradient {
    Horizontal,  // colour 1 in the first column, colour 2 in the last
    Vertical     // colour 1 in the first row, colour 2 in the last
};

// A font as the controls' Font property holds it. `height` follows the
// class library: negative is the character height in pixels (the size in
// points at 96 pixels per inch, so 13 points is -17), positive the height
// of the whole cell. Family names of the Windows program are mapped to
// fonts this machine has (MapFontFamily); the symbol font "Vortalinz" is a
// sans font plus the symbol table (symbolfont.h).
struct Font {
    std::string name = "MS Sans Serif";
    int height = -11;  // 8 points
    QColor color = Qt::black;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    static Font FromPoints(std::string_view name, int points);
    static int HeightFromPoints(int points);  // -round(points * 96 / 72)

    // Size in points, as the layout formulas of the controls use it.
    int Size() const;
    void SetSize(int points);
    bool Symbol() const;  // the symbol font: text goes through the table

    friend bool operator==(const Font&, const Font&) = default;
};

// The installed family for a family name of the Windows program:
// "Times New Roman" -> Liberation Serif, "Arial" and "MS Sans Serif" ->
// Liberation Sans, "Courier New" -> Liberation Mono, the symbol font ->
// Liberation Sans; any other name is kept (Qt falls back to DejaVu Sans).
QString MapFontFamily(std::string_view name);

// The Qt font for a Font: pixel-sized, so text keeps its size on any device
// resolution; DejaVu Sans stands behind for missing glyphs.
QFont ToQFont(const Font& font);

// DrawText format flags, with the values of the Windows call so that code
// which stores them keeps its numbers. Horizontal: Left, HCenter, Right.
// Vertical: VCenter and Bottom act only with SingleLine (otherwise the text
// starts at the top, as on Windows). WordBreak wraps at spaces.
namespace dt {
inline constexpr unsigned Left = 0x0;
inline constexpr unsigned HCenter = 0x1;
inline constexpr unsigned Right = 0x2;
inline constexpr unsigned Top = 0x0;
inline constexpr unsigned VCenter = 0x4;
inline constexpr unsigned Bottom = 0x8;
inline constexpr unsigned WordBreak = 0x10;
inline constexpr unsigned SingleLine = 0x20;
inline constexpr unsigned NoClip = 0x100;
}  // namespace dt

// A canvas on one paint device. The canvas keeps one QPainter active on the
// device from construction to End() or destruction; drawing between calls
// costs no begin/end. Flood fill and pixel access need the QImage form;
// on other devices (QPicture, QPrinter, QPdfWriter) FloodFill does nothing
// and Pixel returns an invalid colour.
//
// Defaults (as a fresh Windows device context): black 1-pixel solid pen,
// white solid brush, opaque background in white, black text, font
// "MS Sans Serif" 8 points, origin (0, 0), no clip.
//
// Keep one canvas for a whole repaint (or for the image's life with
// End()/Begin() around each repaint). End() before the image is resized or
// reassigned; a copy of the image made while painting shares the pixels
// still being drawn, so hand out copies only after End() (drawing the image
// with QPainter::drawImage in paintEvent needs no copy).
class Canvas {
public:
    explicit Canvas(QImage& image);         // a back buffer
    explicit Canvas(QPaintDevice& device);  // a page, printer or widget
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Stops painting (the device can then be copied, resized or printed)
    // and starts again with the same state. Drawing calls while ended do
    // nothing; so do they when the device was already being painted by
    // someone else at construction or Begin().
    void End();
    void Begin();
    bool Active() const;

    QImage* Image() const { return image_; }  // null when not on a QImage
    QPaintDevice* Device() const { return device_; }
    // For what this class does not cover; antialiasing stays off, the
    // origin is applied as the painter's translation. Pen, brush and font
    // on it are whatever the last call left; clip with SetClipRect, not on
    // the painter (lines on a QImage are written past the painter).
    QPainter& Painter() { return painter_; }

    // ----- state
    void SetPen(const Pen& pen);
    void SetPenColor(const QColor& color);
    void SetPenWidth(int width);
    void SetPenStyle(PenStyle style);
    const Pen& GetPen() const { return pen_; }

    // Setting the brush also sets the background as the class library's
    // canvas did, which the controls' text relies on: a solid brush makes
    // the background opaque in the brush colour (text cells get painted),
    // any other style makes it transparent. Call SetBkMode/SetBkColor after
    // the brush to choose otherwise (e.g. an opaque hatch).
    void SetBrush(const Brush& brush);
    void SetBrushColor(const QColor& color);  // a Clear brush becomes Solid
    void SetBrushStyle(BrushStyle style);
    void SetBrushPattern(const QImage& pattern);  // also sets BrushStyle::Pattern
    const Brush& GetBrush() const { return brush_; }

    void SetBkMode(BkMode mode);
    void SetBkColor(const QColor& color);
    BkMode GetBkMode() const { return bkMode_; }
    QColor GetBkColor() const { return bkColor_; }

    // Sets the font and the text colour (the font's colour).
    void SetFont(const Font& font);
    const Font& GetFont() const { return font_; }
    void SetTextColor(const QColor& color);
    QColor GetTextColor() const { return textColor_; }

    // Moves logical (0, 0) to device (x, y): a control renders itself into
    // a foreign canvas at an offset. The clip rectangle stays where it was
    // on the device.
    void SetOrigin(int x, int y);
    QPoint Origin() const { return origin_; }

    // Clip to x1 ... x2 - 1, y1 ... y2 - 1 (logical at the time of the call).
    void SetClipRect(int x1, int y1, int x2, int y2);
    void ClearClip();

    // Pushes and pops pen, brush, background, font, text colour, origin,
    // clip and pen position.
    void Save();
    void Restore();

    // ----- lines and shapes
    void MoveTo(int x, int y);
    void LineTo(int x, int y);  // leaves out (x, y); pen position := (x, y)
    QPoint PenPos() const { return penPos_; }
    void Line(int x1, int y1, int x2, int y2) {
        MoveTo(x1, y1);
        LineTo(x2, y2);
    }
    // Many segments at once (the plot's curve): the same pixels as
    // MoveTo(points[0]) then LineTo for each further point.
    void Polyline(std::span<const QPoint> points);

    // On a QImage the outlines of ellipses and rounded rectangles are closed
    // for FloodFill from inside; a dotted pen draws them solid there.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Ellipse(int x1, int y1, int x2, int y2);
    // Corner ellipse w x h.
    void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
    // Closed polygon, outline with the pen, inside with the brush.
    void Polygon(std::span<const QPoint> points);

    // x1 ... x2 - 1 by y1 ... y2 - 1 in one colour, no outline; an empty or
    // inverted box draws nothing.
    void FillRect(int x1, int y1, int x2, int y2, const QColor& color);
    // A one-pixel frame on the edges of that box.
    void FrameRect(int x1, int y1, int x2, int y2, const QColor& color);
    // Two-colour gradient over the box: colour 1 at the first row (column),
    // colour 2 at the last, each channel interpolated and truncated.
    void GradientRect(int x1, int y1, int x2, int y2, const QColor& c1, const QColor& c2,
                      Gradient direction);

    // Fills with the brush every pixel 4-connected to (x, y) that does not
    // have the colour `border`, as the Windows border flood fill does.
    // Nothing when (x, y) is outside the device or the clip or has that
    // colour. QImage canvases only; returns false when nothing was filled.
    bool FloodFill(int x, int y, const QColor& border);

    void SetPixel(int x, int y, const QColor& color);
    QColor Pixel(int x, int y) const;  // invalid QColor outside or not a QImage

    // ----- pictures
    // Copies a picture with pure white (255, 255, 255) left out, at its own
    // size or stretched (nearest pixel) to w x h.
    void TransparentDraw(int x, int y, const QImage& picture);
    void TransparentDraw(int x, int y, int w, int h, const QImage& picture);
    // Plain copy.
    void DrawImage(int x, int y, const QImage& picture);

    // ----- text
    // Texts are UTF-8 (std::string_view) or QString. With the symbol font
    // current (Font::Symbol) they go through the symbol table: signs
    // replaced, index letters drawn smaller and lower, widths measured so.
    //
    // The cell's top-left corner at (x, y); in opaque mode the cell
    // (text width x text height) is first filled with the background colour.
    void TextOut(int x, int y, const QString& text);
    void TextOut(int x, int y, std::string_view utf8);
    void TextOut(int x, int y, const char* utf8) { TextOut(x, y, std::string_view(utf8)); }
    int TextWidth(const QString& text);
    int TextWidth(std::string_view utf8);
    int TextWidth(const char* utf8) { return TextWidth(std::string_view(utf8)); }
    int TextHeight() const;  // ascent + descent of the current font
    int TextAscent() const;
    // Text in the box x1 ... x2 - 1, y1 ... y2 - 1 with dt:: flags, clipped
    // to the box unless dt::NoClip; the box is not filled.
    void DrawText(int x1, int y1, int x2, int y2, const QString& text, unsigned flags);
    void DrawText(int x1, int y1, int x2, int y2, std::string_view utf8, unsigned flags);
    void DrawText(int x1, int y1, int x2, int y2, const char* utf8, unsigned flags) {
        DrawText(x1, y1, x2, y2, std::string_view(utf8), flags);
    }
    // TextOut clipped to the box (x1, y1) ... (x2 - 1, y2 - 1), in opaque
    // mode with the box filled in the background colour first.
    void TextRect(int x1, int y1, int x2, int y2, int x, int y, const QString& text);
    void TextRect(int x1, int y1, int x2, int y2, int x, int y, std::string_view utf8);
    void TextRect(int x1, int y1, int x2, int y2, int x, int y, const char* utf8) {
        TextRect(x1, y1, x2, y2, x, y, std::string_view(utf8));
    }

private:
    struct State;

    void Start();
    void ApplyClip();
    QBrush QtBrush() const;
    bool Drawing() const { return painter_.isActive(); }
    void StrokeSegment(int x1, int y1, int x2, int y2);
    void AddRuns(int x1, int y1, int x2, int y2);
    void StrokeRuns(std::vector<QLine>& runs, const QColor& color);
    bool WriteRuns(const std::vector<QLine>& runs, const QColor& color);
    void OutlineBox(int x1, int y1, int x2, int y2);
    void RoundShape(int x1, int y1, int x2, int y2, int cw, int ch);
    int PenPixels() const;
    void DrawRuns(int x, int y, const QString& text);
    int RunsWidth(const QString& text);
    void PrepareFonts();

    QPaintDevice* device_ = nullptr;
    QImage* image_ = nullptr;
    QPainter painter_;
    Pen pen_;
    Brush brush_;
    BkMode bkMode_ = BkMode::Opaque;
    QColor bkColor_ = Qt::white;
    Font font_;
    QColor textColor_ = Qt::black;
    QPoint origin_;
    std::optional<QRect> clip_;  // device pixels
    QPoint penPos_;
    std::vector<State> saved_;
    // Qt fonts for font_: the plain one and the smaller index one.
    QFont qfont_;
    QFont indexFont_;
    std::optional<QFontMetrics> metrics_;
    std::optional<QFontMetrics> indexMetrics_;
    bool fontsReady_ = false;
    std::vector<QLine> runs_;  // line pixels as runs, reused
    std::vector<QLine> gapRuns_;
    std::vector<std::uint8_t> fillMask_;  // FloodFill's, reused
    std::vector<QPoint> fillStack_;
    std::vector<QRect> fillSpans_;
    std::vector<std::pair<int, int>> outer_;  // rows of round shapes, reused
    std::vector<std::pair<int, int>> inner_;
    mutable QImage tile_;  // the current pattern or hatch brush's tile, made on use
    // The last picture given to TransparentDraw with white made transparent.
    qint64 keyedKey_ = 0;
    QImage keyed_;
};

}  // namespace draw
