// The entry panels: the numeric entry of the speed, set-points and limits,
// the settings password, the large copy of an input list for touch editing,
// and the on-screen keyboard as the window offers it.

#include "console/panel_entry.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "console/look.h"
#include "console/mode_bar.h"
#include "console/paramlist.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "controls/tfkeyboard.h"
#include "engine/cwork.h"
#include "model/numtext.h"
#include "platform/formatfloat.h"

namespace console::entry {

std::optional<Target> DescribeTarget(int target) {
    static constexpr Target kTargets[] = {
        {Field::Speed, 0, 0},        {Field::SetPoint, 1, 15},   {Field::Protection, 1, 16},
        {Field::SetPoint, 2, 15},    {Field::Protection, 2, 16}, {Field::SetPoint, 3, 15},
        {Field::Protection, 3, 16},  {Field::SetPoint, 4, 15},   {Field::AuxProtection, 4, 16},
        {Field::BreakPercent, 1, 0}, {Field::SetPoint, 5, 15},   {Field::AuxProtection, 5, 16},
    };
    if (target < 0 || target >= static_cast<int>(std::size(kTargets))) return std::nullopt;
    return kTargets[target];
}

std::optional<int> TargetOfRow(Readout readout, int row) {
    // Rows: set-point, protection, break percentage (on the force readouts).
    static constexpr int kRows[5][3] = {{1, 2, 9}, {3, 4, -1}, {5, 6, -1}, {7, 8, 9}, {10, 11, -1}};
    if (row < 0 || row > 2) return std::nullopt;
    const int target = kRows[static_cast<int>(readout)][row];
    if (target < 0) return std::nullopt;
    return target;
}

Limits LimitsOf(Field field, double fullScale, double speedLimit) {
    auto known = [](double v) { return v > 0.0 ? std::optional<double>(v) : std::nullopt; };
    switch (field) {
        case Field::Speed:
            return {0.0, known(speedLimit)};
        case Field::BreakPercent:
            return {0.0, 100.0};
        default:
            return {0.0, known(fullScale)};
    }
}

std::optional<double> ParseNumber(std::string_view text) {
    return ReadTypedFloat(text);
}

Checked CheckEntry(std::string_view text, const Limits& limits) {
    const std::optional<double> v = ParseNumber(text);
    if (!v) return {std::nullopt, "ВВЕДИТЕ ЧИСЛО"};
    // Typed numbers are single precision: a limit typed back must pass.
    const auto f = static_cast<float>(*v);
    const bool low = f < static_cast<float>(limits.min);
    const bool high = limits.max && f > static_cast<float>(*limits.max);
    if (!low && !high) return {v, ""};
    std::string range = "ДОПУСТИМО ОТ " + platform::FormatFloat("0.###", limits.min);
    if (limits.max) range += " ДО " + platform::FormatFloat("0.###", *limits.max);
    return {std::nullopt, range};
}

std::string SpeedCaptionNumber(std::string_view caption) {
    const size_t first = caption.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    caption.remove_prefix(first);
    return std::string(caption.substr(0, caption.find(' ')));
}

namespace {

int Clamp(int v, int low, int high) {
    return std::max(low, std::min(v, high));
}

}  // namespace

Point SpeedEntryOrigin(Point bar, Size barSize, Size panel, Size window) {
    const int x = bar.x + (barSize.w - panel.w) / 2;
    const int y = bar.y - 30;
    return {Clamp(x, 0, std::max(0, window.w - panel.w)),
            Clamp(y, 0, std::max(0, window.h - panel.h))};
}

Point ZoomKeyboardOrigin(Point window, int windowWidth, int panelTop, Size keyboard, Point screen,
                         Size screenSize) {
    Point at{window.x + windowWidth / 2 - keyboard.w / 2, window.y + panelTop + 335};
    if (screenSize.w <= 0 || screenSize.h <= 0) return at;
    at.x = Clamp(at.x, screen.x, std::max(screen.x, screen.x + screenSize.w - keyboard.w));
    at.y = Clamp(at.y, screen.y, std::max(screen.y, screen.y + screenSize.h - keyboard.h));
    return at;
}

}  // namespace console::entry

