// One of each drawn control in its main states on one sheet, saved as a PNG
// for a person to look at (test-output/drawn_controls.png).

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "controls/megadiodindic.h"
#include "controls/megatabs.h"
#include "support/test_output.h"

namespace {

QImage Arrow() {
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 4; y < 28; ++y) {
        const int half = y < 16 ? y - 4 : 27 - y;
        for (int x = 8; x <= 8 + half; ++x)
            picture.setPixel(x, y, qRgb(0, 110, 0));
    }
    return picture;
}

TMegaButton* Button(QWidget& sheet, int x, int y, const char* caption,
                    const std::function<void(TMegaButton&)>& style) {
    auto* b = new TMegaButton(&sheet);
    b->setGeometry(x, y, 220, 56);
    b->Caption = caption;
    b->Font = draw::Font::FromPoints("MS Sans Serif", 14);
    b->Color = QColor(20, 70, 140);
    b->GradPosB = 0.35f;
    b->FontColUp = QColor(0, 0, 0);
    b->FontColDown = QColor(255, 255, 255);
    style(*b);
    return b;
}

// How many different colours a region of the sheet has: a control that drew
// nothing has one.
int Colours(const QImage& img, const QRect& box) {
    std::set<QRgb> seen;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            seen.insert(img.pixel(x, y));
    }
    return static_cast<int>(seen.size());
}

TEST(DrawnControlsGallery, OneOfEachInItsMainStates) {
    QWidget sheet;
    sheet.resize(960, 700);
    QPalette grey = sheet.palette();
    grey.setColor(QPalette::Window, QColor(216, 216, 216));
    sheet.setPalette(grey);
    sheet.setAutoFillBackground(true);

    Button(sheet, 10, 10, "Пуск", [](TMegaButton&) {});
    Button(sheet, 240, 10, "Нажата", [](TMegaButton& b) { b.Down = true; });
    Button(sheet, 470, 10, "Запрещена", [](TMegaButton& b) { b.Enabled = false; });
    Button(sheet, 700, 10, "Без рамки", [](TMegaButton& b) { b.NoBorders = true; });
    const char* aligns[] = {"", "Слева", "Справа", "Сверху", "Снизу"};
    for (int a = 1; a <= 4; ++a) {
        Button(sheet, 10 + 230 * (a - 1), 76, aligns[a],
               [a](TMegaButton& b) { b.AlignButton = a; });
    }
    Button(sheet, 10, 142, "С картинкой", [](TMegaButton& b) {
        b.Image.Add(Arrow());
        b.ImageIndex = 0;
        b.AlignText = 2;
        b.bTop = 12;
        b.bLeft = 10;
    });
    Button(sheet, 240, 142, "Ignored", [](TMegaButton& b) {
        b.AlignText = 3;
        b.Captions = "`в, Н/мм~";
        b.Font.name = "Vortalinz";
    });
    Button(sheet, 470, 142, "Поперёк", [](TMegaButton& b) {
        b.GradHVB = 1;
        b.GradHV = 0;
        b.GradPosB = 0.5f;
        b.SetDradPos(0.5f);
    });

    auto* strip = new TMegaTabs(&sheet);
    strip->setGeometry(10, 214, 600, 150);
    strip->Font = draw::Font::FromPoints("MS Sans Serif", 10);
    strip->Color = QColor(216, 216, 216);
    strip->Tabs = {"Испытание 1", "Испытание 2", "Испытание 3", "Испытание 4"};
    strip->ItemIndex = 1;
    strip->SetDradPos(0.3f);

    const char* panels[] = {"Панель", "Панель нажата", "Запрещена"};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new TMegaTabs(&sheet);
        panel->setGeometry(630, 214 + 52 * i, 320, 46);
        panel->TabHeight = -1;
        panel->Caption = panels[i];
        panel->Font = draw::Font::FromPoints("MS Sans Serif", 12);
        panel->GradStart = QColor(170, 200, 255);
        panel->GragFinish = QColor(20, 60, 140);
        panel->SetDradPos(0.4f);
        panel->Down = i == 1;
        panel->Enabled = i != 2;
    }

    auto* readout = new TMegaDatchik(&sheet);
    readout->move(10, 380);
    readout->resize(360, 52);
    readout->AddTablo(3);
    double force = 12.3456, stress = 456.78, strain = -0.25;
    readout->SetParametr(0, 0x00FFFF, "F", "max", "кН", &force);
    readout->SetParametr(1, 0x00FFFF, "R", "", "Н/мм~", &stress);
    readout->SetParametr(2, 0x00FF00, "e", "", "%", &strain);
    readout->UpdateData();

    auto* diod = new MegaDiodIndic(&sheet);
    diod->setGeometry(390, 380, 300, 60);
    diod->SetDigitThink(4);
    diod->SetDigitHeight(18);
    diod->SetDigitX(10);
    diod->SetDigitY(8);
    diod->SetAlignText(1);
    diod->fSetValue(-150.0f);

    sheet.show();
    QApplication::processEvents();
    for (auto* b : sheet.findChildren<MegaDrawn*>())
        b->Draw();
    QApplication::processEvents();
    const QImage img = sheet.grab().toImage();
    EXPECT_TRUE(img.save(
        QString::fromStdString((testsupport::TestOutputFolder() / "drawn_controls.png").string())));

    for (const QWidget* w : sheet.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_GE(Colours(img, w->geometry()), 2)
            << w->metaObject()->className() << " at " << w->x() << "," << w->y();
    }
}

}  // namespace
