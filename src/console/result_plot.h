#pragma once

#include <string>

#include "controls/cgrafic.h"

class QVBoxLayout;
class TMegaButton;

namespace console {

// The result screen's plot with its two button rows: the plot's modes above
// and the choice of axes. The rows are the screen's children ahead of the
// plot, in the column they are given; the plot itself is "CGraficRes".
class ResultPlot final : public CGrafic {
    Q_OBJECT

public:
    ResultPlot(QWidget* screen, QVBoxLayout* column);

    // The method's axes on the buttons and the plot (-1: the method has
    // none); the caller redraws it.
    void ShowAxes(int x, int y);
    // The channels' names on their axis buttons.
    void NameChannels(const std::string& force, const std::string& displacement,
                      const std::string& extensometer);
    // The axis buttons of a channel (1 force, 2 displacement, 3 extensometer).
    void EnableChannel(int channel, bool used);
    // The extensometer's axis buttons follow its switch.
    void EnableExtensometer(bool on);

signals:
    // An axis the operator chose, as the plot now shows it.
    void axisXChosen(int channel);
    void axisYChosen(int channel);
    // The plot over the whole screen, or back.
    void fullViewToggled();

private:
    void ChooseX(int channel);
    void ChooseY(int channel);

    TMegaButton *PLOT2_1 = nullptr, *PLOT2_2 = nullptr, *PLOT2_3 = nullptr, *PLOT2_4 = nullptr,
                *PLOT2_5 = nullptr, *PLOT2_FULL = nullptr;
    TMegaButton *BUTXT2 = nullptr, *BUTXL2 = nullptr, *BUTXE2 = nullptr, *BUT_XS2 = nullptr;
    TMegaButton *BUTYF2 = nullptr, *BUTYL2 = nullptr, *BUTYE2 = nullptr, *BUTYP2 = nullptr;
    TMegaButton *MegaButton34 = nullptr, *MegaButton51 = nullptr;
};

}  // namespace console
