// The on-screen keyboard as the window offers it: in the configuration's
// mode, for every panel that takes typing.

#include "console/panel_entry.h"
#include "console/tfbase.h"
#include "controls/tfkeyboard.h"
#include "engine/cwork.h"
#include "station/station_settings.h"

void TFBase::ShowVirtualKeyboard() {
    ShowKeyboardIn(Work() ? console::entry::KeyboardMode(Work()->Config().iVK) : 0);
}

void TFBase::ShowKeyboardIn(int mode) {
    // Centred on the window the first time it shows, when the window has its size.
    if (mode != 0 && !keyboardPlaced_) {
        FKeyBoard->SetTarget(this);
        keyboardPlaced_ = true;
    }
    FKeyBoard->ShowKeyboard(mode);
}

void TFBase::HideVirtualKeyboard() {
    FKeyBoard->ShowKeyboard(0);
}

void TFBase::KeyboardButtonClick() {
    const int mode = Work() ? console::entry::KeyboardMode(Work()->Config().iVK) : 0;
    if (mode != 0) {
        ShowKeyboardIn(mode);
        return;
    }
    // A station without a real keyboard is stuck unless it is told the way.
    ShowMes("ЭКРАННАЯ КЛАВИАТУРА ВЫКЛЮЧЕНА В НАСТРОЙКАХ. ВКЛЮЧИТЬ: НАСТРОЙКИ, " +
                station_->Settings().KeyboardPlace() + " = 1",
            1, 0);
}
