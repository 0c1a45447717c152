// The hold panel: the hold program's five fields.

#include "console/hold_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <utility>

#include "console/look.h"
#include "console/manual_look.h"
#include "controls/megabutton.h"

namespace console {

HoldPanel::HoldPanel(QWidget* parent) : QFrame(parent) {
    StyleBarePanel(this, "Panel19", 470, 430);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 6, 8, 8);
    auto* top = new QHBoxLayout;
    top->addWidget(MakeLabel(this, "", "Настройки выдержки", 20), 1);
    MegaButton59 = MakeButton(this, "MegaButton59", "X", ButtonKind::Push, 56, 44);
    MegaButton59->setToolTip(QString::fromUtf8("Закрыть"));
    top->addWidget(MegaButton59);
    column->addLayout(top);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(6);
    MaskEdit7 = NumberEdit(this, "MaskEdit7", "20");
    MaskEdit3 = NumberEdit(this, "MaskEdit3", "100");
    MaskEdit4 = NumberEdit(this, "MaskEdit4", "1");
    MaskEdit5 = NumberEdit(this, "MaskEdit5", "15");
    MaskEdit6 = NumberEdit(this, "MaskEdit6", "1");
    const std::pair<const char*, QLineEdit*> rows[] = {{"Скорость, кН/c", MaskEdit7},
                                                       {"Макс. порог, кН", MaskEdit3},
                                                       {"Мин. порог, кН", MaskEdit4},
                                                       {"Выдержка, сек", MaskEdit5},
                                                       {"Кол-во повторений", MaskEdit6}};
    int r = 0;
    for (const auto& [caption, edit] : rows) {
        grid->addWidget(MakeLabel(this, "", caption, 17), r, 0);
        grid->addWidget(edit, r, 1);
        ++r;
    }
    column->addLayout(grid);
    HoldMessage = MakeLabel(this, "HoldMessage", "", 15);
    HoldMessage->setWordWrap(true);
    SetTextColour(HoldMessage, QColor(255, 120, 120));
    column->addWidget(HoldMessage);
    MegaButton60 = MakeButton(this, "MegaButton60", "ПРИМЕНИТЬ", ButtonKind::Push, 200, 56);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(MegaButton60);
    bottom->addStretch(1);
    column->addLayout(bottom);

    MegaButton59->OnClick = [this](TMegaButton*) {
        hide();
        emit closed();
    };
    MegaButton60->OnClick = [this](TMegaButton*) { emit applyRequested(); };
    // Numbers are typed on the on-screen keyboard.
    for (QLineEdit* e : {MaskEdit3, MaskEdit4, MaskEdit5, MaskEdit6, MaskEdit7})
        new TapIntoField(e, [this] { emit keyboardRequested(); });
}

HoldFields HoldPanel::Fields() const {
    return {MaskEdit7->text().toStdString(), MaskEdit3->text().toStdString(),
            MaskEdit4->text().toStdString(), MaskEdit5->text().toStdString(),
            MaskEdit6->text().toStdString()};
}

void HoldPanel::ShowRefusal(const std::string& why) {
    HoldMessage->setText(QString::fromStdString(why));
}

void HoldPanel::ClearRefusal() {
    HoldMessage->clear();
}

}  // namespace console
