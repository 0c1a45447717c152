// The other pages of BaseTab (settings, report preview, help) and the
// places of the floating panels that come with later issues: they exist,
// named, hidden, so the dispatcher can show them and nothing else acts yet.

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "console/chrome.h"
#include "console/look.h"
#include "console/tfbase.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"

using console::ButtonKind;
using console::MakeButton;

QWidget* TFBase::BuildSettingsPage() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet2");
    auto* column = new QVBoxLayout(page);
    auto* config = new QTabWidget(page);
    config->setObjectName("PageConfig");
    CUSTOM_LIST = new QListWidget;
    CUSTOM_LIST->setObjectName("CUSTOM_LIST");
    config->addTab(CUSTOM_LIST, QString::fromUtf8("Настройки"));
    column->addWidget(config);
    return page;
}

QWidget* TFBase::BuildPreviewPage() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet12");
    auto* column = new QVBoxLayout(page);
    auto* bar = new QHBoxLayout;
    const std::pair<const char*, const char*> buttons[] = {
        {"PRINT", "Настройка принтера и печать"},
        {"LastPAGE", "Предыдущий лист"},
        {"NextPage", "Следующий лист"},
        {"ZOOMUP", "Увеличить"},
        {"ZOOMDOWN", "Уменьшить"},
        {"ZOOMALL", "Полный лист"},
        {"MegaButton3", "Выбор параметров отображаемых в отчете"},
        {"BACK_BUT", "Закрыть отчеты"}};
    const char* captions[] = {"ПЕЧАТЬ", "<", ">", "+", "-", "[ ]", "ПАРАМ.", "ЗАКРЫТЬ"};
    int k = 0;
    for (const auto& [name, hint] : buttons) {
        TMegaButton* b = MakeButton(page, name, captions[k++], ButtonKind::Push, 90, 48);
        b->setToolTip(QString::fromUtf8(hint));
        bar->addWidget(b);
    }
    PageNomber = console::MakeLabel(page, "PageNomber", "", 18);
    bar->addWidget(PageNomber);
    bar->addStretch(1);
    column->addLayout(bar);
    C_Otchet1 = new C_Otchet(page);
    C_Otchet1->setObjectName("C_Otchet1");
    C_Otchet1->CreateViewer();
    column->addWidget(C_Otchet1, 1);

    auto showPage = [this] {
        PageNomber->setText(QString::number(C_Otchet1->GetCurrentPage() + 1) + "/" +
                            QString::number(C_Otchet1->PageCount()));
    };
    auto on = [page](const char* name, std::function<void()> action) {
        page->findChild<TMegaButton*>(name)->OnClick = [action](TMegaButton*) { action(); };
    };
    on("PRINT", [this] { C_Otchet1->Print(); });
    on("LastPAGE", [this, showPage] {
        C_Otchet1->LastPage();
        showPage();
    });
    on("NextPage", [this, showPage] {
        C_Otchet1->NextPage();
        showPage();
    });
    on("ZOOMUP", [this] { C_Otchet1->ZoomUp(); });
    on("ZOOMDOWN", [this] { C_Otchet1->ZoomDown(); });
    on("ZOOMALL", [this] { C_Otchet1->ZoomPage(); });
    on("BACK_BUT", [this] { ShowScreen(1); });
    return page;
}

QWidget* TFBase::BuildHelpPage() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet6");
    auto* column = new QVBoxLayout(page);
    column->addWidget(console::MakeLabel(page, "", "СПРАВКА", 24));
    column->addStretch(1);
    return page;
}

