// Reads arbitrary bytes as a method template ("SHAB_<method>.ips"). A file
// either reads, silently, or is refused with exactly one message (the
// records read before the fault are then dropped by the caller); what it
// reads is bounded by the file itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/testfile.h"
#include "model/parametr.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static testsupport::TempFolder folder;
    static const std::string path = folder.File("SHAB_fuzz.ips");
    {
        platform::PosixFile f;
        if (!f.Create(path) || f.Write(data, size) != size) return 0;
    }
    CountingSink sink;
    std::vector<S_Val> records;
    const bool read = ReadTemplate(path, sink, records);
    Check(sink.count == (read ? 0 : 1));
    if (!read) return 0;
    // Every record takes bytes of the file.
    Check(records.size() <= size);
    return 0;
}
