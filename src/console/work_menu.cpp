#include "console/work_menu.h"

#include <QGridLayout>

#include <string>
#include <utility>

#include "console/look.h"
#include "controls/megabutton.h"

namespace console {

WorkMenu::WorkMenu(bool powerOff, QWidget* parent) : QFrame(parent) {
    StylePanel(this, "MAIN_MENU");
    // Two rows of four: the eight captions stay whole in the narrowest window.
    auto* menu = new QGridLayout(this);
    menu->setContentsMargins(6, 4, 6, 4);
    int at = 0;
    const std::pair<const char*, const char*> items[] = {
        {"MENU3", "НОВОЕ"},        {"MENU4", "ОТКРЫТЬ"},         {"MENU5", "КЛАВИАТУРА"},
        {"MENU_PUDIK", "РУЧНОЕ"},  {"MENU_CUSTOM", "НАСТРОЙКИ"}, {"MegaButton45", "ГИДРОСТАНЦИЯ"},
        {"MegaButton44", "ВЫКЛ."}, {"MegaButton40", "ВЫХОД"}};
    for (const auto& [name, caption] : items) {
        TMegaButton* b = MakeButton(this, name, caption, ButtonKind::Push, 100, 44);
        b->Font.SetSize(10);
        menu->addWidget(b, at / 4, at % 4);
        ++at;
        const std::string n = name;
        if (n == "MENU3") b->OnClick = [this](TMegaButton*) { emit command(32); };
        if (n == "MENU4") b->OnClick = [this](TMegaButton*) { emit command(34); };
        if (n == "MegaButton40") b->OnClick = [this](TMegaButton*) { emit closeRequested(); };
        if (n == "MegaButton44") {
            b->OnClick = [this](TMegaButton*) { emit powerOffRequested(); };
            b->setVisible(powerOff);
        }
    }
}

}  // namespace console
