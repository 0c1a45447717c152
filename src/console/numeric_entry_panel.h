#pragma once

#include <QFrame>

#include <string>

class QLabel;
class QLineEdit;
class TMegaButton;

namespace console {

// The numeric entry of the speed, set-points and limits: one field, OK and
// ОТМЕНА, and the reason a value was refused. Which field a target writes
// and whether a value may go is the window's.
class NumericEntryPanel final : public QFrame {
    Q_OBJECT

public:
    explicit NumericEntryPanel(QWidget* parent);

    // Ready for target 0 ... 11 from the readout `opener`, showing `text`
    // on white with no reason.
    void Open(int target, QWidget* opener, const std::string& text);
    // The field focused with its value selected: the first key replaces it.
    void FocusEntry();
    // A value not taken: the field pink and the reason under it.
    void Refuse(const std::string& why);
    int EntryTarget() const { return target_; }
    // The readout it was opened from has gone (another zone or sheet).
    bool OpenerHidden() const;

signals:
    // OK or Enter with the text as typed.
    void valueEntered(int target, const std::string& text);
    // ОТМЕНА: the panel has closed.
    void cancelled();

private:
    QLineEdit* SPEED_EDIT = nullptr;
    TMegaButton *SPEED_OK = nullptr, *SPEED_CANCEL = nullptr;
    QLabel* SPEED_HINT = nullptr;
    int target_ = 0;
    // What opened it: a value goes only while it is shown.
    QWidget* opener_ = nullptr;
};

}  // namespace console