namespace {

using console::entry::Field;

// Runs an action when the watched widget sees one kind of event, which then
// goes on as before: a left-button release, or a focus taken by a touch.
class EventHook : public QObject {
public:
    EventHook(QWidget* watched, QEvent::Type type, std::function<void()> action)
        : QObject(watched), type_(type), action_(std::move(action)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != type_) return false;
        if (type_ == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        // Focus moved by the window itself (a page hidden, a panel closed)
        // is not the operator reaching for a field.
        if (type_ == QEvent::FocusIn &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
            return false;
        action_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> action_;
};

const QColor kWhite(255, 255, 255);
const QColor kPink(255, 192, 203);
const QColor kGreen(120, 230, 120);

void Tint(QLineEdit* edit, const QColor& colour) {
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, colour);
    edit->setPalette(p);
}

QLineEdit* MakeEntry(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    QFont f = edit->font();
    f.setPixelSize(30);
    f.setBold(true);
    edit->setFont(f);
    edit->setMinimumHeight(56);
    return edit;
}

}  // namespace

void TFBase::BuildEntryPanels() {
    using console::ButtonKind;
    using console::MakeButton;
    using console::entry::Readout;

    // The keyboard is its own window on top of this one; it lives as long.
    FKeyBoard = new TFKeyBoard(this);
    FKeyBoard->SetTarget(this);

    // ----- numeric entry
    SPEED_ENTER = console::MakeBarePanel(this, "SPEED_ENTER", 500, 140);
    auto* entry = new QVBoxLayout(SPEED_ENTER);
    auto* entryRow = new QHBoxLayout;
    SPEED_EDIT = MakeEntry(SPEED_ENTER, "SPEED_EDIT");
    SPEED_OK = MakeButton(SPEED_ENTER, "SPEED_OK", "ОК", ButtonKind::Push, 100, 56);
    // A refused value keeps the panel open: the operator needs a way out.
    SPEED_CANCEL = MakeButton(SPEED_ENTER, "SPEED_CANCEL", "ОТМЕНА", ButtonKind::Push, 130, 56);
    entryRow->addWidget(SPEED_EDIT, 1);
    entryRow->addWidget(SPEED_OK);
    entryRow->addWidget(SPEED_CANCEL);
    entry->addLayout(entryRow);
    SPEED_HINT = console::MakeLabel(SPEED_ENTER, "SPEED_HINT", "", 18);
    QPalette hint = SPEED_HINT->palette();
    hint.setColor(QPalette::WindowText, kPink);
    SPEED_HINT->setPalette(hint);
    entry->addWidget(SPEED_HINT);
    SPEED_OK->OnClick = [this](TMegaButton*) { SPEED_OKClick(); };
    SPEED_CANCEL->OnClick = [this](TMegaButton*) {
        SPEED_ENTER->hide();
        HideVirtualKeyboard();
    };
    connect(SPEED_EDIT, &QLineEdit::returnPressed, this, &TFBase::SPEED_OKClick);

    connect(&workScreen_->Readouts(), &console::WorkReadouts::limitClicked, this,
            [this](Readout which, int row, QWidget* readout) {
                if (const auto target = console::entry::TargetOfRow(which, row))
                    OpenSpeedEntry(*target, readout);
            });
    connect(&workScreen_->ControlBar(), &console::WorkControlBar::speedClicked, this,
            [this](QWidget* readout) { OpenSpeedEntry(0, readout); });

    // ----- password
    PAROLMES = console::MakeBarePanel(this, "PAROLMES", 500, 200);
    auto* password = new QVBoxLayout(PAROLMES);
    password->addWidget(console::MakeLabel(PAROLMES, "", "ВВЕДИТЕ ПАРОЛЬ:", 22));
    ParolEdit = MakeEntry(PAROLMES, "ParolEdit");
    ParolEdit->setEchoMode(QLineEdit::Password);
    ParolEdit->setStyleSheet("lineedit-password-character: 42;");
    password->addWidget(ParolEdit);
    auto* passwordRow = new QHBoxLayout;
    PASSWORD_OK = MakeButton(PAROLMES, "PASSWORD_OK", "ОК", ButtonKind::Push, 150, 56);
    PASSWORD_CANCEL = MakeButton(PAROLMES, "PASSWORD_CANCEL", "Отмена", ButtonKind::Push, 150, 56);
    passwordRow->addStretch(1);
    passwordRow->addWidget(PASSWORD_OK);
    passwordRow->addWidget(PASSWORD_CANCEL);
    passwordRow->addStretch(1);
    password->addLayout(passwordRow);
    PASSWORD_OK->OnClick = [this](TMegaButton*) { PASSWORD_OKClick(); };
    PASSWORD_CANCEL->OnClick = [this](TMegaButton*) { ShowPassword(false); };
    connect(ParolEdit, &QLineEdit::returnPressed, this, &TFBase::PASSWORD_OKClick);
    // Where the focus goes once the settings open: away from the password.
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->hide();

    // ----- data zoom
    ZOOMPANEL = console::MakeBarePanel(this, "ZOOMPANEL", 900, 330);
    auto* zoom = new QVBoxLayout(ZOOMPANEL);
    auto* zoomTitle = new QHBoxLayout;
    zoomTitle->addWidget(console::MakeLabel(ZOOMPANEL, "", "ВВЕДИТЕ ДАННЫЕ", 22), 1);
    ZoomClose = MakeButton(ZOOMPANEL, "ZoomClose", "X", ButtonKind::Push, 60, 44);
    zoomTitle->addWidget(ZoomClose);
    zoom->addLayout(zoomTitle);
    SELECT_DATA = new console::ParamList(zoomLines_, ZOOMPANEL);
    SELECT_DATA->setObjectName("SELECT_DATA");
    QFont large = SELECT_DATA->font();
    large.setPixelSize(26);
    SELECT_DATA->setFont(large);
    SELECT_DATA->verticalHeader()->setDefaultSectionSize(46);
    SELECT_DATA->horizontalHeader()->setMinimumSectionSize(260);
    zoom->addWidget(SELECT_DATA, 1);
    SELECT_DATA->OnEdit = [this](int row, const std::string& text) {
        if (!work_) return;
        const TextResult typed = work_->Methods().SetInGroup(row, zoomGroup_, text);
        // The copy shows the value as stored (clamped), or as it was when refused.
        work_->Methods().RefreshList(zoomGroup_);
        zoomLines_ = paramLines_[zoomGroup_];
        SELECT_DATA->Reload();
        if (!typed) ShowMes(typed.error, 1, 0);
    };
    ZoomClose->OnClick = [this](TMegaButton*) { ZoomCloseClick(); };
    const std::pair<const char*, int> zoomButtons[] = {
        {"PANEL_DATA", 0}, {"PANEL_STARTDATA", 1}, {"PANEL_ENDDATA", 2}};
    for (const auto& [name, group] : zoomButtons) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [this, group = group](TMegaButton*) { OpenZoomPanel(group); };
    }

