// The protocol preview: the tool bar over the sheet viewer.

#include "console/preview_screen.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "console/look.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/printpanel.h"

namespace console {

PreviewScreen::PreviewScreen(QWidget* parent) : QWidget(parent) {
    setObjectName("TabSheet12");
    auto* column = new QVBoxLayout(this);
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
        *t.button = MakeButton(this, t.name, t.caption, ButtonKind::Push, 90, 48);
        (*t.button)->setToolTip(QString::fromUtf8(t.hint));
        bar->addWidget(*t.button);
    }
    PageNomber = MakeLabel(this, "PageNomber", "", 18);
    bar->addWidget(PageNomber);
    bar->addStretch(1);
    column->addLayout(bar);
    C_Otchet1 = new C_Otchet(this);
    C_Otchet1->setObjectName("C_Otchet1");
    C_Otchet1->CreateViewer();
    column->addWidget(C_Otchet1, 1);

    // A protocol's file name is typed on the on-screen keyboard.
    C_Otchet1->OnPrintPanel = [this](TPrintPanel& panel) {
        new TapIntoField(panel.FileField(), [this] { emit keyboardRequested(); });
    };
    C_Otchet1->OnPrinted = [this](bool ok, const QString& printer, const QString& pdfFile) {
        emit printed(ok, printer, pdfFile);
    };
    PRINT->OnClick = [this](TMegaButton*) { emit printRequested(); };
    LastPAGE->OnClick = [this](TMegaButton*) { PreviousSheet(); };
    NextPage->OnClick = [this](TMegaButton*) {
        C_Otchet1->NextPage();
        ShowPageNumber();
    };
    ZOOMUP->OnClick = [this](TMegaButton*) { C_Otchet1->ZoomUp(); };
    ZOOMDOWN->OnClick = [this](TMegaButton*) { C_Otchet1->ZoomDown(); };
    ZOOMALL->OnClick = [this](TMegaButton*) { C_Otchet1->ZoomPage(); };
    MegaButton3->OnClick = [this](TMegaButton*) { emit rowChoiceRequested(); };
    BACK_BUT->OnClick = [this](TMegaButton*) { emit backRequested(); };
}

void PreviewScreen::ReadyViewer() {
    // The canvas's layout would only show a new viewer after this call: a
    // sheet fitted to it before then is fitted to a 100 x 30 stub.
    if (auto* viewer = C_Otchet1->findChild<QWidget*>("Viewer", Qt::FindDirectChildrenOnly))
        viewer->show();
    if (C_Otchet1->layout() != nullptr) C_Otchet1->layout()->activate();
}

void PreviewScreen::ToLastSheet() {
    // The viewer holds at the end.
    for (int i = 0; i < C_Otchet1->PageCount(); ++i)
        C_Otchet1->NextPage();
    ShowPageNumber();
}

void PreviewScreen::PreviousSheet() {
    C_Otchet1->LastPage();
    ShowPageNumber();
}

void PreviewScreen::Print(const std::string& pdfFolder) {
    C_Otchet1->PdfFolder = QString::fromStdString(pdfFolder);
    C_Otchet1->Print();
}

void PreviewScreen::ShowPageNumber() {
    PageNomber->setText(QString::number(C_Otchet1->GetCurrentPage() + 1) + "/" +
                        QString::number(C_Otchet1->PageCount()));
}

}  // namespace console
