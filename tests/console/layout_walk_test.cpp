// Every screen and panel of the real window at the smallest window, a
// laptop screen and a full-HD screen: no two controls overlap, none lies
// outside its parent, every caption fits its control. Each view is saved
// as a PNG for a person to look at.
//
// The rules:
// - Overlap: two visible widgets with the same parent overlap when both are
//   placed by the parent's layout and their rectangles share a pixel. A
//   widget the parent's layout does not place (a floating panel, the message
//   panel, a drag handle) lies over the screen on purpose and is not compared.
// - Outside: every visible widget lies inside its parent's rectangle; a top
//   window inside the main window. The insides of scrolled views (tables,
//   lists, text) are Qt's and not walked, nor are a readout's rows, which
//   the readout sizes itself.
// - Caption: a drawn button's caption, measured with the font it is drawn
//   in, lies inside its border and clear of its picture; a label's or push
//   button's text fits its contents rectangle; the cells of a table and the
//   items of a list are not cut (a wrapping view: each word fits and the
//   row is as high as its lines); a readout row's name ends before its value.

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_rig.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "screen_walk.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;
using testsupport::Placed;
using testsupport::QtInternal;

std::string Name(const QWidget* w) {
    std::string path;
    for (const QWidget* at = w; at != nullptr && !at->isWindow(); at = at->parentWidget()) {
        const QString n =
            at->objectName().isEmpty() ? QString(at->metaObject()->className()) : at->objectName();
        path = n.toStdString() + (path.empty() ? "" : "/" + path);
    }
    return path;
}

std::vector<QWidget*> VisibleChildren(const QWidget* parent) {
    std::vector<QWidget*> out;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w != nullptr && !w->isWindow() && w->isVisible()) out.push_back(w);
    }
    return out;
}

