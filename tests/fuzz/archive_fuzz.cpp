// Reads an arbitrary file through Archive. The content steers the reader: each
// field is preceded by one op byte, so the fuzzer can build files that are
// read as any sequence of strings, numbers and raw blocks. The target follows
// the reader's offset itself, so it can check what was read and whether the
// trailer comparison came out right.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/archive.h"
#include "platform/cp1251.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"
#include "support/file_oracle.h"
#include "support/temp_folder.h"

namespace {

class CountingSink final : public platform::MessageSink {
public:
    void ShowMessage(const std::string&, const std::string&) override { ++count; }
    int count = 0;
};

enum Op : uint8_t {
    kString,      // limit byte, then a string record
    kLongString,  // a string record, limit 1000
    kInt32,
    kFloat,
    kDouble,
    kFlag,
    kRaw,  // length byte, then that many bytes
    kOpCount
};

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Input {
    const uint8_t* data;
    size_t size;
    size_t At(size_t i) const { return i < size ? data[i] : 0; }
    bool Holds(size_t off, size_t n) const { return off <= size && n <= size - off; }
    bool Same(size_t off, const void* p, size_t n) const {
        return Holds(off, n) && (n == 0 || std::memcmp(data + off, p, n) == 0);
    }
};

template <typename T>
void ReadValue(Archive& a, const Input& in, size_t& off) {
    T v{};
    a >> v;
    if (!a.Failed()) Check(in.Same(off, &v, sizeof v));
    off += sizeof v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static testsupport::TempFolder folder;
    static const std::string path = folder.File("input.bin");
    {
        platform::PosixFile f;
        if (!f.Create(path) || f.Write(data, size) != size) return 0;
    }
    const Input in{data, size};

    CountingSink sink;
    Archive a(sink);
    if (!a.Open(path, true)) return 0;
    // Every op consumes at least its op byte, so the input bounds the loop.
    size_t off = 0;
    while (!a.Failed() && off + 4 < size) {
        uint8_t op = 0;
        a >> op;
        Check(a.Failed() || op == in.At(off));
        ++off;
        if (a.Failed()) break;
        switch (op % kOpCount) {
            case kString:
            case kLongString: {
                int limit = 1000;
                if (op % kOpCount == kString) {
                    uint8_t byte = 0;
                    a >> byte;
                    limit = byte;
                    ++off;
                }
                std::string text;
                const size_t kept = a.ReadString(text, limit);
                const size_t length = in.At(off) | in.At(off + 1) << 8;
                off += 2;
                if (!a.Failed()) {
                    std::string expected;
                    for (size_t i = 0; i < length && in.At(off + i) != 0; ++i) {
                        expected.push_back(static_cast<char>(in.At(off + i)));
                    }
                    expected.resize(std::min(expected.size(), static_cast<size_t>(limit)));
                    Check(kept == expected.size());
                    Check(text == platform::Cp1251ToUtf8(expected));
                }
                Check(kept <= static_cast<size_t>(limit));
                Check(platform::Utf8ToCp1251(text).size() == kept);
                off += length;
                break;
            }
            case kInt32:
                ReadValue<int32_t>(a, in, off);
                break;
            case kFloat:
                ReadValue<float>(a, in, off);
                break;
            case kDouble:
                ReadValue<double>(a, in, off);
                break;
            case kFlag: {
                bool v = true;
                a >> v;
                if (!a.Failed()) Check(v == (in.At(off) != 0));
                ++off;
                break;
            }
            case kRaw: {
                uint8_t n = 0;
                a >> n;
                ++off;
                std::vector<unsigned char> block(n, 0xAA);
                const size_t got = a.Read(block.data(), block.size());
                Check(got <= block.size());
                Check(in.Same(off, block.data(), got));
                for (size_t i = got; i < block.size(); ++i)
                    Check(block[i] == 0);
                off += n;
                break;
            }
        }
    }
    const bool failed = a.Failed();
    Check(a.Close());
    // One short read is reported, never one per field.
    Check(sink.count <= (failed ? 1 : 0));
    if (!failed && size >= 4 && off == size - 4) {
        const auto stored = static_cast<uint32_t>(in.At(off) | in.At(off + 1) << 8 |
                                                  in.At(off + 2) << 16 | in.At(off + 3) << 24);
        Check(a.CrcOk() == (stored == testsupport::CrcRegisterAfter(data, off)));
    } else {
        Check(!a.CrcOk());
    }
    return 0;
}
