#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <string>

class C_Parametr;

namespace station {

class StationController;

// The method whose test is the instrument's verification.
inline constexpr const char* kVerificationMethod = "Поверка";

// What the set-up screen shows the operator chose.
struct SetupChoice {
    std::optional<std::string> methodName;
    int sampleType = 0;
    bool extensometer = false;
};

// The verification of the method "Поверка": which instrument is verified,
// the nominal points, the readings taken into the method (from which the
// verification protocol is drawn) and leaving a verification that has
// readings. What a cell shows is always what the method holds, so the
// protocol never prints a figure the table does not show.
class Verification final : public QObject {
    Q_OBJECT

public:
    explicit Verification(StationController& station);

    // Where the set-up screen's choice is read; without a screen, what the
    // engine selected last.
    void ReadChoiceFrom(std::function<SetupChoice()> shown) { shown_ = std::move(shown); }

    // The current method when it is the verification, else null.
    C_Parametr* Method() const;
    // Readings taken since the table was last cleared: a reading of 0 taken
    // is shown, one never taken is not.
    const std::set<std::string>& Taken() const { return taken_; }
    int PoverkaChannel() const { return channel_; }

    // With a unit the invented readings are never offered.
    void StartUp();
    // The table for the current method (clear 1: readings to 0), or none.
    void FillPoverkaTable(int clear);
    void ClearPoverka();
    // A loaded test's readings replace what was taken here.
    void ForgetTaken() { taken_.clear(); }

    // The live reading of the instrument into a cell (point 1 on).
    void TakeReading(int point, const std::string& key);
    // A typed reading: read whole or refused.
    void TypeReading(const std::string& key, const std::string& text);
    // Invented readings, only without a unit; the layout the table shows.
    void AutoPoverka(bool sevenColumns, int columns);

    // sameMethod: the method the station had was chosen again.
    void MethodChosen(bool sameMethod);
    // True when the list left a verification with readings for `row`: the
    // choice waits for the operator's answer (kLeavePoverkaCode).
    bool AskBeforeLeaving(int row);
    void LeaveAnswered();
    void SampleChosen();
    // Codes 64 ... 66: the verification of instrument k + 1.
    void StartPoverka(int k);

signals:
    // Not a verification: the table goes, the sample type's caption is back.
    void tableClosed();
    void tableOpened();
    void titleShown(const QString& channelName);
    void cellsChanged();
    // The columns and cells again; the caption names the verification.
    void tableShown();
    void inventedReadingsDropped();
    // A list of the method (group 0 ... 3) changed.
    void listChanged(int group);
    // The set-up screen's method list: the row shown without choosing it,
    // the lists of the method chosen.
    void methodRowShown(int row);
    void methodListsChanged();
    void sampleTypeShown(int index);
    // The extensometer's instrument is verified: its switch goes on, as
    // the operator would switch it.
    void extensometerRequired();

private:
    SetupChoice Shown() const;

    StationController& station_;
    std::function<SetupChoice()> shown_;
    int channel_ = 1;
    // What the nominal points were last computed for.
    int count_ = -1;
    int pointsChannel_ = 0;
    // The method row chosen while the readings wait for the answer.
    int leavingFor_ = -1;
    std::set<std::string> taken_;
};

}  // namespace station