std::string Rect(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

class Walker {
public:
    std::vector<std::string> problems;

    void Walk(const QWidget* parent) {
        const std::vector<QWidget*> kids = VisibleChildren(parent);
        for (size_t i = 0; i < kids.size(); ++i) {
            QWidget* a = kids[i];
            if (!QtInternal(a) && !parent->rect().contains(a->geometry()))
                problems.push_back(Name(a) + " " + Rect(a->geometry()) + " lies outside " +
                                   Name(parent) + " " + Rect(parent->rect()));
            if (!Placed(a)) continue;
            for (size_t j = i + 1; j < kids.size(); ++j) {
                QWidget* b = kids[j];
                if (Placed(b) && a->geometry().intersects(b->geometry()))
                    problems.push_back(Name(a) + " " + Rect(a->geometry()) + " overlaps " +
                                       Name(b) + " " + Rect(b->geometry()));
            }
        }
        for (QWidget* w : kids) {
            Caption(w);
            if (const auto* d = qobject_cast<const TMegaDatchik*>(w)) Readout(d);
            if (qobject_cast<QAbstractScrollArea*>(w) == nullptr) Walk(w);
        }
    }

private:
    // The name is drawn left-aligned, the value right-aligned: their labels
    // share the row, their texts must not.
    void Readout(const TMegaDatchik* d) {
        for (int row = 0; row < d->Count(); ++row) {
            const auto* name = d->findChild<QLabel*>("name" + QString::number(row));
            const auto* value = d->findChild<QLabel*>("value" + QString::number(row));
            if (name == nullptr || value == nullptr || !name->isVisible()) continue;
            const int nameEnd =
                name->x() + QFontMetrics(name->font()).horizontalAdvance(name->text());
            const int valueStart = value->geometry().right() -
                                   QFontMetrics(value->font()).horizontalAdvance(value->text());
            if (!name->text().isEmpty() && nameEnd >= valueStart)
                Cut(name, name->text(),
                    "runs into the value \"" + value->text().toStdString() + "\"");
        }
    }

    void Cut(const QWidget* w, const QString& text, const std::string& why) {
        problems.push_back(Name(w) + " \"" + text.toStdString() + "\" " + why);
    }

    void Caption(const QWidget* w) {
        if (const auto* b = qobject_cast<const TMegaButton*>(w)) {
            const QRect caption = b->CaptionRect();
            if (caption.isEmpty()) return;
            const QRect inner = b->rect().adjusted(b->BorderWidth, 0, -b->BorderWidth, 0);
            const QString text = QString::fromStdString(
                b->AlignText == 3 && !b->Captions.empty() ? b->Captions : b->Caption);
            if (caption.left() < inner.left() || caption.right() > inner.right())
                Cut(b, text,
                    "is " + std::to_string(caption.width()) + " wide in " +
                        std::to_string(b->width()));
            if (caption.top() < 0 || caption.bottom() > b->rect().bottom())
                Cut(b, text,
                    "is " + std::to_string(caption.height()) + " high in " +
                        std::to_string(b->height()));
            if (caption.intersects(b->PictureRect())) Cut(b, text, "covers the picture");
            return;
        }
        if (const auto* l = qobject_cast<const QLabel*>(w)) {
            if (l->text().isEmpty() || l->textFormat() == Qt::RichText) return;
            const QRect room =
                l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
            const QFontMetrics fm(l->font());
            const int flags = l->wordWrap() ? Qt::TextWordWrap : 0;
            const QRect need = fm.boundingRect(
                QRect(0, 0, l->wordWrap() ? room.width() : 100000, 100000), flags, l->text());
            if (need.width() > room.width() || need.height() > room.height())
                Cut(l, l->text(),
                    "needs " + Rect(need) + " in " + Rect(QRect(QPoint(), room.size())));
            return;
        }
        if (const auto* p = qobject_cast<const QPushButton*>(w)) {
            const QFontMetrics fm(p->font());
            if (fm.horizontalAdvance(p->text()) + 8 > p->width()) Cut(p, p->text(), "is cut");
            return;
        }
        if (const auto* t = qobject_cast<const QTableWidget*>(w)) {
            const QFontMetrics fm(t->font());
            for (int r = 0; r < t->rowCount(); ++r) {
                for (int c = 0; c < t->columnCount(); ++c) {
                    const QTableWidgetItem* item = t->item(r, c);
                    if (item == nullptr || t->isColumnHidden(c)) continue;
                    if (t->wordWrap()) {
                        // Qt's item margins: 3 pixels a side.
                        const QRect need =
                            fm.boundingRect(QRect(0, 0, t->columnWidth(c) - 6, 100000),
                                            Qt::TextWordWrap, item->text());
                        if (need.width() > t->columnWidth(c) - 6 || need.height() > t->rowHeight(r))
                            Cut(t, item->text(),
                                "needs " + Rect(need) + " in a cell " +
                                    std::to_string(t->columnWidth(c)) + "x" +
                                    std::to_string(t->rowHeight(r)));
                    } else if (fm.horizontalAdvance(item->text()) + 8 > t->columnWidth(c)) {
                        Cut(t, item->text(),
                            "is cut in a column " + std::to_string(t->columnWidth(c)) + " wide");
                    }
                }
            }
            return;
        }
        if (const auto* list = qobject_cast<const QListWidget*>(w)) {
            const QFontMetrics fm(list->font());
            for (int i = 0; i < list->count(); ++i) {
                const QString text = list->item(i)->text();
                if (fm.horizontalAdvance(text) + 8 > list->viewport()->width())
                    Cut(list, text, "is cut");
            }
        }
    }
};

struct Screen {
    int w;
    int h;
};

class LayoutWalk : public ::testing::TestWithParam<Screen> {
protected:
    void SetUp() override {
        rig.Start();
        rig.Click("Butt_OK");
        rig.StopPolling();
        rig.window->CloseMes();
        rig.window->resize(GetParam().w, GetParam().h);
        rig.Drain();
        folder = QString::fromStdString((testsupport::TestOutputFolder() / "layout_walk").string());
        QDir().mkpath(folder);
    }

    std::string Size() const {
        return std::to_string(GetParam().w) + "x" + std::to_string(GetParam().h);
    }

    // Checks what shows now and keeps its picture.
    void Look(const std::string& view, QWidget* top = nullptr) {
        rig.Drain();
        Walker walker;
        walker.Walk(rig.window.get());
        if (top != nullptr) {
            if (!QRect(rig.window->mapToGlobal(QPoint()), rig.window->size())
                     .contains(QRect(top->mapToGlobal(QPoint()), top->size())))
                walker.problems.push_back(top->objectName().toStdString() +
                                          " lies outside the window");
            walker.Walk(top);
        }
        const QString file = folder + "/" + QString::fromStdString(Size() + "_" + view) + ".png";
        rig.window->grab().save(file);
        if (top != nullptr) top->grab().save(file.chopped(4) + "_window.png");
        std::string all;
        for (const std::string& p : walker.problems)
            all += "\n  " + p;
        EXPECT_TRUE(walker.problems.empty()) << Size() << " " << view << ":" << all;
    }

    ConsoleRig rig;
    QString folder;
};

TEST_P(LayoutWalk, EveryScreenFitsItsWindow) {
    auto* pages = rig.Find<QStackedWidget>("BaseTab");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        const std::string view = "screen" + std::to_string(page);
        Look(view);
        testsupport::WalkStacks(pages->currentWidget(), view,
                                [this](const std::string& v) { Look(v); });
    }
}

