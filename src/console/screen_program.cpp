// The sheet "ПРОГРАММА" of the work screen: the program files of "PROG",
// the program the runner works through, and the composer of new lines; the
// runner's three timers; and the named crosshead positions of the plot
// sheet. What a line means and how a run goes is the runner's
// (src/program); here it gets its hands (the dispatcher, the test process
// and the unit) and its view.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "console/look.h"
#include "console/programsheet.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"
#include "platform/programfolder.h"
#include "program/programfile.h"

using console::ButtonKind;
using console::MakeButton;

namespace {

// The runner acts as the operator's buttons do: console codes through the
// dispatcher, the speed and the positioning through the test process.
class WindowProgramHost final : public testprogram::ProgramHost {
public:
    explicit WindowProgramHost(TFBase& window) : window_(window) {}

    void ConsoleCommand(int code) override { window_.Command(code); }
    void SetSpeed(float speed) override {
        if (C_Work* w = window_.Work()) w->SetSpeed(speed);
    }
    void StartPositioning(double position) override {
        C_Work* w = window_.Work();
        if (w == nullptr) return;
        w->Channel(2).targetPosition = position;
        w->DeviceCmd(0, unit_code::kMoveToTarget);
    }
    // The status byte as the last status read (every 250 ms) left it; a unit
    // without the register image never positions.
    bool Positioning() const override {
        const C_Work* w = window_.Work();
        const auto* unit =
            w != nullptr && w->Connected() ? dynamic_cast<const DEVICE_QUELM*>(w->Unit()) : nullptr;
        return unit != nullptr &&
               unit->Image().GetU8(RegisterImage::kStatus, RegisterImage::kStatusPositioning) == 1;
    }
    bool TestRunning() const override {
        const C_Work* w = window_.Work();
        return w != nullptr && w->State() == C_Work::kRunning;
    }
    double ChannelValue(int channel) const override {
        const C_Kanal* k = Channel(channel);
        return k != nullptr ? k->value : 0.0;
    }
    double ChannelPeak(int channel) const override {
        const C_Kanal* k = Channel(channel);
        return k != nullptr ? k->peak : 0.0;
    }
    double ChannelRange(int channel) const override {
        const C_Kanal* k = Channel(channel);
        return k != nullptr ? k->fullScale : 0.0;
    }
    void Report(const std::string& message) override { window_.ProgReport(message); }

private:
    const C_Kanal* Channel(int channel) const {
        C_Work* w = window_.Work();
        return w != nullptr && channel >= 1 && channel <= 3 ? &w->Channel(channel) : nullptr;
    }

    TFBase& window_;
};

QString Qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Lists and entry fields sized for a finger.
void TouchFont(QWidget* w, int pixels = 16) {
    QFont f = w->font();
    f.setPixelSize(pixels);
    w->setFont(f);
}

// Rows a finger can hit.
void TouchRows(QAbstractItemView* list) {
    list->setStyleSheet("QAbstractItemView::item { padding: 5px 2px; }");
}

QLabel* Caption(QWidget* parent, const char* name, const char* text) {
    return console::MakeLabel(parent, name, text, 14);
}

// The mode bar's free width goes to the running-program sign while it is
// shown (the stretch after it gives its share up), to the stretch otherwise.
void SignTakesFreeWidth(QWidget* bar, QWidget* sign, bool shown) {
    auto* row = qobject_cast<QBoxLayout*>(bar->layout());
    if (row == nullptr) return;
    const int after = row->indexOf(sign) + 1;
    if (after > 0 && after < row->count()) row->setStretch(after, shown ? 0 : 1);
}

void Start(QTimer* t, bool on) {
    if (on && !t->isActive()) t->start();
    if (!on && t->isActive()) t->stop();
}

std::vector<console::NamedPosition> TableRows(const QTableWidget* table) {
    std::vector<console::NamedPosition> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        const QTableWidgetItem* name = table->item(r, 0);
        const QTableWidgetItem* position = table->item(r, 1);
        console::NamedPosition row{
            name != nullptr ? name->text().toStdString() : std::string(),
            position != nullptr ? position->text().toStdString() : std::string()};
        if (!row.name.empty() || !row.position.empty()) rows.push_back(std::move(row));
    }
    return rows;
}

