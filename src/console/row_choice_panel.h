#pragma once

#include <QFrame>

class C_Parametr;
class QListWidget;
class TMegaButton;

namespace console {

// The protocol's row choice (LIST_CHECK): a line per parameter of the
// method, checked when the protocol shows it.
class RowChoicePanel final : public QFrame {
    Q_OBJECT

public:
    explicit RowChoicePanel(QWidget* parent = nullptr);

    // The method's lines as it shows them now; none without a method.
    void ShowLines(const C_Parametr* method);
    int LineCount() const;
    int CheckedCount() const;
    // Checks a line; returns the method's record it stands for.
    int SetChecked(int line, bool on);

signals:
    void checkRequested(int line, bool on);
    void checkAllRequested(bool on);
    void closeRequested();

private:
    QListWidget* CheckList = nullptr;
    TMegaButton *MegaButton18 = nullptr, *MegaButton19 = nullptr, *MegaButton20 = nullptr;
};

}  // namespace console
