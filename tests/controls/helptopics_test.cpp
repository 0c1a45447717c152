#include "controls/helptopics.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "controls/helpview.h"
#include "controls/mhtreader.h"
#include "support/test_output.h"

namespace {

const std::string kHelpFolder = UTM_HELP_FOLDER;
// The pages' folder as the program finds it: "help" in its folder.
const std::string kProgramFolder = std::filesystem::path(kHelpFolder).parent_path().string();

// The number a node text starts with.
int Number(std::string_view text) {
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
    }
    return n;
}

TEST(HelpTopics, TreeIsTheGuideAndTheWebAddress) {
    const auto topics = help::Topics();
    ASSERT_GE(topics.size(), 2u);
    EXPECT_EQ(topics.front().level, 0);
    EXPECT_EQ(topics.front().text, "РУКОВОДСТВО");
    EXPECT_EQ(topics.back().level, 0);
    EXPECT_TRUE(help::IsWebTopic(topics.back().text));

    // Chapters 1 to 8 in order, each with its sub-topics numbered from 1.
    int chapter = 0;
    int sub = 0;
    std::set<std::string_view> seen;
    for (size_t i = 1; i + 1 < topics.size(); ++i) {
        const help::Topic& t = topics[i];
        EXPECT_TRUE(seen.insert(t.text).second) << "two pages of one name: " << t.text;
        EXPECT_FALSE(help::IsWebTopic(t.text)) << t.text;
        if (t.level == 1) {
            EXPECT_EQ(Number(t.text), ++chapter) << t.text;
            sub = 0;
        } else {
            ASSERT_EQ(t.level, 2) << t.text;
            EXPECT_EQ(Number(t.text), ++sub) << t.text;
        }
    }
    EXPECT_EQ(chapter, 8);
    // The double blanks are part of the names, and so of the file names.
    EXPECT_EQ(seen.count("1  Новое испытание."), 1u);
    EXPECT_EQ(seen.count("3 Обнуления каналов  измерения."), 1u);
    EXPECT_EQ(seen.count("3 Настройки \"Каналов\"."), 1u);
}

TEST(HelpTopics, PagesAndWebAddress) {
    EXPECT_EQ(help::PagePath("/opt/utm", "1  Новое испытание."),
              "/opt/utm/help/1  Новое испытание..mht");
    EXPECT_EQ(help::WebAddress(help::kWebTopic), "https://WWW.EXAMPLE.COM");
    EXPECT_TRUE(help::IsWebTopic("see WWW.x"));
    EXPECT_FALSE(help::IsWebTopic("www.x"));
}

TEST(HelpPages, EveryTopicHasAPageThatParsesAndNothingElseIsThere) {
    std::set<std::string> expected;
    for (const help::Topic& t : help::Topics()) {
        if (help::IsWebTopic(t.text)) continue;
        const std::string path = help::PagePath(kProgramFolder, t.text);
        expected.insert(std::filesystem::path(path).filename().string());
        const mht::Result page = mht::ReadFile(path);
        ASSERT_TRUE(page.ok()) << path << ": " << mht::ErrorText(page.error) << " " << page.detail;
        // The page is about its topic: its heading is the node's text.
        const std::string& html = page.document.page.body;
        EXPECT_NE(html.find("<h1>" + std::string(t.text) + "</h1>"), std::string::npos) << path;
        // Every picture it shows is in the archive.
        for (size_t at = html.find("src=\""); at != std::string::npos;
             at = html.find("src=\"", at + 1)) {
            const size_t end = html.find('"', at + 5);
            const std::string ref = html.substr(at + 5, end - at - 5);
            EXPECT_NE(page.document.Resolve(ref), nullptr) << path << ": " << ref;
        }
    }
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(kHelpFolder))
        present.insert(entry.path().filename().string());
    EXPECT_EQ(present, expected);
}

TEST(HelpPages, PagesRenderInTheViewer) {
    // Shown as the help screen shows them; the PNGs are for a person to look at.
    struct Case {
        std::string_view topic;
        const char* png;
    };
    const Case cases[] = {{"РУКОВОДСТВО", "help_contents.png"},
                          {"3 Режимы работы системы управления.", "help_modes.png"},
                          {"1  Новое испытание.", "help_new_test.png"}};
    for (const Case& c : cases) {
        HelpView view;
        view.resize(760, 560);
        ASSERT_TRUE(view.ShowPage(help::PagePath(kProgramFolder, c.topic)));
        // HTML shows a double blank as one.
        const QString heading =
            QString::fromUtf8(c.topic.data(), static_cast<qsizetype>(c.topic.size())).simplified();
        EXPECT_TRUE(view.toPlainText().startsWith(heading)) << c.topic;
        QImage image(view.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        view.render(&image);
        image.save(QString::fromStdString((testsupport::TestOutputFolder() / c.png).string()));
    }
}

}  // namespace