// The table keeps one empty row at its end to type a new position into.
void ShowRows(QTableWidget* table, const std::vector<console::NamedPosition>& rows) {
    const QSignalBlocker quiet(table);
    table->setRowCount(static_cast<int>(rows.size()) + 1);
    for (int r = 0; r < table->rowCount(); ++r) {
        const bool data = r < static_cast<int>(rows.size());
        table->setItem(r, 0, new QTableWidgetItem(data ? Qs(rows[size_t(r)].name) : QString()));
        table->setItem(r, 1, new QTableWidgetItem(data ? Qs(rows[size_t(r)].position) : QString()));
    }
}

}  // namespace

void TFBase::BuildProgramPanels() {
    programHost_ = std::make_unique<WindowProgramHost>(*this);
    runner_ = std::make_unique<testprogram::ProgramRunner>(*programHost_);
    auto timer = [this](const char* name, int ms) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        return t;
    };
    TimeRunProg = timer("TimeRunProg", testprogram::kRunPeriodMs);
    TimerTick = timer("TimerTick", testprogram::kWaitPeriodMs);
    TimerELSE->setInterval(testprogram::kScanPeriodMs);
    connect(TimeRunProg, &QTimer::timeout, this, &TFBase::TimeRunProgTimer);
    connect(TimerTick, &QTimer::timeout, this, &TFBase::TimerTickTimer);
    connect(TimerELSE, &QTimer::timeout, this, &TFBase::TimerELSETimer);

    BuildProgramSheet(findChild<QWidget*>("ProgramSheet"));
    BuildPositionPanel();
    BindVerificationPanel();
    ShowProgram();
}

