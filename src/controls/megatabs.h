#pragma once

#include "megadrawn.h"

#include <functional>
#include <string>
#include <vector>

class QMouseEvent;

// Geometry of the tab strip, pure so that presses can be checked without
// drawing.
namespace tabs {

// The width of one tab slot: the room left of the 60-pixel add area shared
// by the tabs, at most `tabWidth`, never below 1; with no tabs the previous
// width stays.
int SlotWidth(int width, int count, int tabWidth, int previous);

enum class HitKind { None, Tab, Close, Add };
struct Hit {
    HitKind kind = HitKind::None;
    int index = -1;
    friend bool operator==(const Hit&, const Hit&) = default;
};

// What a point of a control `width` wide with a tab row `tabHeight` high
// lies on: a tab's close box (only when `closed`), a tab, or the add area
// after the last tab. Points outside the row or the control hit nothing.
Hit HitTest(int x, int y, int width, int slot, int tabHeight, int count, bool closed);

}  // namespace tabs

// Properties only the tabs have, with a new control's values.
struct MegaTabsLook {
    int TabHeight = 30;  // negative: panel mode
    int TabWidth = 150;
    bool PanelTabs = true;
    std::vector<std::string> Tabs;
    int ItemIndex = 0;
    bool Closed = true;
    int Round = 6;
    bool Border = true;
    bool Cti3D = true;

    friend bool operator==(const MegaTabsLook&, const MegaTabsLook&) = default;
};

// The drawn panel (no tabs) and the drawn tab strip with close boxes and an
// add area.
class TMegaTabs : public MegaDrawn, public MegaTabsLook {
    Q_OBJECT

public:
    explicit TMegaTabs(QWidget* parent = nullptr);

    void SetTAbs(const std::vector<std::string>& tabs);
    // An index outside the tabs changes nothing.
    void SetInd(int index);
    void AddTabs(const std::string& text);
    const std::vector<std::string>& GetTabs() const { return Tabs; }
    // Shared by all tab controls (a phase apart from the buttons').
    void AddGradPos(float d);
    static double GradPhase() { return gradPhase_; }

    // The slot width of the last draw (before it, of the current geometry).
    int Slot() const;
    int HoveredClose() const { return hovered_; }

    std::function<void(TMegaTabs* sender)> OnChangeTab;
    std::function<void(TMegaTabs* sender)> OnClick;
    std::function<void(TMegaTabs* sender)> OnAddClick;
    std::function<void(TMegaTabs* sender, int index)> OnClearTab;

protected:
    bool TakeLook() override;
    void Render(draw::Canvas& canvas) override;

    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    inline static double gradPhase_ = 0;
    void RenderPanel(draw::Canvas& canvas);
    void RenderTabs(draw::Canvas& canvas);
    void Changed();
    tabs::Hit HitAt(const QPoint& point) const;
    void Hover(int index);

    struct Look {
        MegaLook shared;
        MegaTabsLook own;
        int hovered;
        friend bool operator==(const Look&, const Look&) = default;
    };
    Look drawn_;
    bool hasDrawn_ = false;
    int slot_ = 0;      // 0 until the first draw in tab mode
    int hovered_ = -1;  // the tab whose close box is under the pointer
    bool pressed_ = false;
};
