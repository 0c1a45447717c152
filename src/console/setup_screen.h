#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

#include "station/station_verification.h"

class C_Work;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QSlider;
class QStackedWidget;
class TMegaButton;

namespace station {
class StationController;
}

namespace console {

class ParamList;
class ResultPlot;

// The lines the engine fills and the screen shows.
struct SetupLines {
    const std::vector<std::string>& methods;
    const std::vector<std::string>& sampleTypes;
    // Four: preparation, start, end, results.
    std::vector<std::string>* params;
};

// The set-up and result screen (page 1 of BaseTab): method and sample
// choice, the input lists, the results with manual correction and the
// result plot. It shows; the operator's choice goes to the station.
class SetupScreen final : public QWidget {
    Q_OBJECT

public:
    explicit SetupScreen(station::StationController& station, QWidget* parent = nullptr);
    ~SetupScreen() override;

    // The engine whose methods the lists show, once it exists.
    void Bind(C_Work& work);
    ResultPlot* Plot() const { return resultPlot_; }
    // The current method's axes on the result plot and its buttons; the
    // caller redraws it.
    void ShowMethodAxes();

    // The lists as the engine holds them now (group 0..3: one list).
    void ReloadLists();
    void ReloadList(int group);
    // The method and sample lists, the current method's row, then the rest.
    void ReloadMethodLists();
    // Light green while the screen takes input.
    void ColourLists(bool editing);
    // The choice of method in front, or the method's summary.
    void ShowChoice(bool choice);
    void EnableInputs();

    // The operator's choice as the lists show it.
    int MethodRow() const;
    std::optional<std::string> MethodName() const;
    // The row shown without the choice it would make.
    void ShowMethodRow(int row);
    // The row chosen as the operator would.
    void ChooseMethodRow(int row);
    int SampleType() const;
    int SampleTypeCount() const;
    void SetSampleType(int index);
    bool ExtensometerOn() const;
    void SetExtensometer(bool on);
    station::SetupChoice Choice() const;
    // The row shown, chosen (a new test chooses it again).
    void ChooseShownMethod();
    // The method selected again: its lists, the sample type kept.
    void ShowMethodReselected(int sampleType);
    // The extensometer switched on as the operator would.
    void SwitchExtensometerOn();
    // The sample choice's caption names the verification, or the sample type.
    void ShowVerificationCaption(bool verification);

    // The zone buttons: which is down, whether the operator may choose.
    void ShowZone(bool tension, bool compression);
    void EnableZoneChoice(bool enabled);
    void EnableZoneButtons(bool enabled);

signals:
    void command(int code);
    void closeRequested();
    // The station took the extensometer's switch.
    void extensometerToggled();

private:
    void ExtensometerClicked();

    station::StationController& station_;
    C_Work* work_ = nullptr;
    SetupLines lines_;
    QFrame* Panel4 = nullptr;
    QFrame* Panel10 = nullptr;
    QFrame* Panel11 = nullptr;
    QStackedWidget* Panel11Slot = nullptr;
    QFrame* PanelWork = nullptr;
    QFrame* Panel31 = nullptr;
    QLabel* Panel31Text = nullptr;
    QListWidget* Mirandex = nullptr;
    QComboBox* ObrazecList = nullptr;
    TMegaButton* TENZ_ON = nullptr;
    QFrame* PanelMode = nullptr;
    TMegaButton *MODEALL_RAST = nullptr, *MODEALL_PRESS = nullptr;
    ParamList *ListPodgotov = nullptr, *ListStart = nullptr, *ListFinish = nullptr,
              *ListResult = nullptr;
    QSlider* TrackBar5 = nullptr;
    TMegaButton* RASCHET = nullptr;
    ResultPlot* resultPlot_ = nullptr;
    // The row set by the screen itself chooses nothing.
    bool listsReloading_ = false;
    int resultRow_ = -1;
    int correctionRow_ = -1;
};

}  // namespace console
