// Start-up (code 244, run once by the start-up timer), the command-line
// test file, and the two ways out: exit (245) and power-off (246).

#include <QComboBox>
#include <QFrame>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <string>

#include "console/compression_panel.h"
#include "console/look.h"
#include "console/manual_rules.h"
#include "console/mode_bar.h"
#include "console/open_panel.h"
#include "console/preview_screen.h"
#include "console/result_plot.h"
#include "console/settings_screen.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "model/configini.h"
#include "platform/messagesink.h"
#include "platform/poweroff.h"
#include "protocols/creport.h"

using console::SetButtonEnabled;

void TFBase::InitTimerTimer() {
    InitTimer->stop();
    Command(244);
    if (!deps_.commandLineFile.empty()) {
        viewing_ = true;
        OpenCommandLineFile();
    }
}

int TFBase::StartUpBlock(int) {
    // 1-2: the test process around the unit.
    CreateWork();
    // 3-4
    methodText_ = methodLines_.empty() ? std::string() : methodLines_.front();
    BindPlots();
    tensionPanel_->hide();
    compressionPanel_->hide();
    setupScreen_->ReloadMethodLists();
    setupScreen_->ChooseMethodRow(0);
    setupScreen_->SetSampleType(setupScreen_->SampleTypeCount() > 0 ? 0 : -1);
    work_->ResetForLoad();
    // 5-6
    workScreen_->BindReadouts();
    CloseMes();
    // 7: demonstration mode only when no unit answered; a file named on the
    // command line is opened for viewing all the same.
    if (!work_->Connected())
        ShowMes(
            "ВНИМАНИЕ! УСТРОЙСТВА СНЯТИЯ ДАННЫХ НЕ НАЙДЕНЫ! ПРОГРАММА РАБОТАЕТ В РЕЖИМЕ "
            "ДЕМОНСТРАЦИИ.",
            1, 0);
    // 8
    workScreen_->ShowControlBar(true);
    workScreen_->ControlBar().EnablePause(false);
    Timer1->start();
    setEnabled(true);
    ShowScreen(0);
    // 9
    work_->FillConfigList(settingsLines_, 7);
    ReloadCustomList();
    ApplyChannels();
    Timer1->setInterval(work_->Config().iCHANCOUNT);
    PoverkaStartUp();
    // 10
    LoadPositions();
    // 11
    Timer3->start();
    SyncModeButtons();
    Command(68);
    Timer5->start();
    Timer4->start();
    // 12-13
    ShowChannelsInUse();
    started_ = true;
    LoadProtocolNumber();
    // 14
    SelectProgram("Default.ini");
    // 15
    const C_Config& c = work_->Config();
    const bool zones =
        console::ZoneOutputConfigured(c.iZONAR) || console::ZoneOutputConfigured(c.iZONAS);
    setupScreen_->EnableZoneButtons(zones);
    // 16: the dispatch goes on as set-up mode.
    return 241;
}

void TFBase::CreateWork() {
    work_ = std::make_unique<C_Work>(
        *events_, MethodEnv{*deps_.clock, *deps_.random, deps_.messages, ProgramDir()});
    setupScreen_->SetExtensometer(false);
    work_->SetIni(ini_.get());
    report_ = std::make_unique<C_Report>(previewScreen_->Otchet());
    work_->SetReport(report_.get());
    std::unique_ptr<C_Connect> unit;
    if (deps_.makeUnit)
        unit = deps_.makeUnit(
            console::UnitWiring{*work_, this, &work_->testZone, uiQueue_, unitPauses_});
    C_Work::ConsoleLists lists;
    lists.methods = &methodLines_;
    lists.sampleTypes = &sampleTypeLines_;
    for (size_t k = 0; k < 4; ++k)
        lists.params[k] = &paramLines_[k];
    work_->Init(std::move(unit), lists);
    settingsScreen_->Bind(work_.get());
}

void TFBase::BindPlots() {
    workScreen_->BindPlot(*work_);
    setupScreen_->Bind(*work_);
    // The axis buttons show what the plots were given.
    workScreen_->ShowBoundAxes();
}

