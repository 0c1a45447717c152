#pragma once

#include <QFrame>
#include <QPointer>

#include <string>

class QLabel;
class QLineEdit;
class TMegaButton;

namespace station {
class EntryControl;
}

namespace console {

// The numeric entry of the speed, set-points and limits: one field, OK and
// ОТМЕНА, and the reason a value was refused. Which field a target writes
// and whether a value may go is the station's.
class NumericEntryPanel final : public QFrame {
    Q_OBJECT

public:
    explicit NumericEntryPanel(QWidget* parent);
    // OK and Enter hand the typed text to the station's entry.
    void Bind(station::EntryControl& entry);

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
    // ОТМЕНА, or a value the station took: the panel has closed.
    void closed();

private:
    void Enter();

    // Gone with the station when the window closes.
    QPointer<station::EntryControl> entry_;
    QLineEdit* SPEED_EDIT = nullptr;
    TMegaButton *SPEED_OK = nullptr, *SPEED_CANCEL = nullptr;
    QLabel* SPEED_HINT = nullptr;
    int target_ = 0;
    // What opened it: a value goes only while it is shown.
    QWidget* opener_ = nullptr;
};

}  // namespace console
