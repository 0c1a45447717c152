// The program sheet's widgets: the program as the runner holds it, the
// program files, and the composer of new lines.

#include "console/program_sheet.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "console/look.h"
#include "controls/megabutton.h"
#include "platform/programfolder.h"
#include "program/programrunner.h"
#include "station/program_names.h"
#include "station/station_program.h"

using console::Qs;
using console::TouchFont;

namespace {

// Rows a finger can hit.
void TouchRows(QAbstractItemView* list) {
    list->setStyleSheet("QAbstractItemView::item { padding: 5px 2px; }");
}

QLabel* Caption(QWidget* parent, const char* name, const char* text) {
    return console::MakeLabel(parent, name, text, 14);
}

}  // namespace

namespace console {

ProgramSheet* ProgramSheet::Build(QWidget* sheet, const std::string& programFolder) {
    auto* columns = new QHBoxLayout(sheet);
    columns->setContentsMargins(2, 2, 2, 2);
    columns->setSpacing(4);

    // ----- the program, outside the editor: a run shows its progress here
    auto* programColumn = new QVBoxLayout;
    auto* banner = new QLabel(Qs(testprogram::kEditingText), sheet);
    banner->setObjectName("PanelTXT");
    TouchFont(banner, 15);
    // A narrow window wraps the banner rather than cutting it.
    banner->setWordWrap(true);
    auto* program = new QListWidget(sheet);
    program->setObjectName("ListProg");
    TouchFont(program);
    TouchRows(program);
    program->setSelectionMode(QAbstractItemView::SingleSelection);
    // Condition lines are long: they wrap rather than hide their end.
    program->setWordWrap(true);
    program->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    programColumn->addWidget(banner);
    programColumn->addWidget(program, 1);
    columns->addLayout(programColumn, 4);

    // ----- the editor: files, line buttons and the composer
    return new ProgramSheet(sheet, columns, banner, program, programFolder);
}

ProgramSheet::ProgramSheet(QWidget* sheet, QBoxLayout* columns, QLabel* banner,
                           QListWidget* program, const std::string& programFolder)
    : QFrame(sheet), PanelTXT(banner), ListProg(program) {
    StylePanel(this, "PanelProg");
    auto* editor = new QHBoxLayout(this);
    editor->setContentsMargins(4, 4, 4, 4);
    columns->addWidget(this, 5);

    auto* files = new QVBoxLayout;
    files->addWidget(Caption(this, "", "Список программ"));
    programFiles_ = new QFileSystemModel(this);
    programFiles_->setFilter(QDir::Files);
    // Files made on the Windows station may carry the extension in capitals.
    programFiles_->setNameFilters({"*.ini", "*.INI"});
    programFiles_->setNameFilterDisables(false);
    const std::string folder = platform::JoinPath(programFolder, station::kProgramFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    FileProgram = new QListView(this);
    FileProgram->setObjectName("FileProgram");
    TouchFont(FileProgram);
    TouchRows(FileProgram);
    FileProgram->setModel(programFiles_);
    FileProgram->setRootIndex(programFiles_->setRootPath(Qs(folder)));
    N1 = new QAction(QString::fromUtf8("Удалить"), FileProgram);
    N1->setObjectName("N1");
    FileProgram->addAction(N1);
    FileProgram->setContextMenuPolicy(Qt::ActionsContextMenu);
    files->addWidget(FileProgram, 1);
    QLabel* current = Caption(this, "", "Текущая программа");
    current->setWordWrap(true);
    files->addWidget(current);
    Edit6 = new QLineEdit(this);
    Edit6->setObjectName("Edit6");
    TouchFont(Edit6);
    files->addWidget(Edit6);
    Button5 = MakeButton(this, "Button5", "Сохранить", ButtonKind::Push, 120, 40);
    Button6 = MakeButton(this, "Button6", "Удалить строку", ButtonKind::Push, 120, 40);
    Button4 = MakeButton(this, "Button4", "Очистить", ButtonKind::Push, 120, 40);
    for (TMegaButton* b : {Button5, Button6, Button4}) {
        b->Font.SetSize(10);
        files->addWidget(b);
    }
    editor->addLayout(files, 2);

    auto* composer = new QVBoxLayout;
    composer->addWidget(Caption(this, "", "Список команд"));
    ListCmd = new QListWidget(this);
    ListCmd->setObjectName("ListCmd");
    TouchFont(ListCmd, 15);
    TouchRows(ListCmd);
    for (const testprogram::CommandText& c : testprogram::kCommands)
        ListCmd->addItem(Qs(c.text));
    // The commands are read whole: the list is as wide as its longest one.
    ListCmd->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int widest = 0;
    for (int i = 0; i < ListCmd->count(); ++i)
        widest =
            std::max(widest, ListCmd->fontMetrics().horizontalAdvance(ListCmd->item(i)->text()));
    ListCmd->setMinimumWidth(widest + 16 + 2 * ListCmd->frameWidth() +
                             ListCmd->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    composer->addWidget(ListCmd, 1);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({QString::fromUtf8("Команда"), QString::fromUtf8("Условие")});
    auto* ifRow = new QHBoxLayout;
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    for (std::string_view op : testprogram::kOperators)
        ComboBox2->addItem(Qs(op));
    Edit7 = new QLineEdit(this);
    Edit7->setObjectName("Edit7");
    ifRow->addWidget(Caption(this, "LabelIf", "Если:"));
    ifRow->addWidget(ComboBox2);
    ifRow->addWidget(Edit7, 1);
    auto* thenRow = new QHBoxLayout;
    P1 = Caption(this, "P1", "");
    thenRow->addWidget(Caption(this, "LabelThen", "Тогда:"));
    thenRow->addWidget(P1, 1);
    auto* argRow = new QHBoxLayout;
    LP2 = Caption(this, "LP2", "Значение:");
    P2 = new QComboBox(this);
    P2->setObjectName("P2");
    P2->addItems({"F", "L", "E"});
    P3 = new QLineEdit("0", this);
    P3->setObjectName("P3");
    argRow->addWidget(LP2);
    argRow->addWidget(P2);
    argRow->addWidget(P3, 1);
    for (QWidget* w :
         {static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(ComboBox2),
          static_cast<QWidget*>(Edit7), static_cast<QWidget*>(P2), static_cast<QWidget*>(P3)}) {
        TouchFont(w);
        w->setMinimumHeight(34);
    }
    composer->addWidget(ComboBox1);
    composer->addLayout(ifRow);
    composer->addLayout(thenRow);
    composer->addLayout(argRow);
    Button3 = MakeButton(this, "Button3", "Добавить в конец списка", ButtonKind::Push, 240, 40);
    Button7 = MakeButton(this, "Button7", "Вставить меж строк", ButtonKind::Push, 240, 40);
    for (TMegaButton* b : {Button3, Button7}) {
        b->Font.SetSize(10);
        composer->addWidget(b);
    }
    editor->addLayout(composer, 3);
    ListCmdClick();
    ConditionChoice();

    connect(FileProgram, &QListView::clicked, this, [this](const QModelIndex& index) {
        emit fileChosen(programFiles_->fileName(index).toStdString());
    });
    connect(N1, &QAction::triggered, this, [this] {
        const QModelIndex chosen = FileProgram->currentIndex();
        if (chosen.isValid())
            emit fileDeleteRequested(programFiles_->fileName(chosen).toStdString());
    });
    connect(ListCmd, &QListWidget::currentRowChanged, this, [this](int) { ListCmdClick(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int) { ConditionChoice(); });
    Button3->OnClick = [this](TMegaButton*) { ComposeLineClick(false); };
    Button7->OnClick = [this](TMegaButton*) { ComposeLineClick(true); };
    Button6->OnClick = [this](TMegaButton*) { emit deleteLineRequested(); };
    Button4->OnClick = [this](TMegaButton*) { emit clearRequested(); };
    Button5->OnClick = [this](TMegaButton*) { emit saveRequested(Edit6->text().toStdString()); };
    // A single click only selects: a line that holds a condition (opening a
    // grip under load, say) must not act on a touch meant to choose it. A
    // double click runs the line once, as a deliberate act.
    connect(ListProg, &QListWidget::currentRowChanged, this,
            [this](int row) { emit lineSelected(row); });
    connect(ListProg, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        emit lineRunRequested(ListProg->row(item), item->text().toStdString());
    });
}

void ProgramSheet::Bind(station::StationProgram& program) {
    using P = station::StationProgram;
    P* p = &program;
    connect(this, &ProgramSheet::fileChosen, p, &P::LoadProgramFile);
    connect(this, &ProgramSheet::fileDeleteRequested, p, &P::DeleteProgramClick);
    connect(this, &ProgramSheet::lineComposed, p, &P::ComposeLineClick);
    connect(this, &ProgramSheet::deleteLineRequested, p, &P::DeleteSelected);
    connect(this, &ProgramSheet::clearRequested, p, &P::Clear);
    connect(this, &ProgramSheet::saveRequested, p, &P::SaveProgramClick);
    connect(this, &ProgramSheet::lineSelected, p, &P::Select);
    connect(this, &ProgramSheet::lineRunRequested, p, &P::RunLine);
    connect(p, &P::changed, this, [this, p] { ShowProgram(p->Runner()); });
    connect(p, &P::programNamed, this,
            [this](const QString& name) { ShowName(name.toStdString()); });
    connect(p, &P::programFileChosen, this, &ProgramSheet::ChooseFile);
}

void ProgramSheet::ShowProgram(const testprogram::ProgramRunner& runner) {
    const testprogram::ProgramRunner::View& v = runner.view();
    {
        const QSignalBlocker quiet(ListProg);
        const int n = static_cast<int>(v.lines.size());
        while (ListProg->count() > n)
            delete ListProg->takeItem(ListProg->count() - 1);
        for (int i = 0; i < n; ++i) {
            if (i == ListProg->count()) {
                auto* item = new QListWidgetItem(ListProg);
                // The check mark says the line ran in this run; the operator does not set it.
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                item->setCheckState(Qt::Unchecked);
            }
            QListWidgetItem* item = ListProg->item(i);
            const QString text = Qs(v.lines[size_t(i)]);
            if (item->text() != text) {
                item->setText(text);
                const testprogram::ProgLine& line = runner.Parsed(i);
                // A condition that cannot be read never runs: the editor says so.
                const bool known = line.cmd != testprogram::Cmd::kNone || line.blank;
                item->setForeground(line.malformed ? QColor(200, 0, 0)
                                    : known        ? QColor(0, 0, 0)
                                                   : QColor(120, 120, 120));
                item->setToolTip(line.malformed ? QString::fromUtf8("Условие не распознано")
                                 : known ? QString()
                                         : QString::fromUtf8("Неизвестная команда"));
            }
            const Qt::CheckState check = v.checked[size_t(i)] ? Qt::Checked : Qt::Unchecked;
            if (item->checkState() != check) item->setCheckState(check);
        }
        if (ListProg->currentRow() != v.selected) ListProg->setCurrentRow(v.selected);
    }
    setEnabled(v.editorEnabled);
    // Drawn buttons show their state themselves.
    if (Button5->Enabled != v.editorEnabled) {
        for (TMegaButton* b : {Button3, Button4, Button5, Button6, Button7})
            console::SetButtonEnabled(b, v.editorEnabled);
    }
    const QString banner = Qs(v.banner);
    if (PanelTXT->text() != banner) PanelTXT->setText(banner);
}

void ProgramSheet::ShowName(const std::string& name) {
    Edit6->setText(Qs(name));
}

void ProgramSheet::ChooseFile(const QString& path) {
    FileProgram->setCurrentIndex(programFiles_->index(path));
}

// ----- composing lines

void ProgramSheet::ListCmdClick() {
    const int row = ListCmd->currentRow();
    const int mask =
        row >= 0 && row < testprogram::kCommandCount ? testprogram::kCommands[size_t(row)].mask : 0;
    P1->setText(row >= 0 ? ListCmd->item(row)->text() : QString());
    const bool channel = (mask & testprogram::kTakesChannel) != 0;
    const bool number = (mask & testprogram::kTakesNumber) != 0;
    LP2->setVisible(channel || number);
    P2->setVisible(channel);
    P3->setVisible(number);
}

void ProgramSheet::ConditionChoice() {
    const bool condition = ComboBox1->currentText() != QString::fromUtf8("Команда");
    for (const char* name : {"LabelIf", "LabelThen"}) {
        if (auto* label = findChild<QLabel*>(name)) label->setEnabled(condition);
    }
    ComboBox2->setEnabled(condition);
    Edit7->setEnabled(condition);
}

void ProgramSheet::ComposeLineClick(bool insert) {
    testprogram::LineParts parts;
    parts.command = ListCmd->currentRow();
    parts.conditional = ComboBox1->currentText() != QString::fromUtf8("Команда");
    parts.op = ComboBox2->currentText().toStdString();
    parts.threshold = Edit7->text().toStdString();
    parts.channel = P2->currentText().toStdString();
    parts.number = P3->text().toStdString();
    emit lineComposed(parts, insert);
}

}  // namespace console
