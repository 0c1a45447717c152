// Command-line entry of the operator station, until the console exists: it
// builds the test station, reads the machine configuration from the program
// folder, looks for the measuring and control unit and reports what it found.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "engine/eventsink.h"
#include "link/dev_quelm.h"
#include "link/stationlinks.h"
#include "model/configini.h"
#include "platform/clock.h"
#include "platform/formatfloat.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"
#include "platform/programfolder.h"
#include "platform/random.h"
#include "platform/sleeper.h"
#include "platform/taskqueue.h"

namespace {

// Without a window the engine's events are only kept.
class KeptEvents final : public EventSink {
public:
    void post(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

}  // namespace

int main() {
    platform::SetDecimalSeparator(platform::DecimalSeparatorFromEnvironment());

    const std::string folder = platform::ExecutableFolder();
    TConfigINI ini(folder);
    ini.FileName = "Config";
    const bool exists = platform::FileExists(ini.Path());

    platform::StderrSink messages;
    platform::RealSleeper sleeper;
    platform::SystemClock clock;
    platform::StandardRandom random;
    KeptEvents events;
    // The samples a network unit pushes wait here for this thread.
    platform::TaskQueue ui;
    StationLinks links(&ui);

    C_Work work(events, MethodEnv{clock, random, &messages, folder});
    work.SetIni(&ini);
    auto unit = std::make_unique<DEVICE_QUELM>(
        UnitDeps{sleeper, work, messages, links, nullptr, &work.testZone});
    DEVICE_QUELM* device = unit.get();
    std::vector<std::string> methods, sampleTypes, p0, p1, p2, p3;
    work.Init(std::move(unit), {&methods, &sampleTypes, {&p0, &p1, &p2, &p3}});

    std::printf("Конфигурация: %s%s\n", ini.Path().c_str(),
                exists ? "" : " (файла нет, показаны значения по умолчанию)");
    const C_Config& config = work.Config();
    for (int i = 0; i < config.Count(); ++i) {
        const S_Val* r = config.Record(i);
        if (r->name == "TITLE") continue;
        std::printf("[%d] %s = %s\n", r->group, r->caption.c_str(), config.ValueToText(i).c_str());
    }
    for (const std::string& e : work.ConfigErrors())
        std::fprintf(stderr, "Ошибка: %s\n", e.c_str());

    if (work.Connected()) {
        const int kind = device->LinkKind();
        std::printf("Устройство найдено (%s).\n", kind == DEVICE_QUELM::kSerialLink ? "COM"
                                                  : kind == DEVICE_QUELM::kUsbLink  ? "USB"
                                                                                    : "UDP");
    } else {
        std::printf(
            "ВНИМАНИЕ! УСТРОЙСТВА СНЯТИЯ ДАННЫХ НЕ НАЙДЕНЫ! ПРОГРАММА РАБОТАЕТ В РЕЖИМЕ "
            "ДЕМОНСТРАЦИИ.\n");
    }
    work.Disconnect();
    work.Shutdown();
    return 0;
}
