#pragma once

#include <QFrame>

#include <string>

#include "console/manual_rules.h"

class QLabel;
class QLineEdit;
class TMegaButton;

namespace console {

// The hold program's panel "Настройки выдержки" (Panel19): the fields as
// typed, and why the window refused them.
class HoldPanel final : public QFrame {
    Q_OBJECT

public:
    explicit HoldPanel(QWidget* parent);

    HoldFields Fields() const;
    void ShowRefusal(const std::string& why);
    void ClearRefusal();

signals:
    void applyRequested();
    // Closed by its own button.
    void closed();
    // A tap into a number field.
    void keyboardRequested();

private:
    QLineEdit *MaskEdit3 = nullptr, *MaskEdit4 = nullptr, *MaskEdit5 = nullptr,
              *MaskEdit6 = nullptr, *MaskEdit7 = nullptr;
    TMegaButton *MegaButton59 = nullptr, *MegaButton60 = nullptr;
    QLabel* HoldMessage = nullptr;
};

}  // namespace console
