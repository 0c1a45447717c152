// The verification of the method "Поверка": which instrument is verified,
// the nominal points, the readings taken into the method (from which the
// verification protocol is drawn) and leaving a verification that has
// readings. What a cell shows is always what the method holds, so the
// protocol never prints a figure the table does not show.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "console/look.h"
#include "console/paramlist.h"
#include "console/poverkatable.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "console/verification_panel.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "model/numtext.h"
#include "platform/random.h"

using console::kPoverkaPoints;

namespace {

constexpr const char* kMethod = "Поверка";
// Written into the reference instrument's lines of the certificate when the
// readings were invented, so the protocol made from them says so; each
// short enough to stand whole on the sheet.
constexpr std::pair<const char*, const char*> kInventedMarks[] = {
    {"sOBR", "НЕТ: ДЕМОНСТРАЦИЯ"},
    {"sOBR1", "ПОКАЗАНИЯ ВЫМЫШЛЕНЫ"},
    {"sOBR2", "НЕДЕЙСТВИТЕЛЬНО"},
};

}  // namespace

void TFBase::BindVerificationPanel() {
    connect(verificationPanel_, &console::VerificationPanel::readingClicked, this,
            &TFBase::PoverkaCellClicked);
    connect(verificationPanel_, &console::VerificationPanel::readingTyped, this,
            &TFBase::PoverkaCellTyped);
    connect(this, &TFBase::ManualEntryRequested, verificationPanel_,
            &console::VerificationPanel::AllowTyping);
    connect(verificationPanel_, &console::VerificationPanel::layoutChanged, this,
            [this] { verificationPanel_->Relayout(PoverkaMethod(), poverkaTaken_); });
    connect(verificationPanel_, &console::VerificationPanel::clearRequested, this,
            [this] { FillPoverkaTable(1); });
    connect(verificationPanel_, &console::VerificationPanel::command, this, &TFBase::Command);
    connect(verificationPanel_, &console::VerificationPanel::autoRequested, this,
            &TFBase::AutoPoverka);
}

void TFBase::PoverkaStartUp() {
    // The unit is found once at start-up and never again: a station that
    // found it never offers invented readings, whoever asks for the button.
    if (Work() && Work()->Connected()) verificationPanel_->DropInventedReadings();
    FillPoverkaTable(0);
}

C_Parametr* TFBase::PoverkaMethod() const {
    if (!Work() || setupScreen_->MethodName() != kMethod) return nullptr;
    C_Parametr* m = Work()->Methods().Current();
    return m != nullptr && m->IndexOf("fPCOU") >= 0 ? m : nullptr;
}

// ----- filling

void TFBase::FillPoverkaTable(int clear) {
    auto* label = findChild<QLabel*>("LabelObrazec");
    C_Parametr* m = PoverkaMethod();
    if (m == nullptr) {
        verificationPanel_->hide();
        if (label != nullptr) label->setText(QString::fromUtf8("Образец"));
        return;
    }
    verificationPanel_->Open();
    const int n = std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints);
    const C_Kanal& channel = Work()->Channel(poverkaChannel_);
    // New points for a new count, and for another instrument: the points of
    // a force range mean nothing to a displacement meter.
    if (n != poverkaCount_ || poverkaChannel_ != poverkaPointsChannel_) {
        poverkaCount_ = n;
        poverkaPointsChannel_ = poverkaChannel_;
        const auto points = console::NominalPoints(channel.fullScale, n);
        for (int i = 1; i <= kPoverkaPoints; ++i)
            m->SetFloat("fPS_" + std::to_string(i), points[size_t(i - 1)]);
        Work()->Methods().RefreshList(1);
        setupScreen_->ReloadList(1);
    }
    verificationPanel_->ShowTitle(channel.name);
    if (clear == 1) ClearPoverka();
    verificationPanel_->Relayout(PoverkaMethod(), poverkaTaken_);
    if (label != nullptr) label->setText(QString::fromUtf8(kMethod));
}

void TFBase::ClearPoverka() {
    if (C_Parametr* m = PoverkaMethod()) {
        for (int r = 1; r <= kPoverkaPoints; ++r) {
            for (int c = 1; c <= 6; ++c)
                m->SetFloat(console::PoverkaReadingKey(c, r, true), 0.0f);
        }
    }
    poverkaTaken_.clear();
    ShowPoverkaCells();
}

void TFBase::ShowPoverkaCells() {
    verificationPanel_->ShowCells(PoverkaMethod(), poverkaTaken_);
}

// ----- readings

void TFBase::PoverkaCellClicked(int point, const std::string& key) {
    C_Parametr* m = PoverkaMethod();
    if (m == nullptr) return;
    if (key.empty() || point > std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints)) return;
    const auto live = static_cast<float>(Work()->Channel(poverkaChannel_).value);
    m->SetFloat(key, live);
    poverkaTaken_.insert(key);
    ShowPoverkaCells();
}

