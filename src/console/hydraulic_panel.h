#pragma once

#include <QFrame>

#include <string>

#include "console/manual_rules.h"
#include "station/station_manual.h"

class QLabel;
class QWidget;
class TMegaButton;

namespace console {

// The hydraulic station (PanelIZNOS): ambient and oil temperature, oil
// level, filter and the pump's running hours, as the station reads them.
// Its title and close button hide it.
class HydraulicStationPanel final : public QFrame {
    Q_OBJECT

public:
    explicit HydraulicStationPanel(QWidget* parent);

    // Shown or hidden by any path: the station reads in full only for a
    // panel the operator sees.
    void setVisible(bool visible) override;
    void ShowReadings(const station::StationReadings& readings);

    void ShowRunningHours(const std::string& text);
    void ShowOilLevel(const StationField& field);
    void ShowFilter(const StationField& field);
    void ShowAmbient(const std::string& text);
    // Red when too hot, green otherwise.
    void ShowOil(const std::string& text, bool tooHot);

signals:
    void shownChanged(bool shown);

private:
    QWidget* TEMPT = nullptr;
    TMegaButton* IZNOS_EXIT = nullptr;
    QLabel *TTEMP = nullptr, *TTEMP1 = nullptr, *TMASLO = nullptr, *TFILTR = nullptr,
           *NORMA = nullptr;
};

}  // namespace console
