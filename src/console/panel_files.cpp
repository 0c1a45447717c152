// The file panels: save (DIALOG_SAVE), open (OPENFILE_PANEL) with the
// journal button, the report preview page and its row choice (LIST_CHECK).
// The drive boxes and directory trees of a Windows station become places
// (the station's "SaveTest", the home folder, mounted media) and folder
// trees of the file system, sized for a finger.

#include "console/panel_files.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

#include "console/look.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/printpanel.h"
#include "controls/symbolfont.h"
#include "engine/cwork.h"
#include "platform/launcher.h"
#include "platform/programfolder.h"
#include "protocols/creport.h"

using console::ButtonKind;
using console::MakeButton;

// ----- names and places

namespace console {

std::string DefaultSaveName(int protocolNumber, const platform::CalendarTime& today) {
    return "Протокол № " + std::to_string(protocolNumber) + " от " + platform::DateText(today);
}

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

namespace {

constexpr int kTextPixels = 20;

QFont TouchFont(const QWidget* w) {
    QFont f = w->font();
    f.setPixelSize(kTextPixels);
    return f;
}

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

// The places as they are now: media come and go.
void FillPlaces(QComboBox* box, const std::string& programFolder) {
    const auto exists = [](const std::string& folder) {
        return QFileInfo(QString::fromStdString(folder)).isDir();
    };
    box->clear();
    for (const console::FilePlace& p :
         console::FilePlaces(programFolder, QDir::homePath().toStdString(), exists))
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
    QLabel* l = console::MakeLabel(parent, "", text, kTextPixels);
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

// Points the tree at a place and at a folder in it (the place itself when
// the folder is not there).
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

}  // namespace

void TFBase::SetLauncher(platform::Launcher* launcher) {
    launcher_ = launcher;
}

void TFBase::BuildFilePanels() {
    BuildSavePanel();
    BuildOpenPanel();
    BuildListCheck();
}

// ----- save panel

void TFBase::BuildSavePanel() {
    DIALOG_SAVE =
        console::MakeFloatingPanel(this, "DIALOG_SAVE", "Сохранить результат испытания", 780, 640);
    auto* column = static_cast<QVBoxLayout*>(DIALOG_SAVE->layout());
    DriveComboBox1 = PlaceBox(DIALOG_SAVE, "DriveComboBox1");
    column->addWidget(DriveComboBox1);
    saveFolders_ = FolderModel(DIALOG_SAVE);
    CDirectoryOutline1 = FolderTree(DIALOG_SAVE, "CDirectoryOutline1", saveFolders_);
    column->addWidget(CDirectoryOutline1, 1);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(FieldLabel(DIALOG_SAVE, "Файл:"));
    Edit4 = Field(DIALOG_SAVE, "Edit4");
    Edit4->setText(QString::fromUtf8("Испытание"));
    nameRow->addWidget(Edit4, 1);
    column->addLayout(nameRow);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(FieldLabel(DIALOG_SAVE, "Путь:"));
    Edit5 = Field(DIALOG_SAVE, "Edit5");
    Edit5->setReadOnly(true);
    pathRow->addWidget(Edit5, 1);
    column->addLayout(pathRow);
    SaveWarning = console::MakeLabel(DIALOG_SAVE, "SaveWarning", "", kTextPixels);
    QPalette warn = SaveWarning->palette();
    warn.setColor(QPalette::WindowText, QColor(255, 120, 120));
    SaveWarning->setPalette(warn);
    column->addWidget(SaveWarning);

    auto* buttons = new QHBoxLayout;
    SAVE_DIALOG = MakeButton(DIALOG_SAVE, "SAVE_DIALOG", "СОХРАНИТЬ", ButtonKind::Push, 200, 60);
    SAVE_DIALOG_EXP = MakeButton(DIALOG_SAVE, "SAVE_DIALOG_EXP", "ЭКСПОРТИРОВАТЬ ГРАФИК",
                                 ButtonKind::Push, 300, 60);
    CANCEL_DIALOG = MakeButton(DIALOG_SAVE, "CANCEL_DIALOG", "ОТМЕНА", ButtonKind::Push, 160, 60);
    for (TMegaButton* b : {SAVE_DIALOG, SAVE_DIALOG_EXP, CANCEL_DIALOG})
        buttons->addWidget(b);
    column->addLayout(buttons);

    connect(DriveComboBox1, &QComboBox::activated, this, [this](int i) {
        const QString place = DriveComboBox1->itemData(i).toString();
        ShowFolder(CDirectoryOutline1, place, place);
        SetSaveFolder(place.toStdString());
    });
    connect(CDirectoryOutline1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& at) {
                if (at.isValid()) SetSaveFolder(saveFolders_->filePath(at).toStdString());
            });
    connect(Edit4, &QLineEdit::textChanged, this, [this] { RefreshSavePath(); });
    new console::TapIntoField(Edit4, [this] { ShowVirtualKeyboard(); });
    SAVE_DIALOG->OnClick = [this](TMegaButton*) { SAVE_DIALOGClick(); };
    SAVE_DIALOG_EXP->OnClick = [this](TMegaButton*) { SAVE_DIALOG_EXPClick(); };
    CANCEL_DIALOG->OnClick = [this](TMegaButton*) {
        DIALOG_SAVE->hide();
        HideVirtualKeyboard();
    };
}

void TFBase::ShowSavePanel(const std::string& folder) {
    SaveWarning->clear();
    // The first place is the station's own "SaveTest".
    FillPlaces(DriveComboBox1, ProgramDir());
    ShowFolder(CDirectoryOutline1, QString::fromStdString(SaveTestFolder()),
               QString::fromStdString(folder));
    SetSaveFolder(folder);
}

void TFBase::SetSaveFolder(const std::string& folder) {
    saveFolder_ = folder;
    RefreshSavePath();
}

void TFBase::RefreshSavePath() {
    Edit5->setText(
        QString::fromStdString(platform::JoinPath(saveFolder_, Edit4->text().toStdString())));
}

bool TFBase::TakeSaveName() {
    if (saveFolder_.empty()) {
        SaveWarning->setText(QString::fromUtf8("ПАПКА НЕ ВЫБРАНА"));
        return false;
    }
    if (Edit4->text().isEmpty()) {
        const platform::CalendarTime today = deps_.clock->Now();
        Edit4->setText(QString::fromStdString(console::DefaultSaveName(ProtocolNumber(), today)));
    }
    const std::string refused = console::RefusedFileName(Edit4->text().toStdString());
    SaveWarning->setText(QString::fromStdString(refused));
    if (!refused.empty()) return false;
    RefreshSavePath();
    return true;
}

void TFBase::SAVE_DIALOGClick() {
    if (!TakeSaveName()) return;
    AskBeforeWriting(SaveKind::kTest, {".ipc"});
}

void TFBase::SAVE_DIALOG_EXPClick() {
    if (!TakeSaveName()) return;
    AskBeforeWriting(SaveKind::kExport, {".txt", ".csv"});
}

// A file already there is replaced only when the operator says so; the
// panel waits hidden for the answer and comes back on "no".
void TFBase::AskBeforeWriting(SaveKind kind, std::initializer_list<const char*> extensions) {
    pendingSave_ = kind;
    DIALOG_SAVE->hide();
    const std::string path = Edit5->text().toStdString();
    for (const char* extension : extensions) {
        if (QFileInfo::exists(QString::fromStdString(path + extension))) {
            ShowMes("Файл существует. Заменить?", 0, kOverwriteCode);
            return;
        }
    }
    WritePendingSave();
}

int TFBase::OverwriteBlock(int code) {
    if (pendingSave_ == SaveKind::kNone) return code;
    if (answer_ == 1) {
        WritePendingSave();
    } else {
        pendingSave_ = SaveKind::kNone;
        OpenPanel(DIALOG_SAVE);
    }
    return code;
}

void TFBase::WritePendingSave() {
    const SaveKind kind = std::exchange(pendingSave_, SaveKind::kNone);
    HideVirtualKeyboard();
    if (!work_) return;
    const std::string path = Edit5->text().toStdString();
    const std::string name = Edit4->text().toStdString();
    // A file that could not be written was reported by its writer. A long
    // test on slow storage takes seconds.
    console::BusyScope busy(*this, "ИДЕТ СОХРАНЕНИЕ...");
    if (kind == SaveKind::kTest) {
        if (work_->SaveTest(path + ".ipc")) ShowMes("Файл сохранен: " + name + ".ipc", 1, 0);
    } else if (kind == SaveKind::kExport) {
        if (work_->ExportTxt(path + ".txt") && work_->ExportCsv(path + ".csv"))
            ShowMes("Файлы сохранены: " + name + ".txt, " + name + ".csv", 1, 0);
    }
}

// ----- open panel

void TFBase::BuildOpenPanel() {
    OPENFILE_PANEL =
        console::MakeFloatingPanel(this, "OPENFILE_PANEL", "Открыть файл испытания", 940, 640);
    auto* column = static_cast<QVBoxLayout*>(OPENFILE_PANEL->layout());
    DriveComboBox2 = PlaceBox(OPENFILE_PANEL, "DriveComboBox2");
    column->addWidget(DriveComboBox2);
    auto* browse = new QHBoxLayout;
    openFolders_ = FolderModel(OPENFILE_PANEL);
    CDirectoryOutline2 = FolderTree(OPENFILE_PANEL, "CDirectoryOutline2", openFolders_);
    browse->addWidget(CDirectoryOutline2, 1);
    openFiles_ = new QFileSystemModel(OPENFILE_PANEL);
    openFiles_->setFilter(QDir::Files);
    openFiles_->setNameFilters({QStringLiteral("*.ipc")});
    openFiles_->setNameFilterDisables(false);
    openFiles_->setReadOnly(true);
    FileListBox1 = new QListView(OPENFILE_PANEL);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setModel(openFiles_);
    TouchSized(FileListBox1);
    browse->addWidget(FileListBox1, 1);
    column->addLayout(browse, 1);

    auto* buttons = new QHBoxLayout;
    OPENFILE_BUT = MakeButton(OPENFILE_PANEL, "OPENFILE_BUT", "Открыть", ButtonKind::Push, 200, 60);
    JURNAL = MakeButton(OPENFILE_PANEL, "JURNAL", "ЖУРНАЛ", ButtonKind::Push, 200, 60);
    OTMENA_BUT = MakeButton(OPENFILE_PANEL, "OTMENA_BUT", "Отмена", ButtonKind::Push, 160, 60);
    buttons->addWidget(OPENFILE_BUT);
    buttons->addWidget(JURNAL);
    buttons->addStretch(1);
    buttons->addWidget(OTMENA_BUT);
    column->addLayout(buttons);

    connect(DriveComboBox2, &QComboBox::activated, this, [this](int i) {
        const QString place = DriveComboBox2->itemData(i).toString();
        ShowFolder(CDirectoryOutline2, place, place);
        ShowFiles(place);
    });
    connect(CDirectoryOutline2->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& at) {
                if (at.isValid()) ShowFiles(openFolders_->filePath(at));
            });
    connect(FileListBox1, &QListView::doubleClicked, this, [this] { OPENFILE_BUTClick(); });
    OPENFILE_BUT->OnClick = [this](TMegaButton*) { OPENFILE_BUTClick(); };
    OTMENA_BUT->OnClick = [this](TMegaButton*) { OPENFILE_PANEL->hide(); };
    JURNAL->OnClick = [this](TMegaButton*) { JURNALClick(); };
}

