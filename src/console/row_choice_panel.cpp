// The protocol's row choice: which of the method's parameters the protocol
// shows.

#include "console/row_choice_panel.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "console/file_places.h"
#include "console/look.h"
#include "controls/megabutton.h"
#include "controls/symbolfont.h"
#include "model/parametr.h"

namespace console {

RowChoicePanel::RowChoicePanel(QWidget* parent) : QFrame(parent) {
    StyleFloatingPanel(this, "LIST_CHECK", "ВЫБОР ПАРАМЕТРОВ ", 640, 660);
    auto* column = static_cast<QVBoxLayout*>(layout());
    CheckList = new QListWidget(this);
    CheckList->setObjectName("CheckList");
    CheckList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    filepanel::TouchSized(CheckList);
    column->addWidget(CheckList, 1);
    auto* buttons = new QHBoxLayout;
    MegaButton18 = MakeButton(this, "MegaButton18", "Выбрать все", ButtonKind::Push, 200, 60);
    MegaButton19 = MakeButton(this, "MegaButton19", "Отменить все", ButtonKind::Push, 200, 60);
    MegaButton20 = MakeButton(this, "MegaButton20", "X", ButtonKind::Push, 80, 60);
    buttons->addWidget(MegaButton18);
    buttons->addWidget(MegaButton19);
    buttons->addStretch(1);
    buttons->addWidget(MegaButton20);
    column->addLayout(buttons);

    // The lines are not checkable by themselves: a tap anywhere on a line,
    // its box included, toggles it once.
    connect(CheckList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        emit checkRequested(CheckList->row(item), item->checkState() != Qt::Checked);
    });
    MegaButton18->OnClick = [this](TMegaButton*) { emit checkAllRequested(true); };
    MegaButton19->OnClick = [this](TMegaButton*) { emit checkAllRequested(false); };
    MegaButton20->OnClick = [this](TMegaButton*) { emit closeRequested(); };
}

void RowChoicePanel::ShowLines(const C_Parametr* method) {
    CheckList->clear();
    if (method == nullptr) return;
    for (int i = 0; i < method->Count(); ++i) {
        const S_Val& v = *method->Record(i);
        if (v.group == 4 || v.name == "sNI" || v.name == "sZL") continue;
        auto* item = new QListWidgetItem(draw::SymbolText(v.caption), CheckList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(Qt::UserRole, i);
        item->setCheckState(method->GetVisible(i) ? Qt::Checked : Qt::Unchecked);
    }
}

int RowChoicePanel::LineCount() const {
    return CheckList->count();
}

int RowChoicePanel::CheckedCount() const {
    int checked = 0;
    for (int i = 0; i < CheckList->count(); ++i)
        checked += CheckList->item(i)->checkState() == Qt::Checked ? 1 : 0;
    return checked;
}

int RowChoicePanel::SetChecked(int line, bool on) {
    QListWidgetItem* item = CheckList->item(line);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    return item->data(Qt::UserRole).toInt();
}

}  // namespace console
