// Start-up (code 244) and the two ways out: exit (245) and power-off (246).

#include <QTimer>

#include <string>

#include "engine/cwork.h"
#include "engine/protocolmaker.h"
#include "platform/poweroff.h"
#include "station/program_names.h"
#include "station/station_controller.h"
#include "station/station_files.h"
#include "station/station_manual.h"
#include "station/station_program.h"
#include "station/station_rules.h"
#include "station/station_settings.h"
#include "station/station_verification.h"

namespace station {

int StationController::StartUpBlock(int) {
    // 1-2: the test process around the unit.
    CreateWork();
    // 3-6: the screens take the engine's plots, lists and readouts.
    files_->SetMethodName(lists_.methods.empty() ? std::string() : lists_.methods.front());
    emit workCreated();
    work_->ResetForLoad();
    CloseMes();
    // 7: demonstration mode only when no unit answered; a file named on the
    // command line is opened for viewing all the same.
    if (!work_->Connected())
        ShowMes(
            "ВНИМАНИЕ! УСТРОЙСТВА СНЯТИЯ ДАННЫХ НЕ НАЙДЕНЫ! ПРОГРАММА РАБОТАЕТ В РЕЖИМЕ "
            "ДЕМОНСТРАЦИИ.",
            1, 0);
    // 8
    emit startedUp();
    // 9
    settings_->ShowGroup(7);
    emit channelsChanged(work_->Config().iCHANCOUNT);
    // 10-11: the verification table, the positions, the service tick, the zone.
    verification_->StartUp();
    program_->LoadPositions();
    manual_->StartServiceTick();
    SyncZone();
    Command(68);
    StartPolling();
    // 12-13
    emit channelsInUseChanged();
    started_ = true;
    LoadProtocolNumber();
    // 14
    program_->SelectProgram(kDefaultProgram);
    // 15
    const C_Config& c = work_->Config();
    emit zonesAvailable(ZoneOutputConfigured(c.iZONAR) || ZoneOutputConfigured(c.iZONAS));
    // 16: the dispatch goes on as set-up mode.
    return 241;
}

int StationController::ExitBlock(int code) {
    if (answer_ != 1) return code;
    ShutDownProgramSide(true);
    EndProgram();
    return code;
}

int StationController::PowerOffBlock(int code) {
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

void StationController::ShutDownProgramSide(bool saveHours) {
    if (!work_) return;
    Command(18);
    Command(21);
    if (saveHours) work_->Config().Save(1);
    emit shuttingDown();
    program_->StopScanTimer();
    manual_->StopServiceTick();
    StopPolling();
    work_->Disconnect();
}

void StationController::EndProgram() {
    ending_ = true;
    emit programEnded();
}

}  // namespace station