void TFBase::ShowOpenPanel(const std::string& folder) {
    FillPlaces(DriveComboBox2, ProgramDir());
    const QString place = QString::fromStdString(SaveTestFolder());
    const QString at = QString::fromStdString(folder);
    ShowFolder(CDirectoryOutline2, place, at);
    ShowFiles(QFileInfo(at).isDir() ? at : place);
}

void TFBase::ShowFiles(const QString& folder) {
    openFiles_->setRootPath(folder);
    FileListBox1->setRootIndex(openFiles_->index(folder));
    // A file chosen in the folder shown before is no longer on show.
    FileListBox1->setCurrentIndex(QModelIndex());
}

std::string TFBase::ChosenFile() const {
    const QModelIndex at = FileListBox1->currentIndex();
    if (!at.isValid() || at.parent() != FileListBox1->rootIndex() || openFiles_->isDir(at))
        return {};
    return openFiles_->filePath(at).toStdString();
}

void TFBase::OPENFILE_BUTClick() {
    const std::string file = ChosenFile();
    if (file.empty() || !work_) return;
    // Reading a long test from slow storage and computing it takes seconds.
    console::BusyScope busy(*this, "ИДЕТ ЗАГРУЗКА...");
    // A file that did not read (its reader said why): the panel stays for
    // another choice and the test shown stays as it was.
    if (!work_->LoadTestFile(file)) return;
    ShowLoadedTest();
}

