#include "station/station_verification.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "engine/cwork.h"
#include "model/numtext.h"
#include "platform/random.h"
#include "station/poverka_table.h"
#include "station/station_controller.h"

namespace station {

namespace {

// Written into the reference instrument's lines of the certificate when the
// readings were invented, so the protocol made from them says so; each
// short enough to stand whole on the sheet.
constexpr std::pair<const char*, const char*> kInventedMarks[] = {
    {"sOBR", "НЕТ: ДЕМОНСТРАЦИЯ"},
    {"sOBR1", "ПОКАЗАНИЯ ВЫМЫШЛЕНЫ"},
    {"sOBR2", "НЕДЕЙСТВИТЕЛЬНО"},
};

int FindMethod(const std::vector<std::string>& methods, const std::string& name) {
    const auto found = std::find(methods.begin(), methods.end(), name);
    return found == methods.end() ? -1 : static_cast<int>(found - methods.begin());
}

}  // namespace

Verification::Verification(StationController& station) : QObject(&station), station_(station) {
    setObjectName("Verification");
}

SetupChoice Verification::Shown() const {
    if (shown_) return shown_();
    SetupChoice choice;
    C_Work* work = station_.Work();
    if (work == nullptr) return choice;
    choice.methodName = station_.CurrentMethodName();
    choice.sampleType = work->Methods().SampleType();
    choice.extensometer = work->Methods().Extensometer() != 0;
    return choice;
}

C_Parametr* Verification::Method() const {
    C_Work* work = station_.Work();
    if (work == nullptr || Shown().methodName != kVerificationMethod) return nullptr;
    C_Parametr* m = work->Methods().Current();
    return m != nullptr && m->IndexOf("fPCOU") >= 0 ? m : nullptr;
}

void Verification::StartUp() {
    // The unit is found once at start-up and never again: a station that
    // found it never offers invented readings, whoever asks for the button.
    if (station_.Work() && station_.Work()->Connected()) emit inventedReadingsDropped();
    FillPoverkaTable(0);
}

// ----- filling

void Verification::FillPoverkaTable(int clear) {
    C_Parametr* m = Method();
    if (m == nullptr) {
        emit tableClosed();
        return;
    }
    emit tableOpened();
    C_Work& work = *station_.Work();
    const int n = std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints);
    const C_Kanal& channel = work.Channel(channel_);
    // New points for a new count, and for another instrument: the points of
    // a force range mean nothing to a displacement meter.
    if (n != count_ || channel_ != pointsChannel_) {
        count_ = n;
        pointsChannel_ = channel_;
        const auto points = NominalPoints(channel.fullScale, n);
        for (int i = 1; i <= kPoverkaPoints; ++i)
            m->SetFloat("fPS_" + std::to_string(i), points[size_t(i - 1)]);
        work.Methods().RefreshList(1);
        emit listChanged(1);
    }
    emit titleShown(QString::fromStdString(channel.name));
    if (clear == 1) ClearPoverka();
    emit tableShown();
}

void Verification::ClearPoverka() {
    if (C_Parametr* m = Method()) {
        for (int r = 1; r <= kPoverkaPoints; ++r) {
            for (int c = 1; c <= 6; ++c)
                m->SetFloat(PoverkaReadingKey(c, r, true), 0.0f);
        }
    }
    taken_.clear();
    emit cellsChanged();
}

// ----- readings

void Verification::TakeReading(int point, const std::string& key) {
    C_Parametr* m = Method();
    if (m == nullptr) return;
    if (key.empty() || point > std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints)) return;
    const auto live = static_cast<float>(station_.Work()->Channel(channel_).value);
    m->SetFloat(key, live);
    taken_.insert(key);
    emit cellsChanged();
}

void Verification::TypeReading(const std::string& key, const std::string& text) {
    C_Parametr* m = Method();
    if (m == nullptr) return;
    // Read whole or refused: a refused text leaves the reading as it was. An
    // emptied cell is a reading not taken.
    const bool emptied = text.find_first_not_of(' ') == std::string::npos;
    const std::optional<double> value = emptied ? 0.0 : ReadTypedFloat(text);
    if (value) {
        m->SetFloat(key, static_cast<float>(*value));
        if (emptied)
            taken_.erase(key);
        else
            taken_.insert(key);
    }
    // The cell shows the figure as the method keeps it.
    emit cellsChanged();
    if (!value) station_.ShowMes("ВВЕДИТЕ ЧИСЛО", 1, 0);
}

