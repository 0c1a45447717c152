// The hydraulic station panel: what the unit says of its oil and filter.

#include "console/hydraulic_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "console/look.h"
#include "console/manual_look.h"
#include "controls/megabutton.h"

namespace console {

namespace {

constexpr const char* kStationTitle =
    "Темп-ра окр.сред.       Темп-ра масла         Уровень масла      Состояние фильтра         "
    "Наработка";

}  // namespace

HydraulicStationPanel::HydraulicStationPanel(QWidget* parent) : QFrame(parent) {
    StyleBarePanel(this, "PanelIZNOS", 900, 150);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    auto* title = new StationTitle(this, [this] { hide(); });
    TEMPT = title;
    TEMPT->setObjectName("TEMPT");
    TEMPT->setAccessibleName(QString::fromUtf8(kStationTitle));
    TEMPT->setFixedHeight(36);
    auto* captions = new QHBoxLayout(TEMPT);
    captions->setContentsMargins(0, 0, 0, 0);
    auto* values = new QHBoxLayout;
    // The title's five captions stand over the five fields.
    const std::string all = kStationTitle;
    size_t at = 0;
    while (at < all.size()) {
        const size_t end = all.find("  ", at);
        const std::string caption = all.substr(at, end == std::string::npos ? end : end - at);
        QLabel* l = Caption(TEMPT, caption, 15);
        l->setAlignment(Qt::AlignCenter);
        captions->addWidget(l, 1);
        at = all.find_first_not_of(' ', end == std::string::npos ? all.size() : end);
        if (at == std::string::npos) break;
    }
    TTEMP = StationValue(this, "TTEMP");
    TTEMP1 = StationValue(this, "TTEMP1");
    TMASLO = StationValue(this, "TMASLO");
    TFILTR = StationValue(this, "TFILTR");
    NORMA = StationValue(this, "NORMA");
    for (QLabel* l : {TTEMP, TTEMP1, TMASLO, TFILTR, NORMA})
        values->addWidget(l, 1);
    // A close button a finger finds, as the other panels have; the captions
    // stay over their fields.
    IZNOS_EXIT = MakeButton(this, "IZNOS_EXIT", "X", ButtonKind::Push, 56, 44);
    IZNOS_EXIT->setToolTip(QString::fromUtf8("Закрыть"));
    IZNOS_EXIT->OnClick = [this](TMegaButton*) { hide(); };
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(TEMPT, 0, 0, Qt::AlignVCenter);
    grid->addWidget(IZNOS_EXIT, 0, 1);
    grid->addLayout(values, 1, 0);
    column->addLayout(grid);
}

void HydraulicStationPanel::setVisible(bool visible) {
    QFrame::setVisible(visible);
    emit shownChanged(!isHidden());
}

void HydraulicStationPanel::ShowReadings(const station::StationReadings& readings) {
    ShowRunningHours(readings.runningHours);
    ShowOilLevel(readings.oilLevel);
    ShowFilter(readings.filter);
    ShowAmbient(readings.ambient);
    ShowOil(readings.oil, readings.oilTooHot);
}

void HydraulicStationPanel::ShowRunningHours(const std::string& text) {
    NORMA->setText(QString::fromStdString(text));
}

void HydraulicStationPanel::ShowOilLevel(const StationField& field) {
    ShowField(TMASLO, field);
}

void HydraulicStationPanel::ShowFilter(const StationField& field) {
    ShowField(TFILTR, field);
}

void HydraulicStationPanel::ShowAmbient(const std::string& text) {
    TTEMP->setText(QString::fromStdString(text));
}

void HydraulicStationPanel::ShowOil(const std::string& text, bool tooHot) {
    SetTextColour(TTEMP1, tooHot ? StationLook::Bad : StationLook::Good);
    TTEMP1->setText(QString::fromStdString(text));
}

}  // namespace console