void TFBase::JURNALClick() {
    static platform::SystemLauncher system;
    platform::Launcher& launcher = launcher_ != nullptr ? *launcher_ : system;
    const std::string program = console::JournalProgram(ProgramDir());
    if (!launcher.Installed(program)) {
        ShowMes("ПРОГРАММА ЖУРНАЛА НЕ УСТАНОВЛЕНА", 1, 0);
        return;
    }
    std::string error;
    if (!launcher.Start(program, error)) {
        ShowMes("ЖУРНАЛ НЕ ЗАПУЩЕН: " + error, 1, 0);
        return;
    }
    OPENFILE_PANEL->hide();
}

std::string TFBase::SaveTestFolder() const {
    return platform::JoinPath(ProgramDir(), "SaveTest");
}

// ----- report preview page

QWidget* TFBase::BuildPreviewPage() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet12");
    auto* column = new QVBoxLayout(page);
    auto* bar = new QHBoxLayout;
    struct Tool {
        TMegaButton** button;
        const char* name;
        const char* caption;
        const char* hint;
    };
    const Tool tools[] = {
        {&PRINT, "PRINT", "ПЕЧАТЬ", "Настройка принтера и печать"},
        {&LastPAGE, "LastPAGE", "<", "Предыдущий лист"},
        {&NextPage, "NextPage", ">", "Следующий лист"},
        {&ZOOMUP, "ZOOMUP", "+", "Увеличить"},
        {&ZOOMDOWN, "ZOOMDOWN", "-", "Уменьшить"},
        {&ZOOMALL, "ZOOMALL", "[ ]", "Полный лист"},
        {&MegaButton3, "MegaButton3", "ПАРАМ.", "Выбор параметров отображаемых в отчете"},
        {&BACK_BUT, "BACK_BUT", "ЗАКРЫТЬ", "Закрыть отчеты"},
    };
    for (const Tool& t : tools) {
        *t.button = MakeButton(page, t.name, t.caption, ButtonKind::Push, 90, 48);
        (*t.button)->setToolTip(QString::fromUtf8(t.hint));
        bar->addWidget(*t.button);
    }
    PageNomber = console::MakeLabel(page, "PageNomber", "", 18);
    bar->addWidget(PageNomber);
    bar->addStretch(1);
    column->addLayout(bar);
    C_Otchet1 = new C_Otchet(page);
    C_Otchet1->setObjectName("C_Otchet1");
    C_Otchet1->CreateViewer();
    column->addWidget(C_Otchet1, 1);

    // A protocol in a file goes beside the method's saved tests; its name
    // is typed on the on-screen keyboard, put away once the panel closes.
    C_Otchet1->OnPrintPanel = [this](TPrintPanel& panel) {
        new console::TapIntoField(panel.FileField(), [this] { ShowVirtualKeyboard(); });
    };
    C_Otchet1->OnPrinted = [this](bool ok, const QString& printer, const QString& pdfFile) {
        const std::string where = (pdfFile.isEmpty() ? printer : pdfFile).toStdString();
        if (!pdfFile.isEmpty()) {
            ShowMes(ok ? "ПРОТОКОЛ ЗАПИСАН В ФАЙЛ " + where
                       : "ПРОТОКОЛ НЕ ЗАПИСАН В ФАЙЛ " + where +
                             ": НЕТ ДОСТУПА К ПАПКЕ ИЛИ НЕТ МЕСТА НА ДИСКЕ",
                    1, 0);
        } else if (!ok) {
            ShowMes("ПРОТОКОЛ НЕ НАПЕЧАТАН: ПРИНТЕР " + where + " НЕ ОТВЕЧАЕТ", 1, 0);
        }
    };
    PRINT->OnClick = [this](TMegaButton*) {
        // The method's folder as the save panel makes it.
        const std::string method = setupScreen_->MethodName().value_or(methodText_);
        C_Otchet1->PdfFolder = QString::fromStdString(platform::JoinPath(SaveTestFolder(), method));
        C_Otchet1->Print();
        HideVirtualKeyboard();
    };
    LastPAGE->OnClick = [this](TMegaButton*) {
        C_Otchet1->LastPage();
        ShowPageNumber();
    };
    NextPage->OnClick = [this](TMegaButton*) {
        C_Otchet1->NextPage();
        ShowPageNumber();
    };
    ZOOMUP->OnClick = [this](TMegaButton*) { C_Otchet1->ZoomUp(); };
    ZOOMDOWN->OnClick = [this](TMegaButton*) { C_Otchet1->ZoomDown(); };
    ZOOMALL->OnClick = [this](TMegaButton*) { C_Otchet1->ZoomPage(); };
    MegaButton3->OnClick = [this](TMegaButton*) { OpenListCheck(); };
    BACK_BUT->OnClick = [this](TMegaButton*) { ShowScreen(1); };
    return page;
}

