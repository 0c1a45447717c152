#include "megatabs.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tabs {

int SlotWidth(int width, int count, int tabWidth, int previous) {
    if (count <= 0) return std::max(1, previous);
    return std::max(1, std::min((width - 60) / count, tabWidth));
}

namespace {

// Close box of tab i: strictly inside 15 pixels right of S (i + 1) - 18 and
// 15 pixels below (T div 2) - 6.
bool OnCloseBox(int x, int y, int slot, int tabHeight, int i) {
    const int x0 = slot * (i + 1) - 18;
    const int y0 = tabHeight / 2 - 6;
    return x > x0 && x < x0 + 15 && y > y0 && y < y0 + 15;
}

}  // namespace

Hit HitTest(int x, int y, int width, int slot, int tabHeight, int count, bool closed) {
    if (slot < 1 || x < 0 || x >= width || y < 0 || y >= tabHeight) return {};
    const int at = (x - 2) / slot;  // 0 for the two pixels left of the first slot
    if (at >= count) return {HitKind::Add, count};
    if (closed) {
        // The box lies near a slot's right edge, so only this slot and the
        // one left of it can hold it.
        for (int i = std::max(0, at - 1); i <= std::min(count - 1, at + 1); ++i) {
            if (OnCloseBox(x, y, slot, tabHeight, i)) return {HitKind::Close, i};
        }
    }
    return {HitKind::Tab, at};
}

}  // namespace tabs

TMegaTabs::TMegaTabs(QWidget* parent) : MegaDrawn(parent) {
    setObjectName(QStringLiteral("TMegaTabs"));
    setMouseTracking(true);  // close boxes light up under the pointer
}

void TMegaTabs::Changed() {
    if (OnChangeTab) OnChangeTab(this);
}

void TMegaTabs::SetTAbs(const std::vector<std::string>& list) {
    Tabs = list;
    Changed();
    Draw();
}

void TMegaTabs::SetInd(int index) {
    if (index < 0 || index >= static_cast<int>(Tabs.size())) return;
    ItemIndex = index;
    Draw();
    Changed();
}

void TMegaTabs::AddTabs(const std::string& text) {
    Tabs.push_back(text);
    Draw();
}

void TMegaTabs::AddGradPos(float d) {
    gradPhase_ += d;
    SetDradPos(static_cast<float>(std::sin(gradPhase_)));
    Draw();
}

int TMegaTabs::Slot() const {
    if (slot_ > 0) return slot_;
    return tabs::SlotWidth(width(), static_cast<int>(Tabs.size()), TabWidth, TabWidth);
}

bool TMegaTabs::TakeLook() {
    Look now{static_cast<const MegaLook&>(*this), static_cast<const MegaTabsLook&>(*this),
             hovered_};
    if (hasDrawn_ && now == drawn_) return false;
    drawn_ = std::move(now);
    hasDrawn_ = true;
    return true;
}

void TMegaTabs::Render(draw::Canvas& canvas) {
    if (TabHeight < 0) {
        RenderPanel(canvas);
    } else {
        RenderTabs(canvas);
    }
    if (!Enabled) {
        const QColor grey(0xC0, 0xC0, 0xC0);
        for (int y = 0; y < height(); y += 2)
            gLine(1, y, width() - 2, y, 1, grey);
    }
}

void TMegaTabs::RenderPanel(draw::Canvas& canvas) {
    const int w = width();
    const int h = height();
    GradBands(Down ? 1.0f - GradPos : GradPos, Down ? GradColDown : GradStart, GragFinish);

    if (Border) {
        const QColor light = Cti3D ? QColor(0xFA, 0xFA, 0xFA) : mega::kBlack;
        const QColor topLeft = Down ? mega::kBlack : light;
        const QColor bottomRight = Down ? light : mega::kBlack;
        gLine(0, 0, w, 0, 1, topLeft);
        gLine(0, 0, 0, h, 1, topLeft);
        gLine(w - 1, 0, w - 1, h - 1, 1, bottomRight);
        gLine(0, h - 1, w - 1, h - 1, 1, bottomRight);
    }

    const int size = Font.Size();
    DrawCaption(canvas, h / 2 - size / 2 - size / 3, Caption);

    if (const QImage* picture = Image.Get(ImageIndex)) DrawPicture(canvas, *picture, w, h);
}