void TFBase::BuildProgramSheet(QWidget* sheet) {
    auto* columns = new QHBoxLayout(sheet);
    columns->setContentsMargins(2, 2, 2, 2);
    columns->setSpacing(4);

    // ----- the program, outside the editor: a run shows its progress here
    auto* programColumn = new QVBoxLayout;
    PanelTXT = new QLabel(Qs(testprogram::kEditingText), sheet);
    PanelTXT->setObjectName("PanelTXT");
    TouchFont(PanelTXT, 15);
    // A narrow window wraps the banner rather than cutting it.
    PanelTXT->setWordWrap(true);
    ListProg = new QListWidget(sheet);
    ListProg->setObjectName("ListProg");
    TouchFont(ListProg);
    TouchRows(ListProg);
    ListProg->setSelectionMode(QAbstractItemView::SingleSelection);
    // Condition lines are long: they wrap rather than hide their end.
    ListProg->setWordWrap(true);
    ListProg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    programColumn->addWidget(PanelTXT);
    programColumn->addWidget(ListProg, 1);
    columns->addLayout(programColumn, 4);

    // ----- the editor: files, line buttons and the composer
    PanelProg = console::MakePanel(sheet, "PanelProg");
    auto* editor = new QHBoxLayout(PanelProg);
    editor->setContentsMargins(4, 4, 4, 4);
    columns->addWidget(PanelProg, 5);

    auto* files = new QVBoxLayout;
    files->addWidget(Caption(PanelProg, "", "Список программ"));
    programFiles_ = new QFileSystemModel(this);
    programFiles_->setFilter(QDir::Files);
    // Files made on the Windows station may carry the extension in capitals.
    programFiles_->setNameFilters({"*.ini", "*.INI"});
    programFiles_->setNameFilterDisables(false);
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    FileProgram = new QListView(PanelProg);
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
    QLabel* current = Caption(PanelProg, "", "Текущая программа");
    current->setWordWrap(true);
    files->addWidget(current);
    Edit6 = new QLineEdit(PanelProg);
    Edit6->setObjectName("Edit6");
    TouchFont(Edit6);
    files->addWidget(Edit6);
    Button5 = MakeButton(PanelProg, "Button5", "Сохранить", ButtonKind::Push, 120, 40);
    Button6 = MakeButton(PanelProg, "Button6", "Удалить строку", ButtonKind::Push, 120, 40);
    Button4 = MakeButton(PanelProg, "Button4", "Очистить", ButtonKind::Push, 120, 40);
    for (TMegaButton* b : {Button5, Button6, Button4}) {
        b->Font.SetSize(10);
        files->addWidget(b);
    }
    editor->addLayout(files, 2);

    auto* composer = new QVBoxLayout;
    composer->addWidget(Caption(PanelProg, "", "Список команд"));
    ListCmd = new QListWidget(PanelProg);
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
    ComboBox1 = new QComboBox(PanelProg);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->addItems({QString::fromUtf8("Команда"), QString::fromUtf8("Условие")});
    auto* ifRow = new QHBoxLayout;
    ComboBox2 = new QComboBox(PanelProg);
    ComboBox2->setObjectName("ComboBox2");
    for (std::string_view op : testprogram::kOperators)
        ComboBox2->addItem(Qs(op));
    Edit7 = new QLineEdit(PanelProg);
    Edit7->setObjectName("Edit7");
    ifRow->addWidget(Caption(PanelProg, "LabelIf", "Если:"));
    ifRow->addWidget(ComboBox2);
    ifRow->addWidget(Edit7, 1);
    auto* thenRow = new QHBoxLayout;
    P1 = Caption(PanelProg, "P1", "");
    thenRow->addWidget(Caption(PanelProg, "LabelThen", "Тогда:"));
    thenRow->addWidget(P1, 1);
    auto* argRow = new QHBoxLayout;
    LP2 = Caption(PanelProg, "LP2", "Значение:");
    P2 = new QComboBox(PanelProg);
    P2->setObjectName("P2");
    P2->addItems({"F", "L", "E"});
    P3 = new QLineEdit("0", PanelProg);
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
    Button3 =
        MakeButton(PanelProg, "Button3", "Добавить в конец списка", ButtonKind::Push, 240, 40);
    Button7 = MakeButton(PanelProg, "Button7", "Вставить меж строк", ButtonKind::Push, 240, 40);
    for (TMegaButton* b : {Button3, Button7}) {
        b->Font.SetSize(10);
        composer->addWidget(b);
    }
    editor->addLayout(composer, 3);
    ListCmdClick();
    ConditionChoice();

    connect(FileProgram, &QListView::clicked, this, [this](const QModelIndex& index) {
        LoadProgramFile(programFiles_->fileName(index).toStdString());
    });
    connect(N1, &QAction::triggered, this, &TFBase::DeleteProgramClick);
    connect(ListCmd, &QListWidget::currentRowChanged, this, [this](int) { ListCmdClick(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int) { ConditionChoice(); });
    Button3->OnClick = [this](TMegaButton*) { ComposeLineClick(false); };
    Button7->OnClick = [this](TMegaButton*) { ComposeLineClick(true); };
    Button6->OnClick = [this](TMegaButton*) {
        runner_->DeleteSelected();
        ShowProgram();
    };
    Button4->OnClick = [this](TMegaButton*) {
        runner_->Clear();
        ShowProgram();
    };
    Button5->OnClick = [this](TMegaButton*) { SaveProgramClick(); };
    // A single click only selects: a line that holds a condition (opening a
    // grip under load, say) must not act on a touch meant to choose it. A
    // double click runs the line once, as a deliberate act.
    connect(ListProg, &QListWidget::currentRowChanged, this, [this](int row) {
        runner_->Select(row);
        ShowProgram();
    });
    connect(ListProg, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        // During a run the list is the run's; its lines are not run by hand.
        if (!runner_->view().editorEnabled) return;
        const int row = ListProg->row(item);
        const std::string text = item->text().toStdString();
        if (ProgCommand(text) == 0 || row < 0) return;
        // A false condition is no fault; a line that cannot run is.
        const testprogram::ProgLine& line = runner_->Parsed(row);
        if (line.Refused()) ShowMes(testprogram::RefusalMessage(row, text, line), 1, 0);
    });
}