void TFBase::ReadyViewer() {
    // Every protocol comes with a new viewer, which the canvas's layout
    // would only show after this call: a sheet fitted to it before then
    // is fitted to a 100 x 30 stub.
    if (auto* viewer = C_Otchet1->findChild<QWidget*>("Viewer", Qt::FindDirectChildrenOnly))
        viewer->show();
    if (C_Otchet1->layout() != nullptr) C_Otchet1->layout()->activate();
}

void TFBase::ShowPageNumber() {
    PageNomber->setText(QString::number(C_Otchet1->GetCurrentPage() + 1) + "/" +
                        QString::number(C_Otchet1->PageCount()));
}

// ----- report row choice

void TFBase::BuildListCheck() {
    LIST_CHECK = console::MakeFloatingPanel(this, "LIST_CHECK", "ВЫБОР ПАРАМЕТРОВ ", 640, 660);
    auto* column = static_cast<QVBoxLayout*>(LIST_CHECK->layout());
    CheckList = new QListWidget(LIST_CHECK);
    CheckList->setObjectName("CheckList");
    CheckList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TouchSized(CheckList);
    column->addWidget(CheckList, 1);
    auto* buttons = new QHBoxLayout;
    MegaButton18 = MakeButton(LIST_CHECK, "MegaButton18", "Выбрать все", ButtonKind::Push, 200, 60);
    MegaButton19 =
        MakeButton(LIST_CHECK, "MegaButton19", "Отменить все", ButtonKind::Push, 200, 60);
    MegaButton20 = MakeButton(LIST_CHECK, "MegaButton20", "X", ButtonKind::Push, 80, 60);
    buttons->addWidget(MegaButton18);
    buttons->addWidget(MegaButton19);
    buttons->addStretch(1);
    buttons->addWidget(MegaButton20);
    column->addLayout(buttons);

    // The lines are not checkable by themselves: a tap anywhere on a line,
    // its box included, toggles it once.
    connect(CheckList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { CheckLine(item, item->checkState() != Qt::Checked); });
    MegaButton18->OnClick = [this](TMegaButton*) { CheckAllLines(true); };
    MegaButton19->OnClick = [this](TMegaButton*) { CheckAllLines(false); };
    MegaButton20->OnClick = [this](TMegaButton*) { CloseListCheck(); };
}

