#include "console/work_control_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "console/look.h"
#include "controls/megabutton.h"

namespace console {

namespace {

// A tap (left button released) on a widget that has no click of its own.
class TapHook final : public QObject {
public:
    TapHook(QWidget* watched, std::function<void()> action)
        : QObject(watched), action_(std::move(action)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            action_();
        return false;
    }

private:
    std::function<void()> action_;
};

void OnlyDown(std::initializer_list<TMegaButton*> group, TMegaButton* down) {
    for (TMegaButton* b : group)
        SetButtonDown(b, b == down);
}

}  // namespace

WorkControlBar::WorkControlBar(QWidget* parent) : QFrame(parent) {
    StylePanel(this, "CONTROLPANEL");
    auto* bar = new QVBoxLayout(this);
    bar->setContentsMargins(6, 6, 6, 6);
    BUT_START = MakeButton(this, "BUT_START", "ПУСК", ButtonKind::Toggle, 130, 56);
    BUT_PAUSE = MakeButton(this, "BUT_PAUSE", "ПАУЗА", ButtonKind::Toggle, 110, 56);
    BUT_STOP = MakeButton(this, "BUT_STOP", "СТОП", ButtonKind::Push, 130, 56);
    BUT_START->Image.Add(Picture("start.jpg"));
    BUT_START->ImageIndex = 0;
    BUT_START->AlignText = 2;
    BUT_START->bLeft = 8;
    BUT_STOP->Image.Add(Picture("stop.jpg"));
    BUT_STOP->ImageIndex = 0;
    BUT_STOP->AlignText = 2;
    BUT_STOP->bLeft = 8;
    DIRECT_F = MakeButton(this, "DIRECT_F", "F", ButtonKind::Radio, 64, 56);
    DIRECT_L = MakeButton(this, "DIRECT_L", "L", ButtonKind::Radio, 64, 56);
    DIRECT_E = MakeButton(this, "DIRECT_E", "E", ButtonKind::Radio, 64, 56);
    DIRECT_UP_DOWN = MakeButton(this, "DIRECT_UP_DOWN", "↑↓", ButtonKind::Toggle, 64, 56);
    SpeedUp = MakeButton(this, "SpeedUp", "V+0.5", ButtonKind::Push, 80, 44);
    SpeedDown = MakeButton(this, "SpeedDown", "V-0.5", ButtonKind::Push, 80, 44);
    SpeedMultUp = MakeButton(this, "SpeedMultUp", "V*2", ButtonKind::Push, 80, 44);
    SpeedMultDown = MakeButton(this, "SpeedMultDown", "V/2", ButtonKind::Push, 80, 44);
    SPEED_1 = MakeButton(this, "SPEED_1", "1.0", ButtonKind::Push, 70, 44);
    SPEED_01 = MakeButton(this, "SPEED_01", "0.1", ButtonKind::Push, 70, 44);
    SPEED_001 = MakeButton(this, "SPEED_001", "0.01", ButtonKind::Push, 70, 44);
    SPEED_0 = MakeButton(this, "SPEED_0", "0", ButtonKind::Push, 70, 44);
    Ind_SPEED = MakeLabel(this, "Ind_SPEED", "0,000 мм/мин", 22);
    Ind_SPEED->setStyleSheet("background: black; color: yellow; padding: 4px;");
    Ind_SPEED->setMinimumWidth(180);
    Ind_SPEED->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    DIRECT_L->Down = true;
    // Three rows keep every button whole in the narrowest window: the
    // control channel and the set speeds; the speed steps (the extensometer
    // button joins them); start, pause, stop and the speed at the foot, clear
    // of a message centred on the window.
    auto* top = new QHBoxLayout;
    for (TMegaButton* b : {BUT_START, BUT_PAUSE, BUT_STOP})
        top->addWidget(b);
    top->addWidget(Ind_SPEED, 1);
    auto* channels = new QHBoxLayout;
    for (TMegaButton* b :
         {DIRECT_F, DIRECT_L, DIRECT_E, DIRECT_UP_DOWN, SPEED_1, SPEED_01, SPEED_001, SPEED_0})
        channels->addWidget(b);
    channels->addStretch(1);
    auto* speeds = new QHBoxLayout;
    for (TMegaButton* b : {SpeedUp, SpeedDown, SpeedMultUp, SpeedMultDown})
        speeds->addWidget(b);
    speeds->addStretch(1);
    bar->addLayout(channels);
    bar->addLayout(speeds);
    bar->addLayout(top);

    BUT_START->OnClick = [this](TMegaButton*) {
        ShowStarted();
        emit startRequested();
    };
    BUT_PAUSE->OnClick = [this](TMegaButton* b) { emit command(b->Down ? 38 : 39); };
    BUT_STOP->OnClick = [this](TMegaButton*) { emit stopRequested(); };
    DIRECT_UP_DOWN->OnClick = [this](TMegaButton* b) { emit command(b->Down ? 40 : 7); };
    const std::pair<TMegaButton*, int> sends[] = {
        {DIRECT_F, 4},  {DIRECT_L, 5},     {DIRECT_E, 6},       {SpeedUp, 8},
        {SpeedDown, 9}, {SpeedMultUp, 10}, {SpeedMultDown, 11}, {SPEED_1, 58},
        {SPEED_01, 59}, {SPEED_001, 60},   {SPEED_0, 62}};
    for (const auto& [b, code] : sends)
        b->OnClick = [this, code = code](TMegaButton*) { emit command(code); };
    new TapHook(Ind_SPEED, [this] { emit speedClicked(Ind_SPEED); });

    // The extensometer window, at the end of the speed row: on the work
    // screen in set-up and during the test, when the operator mounts and
    // takes off the extensometer.
    EXTENS_OPEN = MakeButton(this, "EXTENS_OPEN", "ЭКСТЕНЗОМЕТР", ButtonKind::Push, 150, 44);
    EXTENS_OPEN->Font.SetSize(10);
    speeds->addWidget(EXTENS_OPEN);
    EXTENS_OPEN->OnClick = [this](TMegaButton*) { emit extensRequested(); };
}

void WorkControlBar::ShowStarted() {
    SetButtonDown(BUT_START, true);
    SetButtonDown(BUT_PAUSE, false);
    SetButtonDown(BUT_STOP, false);
    SetButtonEnabled(BUT_PAUSE, true);
}

void WorkControlBar::ShowStopped() {
    SetButtonDown(BUT_START, false);
    SetButtonDown(BUT_PAUSE, false);
    SetButtonEnabled(BUT_PAUSE, false);
    SetButtonDown(BUT_STOP, true);
}

void WorkControlBar::ShowPaused() {
    SetButtonDown(BUT_PAUSE, true);
}

void WorkControlBar::ShowNotRunning() {
    SetButtonDown(BUT_START, false);
    SetButtonEnabled(BUT_PAUSE, false);
}

void WorkControlBar::EnablePause(bool enabled) {
    SetButtonEnabled(BUT_PAUSE, enabled);
}

void WorkControlBar::ShowChannel(int channel) {
    TMegaButton* pick[] = {DIRECT_F, DIRECT_L, DIRECT_E};
    OnlyDown({DIRECT_F, DIRECT_L, DIRECT_E}, pick[channel - 1]);
}

void WorkControlBar::ShowDirectionDown(bool down) {
    SetButtonDown(DIRECT_UP_DOWN, down);
}

void WorkControlBar::SetChannelNames(const std::string& f, const std::string& l,
                                     const std::string& e) {
    const std::pair<TMegaButton*, const std::string*> captions[] = {
        {DIRECT_F, &f}, {DIRECT_L, &l}, {DIRECT_E, &e}};
    for (const auto& [button, name] : captions) {
        button->Caption = *name;
        button->Draw();
    }
}

void WorkControlBar::EnableChannel(int channel, bool used) {
    TMegaButton* pick[] = {DIRECT_F, DIRECT_L, DIRECT_E};
    SetButtonEnabled(pick[channel - 1], used);
}

void WorkControlBar::EnableExtensometer(bool on) {
    if (DIRECT_E->Enabled != on) SetButtonEnabled(DIRECT_E, on);
}

void WorkControlBar::ShowSpeed(const QString& text) {
    if (Ind_SPEED->text() != text) Ind_SPEED->setText(text);
}

QString WorkControlBar::SpeedText() const {
    return Ind_SPEED->text();
}

}  // namespace console
