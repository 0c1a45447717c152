// The verification table of the method "Поверка" where the window shows it:
// the station's verification meets the table and the set-up screen here.

#include <QString>

#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "console/verification_panel.h"
#include "station/station_verification.h"

void TFBase::BindVerificationPanel() {
    using console::VerificationPanel;
    using V = station::Verification;
    V& v = station_->Verification();
    verificationPanel_->Bind(v);
    v.ReadChoiceFrom([this] { return setupScreen_->Choice(); });
    connect(verificationPanel_, &VerificationPanel::command, this, &TFBase::Command);
    connect(this, &TFBase::ManualEntryRequested, verificationPanel_,
            &VerificationPanel::AllowTyping);
    connect(&v, &V::tableClosed, this, [this] { verificationPanel_->hide(); });
    connect(&v, &V::tableClosed, this, [this] { setupScreen_->ShowVerificationCaption(false); });
    connect(&v, &V::tableOpened, this, [this] { verificationPanel_->Open(); });
    connect(&v, &V::titleShown, this,
            [this](const QString& name) { verificationPanel_->ShowTitle(name.toStdString()); });
    connect(&v, &V::cellsChanged, this, [this] { verificationPanel_->ShowReadings(); });
    connect(&v, &V::tableShown, this, [this] { verificationPanel_->ShowTable(); });
    connect(&v, &V::tableShown, this, [this] { setupScreen_->ShowVerificationCaption(true); });
    connect(&v, &V::inventedReadingsDropped, this,
            [this] { verificationPanel_->DropInventedReadings(); });
    connect(&v, &V::listChanged, this, [this](int group) { setupScreen_->ReloadList(group); });
    connect(&v, &V::methodRowShown, this, [this](int row) { setupScreen_->ShowMethodRow(row); });
    connect(&v, &V::methodListsChanged, this, [this] { setupScreen_->ReloadMethodLists(); });
    connect(&v, &V::sampleTypeShown, this,
            [this](int index) { setupScreen_->SetSampleType(index); });
    connect(&v, &V::extensometerRequired, this, [this] { setupScreen_->SwitchExtensometerOn(); });
}