    // ----- the keyboard where the operator asks for it or reaches a list
    for (const char* name : {"MENU5", "MegaButton28", "MegaButton7"}) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [this](TMegaButton*) { KeyboardButtonClick(); };
    }
    if (auto* b = findChild<TMegaButton*>("MENU_CUSTOM"))
        b->OnClick = [this](TMegaButton*) { ShowPassword(true); };
    // (The settings page brings it up for its own list.)
    for (QWidget* list : {ListPodgotov, ListStart, ListFinish, ListResult})
        new EventHook(list, QEvent::FocusIn, [this] { ShowVirtualKeyboard(); });
}

// ----- keyboard

void TFBase::ShowVirtualKeyboard() {
    ShowKeyboardIn(work_ ? console::entry::KeyboardMode(work_->Config().iVK) : 0);
}

void TFBase::ShowKeyboardIn(int mode) {
    // Centred on the window the first time it shows, when the window has its size.
    if (mode != 0 && !keyboardPlaced_) {
        FKeyBoard->SetTarget(this);
        keyboardPlaced_ = true;
    }
    FKeyBoard->ShowKeyboard(mode);
}

void TFBase::HideVirtualKeyboard() {
    FKeyBoard->ShowKeyboard(0);
}

void TFBase::KeyboardButtonClick() {
    const int mode = work_ ? console::entry::KeyboardMode(work_->Config().iVK) : 0;
    if (mode != 0) {
        ShowKeyboardIn(mode);
        return;
    }
    // A station without a real keyboard is stuck unless it is told the way.
    ShowMes("ЭКРАННАЯ КЛАВИАТУРА ВЫКЛЮЧЕНА В НАСТРОЙКАХ. ВКЛЮЧИТЬ: НАСТРОЙКИ, " +
                KeyboardSettingPlace() + " = 1",
            1, 0);
}

