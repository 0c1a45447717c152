#include "console/keyboard_offer.h"

#include <QScreen>
#include <QWidget>

#include "console/panel_entry.h"
#include "controls/tfkeyboard.h"
#include "engine/cwork.h"
#include "station/station_controller.h"
#include "station/station_settings.h"

namespace console {

KeyboardOffer::KeyboardOffer(QWidget& window, station::StationController& station)
    : QObject(&window), window_(window), station_(station), keyboard_(new TFKeyBoard(&window)) {
    keyboard_->SetTarget(&window);
}

int KeyboardOffer::ConfiguredMode() const {
    C_Work* work = station_.Work();
    return work ? entry::KeyboardMode(work->Config().iVK) : 0;
}

void KeyboardOffer::Show() {
    ShowIn(ConfiguredMode());
}

void KeyboardOffer::ShowIn(int mode) {
    // Centred on the window the first time it shows, when the window has its size.
    if (mode != 0 && !placed_) {
        keyboard_->SetTarget(&window_);
        placed_ = true;
    }
    keyboard_->ShowKeyboard(mode);
}

void KeyboardOffer::Hide() {
    keyboard_->ShowKeyboard(0);
}

void KeyboardOffer::Ask() {
    const int mode = ConfiguredMode();
    if (mode != 0) {
        ShowIn(mode);
        return;
    }
    // A station without a real keyboard is stuck unless it is told the way.
    station_.ShowMes("ЭКРАННАЯ КЛАВИАТУРА ВЫКЛЮЧЕНА В НАСТРОЙКАХ. ВКЛЮЧИТЬ: НАСТРОЙКИ, " +
                         station_.Settings().KeyboardPlace() + " = 1",
                     1, 0);
}

void KeyboardOffer::ShowUnderZoom(int panelTop) {
    C_Work* work = station_.Work();
    if (!work || work->Config().iVK == 0) return;
    ShowIn(3);
    const QPoint origin = window_.mapToGlobal(QPoint(0, 0));
    QRect screenArea;
    if (QScreen* s = window_.screen()) screenArea = s->availableGeometry();
    const Point at = entry::ZoomKeyboardOrigin({origin.x(), origin.y()}, window_.width(), panelTop,
                                               {keyboard_->width(), keyboard_->height()},
                                               {screenArea.x(), screenArea.y()},
                                               {screenArea.width(), screenArea.height()});
    keyboard_->move(at.x, at.y);
}

void KeyboardOffer::KeepClear() {
    keyboard_->KeepClear();
}

}  // namespace console
