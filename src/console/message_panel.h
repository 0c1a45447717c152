#pragma once

#include <QFrame>

#include <string>
#include <vector>

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
    // The screens behind it dark; while a test runs, all but the way to the
    // stop button, which must stay in reach. Closing lights them again.
    void DarkenBehind(QWidget* screens, bool testRunning);
    void Close();
    std::string Text() const;

signals:
    // 1 yes, 2 OK, 3 no.
    void answered(int answer);

private:
    void Lighten();

    QLabel* MesText = nullptr;
    TMegaButton *Butt_YES = nullptr, *Butt_OK = nullptr, *Butt_NO = nullptr;
    std::vector<QWidget*> darkened_;
};

}  // namespace console