void TFBase::OpenListCheck() {
    CentrePanel(LIST_CHECK);
    OpenPanel(LIST_CHECK);
    CheckList->clear();
    C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    if (m == nullptr) return;
    for (int i = 0; i < m->Count(); ++i) {
        const S_Val& v = *m->Record(i);
        if (v.group == 4 || v.name == "sNI" || v.name == "sZL") continue;
        auto* item = new QListWidgetItem(draw::SymbolText(v.caption), CheckList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(Qt::UserRole, i);
        item->setCheckState(m->GetVisible(i) ? Qt::Checked : Qt::Unchecked);
    }
    ApplyRowCount();
}

void TFBase::CheckLine(QListWidgetItem* item, bool on) {
    C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    if (m == nullptr) return;
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    m->SetVisible(item->data(Qt::UserRole).toInt(), on ? 1 : 0);
    ApplyRowCount();
}

void TFBase::CheckAllLines(bool on) {
    for (int i = 0; i < CheckList->count(); ++i)
        CheckLine(CheckList->item(i), on);
}

void TFBase::ApplyRowCount() {
    int checked = 0;
    for (int i = 0; i < CheckList->count(); ++i)
        checked += CheckList->item(i)->checkState() == Qt::Checked ? 1 : 0;
    if (report_) report_->SetRowCount(checked);
}

void TFBase::CloseListCheck() {
    console::BusyScope busy(*this, "ИДЕТ ФОРМИРОВАНИЕ ОТЧЕТА, ПОДОЖДИТЕ...");
    LIST_CHECK->hide();
    if (report_) report_->MakeOtchet();
    ReadyViewer();
    C_Otchet1->LastPage();
    ShowPageNumber();
    AnswerMes(2);
}