TEST_P(LayoutWalk, EveryPanelFitsItsWindow) {
    const std::vector<QFrame*> panels = testsupport::FloatingPanels(rig.window.get());
    ASSERT_GT(panels.size(), 10u);
    auto* pages = rig.Find<QStackedWidget>("BaseTab");
    for (QFrame* panel : panels) {
        testsupport::ShowPanel(pages, panel);
        const std::string view = "panel_" + panel->objectName().toStdString();
        Look(view);
        testsupport::WalkStacks(panel, view, [this](const std::string& v) { Look(v); });
        panel->hide();
        pages->setCurrentIndex(0);
    }
}

// The window covers its screen's free area (no window manager sizes it
// here); the full-screen button gives it its normal size and back.
TEST(WindowOnItsScreen, FitsTheScreenAndTheButtonTogglesIt) {
    ConsoleRig rig;
    rig.Start();
    rig.window->FitToScreen();
    const QRect free = rig.window->screen()->availableGeometry();
    const QSize min = rig.window->minimumSize();
    const QRect expected(free.topLeft(), free.size().expandedTo(min));
    EXPECT_TRUE(rig.window->FitsScreen());
    EXPECT_EQ(rig.window->geometry(), expected);

    rig.Click("MegaButton30");
    EXPECT_FALSE(rig.window->FitsScreen());
    EXPECT_EQ(rig.window->size(), QSize(1390, 755));
    rig.Click("MegaButton30");
    EXPECT_TRUE(rig.window->FitsScreen());
    EXPECT_EQ(rig.window->geometry(), expected);
}

// Controls and fonts grow in a large window and come back in a small one.
TEST(WindowOnItsScreen, ControlsGrowWithTheWindow) {
    ConsoleRig rig;
    rig.Start();
    auto* start = rig.Find<TMegaButton>("BUT_START");
    const int width = start->minimumWidth();
    const int font = start->Font.height;
    // The force readout's rows and digits grow with the rest.
    auto* readout = rig.Find<TMegaDatchik>("Datch");
    auto* row = readout->findChild<QWidget*>("row0");
    auto* value = readout->findChild<QLabel*>("value0");
    const int rowHeight = row->height();
    const int digits = value->font().pixelSize();
    rig.window->resize(1920, 1080);
    EXPECT_GT(start->minimumWidth(), width);
    EXPECT_LT(start->Font.height, font);  // heights in pixels are negative
    EXPECT_GT(row->height(), rowHeight);
    EXPECT_GT(value->font().pixelSize(), digits);
    rig.window->resize(1390, 755);
    EXPECT_EQ(start->minimumWidth(), width);
    EXPECT_EQ(start->Font.height, font);
    EXPECT_EQ(row->height(), rowHeight);
    EXPECT_EQ(value->font().pixelSize(), digits);
}

INSTANTIATE_TEST_SUITE_P(Screens, LayoutWalk,
                         ::testing::Values(Screen{1032, 755}, Screen{1366, 768},
                                           Screen{1920, 1080}),
                         [](const auto& info) {
                             return std::to_string(info.param.w) + "x" +
                                    std::to_string(info.param.h);
                         });

}  // namespace