void TFBase::BuildManualPanels() {
    // The panels open with the manual-control issue; their buttons already
    // show what the dispatcher and the unit's status set.
    PUDIK = console::MakeFloatingPanel(this, "PUDIK", "РУЧНОЕ УПРАВЛЕНИЕ", 420, 330);
    PUDIK_PRESS = console::MakeFloatingPanel(this, "PUDIK_PRESS", "СЖАТИЕ/ИЗГИБ", 420, 260);
    auto* grid = new QHBoxLayout;
    auto add = [](QFrame* panel, QHBoxLayout* row, const char* name, const char* caption,
                  ButtonKind kind) {
        TMegaButton* b = MakeButton(panel, name, caption, kind, 60, 44);
        b->Font.SetSize(9);
        row->addWidget(b);
        return b;
    };
    CONT_UPOFF = add(PUDIK, grid, "CONT_UPOFF", "ВЗ+", ButtonKind::Push);
    CONT_UPON = add(PUDIK, grid, "CONT_UPON", "ВЗ-", ButtonKind::Push);
    CONT_DOWNOFF = add(PUDIK, grid, "CONT_DOWNOFF", "НЗ+", ButtonKind::Push);
    CONT_DOWNON = add(PUDIK, grid, "CONT_DOWNON", "НЗ-", ButtonKind::Push);
    GRIP_UP = add(PUDIK, grid, "GRIP_UP", "ВЗ", ButtonKind::Toggle);
    GRIP_DOWN = add(PUDIK, grid, "GRIP_DOWN", "НЗ", ButtonKind::Toggle);
    auto* moves = new QHBoxLayout;
    CONT_UP = add(PUDIK, moves, "CONT_UP", "ВВЕРХ", ButtonKind::Push);
    CONT_DOWN = add(PUDIK, moves, "CONT_DOWN", "ВНИЗ", ButtonKind::Push);
    CONT_STOP = add(PUDIK, moves, "CONT_STOP", "СТОП", ButtonKind::Push);
    CONT_ON = add(PUDIK, moves, "CONT_ON", "ON ", ButtonKind::Toggle);
    OUTPUD = add(PUDIK, moves, "OUTPUD", "", ButtonKind::Toggle);
    OUTPUD->hide();
    auto* pudik = static_cast<QVBoxLayout*>(PUDIK->layout());
    pudik->addLayout(grid);
    pudik->addLayout(moves);
    auto* handle = new console::DragHandle(PUDIK, PUDIK);
    handle->setObjectName("Move1");
    handle->setFixedHeight(20);
    pudik->insertWidget(0, handle);

    auto* press = new QHBoxLayout;
    CONT_UP1 = add(PUDIK_PRESS, press, "CONT_UP1", "ВВЕРХ", ButtonKind::Push);
    CONT_DOWN1 = add(PUDIK_PRESS, press, "CONT_DOWN1", "ВНИЗ", ButtonKind::Push);
    CONT_STOP1 = add(PUDIK_PRESS, press, "CONT_STOP1", "СТОП", ButtonKind::Push);
    CONT_ON1 = add(PUDIK_PRESS, press, "CONT_ON1", "ON ", ButtonKind::Toggle);
    OUTPUD1 = add(PUDIK_PRESS, press, "OUTPUD1", "", ButtonKind::Toggle);
    OUTPUD1->hide();
    auto* pressColumn = static_cast<QVBoxLayout*>(PUDIK_PRESS->layout());
    pressColumn->addLayout(press);
    auto* handle11 = new console::DragHandle(PUDIK_PRESS, PUDIK_PRESS);
    handle11->setObjectName("Move11");
    handle11->setFixedHeight(20);
    pressColumn->insertWidget(0, handle11);
}

void TFBase::BuildLaterPanels() {
    DIALOG_SAVE =
        console::MakeFloatingPanel(this, "DIALOG_SAVE", "Сохранить результат испытания", 640, 220);
    Edit4 = new QLineEdit(DIALOG_SAVE);
    Edit4->setObjectName("Edit4");
    DIALOG_SAVE->layout()->addWidget(Edit4);
    TMegaButton* cancelSave = MakeButton(DIALOG_SAVE, "CANCEL_DIALOG", "ОТМЕНА");
    cancelSave->OnClick = [this](TMegaButton*) { DIALOG_SAVE->hide(); };
    DIALOG_SAVE->layout()->addWidget(cancelSave);

    OPENFILE_PANEL =
        console::MakeFloatingPanel(this, "OPENFILE_PANEL", "Открыть файл испытания", 640, 220);
    TMegaButton* cancelOpen = MakeButton(OPENFILE_PANEL, "OTMENA_BUT", "Отмена");
    cancelOpen->OnClick = [this](TMegaButton*) { OPENFILE_PANEL->hide(); };
    OPENFILE_PANEL->layout()->addWidget(cancelOpen);

    // Numeric entry, password, data zoom, report rows, hydraulic station, hold.
    const std::pair<const char*, const char*> later[] = {{"SPEED_ENTER", ""},
                                                         {"PAROLMES", "ВВЕДИТЕ ПАРОЛЬ:"},
                                                         {"ZOOMPANEL", "ВВЕДИТЕ ДАННЫЕ"},
                                                         {"LIST_CHECK", "ВЫБОР ПАРАМЕТРОВ "},
                                                         {"PanelIZNOS", "Гидростанция"},
                                                         {"Panel19", "Настройки выдержки"}};
    for (const auto& [name, title] : later)
        console::MakeFloatingPanel(this, name, title, 400, 200);
}