// Also run when the settings are left: a channel switched on there shows at
// once, one switched off goes.
void TFBase::ShowChannelsInUse() {
    workScreen_->ShowChannelsInUse();
    for (int channel = 1; channel <= 3; ++channel) {
        setupScreen_->Plot()->EnableChannel(channel, work_->Channel(channel).inUse != 0);
    }
    // A used extensometer's controls follow its switch.
    if (work_->Channel(3).inUse != 0) UpdateTenzControls();
}

namespace {

constexpr const char* kProtocolKey = "Номер протокола";
// The number's one place: the general settings, where the settings screen
// shows and edits it.
constexpr const char* kProtocolSection = "7";
// Where stations before counted it.
constexpr const char* kOldProtocolSection = "4";

}  // namespace

void TFBase::LoadProtocolNumber() {
    // The settings read "7" already. A file from before counted in "4" and
    // left "7" behind: the larger moves to "7", so no number comes twice.
    if (!ini_->ReadS(kOldProtocolSection, kProtocolKey, "").empty()) {
        C_Config& c = work_->Config();
        const int counted = ini_->ReadI(kOldProtocolSection, kProtocolKey, 0);
        const bool own = !ini_->ReadS(kProtocolSection, kProtocolKey, "").empty();
        c.SetFromText(c.IndexOf("iNOMPROT"),
                      std::to_string(own ? std::max(c.iNOMPROT, counted) : counted));
        if (WriteProtocolNumber()) ini_->Remove(kOldProtocolSection, kProtocolKey);
        work_->FillConfigList(settingsLines_, configGroup_);
        ReloadCustomList();
    }
    modeBar_->ShowCaption(ModeCaptionText());
}

bool TFBase::WriteProtocolNumber() {
    if (ini_->WriteI(kProtocolSection, kProtocolKey, work_->Config().iNOMPROT)) return true;
    deps_.messages->ShowMessage(
        "Ошибка", "Номер протокола не сохранен: файл 'Config.INI' не может быть записан");
    return false;
}

void TFBase::OpenCommandLineFile() {
    // As the open panel opens a file. One that does not read was reported by
    // its reader; the station stays in set-up mode, nothing is viewed.
    if (!work_->LoadTestFile(deps_.commandLineFile)) {
        viewing_ = false;
        return;
    }
    ShowLoadedTest();
}

// The loaded test's method, sample type and extensometer on the set-up
// screen, then the result screen.
void TFBase::ShowLoadedTest() {
    const C_GostWorks& methods = work_->Methods();
    // The file's readings replace what was taken here, its time too.
    poverkaTaken_.clear();
    testTimeDue_ = false;
    setupScreen_->SetExtensometer(methods.Extensometer() != 0);
    setupScreen_->ReloadMethodLists();
    setupScreen_->SetSampleType(
        methods.SampleType() < setupScreen_->SampleTypeCount() ? methods.SampleType() : 0);
    openPanel_->hide();
    // ShowResults draws both plots with the file's results.
    drawnLater_ = {workScreen_->Plot(), setupScreen_->Plot()};
    Command(243);
    drawnLater_.clear();
    ShowResults();
}

// ----- ways out

int TFBase::ExitBlock(int code) {
    if (answer_ != 1) return code;
    ShutDownProgramSide(true);
    EndProgram();
    return code;
}

int TFBase::PowerOffBlock(int code) {
    if (answer_ != 1) return code;
    if (deps_.power == nullptr) {
        ShowMes("ВЫКЛЮЧЕНИЕ КОМПЬЮТЕРА НЕДОСТУПНО", 1, 0);
        return code;
    }
    // The program's side first, hours included, then the system.
    ShutDownProgramSide(true);
    std::string error;
    if (deps_.power->PowerOff(error)) {
        EndProgram();
        return code;
    }
    // The unit is closed already: the answer ends the program.
    closeOnAnswer_ = true;
    ShowMes("СИСТЕМА НЕ ВЫКЛЮЧЕНА: " + error, 1, 0);
    return code;
}

void TFBase::ShutDownProgramSide(bool saveHours) {
    if (!work_) return;
    Command(18);
    Command(21);
    if (saveHours) work_->Config().Save(1);
    previewScreen_->Otchet()->ClearList();
    for (QTimer* t : {Timer1, Timer3, Timer4, Timer5, TimerGetCykl, TimerELSE})
        t->stop();
    settingsScreen_->StopRefresh();
    work_->Disconnect();
}

void TFBase::EndProgram() {
    ending_ = true;
    emit programEnded();
    close();
}
