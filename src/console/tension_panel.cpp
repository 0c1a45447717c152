// The tension zone's manual control panel "РУЧНОЕ УПРАВЛЕНИЕ".

#include "console/tension_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "console/look.h"
#include "console/manual_look.h"
#include "controls/megabutton.h"
#include "platform/formatfloat.h"

namespace console {

TensionManualPanel::TensionManualPanel(QWidget* parent) : QFrame(parent) {
    StyleBarePanel(this, "PUDIK", 540, 312);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 8);
    column->addWidget(TitleBar(this, "Move1", "РУЧНОЕ УПРАВЛЕНИЕ", DecoExit, "DecoExit"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    auto button = [this](const char* name, const char* caption, const char* hint, ButtonKind kind) {
        TMegaButton* b = MakeButton(this, name, caption, kind, 112, 52);
        b->Font.SetSize(11);
        b->setToolTip(QString::fromUtf8(hint));
        return b;
    };
    CONT_UPOFF = button("CONT_UPOFF", "ЗАКРЫТЬ", "Закрыть верхний захват", ButtonKind::Push);
    CONT_UPON = button("CONT_UPON", "ОТКРЫТЬ", "Открыть верхний захват", ButtonKind::Push);
    GRIP_UP = button("GRIP_UP", "ВЗ", "Верхний захват", ButtonKind::Toggle);
    CONT_DOWNOFF = button("CONT_DOWNOFF", "ЗАКРЫТЬ", "Закрыть нижний захват", ButtonKind::Push);
    CONT_DOWNON = button("CONT_DOWNON", "ОТКРЫТЬ", "Открыть нижний захват", ButtonKind::Push);
    GRIP_DOWN = button("GRIP_DOWN", "НЗ", "Нижний захват", ButtonKind::Toggle);
    CONT_UP = button("CONT_UP", "ВВЕРХ", "Траверса вверх", ButtonKind::Push);
    CONT_STOP = button("CONT_STOP", "СТОП", "Остановить траверсу", ButtonKind::Push);
    CONT_DOWN = button("CONT_DOWN", "ВНИЗ", "Траверса вниз", ButtonKind::Push);
    CONT_ON = button("CONT_ON", "ON ", "Насос", ButtonKind::Toggle);
    OUTPUD = button("OUTPUD", "", "", ButtonKind::Toggle);
    OUTPUD->hide();
    SPEED_PUD = MakeLabel(this, "SPEED_PUD", "0,00 мм/мин", 20);
    SPEED_PUD->setStyleSheet("background: black; color: yellow; padding: 4px;");
    SPEED_PUD->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const struct {
        const char* caption;
        TMegaButton* buttons[3];
    } rows[] = {{"Верхний захват", {CONT_UPOFF, CONT_UPON, GRIP_UP}},
                {"Нижний захват", {CONT_DOWNOFF, CONT_DOWNON, GRIP_DOWN}},
                {"Траверса", {CONT_UP, CONT_STOP, CONT_DOWN}}};
    int r = 0;
    for (const auto& row : rows) {
        grid->addWidget(MakeLabel(this, "", row.caption, 15), r, 0);
        for (int c = 0; c < 3; ++c)
            grid->addWidget(row.buttons[c], r, c + 1);
        ++r;
    }
    grid->addWidget(MakeLabel(this, "", "Насос", 15), r, 0);
    grid->addWidget(CONT_ON, r, 1);
    grid->addWidget(SPEED_PUD, r, 2, 1, 2);
    column->addLayout(grid);
    column->addStretch(1);

    auto send = [this](int code) { emit command(code); };
    Sends(CONT_UPOFF, send, 12);
    Sends(CONT_UPON, send, 13);
    Sends(CONT_DOWNOFF, send, 15);
    // The lower grip's open button opens it, as its hint says.
    Sends(CONT_DOWNON, send, 16);
    Sends(CONT_UP, send, 19);
    Sends(CONT_DOWN, send, 20);
    Sends(CONT_STOP, send, 21);
    Toggles(CONT_ON, send, 17, 18);
    GRIP_UP->OnClick = [this](TMegaButton* b) { emit upperGripToggled(b->Down); };
    GRIP_DOWN->OnClick = [this](TMegaButton* b) { emit lowerGripToggled(b->Down); };
    OUTPUD->OnClick = [this](TMegaButton* b) { emit outputToggled(b->Down); };
    DecoExit->OnClick = [this](TMegaButton*) { emit closeRequested(); };
}

void TensionManualPanel::ShowGrip(bool upper, bool closed) {
    SetButtonDown(upper ? CONT_UPON : CONT_DOWNON, closed);
    SetButtonDown(upper ? CONT_UPOFF : CONT_DOWNOFF, !closed);
    SetButtonDown(upper ? GRIP_UP : GRIP_DOWN, closed);
}

void TensionManualPanel::ReleaseGripToggles() {
    SetButtonDown(GRIP_UP, false);
    SetButtonDown(GRIP_DOWN, false);
}

void TensionManualPanel::ShowPump(bool running) {
    CONT_ON->Captions = running ? "ON " : "OFF";
    CONT_ON->SetDown(running);
}

void TensionManualPanel::ShowCrosshead(int code) {
    TMegaButton* down = code == 19 ? CONT_UP : code == 20 ? CONT_DOWN : CONT_STOP;
    for (TMegaButton* b : {CONT_UP, CONT_DOWN, CONT_STOP})
        SetButtonDown(b, b == down);
}

void TensionManualPanel::EnableJog(bool enabled) {
    SetButtonEnabled(CONT_UP, enabled);
    SetButtonEnabled(CONT_DOWN, enabled);
}

void TensionManualPanel::ShowJogLock(bool locked) {
    EnableJog(!locked && !OutputLocked());
}

void TensionManualPanel::EnableControls(bool enabled) {
    for (TMegaButton* b : {GRIP_UP, GRIP_DOWN, CONT_UP, CONT_STOP, CONT_DOWN, CONT_ON})
        SetButtonEnabled(b, enabled);
}

bool TensionManualPanel::OutputLocked() const {
    return OUTPUD->Down;
}

void TensionManualPanel::SetOutputLocked(bool down) {
    SetButtonDown(OUTPUD, down);
}

void TensionManualPanel::ShowOutputLock(bool locked) {
    SetOutputLocked(locked);
    if (locked) ReleaseGripToggles();
    EnableControls(!locked);
}

void TensionManualPanel::ShowRate(double rate) {
    const QString text = QString::fromStdString(platform::FormatFloat("0.00", rate) + " мм/мин");
    if (SPEED_PUD->text() != text) SPEED_PUD->setText(text);
}

}  // namespace console
