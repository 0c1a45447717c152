// Choosing the method, and what the choice implies: the ambient
// temperature, the method's speed and channel, the zone, the results shown;
// the operator's other choices on the set-up and result screen.

#include <string>

#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "platform/formatfloat.h"
#include "station/station_controller.h"
#include "station/station_manual.h"
#include "station/station_verification.h"

namespace station {

namespace {

bool Has(const C_Parametr* m, const char* key) {
    return m != nullptr && m->IndexOf(key) >= 0;
}

}  // namespace

bool StationController::ChooseMethod(int row, int sampleType, bool extensometer) {
    if (!work_) return false;
    C_Parametr* m = work_->Methods().Current();
    const C_Parametr* before = m;
    if (Has(m, "sTE")) {
        auto* unit = dynamic_cast<DEVICE_QUELM*>(work_->Unit());
        const float t = unit != nullptr ? unit->GetAmbientTemperature() : 0.0f;
        m->SetFromText(m->IndexOf("sTE"), platform::FormatFloat("0.0", t));
    }
    if (Has(m, "sTI")) m->SetFromText(m->IndexOf("sTI"), "00:00:00");
    const bool selected = work_->SelectMethod(row, sampleType, extensometer ? 1 : 0);
    m = work_->Methods().Current();
    emit methodSelected(Has(m, "fPos") ? static_cast<int>(m->GetFloat("fPos")) : 0);
    if (Has(m, "fSpd")) {
        Command(4);
        work_->SetSpeed(static_cast<float>(m->GetFloat("fSpd")));
    }
    if (Has(m, "fSpdL")) {
        Command(5);
        work_->SetSpeed(static_cast<float>(m->GetFloat("fSpdL")));
    }
    if (Has(m, "iCH")) {
        if (m->GetInt("iCH") == 2) Command(5);
        if (m->GetInt("iCH") == 1) Command(4);
    }
    work_->verification = CurrentMethodName() == kVerificationMethod;
    verification_->MethodChosen(m == before);
    SyncZone();
    // The lists and the plot markers are the chosen method's, of the curve held.
    ShowResults();
    return selected;
}

std::string StationController::CurrentMethodName() const {
    const int row = work_ ? work_->Methods().CurrentIndex() : -1;
    if (row < 0 || row >= static_cast<int>(lists_.methods.size())) return "";
    return lists_.methods[static_cast<size_t>(row)];
}

void StationController::ChooseMethodRow(int row, int sampleType, bool extensometer) {
    if (!work_ || verification_->AskBeforeLeaving(row)) return;
    ChooseMethod(row, sampleType, extensometer);
}

bool StationController::ChooseSampleType(int row, int sampleType, bool extensometer) {
    if (!work_) return false;
    work_->SelectMethod(row, sampleType, extensometer ? 1 : 0);
    emit methodReselected(sampleType);
    C_Parametr* m = work_->Methods().Current();
    if (Has(m, "fPos")) m->SetFloat("fPos", static_cast<float>(sampleType));
    if (Has(m, "fSpd")) work_->SetSpeed(static_cast<float>(m->GetFloat("fSpd")));
    verification_->SampleChosen();
    return true;
}

bool StationController::SetExtensometer(int row, int sampleType, bool extensometer) {
    if (!work_) return false;
    work_->SelectMethod(row, sampleType, extensometer ? 1 : 0);
    emit methodReselected(sampleType);
    return true;
}

void StationController::CommitListEdit(int group, int row, const std::string& text) {
    if (!work_) return;
    const TextResult typed = work_->Methods().SetInGroup(row, group, text);
    // The list shows the value as stored (clamped), or as it was when refused.
    work_->Methods().RefreshList(group);
    emit listsChanged();
    if (group == 1) verification_->FillPoverkaTable(0);
    if (!typed) ShowMes(typed.error, 1, 0);
}

void StationController::RefreshInputLists() {
    if (work_) {
        for (int group : {1, 0, 2})
            work_->Methods().RefreshList(group);
    }
    emit listsChanged();
}

bool StationController::SetManualPoint(int row, int position) {
    if (!work_ || work_->Methods().Current() == nullptr) return false;
    work_->Methods().Current()->SetManualPoint(row, 3, static_cast<float>(position));
    work_->Methods().RefreshList(3);
    return true;
}

bool StationController::Recalculate() {
    if (!work_ || work_->Methods().Current() == nullptr) return false;
    work_->Methods().Current()->SetElasticBoundPercent(0);
    Command(48);
    work_->Methods().RefreshList(2);
    return true;
}

bool StationController::SetResultAxis(bool x, int channel) {
    const char* key = x ? "fOX" : "fOY";
    if (work_ && Has(work_->Methods().Current(), key))
        work_->Methods().Current()->SetInt(key, channel);
    return Recalculate();
}

std::pair<int, int> StationController::ResultAxes() const {
    const C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    return {Has(m, "fOX") ? m->GetInt("fOX") : -1, Has(m, "fOY") ? m->GetInt("fOY") : -1};
}

void StationController::SyncZone() {
    const int vector = work_ ? work_->GetVector() : -1;
    switch (vector) {
        case -1:
            emit zoneChoiceShown(true, true);
            break;
        case 0:
            Command(68);
            emit zoneChoiceShown(false, false);
            break;
        case 1:
            Command(67);
            emit zoneChoiceShown(false, false);
            break;
        case 2:
            emit zoneChoiceShown(true, true);
            Command(68);
            break;
        default:
            break;
    }
    manual_->HidePanels();
}

// The results and markers of the curve held, on the lists and both plots at
// once; the test's time is left as it is.
void StationController::ShowResults() {
    if (!work_) return;
    work_->Methods().Calculate();
    work_->Methods().RefreshList(3);
    emit resultsShown();
}

}  // namespace station