void TMegaTabs::RenderTabs(draw::Canvas& canvas) {
    const int w = width();
    const int h = height();
    const int t = TabHeight;
    const int n = static_cast<int>(Tabs.size());
    slot_ = tabs::SlotWidth(w, n, TabWidth, slot_ > 0 ? slot_ : TabWidth);
    const int s = slot_;
    const bool anySelected = ItemIndex >= 0 && ItemIndex < n;

    // Tab row background.
    const int half = static_cast<int>(t * 0.5);
    gRectGrad(0, 0, w, half, GradStart, GragFinish);
    gRectGrad(0, half, w, t, GragFinish, GradStart);

    // Tab outlines, then the add area.
    canvas.SetBrushStyle(draw::BrushStyle::Clear);
    canvas.SetPenColor(mega::kBlack);
    for (int i = 0; i < n; ++i) {
        if (i == ItemIndex) {
            canvas.RoundRect(s * i + 4, 1, s * (i + 1) + 2, t + 6, 8, 8);
        } else {
            canvas.RoundRect(s * i + 4, 6, s * (i + 1) + 2, t + 3, 6, 6);
        }
    }
    if (const QImage* add = Image.Get(0)) {
        if (Stretch) {
            canvas.TransparentDraw(s * n + 4 + bLeft, 6 + bTop, t - 8, t - 8, *add);
        } else {
            canvas.TransparentDraw(s * n + 4 + bLeft, 6 + bTop, *add);
        }
    }
    canvas.SetBrushStyle(draw::BrushStyle::Clear);
    canvas.RoundRect(s * n + 4, 4, w - 4, t + 3, 6, 6);

    // Close boxes and texts.
    const int size = Font.Size();
    for (int i = 0; i < n; ++i) {
        if (Closed) {
            const int x0 = s * (i + 1) - 19;
            const int y0 = t / 2 - 6;
            QColor fill = canvas.Pixel(s * (i + 1) - 5, y0 + 1);
            if (!fill.isValid()) fill = GradStart;
            if (i == hovered_) fill = Darker(fill, 0x20);
            canvas.SetPenColor(mega::kBlack);
            canvas.SetBrushColor(fill);
            canvas.RoundRect(x0 - 1, y0, x0 + 16, y0 + 16, 3, 3);
            canvas.Line(x0 + 3, y0 + 3, x0 + 12, y0 + 12);
            canvas.Line(x0 + 3, y0 + 11, x0 + 12, y0 + 2);
        }
        const bool selected = i == ItemIndex;
        draw::Font font = Font;
        font.color = selected ? FontColDown : FontColUp;
        canvas.SetFont(font);
        canvas.SetBrushStyle(draw::BrushStyle::Clear);
        int x = s * i + 8;
        if (ImageIndex != -1) {
            if (const QImage* picture = Image.Get(i)) {
                canvas.TransparentDraw(x, 6, t - 8, t - 8, *picture);
            }
            x += t - 8;
        }
        const int ty = t / 2 - size / 2 - 1 - (selected ? 4 : 0);
        const int boxW = s - 30;
        const int boxH = std::abs(Font.height) + 4;
        canvas.TextRect(x, ty, x + boxW, ty + boxH, x, ty, Tabs[static_cast<std::size_t>(i)]);
    }

    // Body.
    const int g = static_cast<int>(t + (h - t) * GradPos);
    gRectGrad(0, t, w, g, GradStart, GragFinish);
    gRectGrad(0, g, w, h, GragFinish, GradStart);
    canvas.SetPenColor(mega::kBlack);
    canvas.SetBrushStyle(draw::BrushStyle::Clear);
    canvas.RoundRect(1, t - 1, w - 1, h, Round, Round);
    canvas.SetBrushStyle(draw::BrushStyle::Solid);

    // The selected tab opens into the body.
    if (anySelected) {
        QColor open = canvas.Pixel(s * ItemIndex + 6, t + 1);
        if (!open.isValid()) open = GradStart;
        canvas.SetPenColor(open);
        canvas.Line(s * ItemIndex + 6, t - 1, s * (ItemIndex + 1) + 1, t - 1);
    }

    // Everything outside the tabs and the body.
    canvas.SetBrushColor(Color);
    canvas.FloodFill(0, 0, mega::kBlack);
}

tabs::Hit TMegaTabs::HitAt(const QPoint& point) const {
    return tabs::HitTest(point.x(), point.y(), width(), Slot(), TabHeight,
                         static_cast<int>(Tabs.size()), Closed);
}

void TMegaTabs::Hover(int index) {
    if (hovered_ == index) return;
    hovered_ = index;
    Draw();
}

void TMegaTabs::mouseMoveEvent(QMouseEvent* event) {
    if (TabHeight <= 0) return;
    const tabs::Hit hit = HitAt(event->position().toPoint());
    Hover(hit.kind == tabs::HitKind::Close ? hit.index : -1);
}

void TMegaTabs::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    Hover(-1);
}

void TMegaTabs::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (TabHeight <= 0) {
        if (PanelTabs) return;
        pressed_ = true;
        Down = DownOk ? !Down : true;
        Draw();
        return;
    }
    const tabs::Hit hit = HitAt(event->position().toPoint());
    const int n = static_cast<int>(Tabs.size());
    if (hit.kind == tabs::HitKind::Close) {
        hovered_ = hit.index;
    } else if (hit.kind == tabs::HitKind::Tab) {
        ItemIndex = hit.index;
        Changed();
    }
    // The add area is not a tab: the selection stays on the last one.
    if (ItemIndex >= n) ItemIndex = std::max(0, n - 1);
    Draw();
}

void TMegaTabs::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (TabHeight <= 0) {
        if (PanelTabs || !pressed_) return;
        pressed_ = false;
        if (!DownOk) Down = false;
        Draw();
        if (OnClick) OnClick(this);
        return;
    }
    const tabs::Hit hit = HitAt(event->position().toPoint());
    switch (hit.kind) {
        case tabs::HitKind::Add:
            if (OnAddClick) OnAddClick(this);
            break;
        case tabs::HitKind::Close: {
            if (OnClearTab) OnClearTab(this, hit.index);
            // The handler may have changed the list itself.
            if (hit.index >= static_cast<int>(Tabs.size())) break;
            Tabs.erase(Tabs.begin() + hit.index);
            const int count = static_cast<int>(Tabs.size());
            if (ItemIndex >= count) ItemIndex = std::max(0, count - 1);
            if (hovered_ >= count) hovered_ = -1;
            Changed();
            Draw();
            break;
        }
        case tabs::HitKind::Tab:
            ItemIndex = hit.index;
            Draw();
            break;
        case tabs::HitKind::None:
            break;
    }
}
