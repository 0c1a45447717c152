#pragma once

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "model/configini.h"
#include "platform/formatfloat.h"
#include "platform/poweroff.h"
#include "support/fake_unit.h"
#include "support/recording_sink.h"
#include "support/station.h"
#include "support/temp_folder.h"

namespace testsupport {

// Powering off as a test sees it: asked, answered as scripted, nothing off.
class FakePower final : public platform::PowerControl {
public:
    bool PowerOff(std::string& error) override {
        ++asked;
        if (!refuse.empty()) error = refuse;
        return refuse.empty();
    }
    int asked = 0;
    std::string refuse;  // not empty: the system refuses with this reason
};

// The two ways a unit cannot take a value now, and what the panel says.
struct UnitUnavailable {
    bool connects;
    bool answers;
    const char* says;
};
inline constexpr UnitUnavailable kUnitUnavailable[] = {{false, true, "НЕТ СВЯЗИ С УСТРОЙСТВОМ"},
                                                       {true, false, "УСТРОЙСТВО НЕ ОТВЕЧАЕТ"}};

// A program folder of a fixed name under the system's temporary folder.
struct FixedFolder {
    std::string name;
};

// The real main window, offscreen, in a folder of its own, around a fake
// unit; the codes it dispatches and hands the engine are recorded.
class ConsoleRig {
public:
    explicit ConsoleRig(bool unitAnswers = true) : unitAnswers_(unitAnswers) {
        platform::SetDecimalSeparator(',');
    }
    explicit ConsoleRig(const FixedFolder& fixed) : folder(fixed.name), unitAnswers_(true) {
        platform::SetDecimalSeparator(',');
    }

    // Settings written before start-up, as the INI file holds them.
    void Setting(const std::string& section, const std::string& key, int value) {
        TConfigINI ini(folder.path());
        ini.FileName = "Config";
        ini.WriteI(section, key, value);
    }

    // Builds the window and runs its start-up timer to the end.
    void Start(const std::string& commandLineFile = "", bool withUnit = true) {
        console::ConsoleDeps deps;
        deps.programFolder = folder.path();
        deps.commandLineFile = commandLineFile;
        deps.clock = &clock;
        deps.random = &random;
        if (!windowMessages) deps.messages = &fileErrors;
        deps.power = &power;
        if (withUnit) {
            deps.makeUnit = [this](const console::UnitWiring& w) {
                auto u = std::make_unique<FakeUnit>(true, unitAnswers_);
                u->sink = &w.samples;
                u->status = w.status;
                unit = u.get();
                return std::unique_ptr<C_Connect>(std::move(u));
            };
        }
        window = std::make_unique<TFBase>(std::move(deps));
        window->resize(1390, 755);
        window->show();
        window->activateWindow();
        QObject::connect(window.get(), &TFBase::commandDispatched,
                         [this](int code) { dispatched.push_back(code); });
        QObject::connect(window.get(), &TFBase::engineCommand,
                         [this](int code) { engine.push_back(code); });
        QObject::connect(window.get(), &TFBase::programEnded, [this] { ended = true; });
        EXPECT_TRUE(QTest::qWaitFor([this] { return window->Started(); }, 5000));
        QApplication::processEvents();
    }

    // The polling timers would fill the unit's log: tests that read it stop them.
    void StopPolling() {
        window->findChild<QTimer*>("Timer1")->stop();
        window->Station().StopPolling();
    }

    // A window of the program's that has no parent (the extensometer window).
    template <class T = QWidget>
    static T* TopLevel(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String(name))
                if (auto* t = dynamic_cast<T*>(w)) return t;
        }
        return nullptr;
    }

    template <class T = QWidget>
    T* Find(const char* name) const {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // A left click in the middle of a drawn button, as a finger gives it.
    void Click(const char* name) {
        auto* b = Find<TMegaButton>(name);
        if (b != nullptr) QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }

    // A tension curve as the fake unit reports it (a straight rise to 30 kN,
    // then hardening), stopped as СТОП stops it.
    void RecordTest(int samples = 301) {
        C_Work& work = *window->Work();
        window->Command(1);
        for (int c = 1; c <= 3; ++c)
            work.Channel(c).rawMode = true;
        for (int i = 0; i < samples; ++i) {
            const double l = 0.02 * i;
            const double f = l < 1.0 ? 30.0 * l : 30.0 + 4.0 * (l - 1.0);
            unit->Emit(0.1 * i, f, l);
        }
        window->Command(2);
    }

    // Runs the codes the window posted to itself (the engine's events).
    static void Drain() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }

    void ClearTraces() {
        dispatched.clear();
        engine.clear();
    }

    TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    RecordingSink fileErrors;
    bool windowMessages = false;  // true: file errors go to the window's own message panel
    FakePower power;
    FakeUnit* unit = nullptr;
    std::unique_ptr<TFBase> window;
    std::vector<int> dispatched;
    std::vector<int> engine;
    bool ended = false;

private:
    bool unitAnswers_;
};

}  // namespace testsupport