// ----- the runner's view on the sheet, the banner and the timers

void TFBase::ShowProgram() {
    const testprogram::ProgramRunner::View& v = runner_->view();
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
                const testprogram::ProgLine& line = runner_->Parsed(i);
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
    PanelProg->setEnabled(v.editorEnabled);
    // Drawn buttons show their state themselves.
    if (Button5->Enabled != v.editorEnabled) {
        for (TMegaButton* b : {Button3, Button4, Button5, Button6, Button7})
            console::SetButtonEnabled(b, v.editorEnabled);
    }
    const QString banner = Qs(v.banner);
    if (PanelTXT->text() != banner) PanelTXT->setText(banner);
    if (v.bannerShown) {
        if (MESS_PROG->isHidden()) {
            SignTakesFreeWidth(Panel3, MESS_PROG, true);
            MESS_PROG->show();
            // The sign's width now, not at the next layout pass: its font fits it.
            if (QLayout* bar = Panel3->layout()) bar->activate();
        }
        ShowBanner(v.banner);
        MESS_PROG->raise();
        MESS_PROG->SetDradPos(static_cast<float>(v.blinkLevel));
        MESS_PROG->Draw();
    } else if (!MESS_PROG->isHidden()) {
        MESS_PROG->hide();
        SignTakesFreeWidth(Panel3, MESS_PROG, false);
    }
    const testprogram::ProgramRunner::Timers& t = runner_->timers();
    Start(TimeRunProg, t.run);
    Start(TimerTick, t.wait);
    Start(TimerELSE, t.scan);
}

void TFBase::TimeRunProgTimer() {
    runner_->RunTick();
    ShowProgram();
}

void TFBase::TimerTickTimer() {
    runner_->WaitTick();
    ShowProgram();
}

void TFBase::TimerELSETimer() {
    runner_->ConditionScan();
    ShowProgram();
}

int TFBase::ProgCommand(const std::string& line) {
    const int result = runner_->ProgCommand(line);
    ShowProgram();
    return result;
}

int TFBase::ProgCondition(const std::string& line) {
    const int result = runner_->ProgCondition(line);
    ShowProgram();
    return result;
}

int TFBase::ProgStart() {
    const int result = runner_->ProgStart();
    ShowProgram();
    return result;
}

void TFBase::ProgStop() {
    runner_->ProgStop();
    ShowProgram();
}

void TFBase::ProgReport(const std::string& message) {
    if (!work_ || work_->State() != C_Work::kRunning) {
        console::SetButtonDown(BUT_START, false);
        console::SetButtonEnabled(BUT_PAUSE, false);
    }
    ShowMes(message, 1, 0);
}

// The sign over the work screen reads the banner whole: the largest font up
// to the button's own that fits its width.
void TFBase::ShowBanner(const std::string& text) {
    if (MESS_PROG->Caption == text && bannerWidth_ == MESS_PROG->width()) return;
    MESS_PROG->Caption = text;
    MESS_PROG->setToolTip(Qs(text));
    bannerWidth_ = MESS_PROG->width();
    draw::Font font = MESS_PROG->Font;
    for (int points = 12; points > 6; --points) {
        font.SetSize(points);
        if (QFontMetrics(draw::ToQFont(font)).horizontalAdvance(Qs(text)) + 16 <= bannerWidth_)
            break;
    }
    MESS_PROG->Font = font;
}

