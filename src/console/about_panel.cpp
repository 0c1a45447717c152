#include "console/about_panel.h"

#include <QLabel>
#include <QVBoxLayout>

#include <string>

#include "console/geometry.h"
#include "console/look.h"

namespace console {

AboutPanel::AboutPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("SHILDIK");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(4);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(214, 222, 232));
    pal.setColor(QPalette::WindowText, QColor(10, 30, 70));
    setPalette(pal);
    resize(620, 300);
    auto* lines = new QVBoxLayout(this);
    lines->setContentsMargins(30, 24, 30, 24);
    struct Line {
        std::string text;
        int pixels;
        bool bold;
    };
    const Line plate[] = {
        {"Ворталинец", 34, true},
        {"Программа оператора испытательной машины", 18, true},
        {" ", 10, false},
        {"Модули: модель данных, связь с блоком измерения и управления,", 15, false},
        {"испытания и методы расчета, графики, протоколы, пульт оператора,", 15, false},
        {"экранная клавиатура, экстензометр, справка.", 15, false},
        {" ", 10, false},
        {std::string("Библиотека Qt ") + qVersion(), 15, false}};
    for (const Line& l : plate) {
        auto* label = new QLabel(QString::fromStdString(l.text), this);
        label->setFont(PixelFont(label->font(), l.pixels, l.bold));
        label->setAlignment(Qt::AlignCenter);
        lines->addWidget(label);
    }
}

void AboutPanel::Centre(double scale) {
    // The plate grows with its fonts, and never below its drawn size.
    const QSize drawn(620, 300);
    resize(sizeHint().expandedTo(drawn * scale));
    const QWidget* page = parentWidget();
    const Point at = CentredOrigin({page->width(), page->height()}, {width(), height()});
    move(at.x, at.y);
}

}  // namespace console
