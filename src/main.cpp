// The program entry: the application, the main window around the real unit
// (serial ports, then USB, then the network), and the message loop.

#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>

#include "console/qt_russian.h"
#include "console/tfbase.h"
#include "link/dev_quelm.h"
#include "link/stationlinks.h"
#include "platform/formatfloat.h"
#include "platform/messagesink.h"
#include "platform/poweroff.h"
#include "platform/programfolder.h"
#include "platform/sleeper.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (console::InstallQtRussian(app) == nullptr)
        std::fprintf(stderr,
                     "Qt's Russian translations are missing: its dialogs stay in English\n");
    platform::SetDecimalSeparator(platform::DecimalSeparatorFromEnvironment());

    // Made when the window's start-up asks for the unit; they outlive it.
    platform::RealSleeper sleeper;
    platform::StderrSink linkMessages;
    std::unique_ptr<StationLinks> links;
    platform::SystemPowerControl power;

    console::ConsoleDeps deps;
    // The program keeps its files beside the executable; the current
    // directory is left as it was.
    deps.programFolder = platform::ExecutableFolder();
    if (argc > 1) deps.commandLineFile = argv[1];
    deps.power = &power;
    deps.makeUnit = [&](const console::UnitWiring& w) -> std::unique_ptr<C_Connect> {
        links = std::make_unique<StationLinks>(&w.ui);
        return std::make_unique<DEVICE_QUELM>(
            UnitDeps{sleeper, w.samples, linkMessages, *links, w.status, w.testZone, &w.scheduler});
    };

    TFBase window(std::move(deps));
    // showMaximized() alone leaves the window as it is without a window manager.
    window.FitToScreen();
    window.show();
    return app.exec();
}
