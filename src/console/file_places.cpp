// Names and places of the save and open panels. The drive boxes and
// directory trees of a Windows station become places (the station's
// "SaveTest", the home folder, mounted media) and folder trees of the file
// system, sized for a finger.

#include "console/file_places.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>
#include <initializer_list>

#include "console/look.h"
#include "platform/programfolder.h"

namespace console {

std::string RefusedFileName(const std::string& name) {
    if (name.find('/') != std::string::npos) return "ИМЯ ФАЙЛА НЕ МОЖЕТ СОДЕРЖАТЬ \"/\"";
    if (!name.empty() && name.front() == '.') return "ИМЯ ФАЙЛА НЕ МОЖЕТ НАЧИНАТЬСЯ С ТОЧКИ";
    return {};
}

std::vector<FilePlace> FilePlaces(const std::string& programFolder, const std::string& home,
                                  bool (*exists)(const std::string& folder)) {
    const FilePlace candidates[] = {
        {"Испытания станции", platform::JoinPath(programFolder, "SaveTest")},
        {"Домашняя папка", home},
        {"Съёмные носители (/media)", "/media"},
        {"Подключённые диски (/mnt)", "/mnt"},
    };
    std::vector<FilePlace> places;
    for (const FilePlace& p : candidates) {
        if (!p.folder.empty() && exists(p.folder)) places.push_back(p);
    }
    return places;
}

std::string JournalProgram(const std::string& programFolder) {
    return platform::JoinPath(programFolder, "Mirandex");
}

}  // namespace console

namespace console::filepanel {

namespace {

// Check boxes and scroll bars a finger can hit.
class TouchStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
            case PM_IndicatorWidth:
            case PM_IndicatorHeight:
                return 28;
            case PM_ScrollBarExtent:
                return 30;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

// Rows a finger can hit.
class TouchRows final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize hint = QStyledItemDelegate::sizeHint(option, index);
        return {hint.width(), std::max(hint.height(), 44)};
    }
};

}  // namespace

QFont TouchFont(const QWidget* w) {
    QFont f = w->font();
    f.setPixelSize(kTextPixels);
    return f;
}

void TouchSized(QAbstractItemView* view) {
    view->setFont(TouchFont(view));
    auto* style = new TouchStyle;
    style->setParent(view);
    // A widget's style does not pass to its children.
    for (QWidget* w : std::initializer_list<QWidget*>{view, view->verticalScrollBar(),
                                                      view->horizontalScrollBar()})
        w->setStyle(style);
    view->setItemDelegate(new TouchRows(view));
}

QComboBox* PlaceBox(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setFont(TouchFont(box));
    box->setMinimumHeight(44);
    return box;
}

void FillPlaces(QComboBox* box, const std::string& programFolder) {
    const auto exists = [](const std::string& folder) {
        return QFileInfo(QString::fromStdString(folder)).isDir();
    };
    box->clear();
    for (const FilePlace& p : FilePlaces(programFolder, QDir::homePath().toStdString(), exists))
        box->addItem(QString::fromStdString(p.caption), QString::fromStdString(p.folder));
    box->setCurrentIndex(0);
}

QTreeView* FolderTree(QWidget* parent, const char* name, QFileSystemModel* model) {
    auto* tree = new QTreeView(parent);
    tree->setObjectName(name);
    tree->setModel(model);
    for (int c = 1; c < model->columnCount(); ++c)
        tree->hideColumn(c);
    tree->setHeaderHidden(true);
    tree->setIndentation(30);
    // A tap opens or closes a folder: a double tap is hard on a touch screen.
    tree->setExpandsOnDoubleClick(false);
    QObject::connect(tree, &QTreeView::clicked, tree,
                     [tree](const QModelIndex& i) { tree->setExpanded(i, !tree->isExpanded(i)); });
    TouchSized(tree);
    return tree;
}

QFileSystemModel* FolderModel(QObject* parent) {
    auto* m = new QFileSystemModel(parent);
    m->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m->setReadOnly(true);
    return m;
}

QLabel* FieldLabel(QWidget* parent, const char* text) {
    QLabel* l = MakeLabel(parent, "", text, kTextPixels);
    l->setMinimumWidth(70);
    return l;
}

QLineEdit* Field(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFont(TouchFont(e));
    e->setMinimumHeight(44);
    return e;
}

void ShowFolder(QTreeView* tree, const QString& place, const QString& folder) {
    auto* model = static_cast<QFileSystemModel*>(tree->model());
    model->setRootPath(place);
    tree->setRootIndex(model->index(place));
    const QModelIndex at = QFileInfo(folder).isDir() ? model->index(folder) : QModelIndex();
    tree->setCurrentIndex(at);
    if (at.isValid()) {
        tree->expand(at);
        tree->scrollTo(at);
    }
}

}  // namespace console::filepanel
