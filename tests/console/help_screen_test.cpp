// The help screen of the real window: the topic tree, each topic's page
// from the program folder, a missing page, and the web-address node going
// to the system's browser (caught here, never opened).

#include <QApplication>
#include <QDesktopServices>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "console_rig.h"
#include "controls/helptopics.h"
#include "controls/helpview.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;

// Stands in for the system's browser.
class BrowserStub : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

class HelpScreen : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(UTM_HELP_FOLDER, rig.folder.path() + "/help");
        rig.Start();
        rig.StopPolling();
        tree = rig.Find<QTreeWidget>("TreeView2");
        rig.window->Command(80);
        viewer = rig.Find<HelpView>("WebBrowser1");
    }

    void ClickTopic(std::string_view text) {
        const auto items =
            tree->findItems(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                            Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1) << text;
        tree->scrollToItem(items[0]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(items[0]).center());
    }

    ConsoleRig rig;
    QTreeWidget* tree = nullptr;
    HelpView* viewer = nullptr;
};

void Walk(QTreeWidgetItem* item, int level, std::vector<std::pair<int, std::string>>& out) {
    out.emplace_back(level, item->text(0).toStdString());
    for (int i = 0; i < item->childCount(); ++i)
        Walk(item->child(i), level + 1, out);
}

TEST_F(HelpScreen, TheTreeIsTheTopicListExactly) {
    std::vector<std::pair<int, std::string>> shown;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        Walk(tree->topLevelItem(i), 0, shown);
    std::vector<std::pair<int, std::string>> topics;
    for (const help::Topic& t : help::Topics())
        topics.emplace_back(t.level, std::string(t.text));
    EXPECT_EQ(shown, topics);
}

TEST_F(HelpScreen, TheHelpButtonOpensTheScreenOnTheContents) {
    rig.window->Command(241);
    rig.ClearTraces();
    rig.Click("MENU_HELP");
    EXPECT_EQ(rig.dispatched, (std::vector<int>{80}));
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 4);
    EXPECT_EQ(viewer->documentTitle(), "РУКОВОДСТВО");
    for (const char* name : {"MODE_INSTAL", "MODE_WORK", "MODE_RESULT"})
        EXPECT_FALSE(rig.Find<TMegaButton>(name)->Down) << name;
}

TEST_F(HelpScreen, EachTopicShowsItsOwnPage) {
    // The double blanks are part of the file names.
    for (const char* topic : {"1  Новое испытание.", "3 Обнуления каналов  измерения.",
                              "1 Главное окно приложения, вид \"Установка\"",
                              "7 Работа приложения в режиме \"Испытание\"."}) {
        ClickTopic(topic);
        EXPECT_EQ(viewer->LastError(), mht::Error::kNone) << topic;
        EXPECT_EQ(viewer->documentTitle().toStdString(), topic);
    }
    rig.window->grab().toImage().save(
        QString::fromStdString((testsupport::TestOutputFolder() / "console_help.png").string()));
}

TEST_F(HelpScreen, AMissingPageSaysSoInTheViewer) {
    const char* topic = "4 Виртуальный ПУД.";
    std::filesystem::remove(rig.folder.path() + "/help/" + topic + ".mht");
    ClickTopic(topic);
    EXPECT_EQ(viewer->LastError(), mht::Error::kCannotRead);
    EXPECT_TRUE(viewer->toPlainText().startsWith(HelpView::NotFoundText()));
}

TEST_F(HelpScreen, TheWebAddressGoesToTheSystemsBrowser) {
    BrowserStub browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    ClickTopic("1  Новое испытание.");
    ClickTopic(help::kWebTopic);
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(browser.opened[0], QUrl("https://WWW.EXAMPLE.COM"));
    // The page shown stays.
    EXPECT_EQ(viewer->documentTitle(), "1  Новое испытание.");
}

}  // namespace

#include "help_screen_test.moc"
