#pragma once

#include "canvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The base of the drawn button and the drawn tabs: their shared properties,
// the back buffer, the small drawing operations both carry, and the rule
// that a control renders only when something it shows has changed.

// Pictures of a drawn control. Compared by identity of content: every change
// gives the list a new version, so a look snapshot holding a copy compares
// equal only while nothing was added or cleared.
class MegaImageList {
public:
    int Add(const QImage& picture);  // index of the new picture
    void Clear();
    int Count() const { return static_cast<int>(pictures_.size()); }
    bool Empty() const { return pictures_.empty(); }
    // Null for an index outside the list.
    const QImage* Get(int index) const;

    friend bool operator==(const MegaImageList& a, const MegaImageList& b) {
        return a.version_ == b.version_;
    }

private:
    std::vector<QImage> pictures_;
    std::uint64_t version_ = 0;  // 0: empty since construction
};

// Colours of the Windows program that the defaults use.
namespace mega {
inline const QColor kWhite{255, 255, 255};
inline const QColor kGray{128, 128, 128};  // 0x808080
inline const QColor kBlack{0, 0, 0};
inline const QColor kFace{240, 240, 240};  // the class library's button face
}  // namespace mega

// Properties both drawn controls have, with a new control's values.
struct MegaLook {
    std::string Caption;
    draw::Font Font;
    QColor Color = mega::kFace;
    QColor GradStart = mega::kWhite;
    QColor GragFinish = mega::kGray;
    QColor GradColDown = mega::kBlack;
    int GradHV = 1;     // 1 top to bottom, 0 left to right
    float GradPos = 0;  // set through SetDradPos to keep it in 0 ... 1
    QColor FontColUp = mega::kBlack;
    QColor FontColDown = mega::kBlack;
    int AlignText = 1;  // 0 none, 1 centred, 2 right, 3 left
    bool Down = false;
    bool DownOk = false;
    bool Enabled = true;
    MegaImageList Image;
    int ImageIndex = -1;
    bool Stretch = false;
    int bTop = 2;
    int bLeft = 2;
    int bRigth = 2;
    int bBottom = 2;

    friend bool operator==(const MegaLook&, const MegaLook&) = default;
};

// A value folded into 0 ... 1 as the gradient positions keep it: 0 ... 1 as
// it is, anything else the absolute value of its fractional part (1.3 and
// -0.3 give 0.3, 2 gives 0); NaN gives 0.
float FoldGradPos(float value);

// One pixel of a colour darkened by `amount` in each channel, not below 0.
QColor Darker(const QColor& color, int amount);

class MegaDrawn : public QWidget, public MegaLook {
    Q_OBJECT

public:
    explicit MegaDrawn(QWidget* parent = nullptr);
    ~MegaDrawn() override;

    // Renders into the back buffer and shows it, once the control has been
    // shown and when anything it draws changed since the last render.
    void Draw();
    void SetDown(bool down);
    void SetDradPos(float value);

    // The drawing operations of the controls, on the back buffer while a
    // render runs (outside one they do nothing).
    void gRectGrad(int x1, int y1, int x2, int y2, const QColor& c1, const QColor& c2);
    void gRect(int x1, int y1, int x2, int y2, const QColor& color);
    void gPen(const QColor& color);
    void gBrush(const QColor& color);
    void gLine(int x1, int y1, int x2, int y2, int width, const QColor& color);
    void gTextOut(int x, int y, std::string_view text);
    void gMove() {}
    void gLineTo() {}
    void gPenDel() {}
    void gBrushDel() {}
    void DeleteBuffer() {}
    // Keeps the Qt font of `Font` for callers that draw text themselves.
    void Fonts();
    const QFont& FontHandle() const { return fontHandle_; }
    void CreateBuffer(int x, int y, int w, int h);

    // The back buffer (width + 1 by height + 1) and the number of renders so
    // far, for tests and for drawing the control elsewhere.
    const QImage& Buffer() const { return back_; }
    int Renders() const { return renders_; }
    bool Created() const { return created_; }

protected:
    // Whether the look differs from the one last rendered; remembers it.
    virtual bool TakeLook() = 0;
    virtual void Render(draw::Canvas& canvas) = 0;

    // A picture as the button's picture step draws it: white transparent at
    // the margins, pressed one pixel in and one pixel smaller when down,
    // stretched into the margins when Stretch.
    void DrawPicture(draw::Canvas& canvas, const QImage& picture, int w, int h);
    // Two gradient bands across the control, turning at `pos` of its height
    // (GradHV != 0) or width: c1 to c2, then c2 back to c1.
    void GradBands(float pos, const QColor& c1, const QColor& c2);
    // The caption by AlignText (1 centred, 2 right, 3 left with `leftText`)
    // with its top at y, in Font and the colour of the Down state.
    void DrawCaption(draw::Canvas& canvas, int y, const std::string& leftText);
    // The canvas of the running render, or null.
    draw::Canvas* Surface() { return surface_; }
    // Forces the next Draw to render even when the look is unchanged.
    void Invalidate() { stale_ = true; }

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage back_;
    draw::Canvas canvas_;
    draw::Canvas* surface_ = nullptr;
    QFont fontHandle_;
    bool created_ = false;
    bool stale_ = true;
    int renders_ = 0;
};
