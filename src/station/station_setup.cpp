// Choosing the method, and what the choice implies: the ambient
// temperature, the method's speed and channel, the zone, the results shown.

#include <string>

#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "platform/formatfloat.h"
#include "station/station_controller.h"

namespace station {

namespace {

constexpr const char* kVerification = "Поверка";

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
    const int chosen = work_->Methods().CurrentIndex();
    work_->verification = chosen >= 0 && chosen < static_cast<int>(lists_.methods.size()) &&
                          lists_.methods[static_cast<size_t>(chosen)] == kVerification;
    emit methodChosen(m == before);
    SyncZone();
    // The lists and the plot markers are the chosen method's, of the curve held.
    ShowResults();
    return selected;
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
    emit manualPanelsHidden();
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
