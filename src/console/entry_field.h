#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPalette>

// The large touch entry of the entry panels and the colours that answer
// what was typed in it.
namespace console {

inline const QColor kEntryWhite(255, 255, 255);
inline const QColor kEntryPink(255, 192, 203);
inline const QColor kEntryGreen(120, 230, 120);

inline void Tint(QLineEdit* edit, const QColor& colour) {
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, colour);
    edit->setPalette(p);
}

inline QLineEdit* MakeEntry(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    QFont f = edit->font();
    f.setPixelSize(30);
    f.setBold(true);
    edit->setFont(f);
    edit->setMinimumHeight(56);
    return edit;
}

}  // namespace console
