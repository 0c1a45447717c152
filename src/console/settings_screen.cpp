// The settings screen: the tree of setting groups, the configuration list
// that stores each edit at once, the calibration page and the information
// plate. What an edit or the way out does is the station's settings'.

#include "console/settings_screen.h"

#include <QAbstractItemDelegate>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <utility>

#include "console/about_panel.h"
#include "console/calibration_page.h"
#include "console/look.h"
#include "console/paramlist.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "station/station_settings.h"

namespace {

using station::kSettingsNodes;
using station::SettingsNode;

// Nodes of the tree (their index in kSettingsNodes) that show a page of their own.
constexpr int kCalibrationNode = 5;
constexpr int kAboutNode = 6;

// Pages of PageConfig.
constexpr int kListPage = 0;
constexpr int kCalibrationPage = 1;
constexpr int kAboutPage = 2;

// The list is read again this long after start-up, when the unit has
// declared its settings.
constexpr int kRefreshMs = 1550;

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

namespace console {

SettingsScreen::SettingsScreen(station::StationSettings& settings, QWidget* parent)
    : QFrame(parent), settings_(settings) {
    StylePanel(this, "TabSheet2");
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(6, 6, 6, 6);

    auto* left = new QVBoxLayout;
    left->addWidget(MakeLabel(this, "", "НАСТРОЙКИ", 22));
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setFont(PixelFont(TreeView1->font(), 20));
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
        if (item != nullptr) NodeChosen(item->data(0, Qt::UserRole).toInt());
    });
    left->addWidget(TreeView1, 1);
    CONFIG_KEYBOARD = MakeButton(this, "CONFIG_KEYBOARD", "КЛАВИАТУРА", ButtonKind::Push, 300, 56);
    CONFIG_KEYBOARD->OnClick = [this](TMegaButton*) { emit keyboardRequested(); };
    CONFIG_EXIT = MakeButton(this, "CONFIG_EXIT", "ВЫХОД ИЗ НАСТРОЕК", ButtonKind::Push, 300, 56);
    CONFIG_EXIT->setToolTip(QString::fromUtf8("Сохранить настройки и выйти"));
    CONFIG_EXIT->OnClick = [this](TMegaButton*) { emit leaveRequested(); };
    left->addWidget(CONFIG_KEYBOARD);
    left->addWidget(CONFIG_EXIT);
    columns->addLayout(left);

    PageConfig = new QStackedWidget(this);
    PageConfig->setObjectName("PageConfig");
    CUSTOM_LIST = new ParamList(settings_.Lines(), PageConfig);
    CUSTOM_LIST->setObjectName("CUSTOM_LIST");
    CUSTOM_LIST->setFont(PixelFont(CUSTOM_LIST->font(), 18));
    CUSTOM_LIST->verticalHeader()->setDefaultSectionSize(36);
    CUSTOM_LIST->OnEdit = [this](int row, const std::string& text) {
        emit settingEdited(row, text);
    };
    connect(CUSTOM_LIST, &QTableWidget::currentCellChanged, this, [this] { emit cellChanged(); });
    PageConfig->addWidget(CUSTOM_LIST);
    calibration_ = new CalibrationPage(settings_);
    PageConfig->addWidget(calibration_);
    auto* about = new AboutPage;
    about->setObjectName("AboutPage");
    SHILDIK = new AboutPanel(about);
    about->onResize = [this] { SHILDIK->Centre(scale_); };
    PageConfig->addWidget(about);
    columns->addWidget(PageConfig, 1);

    // Entering the list or a calibration field brings up the on-screen keyboard.
    auto* watcher = new FocusWatcher(this, [this] { emit fieldEntered(); });
    watcher->Watch(CUSTOM_LIST);
    calibration_->WatchFields(watcher);

    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(kRefreshMs);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, [this] {
        Timer2->stop();
        emit refreshDue();
    });
}

SettingsScreen::~SettingsScreen() {
    // The children outlive this class's part of the object: their last
    // signals and edits go nowhere.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    CUSTOM_LIST->OnEdit = nullptr;
}

void SettingsScreen::Bind(C_Work* work) {
    work_ = work;
    calibration_->Bind(work);
}

void SettingsScreen::NodeChosen(int index) {
    if (index < 0 || index >= station::kSettingsNodeCount) return;
    PageConfig->setCurrentIndex(kListPage);
    const int group = kSettingsNodes[index].group;
    if (group != 0) emit groupChosen(group);
    if (index == kCalibrationNode) {
        PageConfig->setCurrentIndex(kCalibrationPage);
        calibration_->Open();
    }
    if (index == kAboutNode) {
        PageConfig->setCurrentIndex(kAboutPage);
        SHILDIK->Centre(scale_);
    }
}

void SettingsScreen::ReloadCustomList() {
    // What the list shows now is neither an edit nor the operator's move to
    // another cell.
    const QSignalBlocker quiet(CUSTOM_LIST);
    CUSTOM_LIST->Reload();
    if (work_ == nullptr) return;
    // Section titles are captions only: their value cell takes no edit.
    const C_Config& config = work_->Config();
    const int group = settings_.Group();
    int row = 0;
    for (int i = 0; i < config.Count() && row < CUSTOM_LIST->rowCount(); ++i) {
        if (!config.InGroup(i, group)) continue;
        QTableWidgetItem* value = CUSTOM_LIST->item(row++, 1);
        const bool title = config.Record(i)->name.starts_with("TITLE");
        value->setFlags(title ? Qt::ItemIsEnabled
                              : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    }
}

void SettingsScreen::CommitOpenEdit() {
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

void SettingsScreen::CentreShildik(double scale) {
    scale_ = scale;
    SHILDIK->Centre(scale_);
}

void SettingsScreen::StartRefresh() {
    Timer2->start();
}

void SettingsScreen::StopRefresh() {
    Timer2->stop();
}

}  // namespace console
