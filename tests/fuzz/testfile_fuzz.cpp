// Loads arbitrary bytes as a saved test into a whole test process. A file
// either loads, silently, or is refused with exactly one message and nothing
// changed: the current method, the buffer and every method's list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"
#include "support/event_queue.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace {

class CountingSink final : public platform::MessageSink {
public:
    void ShowMessage(const std::string&, const std::string&) override { ++count; }
    int count = 0;
};

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Station {
    Station() { work.Init(nullptr, testsupport::ListsOf(methodList, sampleTypes, paramLists)); }

    testsupport::TempFolder folder;
    CountingSink sink;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::EventQueue events;
    C_Work work{events, MethodEnv{clock, random, &sink, folder.path()}};
    std::vector<std::string> methodList;
    std::vector<std::string> sampleTypes;
    std::vector<std::string> paramLists[4];
};

// Enough of the state to see whether a refused file touched it.
struct Fingerprint {
    int method = 0;
    int sampleType = 0;
    std::vector<int> listSizes;
    std::vector<std::string> firstTexts;
    std::vector<int> samples;
    size_t windows = 0;
    std::vector<std::string> shown[4];
    bool operator==(const Fingerprint&) const = default;
};

Fingerprint Take(Station& s) {
    Fingerprint f;
    C_GostWorks& m = s.work.Methods();
    f.method = m.CurrentIndex();
    f.sampleType = m.SampleType();
    for (int i = 0; i < m.MethodCount(); ++i) {
        const C_Parametr& p = *m.Method(i);
        f.listSizes.push_back(p.Count());
        f.firstTexts.push_back(p.Count() > 0 ? p.ValueToText(0) : "");
    }
    const C_Buffer& b = s.work.Buffer();
    for (int c = 0; c < b.GetCanCount(); ++c)
        f.samples.push_back(b.GetCount(c));
    f.windows = b.printRects.size();
    for (int k = 0; k < 4; ++k)
        f.shown[k] = s.paramLists[k];
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Station station;
    static const std::string path = station.folder.File("input.ipc");
    {
        platform::PosixFile f;
        if (!f.Create(path) || f.Write(data, size) != size) return 0;
    }
    const Fingerprint before = Take(station);
    station.sink.count = 0;
    const bool loaded = station.work.LoadTestFile(path);
    Check(station.sink.count == (loaded ? 0 : 1));
    if (!loaded) {
        Check(Take(station) == before);
        return 0;
    }
    // What a load took from the file is bounded by the file itself.
    const C_Buffer& b = station.work.Buffer();
    for (int c = 0; c < b.GetCanCount(); ++c)
        Check(static_cast<size_t>(b.GetCount(c)) * sizeof(double) <= size);
    return 0;
}
