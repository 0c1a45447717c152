// The settings screen: the tree of setting groups, the configuration list
// that stores each edit at once, the information plate, leaving the
// settings, the window's service keys and the console panel Cons.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <iterator>
#include <string>
#include <utility>

#include "console/calibration_page.h"
#include "console/chrome.h"
#include "console/geometry.h"
#include "console/look.h"
#include "console/paramlist.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "platform/messagesink.h"

using console::ButtonKind;
using console::MakeButton;

namespace {

// The tree's nodes in order: a node's position is its absolute index.
struct SettingsNode {
    const char* text;
    bool underChannels;
    int group;  // the configuration group the list shows; 0: another page
};
constexpr SettingsNode kSettingsNodes[] = {
    {"Общие настройки", false, 7}, {"Каналы", false, 11},     {"Сила", true, 11},
    {"Перемещение", false, 12},    {"Деформация", false, 13}, {"Калибровка", false, 0},
    {"О программе", false, 0}};
constexpr int kCalibrationNode = 5;
constexpr int kAboutNode = 6;

// Pages of PageConfig.
constexpr int kListPage = 0;
constexpr int kCalibrationPage = 1;
constexpr int kAboutPage = 2;

// The unit takes the PID gains before anything else reaches it.
constexpr int kConfigExitPauseMs = 200;

// The information page keeps its plate centred whatever its size.
class AboutPage : public QWidget {
public:
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (onResize) onResize();
    }
};

// Calls back when a watched control takes the focus.
class FocusWatcher : public QObject {
public:
    FocusWatcher(QObject* parent, std::function<void()> onFocus)
        : QObject(parent), onFocus_(std::move(onFocus)) {}
    void Watch(QWidget* widget) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) onFocus_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onFocus_;
};

}  // namespace

QWidget* TFBase::BuildSettingsPage() {
    auto* page = console::MakePanel(nullptr, "TabSheet2");
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(6, 6, 6, 6);

    auto* left = new QVBoxLayout;
    left->addWidget(console::MakeLabel(page, "", "НАСТРОЙКИ", 22));
    TreeView1 = new QTreeWidget(page);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setFont(console::PixelFont(TreeView1->font(), 20));
    TreeView1->setStyleSheet("QTreeView::item { height: 44px; }");
    TreeView1->setFixedWidth(300);
    QTreeWidgetItem* channels = nullptr;
    int index = 0;
    for (const SettingsNode& node : kSettingsNodes) {
        auto* item =
            node.underChannels ? new QTreeWidgetItem(channels) : new QTreeWidgetItem(TreeView1);
        item->setText(0, QString::fromUtf8(node.text));
        item->setData(0, Qt::UserRole, index++);
        if (channels == nullptr && node.group == 11) channels = item;
    }
    TreeView1->expandAll();
    TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) TreeView1Change(item->data(0, Qt::UserRole).toInt());
    });
    left->addWidget(TreeView1, 1);
    CONFIG_KEYBOARD = MakeButton(page, "CONFIG_KEYBOARD", "КЛАВИАТУРА", ButtonKind::Push, 300, 56);
    CONFIG_KEYBOARD->OnClick = [this](TMegaButton*) { KeyboardButtonClick(); };
    CONFIG_EXIT = MakeButton(page, "CONFIG_EXIT", "ВЫХОД ИЗ НАСТРОЕК", ButtonKind::Push, 300, 56);
    CONFIG_EXIT->setToolTip(QString::fromUtf8("Сохранить настройки и выйти"));
    CONFIG_EXIT->OnClick = [this](TMegaButton*) { ConfigExitClick(); };
    left->addWidget(CONFIG_KEYBOARD);
    left->addWidget(CONFIG_EXIT);
    columns->addLayout(left);

    PageConfig = new QStackedWidget(page);
    PageConfig->setObjectName("PageConfig");
    CUSTOM_LIST = new console::ParamList(settingsLines_, PageConfig);
    CUSTOM_LIST->setObjectName("CUSTOM_LIST");
    CUSTOM_LIST->setFont(console::PixelFont(CUSTOM_LIST->font(), 18));
    CUSTOM_LIST->verticalHeader()->setDefaultSectionSize(36);
    CUSTOM_LIST->OnEdit = [this](int row, const std::string& text) { CustomListEdit(row, text); };
    connect(CUSTOM_LIST, &QTableWidget::currentCellChanged, this, [this] {
        if (work_) work_->RefreshConfigList();
        ReloadCustomList();
    });
    PageConfig->addWidget(CUSTOM_LIST);
    calibrationPage_ = new console::CalibrationPage;
    connect(calibrationPage_, &console::CalibrationPage::saveRequested, this,
            &TFBase::SaveCalibPoint);
    PageConfig->addWidget(calibrationPage_);
    PageConfig->addWidget(BuildAboutPage());
    columns->addWidget(PageConfig, 1);

    // Entering the list or a calibration field brings up the on-screen keyboard.
    auto* watcher = new FocusWatcher(page, [this] { ShowSettingsKeyboard(); });
    watcher->Watch(CUSTOM_LIST);
    calibrationPage_->WatchFields(watcher);

    configExitPause_ = new QTimer(this);
    configExitPause_->setObjectName("ConfigExitPause");
    configExitPause_->setSingleShot(true);
    configExitPause_->setInterval(kConfigExitPauseMs);
    connect(configExitPause_, &QTimer::timeout, this, &TFBase::ConfigExitFinish);

    BuildCons();
    BuildShortcuts();
    return page;
}

