// What the entry panels and the work screen's buttons do to the station.

#include "station/station_entry.h"

#include "engine/cwork.h"
#include "link/c_connect.h"
#include "model/numtext.h"
#include "station/entry_rules.h"
#include "station/station_controller.h"
#include "station/station_manual.h"
#include "station/station_program.h"
#include "station/station_verification.h"

namespace station {

namespace {

using entry::Field;

// The channel field a target writes; the speed has none.
double* EntryField(C_Work& work, const entry::Target& target) {
    if (target.channel < 1) return nullptr;
    C_Kanal& k = work.Channel(target.channel);
    switch (target.field) {
        case Field::SetPoint:
            return &k.setPoint;
        case Field::Protection:
            return &k.protection;
        case Field::AuxProtection:
            return &k.auxProtection;
        case Field::BreakPercent:
            return &k.breakPercent;
        default:
            return nullptr;
    }
}

}  // namespace

EntryControl::EntryControl(StationController& station) : QObject(&station), station_(station) {
    setObjectName("EntryControl");
}

// ----- numeric entry

bool EntryControl::Opens(int target) const {
    return entry::DescribeTarget(target).has_value();
}

std::string EntryControl::OpeningText(int target, std::string_view speedCaption) const {
    const auto t = entry::DescribeTarget(target);
    if (!t) return {};
    if (t->field == Field::Speed) return entry::SpeedCaptionNumber(speedCaption);
    C_Work* w = station_.Work();
    const double* field = w ? EntryField(*w, *t) : nullptr;
    return field ? FloatToStrAuto(*field) : std::string();
}

EntryAnswer EntryControl::TakeValue(int target, std::string_view typed, bool openerShown) {
    const auto t = entry::DescribeTarget(target);
    C_Work* w = station_.Work();
    if (!t || !w) return {};
    // Nothing reaches the unit that it could not take: the value is checked
    // against the channel first, and a refusal keeps the panel open.
    const int channel = t->field == Field::Speed ? w->ActiveChannel() : t->channel;
    const C_Kanal& k = w->Channel(channel);
    const entry::Checked checked =
        entry::CheckEntry(typed, entry::LimitsOf(t->field, k.fullScale, k.speedLimit));
    if (!checked.value) return {checked.refusal, true};
    // The readout it was opened from has gone (another zone or sheet): its
    // channel is no longer the one the operator sees.
    if (!openerShown) return {"ПОЛЕ СКРЫТО: ЗНАЧЕНИЕ НЕ ПРИНЯТО", false};
    const double value = *checked.value;
    std::string refusal;
    if (t->field == Field::Speed) {
        // Without a unit the engine keeps no speed.
        if (w->Connected()) {
            w->SetSpeed(static_cast<float>(value));
        } else {
            refusal = kNoUnit;
        }
    } else if (t->field == Field::BreakPercent) {
        // One break test for both force channels.
        w->Channel(1).breakPercent = value;
        w->Channel(4).breakPercent = value;
    } else if (t->field == Field::SetPoint) {
        refusal = station_.Manual().ApplySetPoint(t->channel, value);
    } else if (double* field = EntryField(*w, *t)) {
        const double before = *field;
        *field = value;
        if (t->sendCode != 0) refusal = station_.Manual().SendToUnit(t->channel - 1, t->sendCode);
        if (!refusal.empty()) *field = before;
    }
    // Not taken: the panel stays with the reason, as for a refused number.
    return {refusal, false};
}

// ----- data zoom

void EntryControl::ZoomEdit(int group, int row, const std::string& text) {
    C_Work* w = station_.Work();
    if (!w) return;
    const TextResult typed = w->Methods().SetInGroup(row, group, text);
    // The copy shows the value as stored (clamped), or as it was when refused.
    w->Methods().RefreshList(group);
    emit zoomLinesShown(station_.Lists().params[group]);
    if (!typed) station_.ShowMes(typed.error, 1, 0);
}

void EntryControl::ZoomClosed() {
    station_.RefreshInputLists();
    station_.Verification().FillPoverkaTable(0);
}

// ----- work screen

void EntryControl::Start() {
    // A loaded test program runs the test; without one the button starts it.
    if (station_.Program().ProgStart() == 1) station_.Command(1);
}

void EntryControl::Stop() {
    station_.Program().ProgStop();
    station_.Command(2);
}

void EntryControl::SetRecording(bool on) {
    if (C_Work* w = station_.Work()) w->recordInIdle = on;
}

void EntryControl::HoldZero(bool on) {
    if (C_Work* w = station_.Work())
        w->DeviceCmd(0, on ? unit_code::kPresetZeroHold : unit_code::kStopProgram);
}

}  // namespace station