void TFBase::StopConditionScan() {
    TimerELSE->stop();
    if (!runner_) return;
    runner_->ResultsComputed();
    // A test started from an empty program has no run to end it: its end
    // gives the editor back all the same.
    if (!runner_->timers().run && !runner_->view().editorEnabled) runner_->ProgStop();
    ShowProgram();
}

// ----- program files

void TFBase::SelectProgram(const std::string& name) {
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    const QDir dir(Qs(folder));
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        if (file.compare(Qs(name), Qt::CaseInsensitive) != 0) continue;
        LoadProgramFile(file.toStdString());
        FileProgram->setCurrentIndex(programFiles_->index(dir.filePath(file)));
        return;
    }
}

void TFBase::LoadProgramFile(const std::string& fileName) {
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    auto lines = testprogram::LoadProgram(folder, fileName);
    if (!lines) {
        deps_.messages->ShowMessage(
            "Ошибка", "Файл '" + platform::JoinPath(folder, fileName) + "' не может быть открыт");
        return;
    }
    // Refused while a run holds the program.
    if (!runner_->SetLines(std::move(*lines))) return;
    Edit6->setText(Qs(console::ProgramNameOf(fileName)));
    ShowProgram();
}

void TFBase::SaveProgramClick() {
    const std::string name = Edit6->text().toStdString();
    if (name.empty()) return;
    // Nothing is written outside "PROG".
    if (!testprogram::IsProgramName(name)) {
        ShowMes("НЕДОПУСТИМОЕ ИМЯ ПРОГРАММЫ: " + name, 1, 0);
        return;
    }
    // A program that would not start is not stored as one.
    if (const int bad = runner_->RefusedLine(); bad >= 0) {
        ShowMes("ПРОГРАММА НЕ СОХРАНЕНА. " +
                    testprogram::RefusalMessage(bad, runner_->view().lines[size_t(bad)],
                                                runner_->Parsed(bad)),
                1, 0);
        return;
    }
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!testprogram::SaveProgram(folder, name, runner_->view().lines)) {
        deps_.messages->ShowMessage("Ошибка", "Файл '" + platform::JoinPath(folder, name + ".ini") +
                                                  "' не может быть создан");
    }
}

void TFBase::DeleteProgramClick() {
    const QModelIndex chosen = FileProgram->currentIndex();
    if (!chosen.isValid()) return;
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    testprogram::DeleteProgram(folder, programFiles_->fileName(chosen).toStdString());
}

// ----- composing lines

