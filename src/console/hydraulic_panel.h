#pragma once

#include <QFrame>

#include <string>

#include "console/manual_rules.h"

class QLabel;
class QWidget;
class TMegaButton;

namespace console {

// The hydraulic station (PanelIZNOS): ambient and oil temperature, oil
// level, filter and the pump's running hours, as the window reads them.
// Its title and close button hide it.
class HydraulicStationPanel final : public QFrame {
public:
    explicit HydraulicStationPanel(QWidget* parent);

    void ShowRunningHours(const std::string& text);
    void ShowOilLevel(const StationField& field);
    void ShowFilter(const StationField& field);
    void ShowAmbient(const std::string& text);
    // Red when too hot, green otherwise.
    void ShowOil(const std::string& text, bool tooHot);

private:
    QWidget* TEMPT = nullptr;
    TMegaButton* IZNOS_EXIT = nullptr;
    QLabel *TTEMP = nullptr, *TTEMP1 = nullptr, *TMASLO = nullptr, *TFILTR = nullptr,
           *NORMA = nullptr;
};

}  // namespace console