void Verification::AutoPoverka(bool sevenColumns, int columns) {
    C_Parametr* m = Method();
    C_Work* work = station_.Work();
    // Only without a unit: on a machine these would make a false certificate.
    if (m == nullptr || !work || work->Connected()) return;
    const int n = std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints);
    for (int r = 1; r <= n; ++r) {
        const double nominal = m->GetFloat("fPS_" + std::to_string(r));
        for (int c = 1; c < columns; ++c) {
            const double offset =
                (2.0 * station_.Random().Next() / platform::RandomSource::kMax - 1.0) * 0.01;
            m->SetFloat(PoverkaReadingKey(c, r, sevenColumns),
                        static_cast<float>(nominal * (1.0 + offset)));
            taken_.insert(PoverkaReadingKey(c, r, sevenColumns));
        }
    }
    for (const auto& [name, mark] : kInventedMarks)
        m->SetFromText(m->IndexOf(name), mark);
    work->Methods().RefreshList(0);
    emit listChanged(0);
    emit cellsChanged();
}

// ----- choosing the method, the instrument, the verification codes

void Verification::MethodChosen(bool sameMethod) {
    const SetupChoice shown = Shown();
    // The method the station already has keeps its readings (a new test,
    // leaving the settings); only a verification chosen afresh starts empty.
    if (shown.methodName == kVerificationMethod && !sameMethod) {
        channel_ = std::max(1, shown.sampleType + 1);
        ClearPoverka();
    }
    FillPoverkaTable(0);
}

bool Verification::AskBeforeLeaving(int row) {
    C_Work* work = station_.Work();
    const C_Parametr* m = work ? work->Methods().Current() : nullptr;
    if (m == nullptr || m->GetValueText("sGO") != kVerificationMethod ||
        row == work->Methods().CurrentIndex())
        return false;
    bool taken = false;
    for (int r = 1; r <= kPoverkaPoints && !taken; ++r) {
        for (int c = 1; c <= 6 && !taken; ++c)
            taken = m->GetFloat(PoverkaReadingKey(c, r, true)) != 0.0;
    }
    if (!taken) return false;
    // The list goes back to the verification until the operator answers.
    leavingFor_ = row;
    emit methodRowShown(work->Methods().CurrentIndex());
    station_.ShowMes("Показания поверки будут удалены. Выбрать другую методику?", 0,
                     StationController::kLeavePoverkaCode);
    return true;
}

void Verification::LeaveAnswered() {
    const int row = std::exchange(leavingFor_, -1);
    const int methods = static_cast<int>(station_.Lists().methods.size());
    if (station_.Answer() != 1 || row < 0 || row >= methods) return;
    ClearPoverka();
    const SetupChoice shown = Shown();
    station_.ChooseMethodRow(row, shown.sampleType, shown.extensometer);
}

void Verification::SampleChosen() {
    if (Method() == nullptr) return;
    channel_ = std::max(1, Shown().sampleType + 1);
    FillPoverkaTable(0);
    if (channel_ == 3) emit extensometerRequired();
}

void Verification::StartPoverka(int k) {
    C_Work* work = station_.Work();
    if (!work) return;
    const int method = FindMethod(station_.Lists().methods, kVerificationMethod);
    if (method < 0 || k < 0) return;
    const SetupChoice shown = Shown();
    const int extensometer = shown.extensometer ? 1 : 0;
    // The list shows the method; the choice itself follows here, in order.
    emit methodRowShown(method);
    work->SelectMethod(method, shown.sampleType, extensometer);
    emit methodListsChanged();
    if (k < static_cast<int>(station_.Lists().sampleTypes.size())) emit sampleTypeShown(k);
    channel_ = k + 1;
    work->verification = true;
    ClearPoverka();
    FillPoverkaTable(0);
    work->SelectMethod(method, k, extensometer);
    emit methodListsChanged();
    if (channel_ == 3) emit extensometerRequired();
}

}  // namespace station