void TFBase::PoverkaCellTyped(const std::string& key, const std::string& text) {
    C_Parametr* m = PoverkaMethod();
    if (m == nullptr) return;
    // Read whole or refused: a refused text leaves the reading as it was. An
    // emptied cell is a reading not taken.
    const bool emptied = text.find_first_not_of(' ') == std::string::npos;
    const std::optional<double> value = emptied ? 0.0 : ReadTypedFloat(text);
    if (value) {
        m->SetFloat(key, static_cast<float>(*value));
        if (emptied)
            poverkaTaken_.erase(key);
        else
            poverkaTaken_.insert(key);
    }
    // The cell shows the figure as the method keeps it.
    ShowPoverkaCells();
    if (!value) ShowMes("ВВЕДИТЕ ЧИСЛО", 1, 0);
}

void TFBase::AutoPoverka() {
    C_Parametr* m = PoverkaMethod();
    // Only without a unit: on a machine these would make a false certificate.
    if (m == nullptr || !Work() || Work()->Connected()) return;
    const int n = std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints);
    const bool seven = verificationPanel_->SevenColumns();
    for (int r = 1; r <= n; ++r) {
        const double nominal = m->GetFloat("fPS_" + std::to_string(r));
        for (int c = 1; c < verificationPanel_->Columns(); ++c) {
            const double offset =
                (2.0 * station_->Random().Next() / platform::RandomSource::kMax - 1.0) * 0.01;
            m->SetFloat(console::PoverkaReadingKey(c, r, seven),
                        static_cast<float>(nominal * (1.0 + offset)));
            poverkaTaken_.insert(console::PoverkaReadingKey(c, r, seven));
        }
    }
    for (const auto& [name, mark] : kInventedMarks)
        m->SetFromText(m->IndexOf(name), mark);
    Work()->Methods().RefreshList(0);
    setupScreen_->ReloadList(0);
    ShowPoverkaCells();
}

// ----- choosing the method, the instrument, the verification codes

void TFBase::PoverkaMethodChosen(bool sameMethod) {
    const bool poverka = setupScreen_->MethodName() == kMethod;
    // The method the station already has keeps its readings (a new test,
    // leaving the settings); only a verification chosen afresh starts empty.
    if (poverka && !sameMethod) {
        poverkaChannel_ = std::max(1, setupScreen_->SampleType() + 1);
        ClearPoverka();
    }
    FillPoverkaTable(0);
}

bool TFBase::AskBeforeLeavingPoverka() {
    const C_Parametr* m = Work() ? Work()->Methods().Current() : nullptr;
    const int row = setupScreen_->MethodRow();
    if (m == nullptr || m->GetValueText("sGO") != kMethod ||
        row == Work()->Methods().CurrentIndex())
        return false;
    bool taken = false;
    for (int r = 1; r <= kPoverkaPoints && !taken; ++r) {
        for (int c = 1; c <= 6 && !taken; ++c)
            taken = m->GetFloat(console::PoverkaReadingKey(c, r, true)) != 0.0;
    }
    if (!taken) return false;
    // The list goes back to the verification until the operator answers.
    leavingPoverkaFor_ = row;
    setupScreen_->ShowMethodRow(Work()->Methods().CurrentIndex());
    ShowMes("Показания поверки будут удалены. Выбрать другую методику?", 0,
            station::StationController::kLeavePoverkaCode);
    return true;
}

void TFBase::LeavePoverkaAnswered() {
    const int row = std::exchange(leavingPoverkaFor_, -1);
    if (Answer() != 1 || row < 0 || row >= setupScreen_->MethodCount()) return;
    ClearPoverka();
    setupScreen_->ChooseMethodRow(row);
}

void TFBase::PoverkaSampleChosen() {
    if (PoverkaMethod() == nullptr) return;
    poverkaChannel_ = std::max(1, setupScreen_->SampleType() + 1);
    FillPoverkaTable(0);
    if (poverkaChannel_ == 3) {
        setupScreen_->SetExtensometer(true);
        TENZ_ONClick();
    }
}

void TFBase::StartPoverka(int k) {
    if (!Work()) return;
    const int method = setupScreen_->FindMethod(kMethod);
    if (method < 0 || k < 0) return;
    const int extensometer = setupScreen_->ExtensometerOn() ? 1 : 0;
    // The list shows the method; the choice itself follows here, in order.
    setupScreen_->ShowMethodRow(method);
    Work()->SelectMethod(method, setupScreen_->SampleType(), extensometer);
    setupScreen_->ReloadMethodLists();
    if (k < setupScreen_->SampleTypeCount()) setupScreen_->SetSampleType(k);
    poverkaChannel_ = k + 1;
    Work()->verification = true;
    ClearPoverka();
    FillPoverkaTable(0);
    Work()->SelectMethod(method, k, extensometer);
    setupScreen_->ReloadMethodLists();
    if (poverkaChannel_ == 3) {
        setupScreen_->SetExtensometer(true);
        TENZ_ONClick();
    }
}
