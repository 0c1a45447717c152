#include "console/mode_bar.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>

#include "console/look.h"
#include "controls/megabutton.h"

namespace console {

ModeBar::ModeBar(QWidget* parent) : QFrame(parent) {
    StylePanel(this, "Panel3");
    setFixedHeight(64);
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(8, 5, 8, 5);

    auto* logo = new QLabel(this);
    logo->setObjectName("Logo");
    logo->setPixmap(QPixmap::fromImage(Picture("logo.jpg")));
    row_->addWidget(logo);

    MODE_INSTAL = MakeButton(this, "MODE_INSTAL", "УСТАНОВКА", ButtonKind::Toggle, 190);
    MODE_WORK = MakeButton(this, "MODE_WORK", "ИСПЫТАНИЕ ", ButtonKind::Toggle, 240);
    MODE_RESULT = MakeButton(this, "MODE_RESULT", "РАСЧЕТ", ButtonKind::Toggle, 190);
    MODE_INSTAL->Down = true;
    // The modes are set by the dispatcher; a click only asks for one.
    MODE_INSTAL->OnClick = [this](TMegaButton*) { emit modeRequested(241); };
    MODE_WORK->OnClick = [this](TMegaButton*) { emit modeRequested(242); };
    MODE_RESULT->OnClick = [this](TMegaButton*) { emit modeRequested(243); };
    for (TMegaButton* b : {MODE_INSTAL, MODE_WORK, MODE_RESULT}) {
        b->DownOk = false;
        row_->addWidget(b);
    }
    MESS_PROG = MakeButton(this, "MESS_PROG", "ПРОГРАММА", ButtonKind::Push, 160);
    MESS_PROG->FontColUp = QColor(0, 160, 0);
    MESS_PROG->hide();
    // While a program runs its sign takes the free width, to be read whole
    // (the stretch after it gives its share up then).
    row_->addWidget(MESS_PROG, 1);
    row_->addStretch(1);

    MegaButton30 = MakeButton(this, "MegaButton30", "[ ]", ButtonKind::Push, 60);
    MegaButton30->setToolTip(QString::fromUtf8("Полноэкранный режим"));
    MegaButton30->OnClick = [this](TMegaButton*) { emit fullScreenRequested(); };
    MegaButton32 = MakeButton(this, "MegaButton32", "X", ButtonKind::Push, 60);
    MegaButton32->setToolTip(QString::fromUtf8("Закрыть"));
    MegaButton32->OnClick = [this](TMegaButton*) { emit closeRequested(); };
    row_->addWidget(MegaButton30);
    row_->addWidget(MegaButton32);
}

void ModeBar::SetModeButtons(int down, bool setUp, bool work, bool result) {
    TMegaButton* buttons[] = {MODE_INSTAL, MODE_WORK, MODE_RESULT};
    const bool enabled[] = {setUp, work, result};
    for (int i = 0; i < 3; ++i) {
        buttons[i]->Down = i == down;
        SetButtonEnabled(buttons[i], enabled[i]);
    }
}

void ModeBar::DisableModes() {
    for (TMegaButton* b : {MODE_INSTAL, MODE_WORK, MODE_RESULT})
        SetButtonEnabled(b, false);
}

void ModeBar::HoldSetUpDown() {
    SetButtonDown(MODE_INSTAL, true);
}

void ModeBar::ShowCaption(const std::string& text) {
    MODE_WORK->Caption = text;
    MODE_WORK->Draw();
}

void ModeBar::ShowSign(bool shown, const std::string& banner, double blink) {
    if (shown) {
        if (MESS_PROG->isHidden()) {
            SignTakesFreeWidth(true);
            MESS_PROG->show();
            // The sign's width now, not at the next layout pass: its font fits it.
            row_->activate();
        }
        ShowBanner(banner);
        MESS_PROG->raise();
        MESS_PROG->SetDradPos(static_cast<float>(blink));
        MESS_PROG->Draw();
    } else if (!MESS_PROG->isHidden()) {
        MESS_PROG->hide();
        SignTakesFreeWidth(false);
    }
}

// The sign over the work screen reads the banner whole: the largest font up
// to the button's own that fits its width.
void ModeBar::ShowBanner(const std::string& text) {
    if (MESS_PROG->Caption == text && bannerWidth_ == MESS_PROG->width()) return;
    const QString shown = QString::fromStdString(text);
    MESS_PROG->Caption = text;
    MESS_PROG->setToolTip(shown);
    bannerWidth_ = MESS_PROG->width();
    draw::Font font = MESS_PROG->Font;
    for (int points = 12; points > 6; --points) {
        font.SetSize(points);
        if (QFontMetrics(draw::ToQFont(font)).horizontalAdvance(shown) + 16 <= bannerWidth_) break;
    }
    MESS_PROG->Font = font;
}

void ModeBar::AddBeforeFullScreen(QWidget* button) {
    row_->insertWidget(row_->indexOf(MegaButton30), button);
}

// The bar's free width goes to the running-program sign while it is shown
// (the stretch after it gives its share up), to the stretch otherwise.
void ModeBar::SignTakesFreeWidth(bool shown) {
    const int after = row_->indexOf(MESS_PROG) + 1;
    if (after > 0 && after < row_->count()) row_->setStretch(after, shown ? 0 : 1);
}

}  // namespace console