// ----- numeric entry

namespace {

// The channel field a target writes; the speed has none.
double* EntryField(C_Work& work, const console::entry::Target& target) {
    if (target.channel < 1) return nullptr;
    C_Kanal& k = work.Channel(target.channel);
    switch (target.field) {
        case Field::SetPoint:
            return &k.setPoint;
        case Field::Protection:
            return &k.protection;
        case Field::AuxProtection:
            return &k.auxProtection;
        case Field::BreakPercent:
            return &k.breakPercent;
        default:
            return nullptr;
    }
}

}  // namespace

void TFBase::OpenSpeedEntry(int target, QWidget* opener) {
    const auto t = console::entry::DescribeTarget(target);
    if (!t) return;
    // Closed before the keyboard comes up for this entry.
    ClosePanels(SPEED_ENTER);
    entryTarget_ = target;
    entryOpener_ = opener;
    std::string text;
    if (t->field == Field::Speed) {
        text =
            console::entry::SpeedCaptionNumber(workScreen_->ControlBar().SpeedText().toStdString());
    } else if (const double* field = work_ ? EntryField(*work_, *t) : nullptr) {
        text = FloatToStrAuto(*field);
    }
    SPEED_EDIT->setText(QString::fromStdString(text));
    Tint(SPEED_EDIT, kWhite);
    SPEED_HINT->clear();
    const QWidget* controlBar = &workScreen_->ControlBar();
    const QPoint bar = controlBar->mapTo(this, QPoint(0, 0));
    const console::Point at = console::entry::SpeedEntryOrigin(
        {bar.x(), bar.y()}, {controlBar->width(), controlBar->height()},
        {SPEED_ENTER->width(), SPEED_ENTER->height()}, {width(), height()});
    SPEED_ENTER->move(at.x, at.y);
    ShowVirtualKeyboard();
    OpenPanel(SPEED_ENTER);
    SPEED_EDIT->setFocus();
    // The first key typed replaces the value shown.
    SPEED_EDIT->selectAll();
    FKeyBoard->KeepClear();
}

