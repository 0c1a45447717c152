#pragma once

#include <QFrame>

#include <string>

class QLabel;
class TMegaButton;

namespace console {

// The floating panel that asks or informs: its text and the three answer
// buttons. What an answer does is the window's.
class MessagePanel final : public QFrame {
    Q_OBJECT

public:
    explicit MessagePanel(QWidget* parent);

    // Kind 0 asks yes or no, 1 informs with OK, other kinds show no button.
    void Show(const std::string& text, int kind);
    void Close();
    std::string Text() const;

signals:
    // 1 yes, 2 OK, 3 no.
    void answered(int answer);

private:
    QLabel* MesText = nullptr;
    TMegaButton *Butt_YES = nullptr, *Butt_OK = nullptr, *Butt_NO = nullptr;
};

}  // namespace console
