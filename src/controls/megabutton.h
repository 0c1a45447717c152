#pragma once

#include "megadrawn.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <string>

class QMouseEvent;
class TMegaButton;

// Properties only the button has, with a new button's values.
struct MegaButtonLook {
    std::string Captions;  // the text of AlignText 3 when not empty
    QColor GradStartB = mega::kWhite;
    QColor GragFinishB = mega::kGray;
    int GradHVB = 0;  // inner gradient: 0 top to bottom, other left to right
    float GradPosB = 0;
    int RoundX = 30;
    int RoundY = 20;
    int BorderWidth = 3;
    bool Border = true;
    bool NoBorders = false;
    int AlignButton = 0;  // rounded corners: 0 all, 1 left, 2 right, 3 top, 4 bottom
    int AlignTextV = 0;   // 0 centred by the font size, 1 top at AlignTextY
    int AlignTextY = 0;
    MegaImageList ImageDown;
    int ImageIndexDown = -1;
    bool Radio = false;

    friend bool operator==(const MegaButtonLook&, const MegaButtonLook&) = default;
};

// The station's buttons: a blue ring, a light gradient turning gold when
// down, dark captions; the font and size stay the caller's.
void ApplyStationLook(TMegaButton& b);

// The inner gradient strip of the button: `length` pixels running from a
// to b up to the turning fraction `pos`, then back towards a. Pure, so the
// colours can be checked without a widget.
QImage ButtonGradientStrip(int length, bool horizontal, const QColor& a, const QColor& b,
                           float pos);

// The touch screen's push, toggle and radio button.
class TMegaButton : public MegaDrawn, public MegaButtonLook {
    Q_OBJECT

public:
    explicit TMegaButton(QWidget* parent = nullptr);

    void SetEnable(bool enabled);
    void SetCapt(const std::string& text);
    // Shared by all buttons: adds d to one phase and turns the gradient line
    // to its sine, so repeated calls sweep it back and forth.
    void AddGradPos(float d);
    static double GradPhase() { return gradPhase_; }

    // Where the caption is drawn, measured with the font it is drawn in
    // (empty when there is none), and where the picture lies (non-stretched).
    QRect CaptionRect() const;
    QRect PictureRect() const;
    // The smallest width that shows the caption whole beside the picture.
    int CaptionWidthNeeded() const;

    std::function<void(TMegaButton* sender)> OnClick;
    // Set: a double click runs this instead of a second press and click.
    std::function<void(TMegaButton* sender)> OnDoubleClick;

protected:
    bool TakeLook() override;
    void Render(draw::Canvas& canvas) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    inline static double gradPhase_ = 0;
    int CaptionTop() const;
    void Click();

    struct Look {
        MegaLook shared;
        MegaButtonLook own;
        friend bool operator==(const Look&, const Look&) = default;
    };
    Look drawn_;
    bool hasDrawn_ = false;
    bool pressed_ = false;  // a left press was taken and not yet released
};
