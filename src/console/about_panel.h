#pragma once

#include <QFrame>

namespace console {

// The information plate "SHILDIK" of the settings screen: the program, its
// modules and the Qt it runs on, kept centred on the page it is on.
class AboutPanel : public QFrame {
    Q_OBJECT

public:
    explicit AboutPanel(QWidget* parent);

    // Sized for its fonts at the window's scale, and centred on its page.
    void Centre(double scale);
};

}  // namespace console
