// Every screen and panel of the real window at 1390x755, recorded as a
// picture and a list of its widgets, so that a change meant to keep the
// looks can be checked pixel for pixel against a run before it
// (tests/gui/compare_screens.sh). It records; the comparison judges.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "console/extens_window.h"
#include "console_rig.h"
#include "controls/megabutton.h"
#include "controls/tfkeyboard.h"
#include "screen_walk.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;

std::string Text(const QWidget* w) {
    if (const auto* b = qobject_cast<const TMegaButton*>(w)) return b->Caption;
    if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text().toStdString();
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) return e->text().toStdString();
    if (const auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText().toStdString();
    if (const auto* p = qobject_cast<const QAbstractButton*>(w)) return p->text().toStdString();
    return "";
}

// The class as the toolkit or the controls library knows it: a screen or
// panel made a class of the console's own still reads as the frame it was.
const char* KindOf(const QWidget* w) {
    const QMetaObject* m = w->metaObject();
    while (m->superClass() != nullptr && std::strncmp(m->className(), "console::", 9) == 0)
        m = m->superClass();
    return m->className();
}

// Every visible widget under `top` in tree order: a moved or changed widget
// is named here, where the picture only shows that something changed.
void Dump(const QWidget* top, const QWidget* w, std::ofstream& out) {
    for (QObject* o : w->children()) {
        auto* c = qobject_cast<QWidget*>(o);
        if (c == nullptr || c->isWindow() || !c->isVisible() || testsupport::QtInternal(c))
            continue;
        const QRect r(c->mapTo(top, QPoint()), c->size());
        out << c->objectName().toStdString() << " | " << KindOf(c) << " | " << r.x() << "," << r.y()
            << " " << r.width() << "x" << r.height() << " | "
            << (c->isEnabled() ? "enabled" : "disabled") << " | " << Text(c) << "\n";
        Dump(top, c, out);
    }
}

// The folder's name is fixed, so two checkouts running this test on one
// machine take turns.
class FolderLock {
public:
    explicit FolderLock(const std::string& name)
        : fd_(::open((std::filesystem::temp_directory_path() / (name + ".lock")).c_str(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

constexpr const char* kFolder = "utm-screen-pictures";

class ScreenPictures : public ::testing::Test {
protected:
    void SetUp() override {
        // No caret blinking between two runs.
        QApplication::setCursorFlashTime(0);
        // A serial port list that does not depend on the machine.
        const char* ports = std::getenv("UTM_SERIAL_PORTS");
        const std::optional<std::string> saved =
            ports != nullptr ? std::optional<std::string>(ports) : std::nullopt;
        ::setenv("UTM_SERIAL_PORTS", "/nonexistent/utm-screen-pictures", 1);
        rig.Start();
        if (saved) {
            ::setenv("UTM_SERIAL_PORTS", saved->c_str(), 1);
        } else {
            ::unsetenv("UTM_SERIAL_PORTS");
        }
        rig.Click("Butt_OK");
        rig.StopPolling();
        for (QTimer* t :
             {rig.Find<QTimer>("Timer2"), rig.window->Station().findChild<QTimer*>("Timer3")})
            t->stop();
        rig.window->CloseMes();
        rig.window->resize(1390, 755);
        rig.Drain();
        folder = testsupport::TestOutputFolder() / "screens_1390x755";
        std::filesystem::create_directories(folder);
        pages = rig.Find<QStackedWidget>("BaseTab");
    }

    // Saves the window (and a window of its own over it) as it shows now.
    void Take(const std::string& view, QWidget* top = nullptr) {
        QTest::mouseMove(rig.window.get(), QPoint(0, 0));
        rig.Drain();
        Save(view, rig.window.get(), true);
        if (top != nullptr) Save(view + "_window", top, false);
        ++views;
    }

    void Save(const std::string& view, QWidget* w, bool window) {
        // Two views of one name would keep only the second picture.
        EXPECT_TRUE(saved.insert(view).second) << view;
        const QImage picture = w->grab().toImage();
        const std::string file = (folder / (view + ".png")).string();
        EXPECT_TRUE(picture.save(QString::fromStdString(file))) << view;
        if (window) {
            EXPECT_EQ(picture.size(), QSize(1390, 755)) << view;
        }
        std::ofstream out(folder / (view + ".txt"));
        Dump(w, w, out);
        EXPECT_TRUE(out.good()) << view;
    }

    void TakeWithPages(QWidget* root, const std::string& view) {
        Take(view);
        testsupport::WalkStacks(root, view, [this](const std::string& v) { Take(v); });
    }

    FolderLock lock{kFolder};
    ConsoleRig rig{testsupport::FixedFolder{kFolder}};
    std::filesystem::path folder;
    QStackedWidget* pages = nullptr;
    std::set<std::string> saved;
    int views = 0;
};

TEST_F(ScreenPictures, EveryScreenAndPanelAt1390x755) {
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        TakeWithPages(pages->currentWidget(), "screen" + std::to_string(page));
    }
    pages->setCurrentIndex(0);

    const std::vector<QFrame*> panels = testsupport::FloatingPanels(rig.window.get());
    ASSERT_GT(panels.size(), 10u);
    for (QFrame* panel : panels) {
        // A panel without a name (a list's popup) is named by its parent.
        const std::string name = !panel->objectName().isEmpty()
                                     ? panel->objectName().toStdString()
                                     : "in_" + panel->parentWidget()->objectName().toStdString();
        testsupport::ShowPanel(pages, panel);
        TakeWithPages(panel, "panel_" + name);
        panel->hide();
        pages->setCurrentIndex(0);
    }

    // What the walk does not reach: a recorded test, its protocol, a question.
    rig.RecordTest();
    rig.Drain();
    Take("test_result");
    pages->setCurrentIndex(0);
    Take("test_work");
    rig.window->Command(35);
    Take("test_preview");
    rig.window->ShowMes("Закрыть программу?", 0, 0);
    Take("message_question");
    rig.window->CloseMes();

    rig.window->Command(241);
    rig.Drain();
    rig.Click("MENU_CUSTOM");
    Take("keyboard", rig.window->findChild<TFKeyBoard*>("TFKeyBoard"));
    rig.Click("PASSWORD_CANCEL");

    rig.Click("EXTENS_OPEN");
    Take("extensometer", ConsoleRig::TopLevel<TExtens>("TExtens"));

    std::cout << views << " views in " << folder.string() << "\n";
}

}  // namespace
