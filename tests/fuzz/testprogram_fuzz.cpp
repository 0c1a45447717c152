// Program files of any bytes, against the parser, the conditions and a run:
//  - a line that runs reads back the same from its own canonical text, so
//    nothing runs from a part of a line;
//  - a malformed line carries no command and no condition;
//  - one line acts at most once on the host, and only when it runs and its
//    condition holds for the channel values of the moment;
//  - a run over the file with changing values keeps its view consistent
//    and ends with no end marker left.
//
// Layout of an input: the program file, then 16 steering bytes that give
// the channel values, peaks and ranges (shorter inputs use zeros).

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "program/programfile.h"
#include "program/programline.h"
#include "program/programrunner.h"

namespace {

using namespace testprogram;

void Check(bool ok) {
    if (!ok) std::abort();
}

class Host final : public ProgramHost {
public:
    void ConsoleCommand(int code) override {
        ++actions;
        if (code == 1) running = true;
        if (code == 2) running = false;
    }
    void SetSpeed(float) override { ++actions; }
    void StartPositioning(double) override { ++actions; }
    bool Positioning() const override { return positioning; }
    bool TestRunning() const override { return running; }
    double ChannelValue(int ch) const override { return value[Index(ch)]; }
    double ChannelPeak(int ch) const override { return peak[Index(ch)]; }
    double ChannelRange(int ch) const override { return range[Index(ch)]; }
    void Report(const std::string& message) override { Check(!message.empty()); }

    static size_t Index(int ch) {
        Check(ch >= 1 && ch <= 3);
        return static_cast<size_t>(ch);
    }

    int actions = 0;
    bool running = false;
    bool positioning = false;
    double value[4] = {};
    double peak[4] = {};
    double range[4] = {};
};

// Values near the thresholds people write, with the odd NaN and infinity.
double ValueOf(uint8_t b) {
    switch (b) {
        case 255:
            return std::nan("");
        case 254:
            return INFINITY;
        case 253:
            return -INFINITY;
        default:
            return (static_cast<int>(b) - 64) * 0.25;
    }
}

std::string NumberText(double v) {
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    Check(res.ec == std::errc());
    return std::string(buf, res.ptr);
}

// The line as the editor would write it from the parsed fields.
std::string Canonical(const ProgLine& p) {
    std::string s;
    if (p.Conditional()) {
        static const char* const kLetters = "?FLE";
        s = "Если( ";
        if (p.condition.kind == CondKind::kFmaxFall) {
            s += "F<Fmax на %";
        } else {
            s += kLetters[p.condition.channel];
            s += p.condition.kind == CondKind::kAbove ? ">" : "<";
        }
        s += NumberText(p.condition.threshold) + " ) тогда ";
    }
    const CommandText& c = TextOf(p.cmd);
    s += c.text;
    if (c.mask & kTakesChannel) s += std::string(" ") + "XFLE"[p.channel];
    if (c.mask & kTakesNumber) s += " " + NumberText(p.number);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t steer[16] = {};
    const size_t textSize = size > sizeof steer ? size - sizeof steer : size;
    if (size > sizeof steer) std::memcpy(steer, data + textSize, sizeof steer);
    const std::vector<std::string> lines =
        ProgramLines(std::string_view(reinterpret_cast<const char*>(data), textSize));

    Host host;
    for (int ch = 1; ch <= 3; ++ch) {
        host.value[ch] = ValueOf(steer[ch - 1]);
        host.peak[ch] = ValueOf(steer[ch + 2]);
        host.range[ch] = ValueOf(steer[ch + 5]);
    }

    for (const std::string& text : lines) {
        const ProgLine p = ParseProgramLine(text);
        if (p.malformed) Check(p.cmd == Cmd::kNone && !p.Conditional());
        if (p.Runs()) {
            Check(text.size() <= kMaxLineBytes);
            const ProgLine again = ParseProgramLine(Canonical(p));
            Check(again == p);
        }
        ProgramRunner runner(host);
        host.actions = 0;
        const bool fires = p.Runs() && (!p.Conditional() || Holds(p.condition, host));
        const int result = runner.ProgCommand(text);
        Check(result == (fires ? 0 : -1));
        Check(host.actions <= 2);
        Check(runner.ProgCondition(text) == -1 || p.Conditional());
    }

    // A whole run, the values moving with each tick.
    ProgramRunner runner(host);
    Check(runner.SetLines(lines));
    const size_t count = lines.size();
    const int start = runner.ProgStart();
    Check(start == (count == 0 ? 1 : runner.RefusedLine() >= 0 ? -1 : 0));
    for (int tick = 0; tick < 400 && runner.timers().run; ++tick) {
        const uint8_t b = steer[10 + tick % 6];
        host.value[1 + tick % 3] = ValueOf(static_cast<uint8_t>(b + tick));
        host.positioning = (b >> (tick % 8)) & 1;
        if (tick % 97 == 96) host.running = false;
        runner.ConditionScan();
        runner.RunTick();
        if (tick % 20 == 19) runner.WaitTick();
        const ProgramRunner::View& v = runner.view();
        Check(v.lines.size() == v.checked.size());
        Check(v.blinkLevel >= 0.0 && v.blinkLevel <= 1.0);
        Check(v.editorEnabled != runner.timers().run || count == 0);
    }
    runner.ProgStop();
    Check(runner.view().lines == lines);
    Check(runner.view().editorEnabled);
    return 0;
}
