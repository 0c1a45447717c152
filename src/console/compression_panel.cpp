// The compression and bend zone's manual control panel "СЖАТИЕ / ИЗГИБ".

#include "console/compression_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "console/look.h"
#include "console/manual_look.h"
#include "console/panel_entry.h"
#include "controls/megabutton.h"
#include "model/ckanal.h"
#include "platform/formatfloat.h"
#include "station/station_manual.h"

namespace console {

CompressionManualPanel::CompressionManualPanel(QWidget* parent) : QFrame(parent) {
    StyleBarePanel(this, "PUDIK_PRESS", 540, 330);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 8);
    column->addWidget(TitleBar(this, "Move11", "СЖАТИЕ / ИЗГИБ", MegaButton70, "MegaButton70"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    auto button = [this](const char* name, const char* caption, ButtonKind kind, int w = 112) {
        TMegaButton* b = MakeButton(this, name, caption, kind, w, 52);
        b->Font.SetSize(11);
        return b;
    };
    CONT_UP1 = button("CONT_UP1", "ВВЕРХ", ButtonKind::Push);
    CONT_STOP1 = button("CONT_STOP1", "СТОП", ButtonKind::Push);
    CONT_DOWN1 = button("CONT_DOWN1", "ВНИЗ", ButtonKind::Push);
    CONT_ON1 = button("CONT_ON1", "ON ", ButtonKind::Toggle);
    OUTPUD1 = button("OUTPUD1", "", ButtonKind::Toggle);
    OUTPUD1->hide();
    MegaButton8 = button("MegaButton8", "ОК", ButtonKind::Push, 80);
    MegaButton52 = button("MegaButton52", "ОК", ButtonKind::Push, 80);
    PressHold = button("PressHold", "ВЫДЕРЖКА", ButtonKind::Push, 160);
    PressHold->setToolTip(QString::fromUtf8("Настройки выдержки"));
    MaskEdit1 = NumberEdit(this, "MaskEdit1", "0,0");
    MaskEdit2 = NumberEdit(this, "MaskEdit2", "0,0");
    SPEED_PUD1 = MakeLabel(this, "SPEED_PUD1", "0,00 мм/мин", 20);
    SPEED_PUD1->setStyleSheet("background: black; color: yellow; padding: 4px;");
    SPEED_PUD1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PressMessage = MakeLabel(this, "PressMessage", "", 15);
    PressMessage->setWordWrap(true);
    SetTextColour(PressMessage, QColor(255, 120, 120));

    grid->addWidget(MakeLabel(this, "", "Траверса", 15), 0, 0);
    grid->addWidget(CONT_UP1, 0, 1);
    grid->addWidget(CONT_STOP1, 0, 2);
    grid->addWidget(CONT_DOWN1, 0, 3);
    grid->addWidget(MakeLabel(this, "", "Насос", 15), 1, 0);
    grid->addWidget(CONT_ON1, 1, 1);
    grid->addWidget(SPEED_PUD1, 1, 2, 1, 2);
    QLabel* setF = MakeLabel(this, "", "Уставка F", 15);
    grid->addWidget(setF, 2, 0);
    grid->addWidget(MaskEdit1, 2, 1, 1, 2);
    grid->addWidget(MegaButton8, 2, 3);
    // The displacement set-point is kept but not offered.
    QLabel* setL = MakeLabel(this, "", "Уставка L", 15);
    grid->addWidget(setL, 3, 0);
    grid->addWidget(MaskEdit2, 3, 1, 1, 2);
    grid->addWidget(MegaButton52, 3, 3);
    for (QWidget* w : {static_cast<QWidget*>(setL), static_cast<QWidget*>(MaskEdit2),
                       static_cast<QWidget*>(MegaButton52)})
        w->hide();
    grid->addWidget(PressHold, 4, 1, 1, 2);
    column->addLayout(grid);
    column->addWidget(PressMessage);
    column->addStretch(1);

    auto send = [this](int code) { emit command(code); };
    Sends(CONT_UP1, send, 19);
    Sends(CONT_DOWN1, send, 20);
    Sends(CONT_STOP1, send, 21);
    Toggles(CONT_ON1, send, 17, 18);
    MegaButton8->OnClick = [this](TMegaButton*) { EnterSetPoint(4); };
    MegaButton52->OnClick = [this](TMegaButton*) { EnterSetPoint(5); };
    connect(MaskEdit1, &QLineEdit::returnPressed, this, [this] { EnterSetPoint(4); });
    connect(MaskEdit2, &QLineEdit::returnPressed, this, [this] { EnterSetPoint(5); });
    PressHold->OnClick = [this](TMegaButton*) { emit holdRequested(); };
    OUTPUD1->OnClick = [this](TMegaButton* b) { emit outputToggled(b->Down); };
    MegaButton70->OnClick = [this](TMegaButton*) { emit closeRequested(); };
    // Numbers are typed on the on-screen keyboard.
    for (QLineEdit* e : {MaskEdit1, MaskEdit2})
        new TapIntoField(e, [this] { emit keyboardRequested(); });
}

void CompressionManualPanel::Bind(station::ManualControl& manual) {
    manual_ = &manual;
}

void CompressionManualPanel::ShowPump(bool running) {
    CONT_ON1->Captions = running ? "ON " : "OFF";
    CONT_ON1->SetDown(running);
}

void CompressionManualPanel::ShowCrosshead(int code) {
    TMegaButton* down = code == 19 ? CONT_UP1 : code == 20 ? CONT_DOWN1 : CONT_STOP1;
    for (TMegaButton* b : {CONT_UP1, CONT_DOWN1, CONT_STOP1})
        SetButtonDown(b, b == down);
}

void CompressionManualPanel::EnableJog(bool enabled) {
    SetButtonEnabled(CONT_UP1, enabled);
    SetButtonEnabled(CONT_DOWN1, enabled);
}

void CompressionManualPanel::ShowJogLock(bool locked) {
    EnableJog(!locked && !OutputLocked());
}

void CompressionManualPanel::EnableControls(bool enabled) {
    for (TMegaButton* b : {CONT_UP1, CONT_STOP1, CONT_DOWN1, CONT_ON1})
        SetButtonEnabled(b, enabled);
}

bool CompressionManualPanel::OutputLocked() const {
    return OUTPUD1->Down;
}

void CompressionManualPanel::SetOutputLocked(bool down) {
    SetButtonDown(OUTPUD1, down);
}

void CompressionManualPanel::ShowOutputLock(bool locked) {
    SetOutputLocked(locked);
    EnableControls(!locked);
}

void CompressionManualPanel::ShowRate(double rate) {
    const QString text = QString::fromStdString(platform::FormatFloat("0.00", rate) + " мм/мин");
    if (SPEED_PUD1->text() != text) SPEED_PUD1->setText(text);
}

QLineEdit* CompressionManualPanel::Field(int channel) const {
    return channel == 5 ? MaskEdit2 : MaskEdit1;
}

bool CompressionManualPanel::SetPointOffered(int channel) const {
    return Field(channel)->isVisible();
}

std::string CompressionManualPanel::SetPointText(int channel) const {
    return Field(channel)->text().toStdString();
}

void CompressionManualPanel::ShowSetPoint(int channel, double value) {
    Field(channel)->setText(QString::fromStdString(platform::FormatFloat("0.0", value)));
}

void CompressionManualPanel::ShowRefusal(const std::string& why) {
    PressMessage->setText(QString::fromStdString(why));
}

void CompressionManualPanel::ClearRefusal() {
    PressMessage->clear();
}

void CompressionManualPanel::EnterSetPoint(int channel) {
    // A field the operator cannot see never writes its channel.
    const C_Kanal* k = manual_ ? manual_->Channel(channel) : nullptr;
    if (k == nullptr || !SetPointOffered(channel)) return;
    // A set-point from 0 to the channel's range, as the numeric entry takes it.
    const entry::Checked typed =
        entry::CheckEntry(SetPointText(channel),
                          entry::LimitsOf(entry::Field::SetPoint, k->fullScale, k->speedLimit));
    if (!typed.value) {
        ShowRefusal(typed.refusal);
        return;
    }
    const std::string refusal = manual_->ApplySetPoint(channel, *typed.value);
    ShowRefusal(refusal);
    if (refusal.empty()) ShowSetPoint(channel, *typed.value);
}

}  // namespace console