QWidget* TFBase::BuildAboutPage() {
    auto* page = new AboutPage;
    page->setObjectName("AboutPage");
    SHILDIK = new QFrame(page);
    SHILDIK->setObjectName("SHILDIK");
    SHILDIK->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SHILDIK->setLineWidth(4);
    SHILDIK->setAutoFillBackground(true);
    QPalette pal = SHILDIK->palette();
    pal.setColor(QPalette::Window, QColor(214, 222, 232));
    pal.setColor(QPalette::WindowText, QColor(10, 30, 70));
    SHILDIK->setPalette(pal);
    SHILDIK->resize(620, 300);
    auto* lines = new QVBoxLayout(SHILDIK);
    lines->setContentsMargins(30, 24, 30, 24);
    struct Line {
        std::string text;
        int pixels;
        bool bold;
    };
    const Line plate[] = {
        {"Ворталинец", 34, true},
        {"Программа оператора испытательной машины", 18, true},
        {" ", 10, false},
        {"Модули: модель данных, связь с блоком измерения и управления,", 15, false},
        {"испытания и методы расчета, графики, протоколы, пульт оператора,", 15, false},
        {"экранная клавиатура, экстензометр, справка.", 15, false},
        {" ", 10, false},
        {std::string("Библиотека Qt ") + qVersion(), 15, false}};
    for (const Line& l : plate) {
        auto* label = new QLabel(QString::fromStdString(l.text), SHILDIK);
        label->setFont(console::PixelFont(label->font(), l.pixels, l.bold));
        label->setAlignment(Qt::AlignCenter);
        lines->addWidget(label);
    }
    page->onResize = [this] { CentreShildik(); };
    return page;
}

void TFBase::BuildCons() {
    Cons = console::MakeFloatingPanel(this, "Cons", "Консоль", 560, 420);
    auto* column = static_cast<QVBoxLayout*>(Cons->layout());
    auto* handle = new console::DragHandle(Cons, Cons);
    handle->setObjectName("Move3");
    handle->setFixedHeight(20);
    column->insertWidget(0, handle);
    Memo1 = new QPlainTextEdit(Cons);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    column->addWidget(Memo1, 1);
    auto* row = new QHBoxLayout;
    TMegaButton* list = MakeButton(Cons, "Button1", "Параметры", ButtonKind::Push, 140, 44);
    list->OnClick = [this](TMegaButton*) { ConsButton1Click(); };
    // Kept as the panel has them: the button does nothing, the fields are not read.
    TMegaButton* idle = MakeButton(Cons, "Button2", "Button2", ButtonKind::Push, 140, 44);
    row->addWidget(list);
    row->addWidget(idle);
    for (const auto& [name, text] : {std::pair{"Edit2", "0"}, std::pair{"Edit3", "1.1"}}) {
        auto* edit = new QLineEdit(QString::fromUtf8(text), Cons);
        edit->setObjectName(name);
        row->addWidget(edit);
    }
    column->addLayout(row);
}

void TFBase::BuildShortcuts() {
    auto make = [this](QAction*& action, const char* name, QKeyCombination keys) {
        action = new QAction(this);
        action->setObjectName(name);
        action->setShortcut(QKeySequence(keys));
        addAction(action);
    };
    make(Action1, "Action1", Qt::CTRL | Qt::Key_D);
    make(Action2, "Action2", Qt::CTRL | Qt::Key_F);
    // Ctrl+P is taken and does nothing, as on the original station.
    make(Action3, "Action3", Qt::CTRL | Qt::Key_P);
    make(Action4, "Action4", Qt::CTRL | Qt::Key_C);
    make(Action5, "Action5", Qt::CTRL | Qt::Key_E);

    connect(Action1, &QAction::triggered, this, [this] {
        if (PUDIK->isHidden()) {
            OpenPanel(PUDIK);
        } else {
            PUDIK->hide();
        }
        Panel11->setEnabled(true);
        if (auto* autopilot = findChild<QWidget*>("AUTOPILOT")) autopilot->show();
    });
    connect(Action2, &QAction::triggered, this, [this] {
        setWindowFlag(Qt::FramelessWindowHint, !windowFlags().testFlag(Qt::FramelessWindowHint));
        // A window whose flags change is hidden until shown again.
        show();
        if (fitsScreen_) FitToScreen();
    });
    connect(Action4, &QAction::triggered, this, [this] {
        if (Cons->isHidden()) {
            CentrePanel(Cons);
            OpenPanel(Cons);
        } else {
            Cons->hide();
        }
    });
    connect(Action5, &QAction::triggered, this, &TFBase::ManualEntryRequested);
}

// ----- the tree and the configuration list

