#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "support/event_queue.h"
#include "support/fake_unit.h"
#include "support/temp_folder.h"

namespace testsupport {

// A clock that shows what the test set.
class FakeClock final : public platform::Clock {
public:
    std::int64_t seconds = 1709647629;
    platform::CalendarTime now{2024, 3, 5, 14, 7, 9};

    std::int64_t Seconds() const override { return seconds; }
    platform::CalendarTime Now() const override { return now; }
};

// A random source that replays a script (0 when the script is empty) and
// remembers how it was seeded.
class ScriptedRandom final : public platform::RandomSource {
public:
    std::vector<int> script;
    std::vector<std::uint32_t> seeds;

    void Seed(std::uint32_t seed) override { seeds.push_back(seed); }
    int Next() override {
        if (script.empty()) return 0;
        return script[next_++ % script.size()];
    }

private:
    size_t next_ = 0;
};

using TextLines = std::vector<std::string>;

// The console's list controls as the engine fills them.
inline C_Work::ConsoleLists ListsOf(TextLines& methods, TextLines& sampleTypes,
                                    TextLines (&params)[4]) {
    C_Work::ConsoleLists lists;
    lists.methods = &methods;
    lists.sampleTypes = &sampleTypes;
    for (size_t k = 0; k < 4; ++k)
        lists.params[k] = &params[k];
    return lists;
}

// The console's dispatch order for the engine's codes, without a window: the
// codes a code implies run first, each completely, and the engine gets the
// code last; posted events are handled only when the test drains them.
class ConsoleStandIn {
public:
    ConsoleStandIn(C_Work& work, EventQueue& events, const platform::Clock& clock)
        : work_(work), events_(events), clock_(clock) {}

    // Start-up as the console runs it: the test process built around the
    // unit, the settings list, the tension zone, then set-up mode.
    void StartUp(std::unique_ptr<C_Connect> unit) {
        work_.Init(std::move(unit), ListsOf(methodList, sampleTypeList, paramLists));
        work_.ResetForLoad();
        work_.FillConfigList(settingsList, 7);
        Command(68);
        Command(241);
    }

    void Command(int code) {
        ConsolePart(code);
        engineCodes.push_back(code);
        work_.Command(code);
    }

    // Handles every posted event, oldest first, including any posted meanwhile.
    void DrainEvents() {
        while (!events_.Empty())
            Command(events_.Take());
    }

    // The operator picks a method; the console tells the engine whether it verifies.
    bool SelectMethod(int index, int sampleType, int extensometer) {
        const bool ok = work_.SelectMethod(index, sampleType, extensometer);
        const C_Parametr* m = work_.Methods().Current();
        work_.verification = m != nullptr && m->GetValueText("sGO") == "Поверка";
        return ok;
    }

    // One display refresh: the current method's cross-section goes to the engine.
    void Tick() {
        const C_Parametr* m = work_.Methods().Current();
        work_.SetArea(m != nullptr && m->IndexOf("fS0") >= 0 ? m->GetFloat("fS0") : 0.0);
    }

    std::vector<std::string> methodList;
    std::vector<std::string> sampleTypeList;
    std::vector<std::string> paramLists[4];
    std::vector<std::string> settingsList;
    // The messages the console showed, in order.
    std::vector<std::string> messages;
    // The codes as the engine received them, in order.
    std::vector<int> engineCodes;
    int protocolNumber = 0;
    // The message panel's answer to "close the program?": 1 yes.
    int answer = 1;

private:
    void ConsolePart(int code) {
        C_Parametr* m = work_.Methods().Current();
        switch (code) {
            case 245:
            case 246:
                if (answer != 1) return;
                Command(18);
                Command(21);
                work_.Disconnect();
                return;
            case 49:
                messages.push_back("ДОСТИГНУТА УСТАВКА ПО F!!!");
                return;
            case 50:
                messages.push_back("ДОСТИГНУТА УСТАВКА ПО L!!!");
                return;
            case 51:
                messages.push_back("ДОСТИГНУТА УСТАВКА ПО E!!!");
                return;
            case 52:
                messages.push_back("ДОСТИГНУТА ЗАЩИТА ПО F!!!");
                return;
            case 53:
                messages.push_back("ДОСТИГНУТА ЗАЩИТА ПО L!!!");
                return;
            case 54:
                messages.push_back("ДОСТИГНУТА ЗАЩИТА ПО E!!!");
                return;
            case 55:
                messages.push_back("ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!");
                return;
            case 56:
                messages.push_back("ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО L!!!");
                return;
            case 57:
                messages.push_back("ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО E!!!");
                return;
            case 32:
                work_.ResetForLoad();
                Command(21);
                Command(5);
                Command(7);
                Command(241);
                SelectMethod(work_.Methods().CurrentIndex(), work_.Methods().SampleType(),
                             work_.Methods().Extensometer());
                if (m != nullptr) m->ResetManualPoints();
                return;
            case 61:
                work_.ClearBuffer();
                return;
            case 240:
                Command(241);
                return;
            case 242:
                if (m != nullptr && m->IndexOf("fOX") >= 0)
                    m->SetMaxText("sGO", std::to_string(protocolNumber));
                return;
            case 1:
                // One number per test: a start while the test runs takes none.
                if (work_.State() != C_Work::kRunning) ++protocolNumber;
                Command(242);
                return;
            case 2:
                Command(243);
                Command(48);
                return;
            case 68:
                work_.testZone = 0;
                Command(5);
                work_.DeviceCmd(0, 15);
                SetZoneOutputs(true);
                return;
            case 67:
                work_.testZone = 3;
                Command(5);
                work_.DeviceCmd(3, 15);
                SetZoneOutputs(false);
                return;
            case 48:
                if (m != nullptr && m->IndexOf("sTI") >= 0)
                    m->SetFromText(m->IndexOf("sTI"), platform::TimeText(clock_.Now()));
                return;
            default:
                return;
        }
    }

    void SetZoneOutputs(bool tension) {
        const C_Config& c = work_.Config();
        if (c.iZONAR >= 0) work_.SetOutput(c.iZONAR, tension);
        if (c.iZONAS >= 0) work_.SetOutput(c.iZONAS, !tension);
    }

    C_Work& work_;
    EventQueue& events_;
    const platform::Clock& clock_;
};

// A whole station without a window: the console's clock, random source and
// event queue, the test process, the console's dispatch and a fake unit.
class Station {
public:
    explicit Station(bool initResult = true, bool connectResult = true)
        : pending_(std::make_unique<FakeUnit>(initResult, connectResult)) {
        unit = pending_.get();
        unit->sink = &work;
    }

    // The console's start-up around the fake unit (once).
    void StartUp() {
        if (pending_) console.StartUp(std::move(pending_));
    }
    // Channel values equal the raw readings, as the unit's settings make them.
    void RawReadings() {
        for (int c = 1; c <= 3; ++c)
            work.Channel(c).rawMode = true;
    }

    // The program folder: templates written by a selection land here, never
    // in the folder the tests run from.
    TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    EventQueue events;
    C_Work work{events, MethodEnv{clock, random, nullptr, folder.path()}};
    ConsoleStandIn console{work, events, clock};
    // Owned by the test process once started up.
    FakeUnit* unit = nullptr;

private:
    std::unique_ptr<FakeUnit> pending_;
};

}  // namespace testsupport
