#include "platform/poweroff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Stand-ins for systemctl: never the real one here.
TEST(SystemPowerControl, RunsTheProgramWithoutAShellAndReportsARefusal) {
    struct Case {
        std::string program;
        std::vector<std::string> arguments;
        bool ok;
        std::string errorPart;
    };
    const std::vector<Case> cases = {
        {"/bin/true", {"poweroff"}, true, ""},
        {"/bin/false", {"poweroff"}, false, "код 1"},
        {"/bin/sh", {"-c", "exit 3"}, false, "код 3"},
        {"/nonexistent/systemctl", {"poweroff"}, false, "/nonexistent/systemctl"},
        {"systemctl", {"poweroff"}, false, "полным путём"},
    };
    for (const Case& c : cases) {
        platform::SystemPowerControl power(c.program, c.arguments);
        std::string error;
        EXPECT_EQ(power.PowerOff(error), c.ok) << c.program;
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << c.program << ": " << error;
    }
}

}  // namespace