void TFBase::TreeView1Change(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kSettingsNodes))) return;
    PageConfig->setCurrentIndex(kListPage);
    const int group = kSettingsNodes[index].group;
    if (group != 0) {
        configGroup_ = group;
        if (work_) work_->FillConfigList(settingsLines_, group);
        ReloadCustomList();
    }
    if (index == kCalibrationNode) {
        PageConfig->setCurrentIndex(kCalibrationPage);
        calibrationPage_->Open();
    }
    if (index == kAboutNode) {
        PageConfig->setCurrentIndex(kAboutPage);
        CentreShildik();
    }
}

void TFBase::ReloadCustomList() {
    // What the list shows now is neither an edit nor the operator's move to
    // another cell.
    const QSignalBlocker quiet(CUSTOM_LIST);
    CUSTOM_LIST->Reload();
    if (!work_) return;
    // Section titles are captions only: their value cell takes no edit.
    const C_Config& config = work_->Config();
    int row = 0;
    for (int i = 0; i < config.Count() && row < CUSTOM_LIST->rowCount(); ++i) {
        if (!config.InGroup(i, configGroup_)) continue;
        QTableWidgetItem* value = CUSTOM_LIST->item(row++, 1);
        const bool title = config.Record(i)->name.starts_with("TITLE");
        value->setFlags(title ? Qt::ItemIsEnabled
                              : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    }
}

void TFBase::CustomListEdit(int row, const std::string& text) {
    if (!work_) return;
    // An empty cell is not stored; a number that does not convert leaves the
    // setting as it was. Either way the list shows what is stored.
    const TextResult typed =
        text.empty() ? TextResult{} : work_->Config().SetInGroup(configGroup_, row, text);
    work_->FillConfigList(settingsLines_, configGroup_);
    ReloadCustomList();
    if (!typed) ShowMes(typed.error, 1, 0);
}

void TFBase::CommitCustomListEdit() {
    // The original stored every key as it was typed; here an edit still
    // open is stored before the unit and the file take the settings.
    QAbstractItemDelegate* delegate = CUSTOM_LIST->itemDelegate();
    for (QLineEdit* editor : CUSTOM_LIST->viewport()->findChildren<QLineEdit*>()) {
        // A closed editor waits hidden for its deletion.
        if (editor->isHidden()) continue;
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor);
    }
}

void TFBase::Timer2Timer() {
    Timer2->stop();
    if (!work_) return;
    work_->RefreshConfigList();
    ReloadCustomList();
}

void TFBase::CentreShildik() {
    if (SHILDIK == nullptr) return;
    // The plate grows with its fonts, and never below its drawn size.
    const QSize drawn(620, 300);
    SHILDIK->resize(SHILDIK->sizeHint().expandedTo(drawn * uiScale_));
    const QWidget* page = SHILDIK->parentWidget();
    const console::Point at = console::CentredOrigin({page->width(), page->height()},
                                                     {SHILDIK->width(), SHILDIK->height()});
    SHILDIK->move(at.x, at.y);
}

void TFBase::ShowSettingsKeyboard() {
    ShowVirtualKeyboard();
}

std::string TFBase::KeyboardSettingPlace() const {
    constexpr int kGeneralGroup = 7;
    std::string group;
    for (const SettingsNode& node : kSettingsNodes) {
        if (node.group == kGeneralGroup) {
            group = node.text;
            break;
        }
    }
    std::string caption = "Использовать Вирт. клавиатуру";
    if (work_) {
        const C_Config& config = work_->Config();
        if (const int i = config.IndexOf("iVK"); i >= 0) caption = config.Record(i)->caption;
    }
    return "«" + group + "», «" + caption + "»";
}

void TFBase::ConsButton1Click() {
    if (!work_) return;
    const C_Config& config = work_->Config();
    for (int i = 0; i < config.Count(); ++i)
        Memo1->appendPlainText(
            QString::fromStdString(std::to_string(i) + "  " + config.Record(i)->name));
}

// ----- leaving the settings

void TFBase::ConfigExitClick() {
    // A second click during the pause would send everything twice.
    if (configExitPause_->isActive()) return;
    CommitCustomListEdit();
    if (work_) work_->DeviceCmd(0, 4);
    configExitPause_->start();
}

void TFBase::ConfigExitFinish() {
    if (!work_) return;
    Timer1->setInterval(work_->Config().iCHANCOUNT);
    // The focus leaves the settings' fields for the hidden Edit1; a hidden
    // field takes it only when shown, so a field that keeps it lets it go.
    Edit1->setFocus();
    QWidget* settings = BaseTab->widget(2);
    if (QWidget* focused = QApplication::focusWidget();
        focused != nullptr && settings->isAncestorOf(focused))
        focused->clearFocus();
    ApplyChannels();
    ShowChannelsInUse();
    Command(32);
    if (!work_->Config().Save(0))
        deps_.messages->ShowMessage(
            "Ошибка", "Настройки не сохранены: файл 'Config.INI' не может быть записан");
}

// ----- calibration

void TFBase::SaveCalibPoint(int unitChannel) {
    if (!work_) return;
    work_->DeviceCmd(unitChannel, 0);
}