void TFBase::SPEED_OKClick() {
    const auto t = console::entry::DescribeTarget(entryTarget_);
    if (!t || !work_) {
        SPEED_ENTER->hide();
        HideVirtualKeyboard();
        return;
    }
    // Nothing reaches the unit that it could not take: the value is checked
    // against the channel first, and a refusal keeps the panel open.
    const int channel = t->field == Field::Speed ? work_->ActiveChannel() : t->channel;
    const C_Kanal& k = work_->Channel(channel);
    const console::entry::Checked checked =
        console::entry::CheckEntry(SPEED_EDIT->text().toStdString(),
                                   console::entry::LimitsOf(t->field, k.fullScale, k.speedLimit));
    if (!checked.value) {
        Tint(SPEED_EDIT, kPink);
        SPEED_HINT->setText(QString::fromStdString(checked.refusal));
        SPEED_EDIT->setFocus();
        SPEED_EDIT->selectAll();
        return;
    }
    auto refuse = [this](const std::string& why) {
        Tint(SPEED_EDIT, kPink);
        SPEED_HINT->setText(QString::fromStdString(why));
    };
    // The readout it was opened from has gone (another zone or sheet): its
    // channel is no longer the one the operator sees.
    if (entryOpener_ != nullptr && !entryOpener_->isVisible()) {
        refuse("ПОЛЕ СКРЫТО: ЗНАЧЕНИЕ НЕ ПРИНЯТО");
        return;
    }
    const double value = *checked.value;
    std::string refusal;
    if (t->field == Field::Speed) {
        // Without a unit the engine keeps no speed.
        if (work_->Connected()) {
            work_->SetSpeed(static_cast<float>(value));
        } else {
            refusal = "НЕТ СВЯЗИ С УСТРОЙСТВОМ";
        }
    } else if (t->field == Field::BreakPercent) {
        // One break test for both force channels.
        work_->Channel(1).breakPercent = value;
        work_->Channel(4).breakPercent = value;
    } else if (t->field == Field::SetPoint) {
        refusal = ApplySetPoint(t->channel, value);
    } else if (double* field = EntryField(*work_, *t)) {
        const double before = *field;
        *field = value;
        if (t->sendCode != 0) refusal = SendToUnit(t->channel - 1, t->sendCode);
        if (!refusal.empty()) *field = before;
    }
    // Not taken: the panel stays with the reason, as for a refused number.
    if (!refusal.empty()) {
        refuse(refusal);
        return;
    }
    SPEED_ENTER->hide();
    HideVirtualKeyboard();
}

// ----- password

void TFBase::ShowPassword(bool show) {
    if (show) ClosePanels(PAROLMES);
    ParolEdit->clear();
    Tint(ParolEdit, kWhite);
    PAROLMES->setVisible(show);
    // Cancelling closes the panel and with it the keyboard it brought.
    if (show) {
        ShowVirtualKeyboard();
    } else {
        HideVirtualKeyboard();
    }
    CentrePanel(PAROLMES);
    if (show) ParolEdit->setFocus();
    FKeyBoard->KeepClear();
}

void TFBase::PASSWORD_OKClick() {
    if (!work_) return;
    // An empty password in the configuration opens with an empty entry.
    if (ParolEdit->text().toStdString() != work_->Config().iPASSV) {
        Tint(ParolEdit, kPink);
        return;
    }
    Command(18);
    Tint(ParolEdit, kGreen);
    modeBar_->DisableModes();
    // Closed here, not by the screen change: it keeps the green of the answer.
    PAROLMES->hide();
    HideVirtualKeyboard();
    Edit1->setFocus();
    ShowScreen(2);
}

// ----- data zoom

void TFBase::OpenZoomPanel(int group) {
    // Hidden first, so it comes back in the zoom panel's own mode and size.
    HideVirtualKeyboard();
    CentrePanel(ZOOMPANEL);
    OpenPanel(ZOOMPANEL);
    if (work_ && work_->Config().iVK != 0) {
        ShowKeyboardIn(3);
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        QRect screenArea;
        if (QScreen* s = screen()) screenArea = s->availableGeometry();
        const console::Point at = console::entry::ZoomKeyboardOrigin(
            {origin.x(), origin.y()}, width(), ZOOMPANEL->y(),
            {FKeyBoard->width(), FKeyBoard->height()}, {screenArea.x(), screenArea.y()},
            {screenArea.width(), screenArea.height()});
        FKeyBoard->move(at.x, at.y);
    }
    zoomGroup_ = group;
    zoomLines_ = paramLines_[group];
    SELECT_DATA->Reload();
    zoomFlag_ = true;
    SELECT_DATA->setFocus();
    if (SELECT_DATA->rowCount() > 0) SELECT_DATA->setCurrentCell(0, 1);
    FKeyBoard->KeepClear();
}

void TFBase::ZoomCloseClick() {
    ZOOMPANEL->hide();
    HideVirtualKeyboard();
    if (work_) {
        for (int group : {1, 0, 2})
            work_->Methods().RefreshList(group);
    }
    ReloadLists();
    zoomFlag_ = false;
    FillPoverkaTable(0);
}

void TFBase::CloseZoomPanel() {
    if (!ZOOMPANEL->isHidden()) {
        ZoomCloseClick();
        return;
    }
    zoomFlag_ = false;
}
