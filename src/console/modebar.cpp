// The mode bar above the screens: the three modes, the running-program
// sign, full screen and close.

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>

#include "console/look.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"

using console::ButtonKind;
using console::MakeButton;

void TFBase::BuildModeBar() {
    Panel3 = console::MakePanel(this, "Panel3");
    Panel3->setFixedHeight(64);
    auto* row = new QHBoxLayout(Panel3);
    row->setContentsMargins(8, 5, 8, 5);

    auto* logo = new QLabel(Panel3);
    logo->setObjectName("Logo");
    logo->setPixmap(QPixmap::fromImage(console::Picture("logo.jpg")));
    row->addWidget(logo);

    MODE_INSTAL = MakeButton(Panel3, "MODE_INSTAL", "УСТАНОВКА", ButtonKind::Toggle, 190);
    MODE_WORK = MakeButton(Panel3, "MODE_WORK", "ИСПЫТАНИЕ ", ButtonKind::Toggle, 240);
    MODE_RESULT = MakeButton(Panel3, "MODE_RESULT", "РАСЧЕТ", ButtonKind::Toggle, 190);
    MODE_INSTAL->Down = true;
    // The modes are set by the dispatcher; a click only asks for one.
    // In set-up mode the set-up screen shows the work screen, where the test
    // is started; the method and specimen lists are on the set-up and
    // results screen, which no mode shows with them. A tap on "УСТАНОВКА"
    // while in set-up mode therefore goes to those lists, and the next tap
    // back to the work screen.
    MODE_INSTAL->OnClick = [this](TMegaButton*) {
        if (work_ && work_->State() == C_Work::kSetUp && BaseTab->currentIndex() == 0) {
            console::SetButtonDown(MODE_INSTAL, true);
            ShowScreen(1);
            return;
        }
        Command(241);
    };
    MODE_WORK->OnClick = [this](TMegaButton*) { Command(242); };
    MODE_RESULT->OnClick = [this](TMegaButton*) {
        Command(243);
        Command(48);
    };
    for (TMegaButton* b : {MODE_INSTAL, MODE_WORK, MODE_RESULT}) {
        b->DownOk = false;
        row->addWidget(b);
    }
    MESS_PROG = MakeButton(Panel3, "MESS_PROG", "ПРОГРАММА", ButtonKind::Push, 160);
    MESS_PROG->FontColUp = QColor(0, 160, 0);
    MESS_PROG->hide();
    // While a program runs its sign takes the free width, to be read whole
    // (the stretch after it gives its share up then).
    row->addWidget(MESS_PROG, 1);
    row->addStretch(1);

    MegaButton30 = MakeButton(Panel3, "MegaButton30", "[ ]", ButtonKind::Push, 60);
    MegaButton30->setToolTip(QString::fromUtf8("Полноэкранный режим"));
    MegaButton30->OnClick = [this](TMegaButton*) { ToggleFullScreen(); };
    MegaButton32 = MakeButton(Panel3, "MegaButton32", "X", ButtonKind::Push, 60);
    MegaButton32->setToolTip(QString::fromUtf8("Закрыть"));
    MegaButton32->OnClick = [this](TMegaButton*) { FormCloseClick(); };
    row->addWidget(MegaButton30);
    row->addWidget(MegaButton32);
}
