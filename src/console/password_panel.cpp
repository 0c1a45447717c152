// The settings password panel.

#include "console/password_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "console/entry_field.h"
#include "console/look.h"
#include "controls/megabutton.h"

namespace console {

PasswordPanel::PasswordPanel(QWidget* parent) : QFrame(parent) {
    StyleBarePanel(this, "PAROLMES", 500, 200);
    auto* password = new QVBoxLayout(this);
    password->addWidget(MakeLabel(this, "", "ВВЕДИТЕ ПАРОЛЬ:", 22));
    ParolEdit = MakeEntry(this, "ParolEdit");
    ParolEdit->setEchoMode(QLineEdit::Password);
    ParolEdit->setStyleSheet("lineedit-password-character: 42;");
    password->addWidget(ParolEdit);
    auto* passwordRow = new QHBoxLayout;
    PASSWORD_OK = MakeButton(this, "PASSWORD_OK", "ОК", ButtonKind::Push, 150, 56);
    PASSWORD_CANCEL = MakeButton(this, "PASSWORD_CANCEL", "Отмена", ButtonKind::Push, 150, 56);
    passwordRow->addStretch(1);
    passwordRow->addWidget(PASSWORD_OK);
    passwordRow->addWidget(PASSWORD_CANCEL);
    passwordRow->addStretch(1);
    password->addLayout(passwordRow);
    auto ok = [this] { emit accepted(ParolEdit->text().toStdString()); };
    PASSWORD_OK->OnClick = [ok](TMegaButton*) { ok(); };
    PASSWORD_CANCEL->OnClick = [this](TMegaButton*) { emit cancelled(); };
    connect(ParolEdit, &QLineEdit::returnPressed, this, ok);
    // A sibling on the window, as the field the settings page hands the focus to.
    Edit1 = new QLineEdit(parent);
    Edit1->setObjectName("Edit1");
    Edit1->hide();
}

void PasswordPanel::Show(bool show) {
    ParolEdit->clear();
    Tint(ParolEdit, kEntryWhite);
    setVisible(show);
}

void PasswordPanel::FocusEntry() {
    ParolEdit->setFocus();
}

void PasswordPanel::Refuse() {
    Tint(ParolEdit, kEntryPink);
}

void PasswordPanel::Accept() {
    Tint(ParolEdit, kEntryGreen);
}

}  // namespace console
