// The numeric entry panel.

#include "console/numeric_entry_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "console/entry_field.h"
#include "console/look.h"
#include "controls/megabutton.h"
#include "station/station_entry.h"

namespace console {

NumericEntryPanel::NumericEntryPanel(QWidget* parent) : QFrame(parent) {
    StyleBarePanel(this, "SPEED_ENTER", 500, 140);
    auto* entry = new QVBoxLayout(this);
    auto* entryRow = new QHBoxLayout;
    SPEED_EDIT = MakeEntry(this, "SPEED_EDIT");
    SPEED_OK = MakeButton(this, "SPEED_OK", "ОК", ButtonKind::Push, 100, 56);
    // A refused value keeps the panel open: the operator needs a way out.
    SPEED_CANCEL = MakeButton(this, "SPEED_CANCEL", "ОТМЕНА", ButtonKind::Push, 130, 56);
    entryRow->addWidget(SPEED_EDIT, 1);
    entryRow->addWidget(SPEED_OK);
    entryRow->addWidget(SPEED_CANCEL);
    entry->addLayout(entryRow);
    SPEED_HINT = MakeLabel(this, "SPEED_HINT", "", 18);
    QPalette hint = SPEED_HINT->palette();
    hint.setColor(QPalette::WindowText, kEntryPink);
    SPEED_HINT->setPalette(hint);
    entry->addWidget(SPEED_HINT);
    SPEED_OK->OnClick = [this](TMegaButton*) { Enter(); };
    SPEED_CANCEL->OnClick = [this](TMegaButton*) {
        hide();
        emit closed();
    };
    connect(SPEED_EDIT, &QLineEdit::returnPressed, this, &NumericEntryPanel::Enter);
}

void NumericEntryPanel::Bind(station::EntryControl& entry) {
    entry_ = &entry;
}

void NumericEntryPanel::Enter() {
    const station::EntryAnswer answer =
        entry_ ? entry_->TakeValue(target_, SPEED_EDIT->text().toStdString(), !OpenerHidden())
               : station::EntryAnswer{};
    if (answer.refusal.empty()) {
        hide();
        emit closed();
        return;
    }
    Refuse(answer.refusal);
    if (answer.retype) FocusEntry();
}

void NumericEntryPanel::Open(int target, QWidget* opener, const std::string& text) {
    target_ = target;
    opener_ = opener;
    SPEED_EDIT->setText(QString::fromStdString(text));
    Tint(SPEED_EDIT, kEntryWhite);
    SPEED_HINT->clear();
}

void NumericEntryPanel::FocusEntry() {
    SPEED_EDIT->setFocus();
    SPEED_EDIT->selectAll();
}

void NumericEntryPanel::Refuse(const std::string& why) {
    Tint(SPEED_EDIT, kEntryPink);
    SPEED_HINT->setText(QString::fromStdString(why));
}

bool NumericEntryPanel::OpenerHidden() const {
    return opener_ != nullptr && !opener_->isVisible();
}

}  // namespace console