void TFBase::ListCmdClick() {
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

void TFBase::ConditionChoice() {
    const bool condition = ComboBox1->currentText() != QString::fromUtf8("Команда");
    for (const char* name : {"LabelIf", "LabelThen"}) {
        if (auto* label = PanelProg->findChild<QLabel*>(name)) label->setEnabled(condition);
    }
    ComboBox2->setEnabled(condition);
    Edit7->setEnabled(condition);
}

void TFBase::ComposeLineClick(bool insert) {
    testprogram::LineParts parts;
    parts.command = ListCmd->currentRow();
    parts.conditional = ComboBox1->currentText() != QString::fromUtf8("Команда");
    parts.op = ComboBox2->currentText().toStdString();
    parts.threshold = Edit7->text().toStdString();
    parts.channel = P2->currentText().toStdString();
    parts.number = P3->text().toStdString();
    const std::string line = testprogram::ComposeLine(parts);
    if (line.empty()) return;
    // What the runner would refuse is refused here, where it is written.
    if (const std::string problem = testprogram::ComposeProblem(parts); !problem.empty()) {
        ShowMes(problem, 1, 0);
        return;
    }
    if (insert)
        runner_->InsertAfterSelected(line);
    else
        runner_->Append(line);
    ShowProgram();
}

// ----- named positions

void TFBase::BuildPositionPanel() {
    ComboBox3 = findChild<QComboBox*>("ComboBox3");
    ComboBox3->setMinimumHeight(38);
    // Entries read "name - position": the chooser grows to show them whole.
    ComboBox3->setMinimumWidth(180);
    ComboBox3->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    TouchFont(ComboBox3);
    Panel32 = console::MakeFloatingPanel(this, "Panel32", "ПОЗИЦИИ ТРАВЕРСЫ", 440, 400);
    ValueListEditor1 = new QTableWidget(0, 2, Panel32);
    ValueListEditor1->setObjectName("ValueListEditor1");
    ValueListEditor1->setHorizontalHeaderLabels(
        {QString::fromUtf8("Название"), QString::fromUtf8("Позиция, мм")});
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->horizontalHeader()->setStretchLastSection(true);
    ValueListEditor1->setColumnWidth(0, 240);
    ValueListEditor1->verticalHeader()->setDefaultSectionSize(34);
    TouchFont(ValueListEditor1);
    ShowRows(ValueListEditor1, {});
    Panel32->layout()->addWidget(ValueListEditor1);
    auto* buttons = new QHBoxLayout;
    Button8 = MakeButton(Panel32, "Button8", "Сохранить", ButtonKind::Push, 150, 44);
    Button9 = MakeButton(Panel32, "Button9", "Закрыть", ButtonKind::Push, 150, 44);
    buttons->addWidget(Button8);
    buttons->addWidget(Button9);
    static_cast<QVBoxLayout*>(Panel32->layout())->addLayout(buttons);

    connect(ValueListEditor1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        // Typing into the spare row makes a new one below it.
        QTableWidget* table = ValueListEditor1;
        if (item->row() != table->rowCount() - 1 || item->text().isEmpty()) return;
        const QSignalBlocker quiet(table);
        const int spare = table->rowCount();
        table->insertRow(spare);
        table->setItem(spare, 0, new QTableWidgetItem);
        table->setItem(spare, 1, new QTableWidgetItem);
    });
    auto togglePanel = [this] {
        if (Panel32->isHidden()) {
            CentrePanel(Panel32);
            OpenPanel(Panel32);
        } else {
            Panel32->hide();
        }
    };
    if (auto* open = findChild<TMegaButton*>("BitBtn1"))
        open->OnClick = [togglePanel](TMegaButton*) { togglePanel(); };
    Button8->OnClick = [this](TMegaButton*) {
        FillPositionList();
        SavePositions();
    };
    Button9->OnClick = [this, togglePanel](TMegaButton*) {
        FillPositionList();
        togglePanel();
    };
    MegaButton69->OnClick = [this](TMegaButton*) { GoToPosition(); };
}

void TFBase::FillPositionList() {
    ComboBox3->clear();
    for (const console::NamedPosition& row : TableRows(ValueListEditor1))
        ComboBox3->addItem(Qs(console::PositionEntry(row)), Qs(row.position));
    ComboBox3->setCurrentIndex(ComboBox3->count() > 0 ? 0 : -1);
}

void TFBase::LoadPositions() {
    const auto bytes =
        platform::ReadWholeFile(platform::JoinPath(ProgramDir(), console::kPositionFile));
    if (!bytes) return;
    ShowRows(ValueListEditor1, console::ParsePositions(*bytes));
    FillPositionList();
}

void TFBase::SavePositions() {
    const std::string path = platform::JoinPath(ProgramDir(), console::kPositionFile);
    if (!platform::WriteFileAtomic(path, console::PositionFileBytes(TableRows(ValueListEditor1))))
        deps_.messages->ShowMessage("Ошибка", "Файл '" + path + "' не может быть создан");
}

void TFBase::GoToPosition() {
    if (ComboBox3->currentIndex() < 0) return;
    const console::NamedPosition row{ComboBox3->currentText().toStdString(),
                                     ComboBox3->currentData().toString().toStdString()};
    // A position that is not a number moves nothing; the operator hears why.
    if (ProgCommand(console::PositionLine(row)) != 0)
        ShowMes("НЕВЕРНАЯ ПОЗИЦИЯ: " + row.position, 1, 0);
}
