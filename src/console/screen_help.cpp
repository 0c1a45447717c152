// The help screen: the topic tree and the page viewer. Each topic's page is
// "help/" + the node's text + ".mht" in the program folder, read by our own
// reader; the web-address node goes to the system's browser.

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "console/look.h"
#include "console/mode_bar.h"
#include "console/tfbase.h"
#include "controls/helptopics.h"
#include "controls/helpview.h"
#include "controls/megabutton.h"

QWidget* TFBase::BuildHelpPage() {
    auto* page = console::MakePanel(nullptr, "TabSheet6");
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(6, 6, 6, 6);

    TreeView2 = new QTreeWidget(page);
    TreeView2->setObjectName("TreeView2");
    TreeView2->setHeaderHidden(true);
    TreeView2->setFixedWidth(600);
    TreeView2->setIndentation(18);
    // Whole topic names: a long one widens the column and the tree scrolls.
    TreeView2->setTextElideMode(Qt::ElideNone);
    TreeView2->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TreeView2->header()->setStretchLastSection(false);
    QFont f = TreeView2->font();
    f.setPixelSize(16);
    TreeView2->setFont(f);
    TreeView2->setStyleSheet("QTreeView::item { padding: 6px 0px; }");
    // Each node hangs under the last node one level up.
    std::vector<QTreeWidgetItem*> parents;
    for (const help::Topic& topic : help::Topics()) {
        const auto level = static_cast<size_t>(topic.level);
        parents.resize(level);
        auto* item =
            parents.empty() ? new QTreeWidgetItem(TreeView2) : new QTreeWidgetItem(parents.back());
        // The text is the page's file name: kept byte for byte.
        item->setText(
            0, QString::fromUtf8(topic.text.data(), static_cast<qsizetype>(topic.text.size())));
        parents.push_back(item);
    }
    TreeView2->expandAll();
    connect(TreeView2, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { HelpTopicClick(item); });
    columns->addWidget(TreeView2);

    WebBrowser1 = new HelpView(page);
    WebBrowser1->setObjectName("WebBrowser1");
    QFont text = WebBrowser1->font();
    text.setPixelSize(18);
    WebBrowser1->setFont(text);
    columns->addWidget(WebBrowser1, 1);

    // The contents page is there when the screen first opens.
    if (QTreeWidgetItem* root = TreeView2->topLevelItem(0)) {
        TreeView2->setCurrentItem(root);
        HelpTopicClick(root);
    }

    // The operator's way to the help screen (code 80), on the mode bar that
    // every screen shows.
    TMegaButton* help =
        console::MakeButton(modeBar_, "MENU_HELP", "СПРАВКА", console::ButtonKind::Push, 150);
    help->OnClick = [this](TMegaButton*) { Command(80); };
    // The settings are left only through their own exit, which stores them.
    connect(BaseTab, &QStackedWidget::currentChanged, help,
            [help](int page) { console::SetButtonEnabled(help, page != 2); });
    modeBar_->AddBeforeFullScreen(help);
    return page;
}

void TFBase::HelpTopicClick(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const std::string text = item->text(0).toStdString();
    if (help::IsWebTopic(text)) {
        // The system's browser, never a shell.
        QDesktopServices::openUrl(QUrl(QString::fromStdString(help::WebAddress(text))));
        return;
    }
    // A missing page shows the viewer's own "page not found" text.
    WebBrowser1->ShowPage(help::PagePath(ProgramDir(), text));
}
