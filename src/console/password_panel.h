#pragma once

#include <QFrame>

#include <string>

class QLineEdit;
class TMegaButton;

namespace console {

// The settings password: its entry, OK and Отмена. Whether the password is
// right is the window's.
class PasswordPanel final : public QFrame {
    Q_OBJECT

public:
    explicit PasswordPanel(QWidget* parent);

    // Shown or hidden, its entry emptied and white either way.
    void Show(bool show);
    void FocusEntry();
    // The entry's colour for a wrong password and a right one.
    void Refuse();
    void Accept();
    // The hidden field the focus goes to once the settings open or close:
    // away from the password.
    QLineEdit* FocusSink() const { return Edit1; }

signals:
    // OK or Enter with what was typed.
    void accepted(const std::string& typed);
    void cancelled();

private:
    QLineEdit *ParolEdit = nullptr, *Edit1 = nullptr;
    TMegaButton *PASSWORD_OK = nullptr, *PASSWORD_CANCEL = nullptr;
};

}  // namespace console
