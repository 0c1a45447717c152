#include "engine/testfile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "model/archive.h"
#include "platform/formatfloat.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"

namespace {

class SilentSink final : public platform::MessageSink {
public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

// The smallest record on disk: every string empty with no zero (its length
// field only), then the numbers and the flags.
constexpr uint64_t MinRecordBytes(int choices) {
    return static_cast<uint64_t>(6 + choices) * 2 + 5 * 4 + 3 * 8 + 2;
}

constexpr uint64_t kWindowBytes = 2 * 4 + 4 * 4;
constexpr uint64_t kSelectionBytes = 3 * 4;

std::string PathIn(const MethodEnv& env, const std::string& name) {
    return env.programFolder + "/" + name;
}

// A count field: present, not negative and, at `bytesEach`, not more than
// the file still holds.
bool ReadCount(Archive& file, uint64_t bytesEach, int32_t& count) {
    if (!file.Require(4)) return false;
    file >> count;
    if (count < 0) {
        file.ReportDamaged();
        return false;
    }
    return file.Require(static_cast<uint64_t>(count) * bytesEach);
}

bool ReadRecords(Archive& file, int choices, std::vector<S_Val>& records) {
    int32_t count = 0;
    if (!ReadCount(file, MinRecordBytes(choices), count)) return false;
    // No reserve: the count is only a bound here, and every record that
    // really is there has taken its bytes from the file.
    records.clear();
    for (int32_t i = 0; i < count; ++i) {
        S_Val record;
        if (!ReadRecord(file, record, choices)) return false;
        records.push_back(std::move(record));
    }
    return true;
}

// samples null: the channel is read through the checksum and dropped.
// Otherwise the file is read straight into the channel's storage, a piece at
// a time, and the checksum and the range are taken while the piece is still
// in the cache: one pass, no copy.
bool ReadChannel(Archive& file, SampleStore* samples, SavedTest::Range* range) {
    int32_t count = 0;
    if (!ReadCount(file, sizeof(double), count)) return false;
    constexpr size_t kPiece = 32768;
    const size_t total = static_cast<size_t>(count);
    double lo = 0.0;
    double hi = 0.0;
    if (samples == nullptr) {
        std::vector<double> piece(std::min(total, kPiece));
        for (size_t done = 0; done < total; done += piece.size()) {
            piece.resize(std::min(total - done, kPiece));
            file.Read(piece.data(), piece.size() * sizeof(double));
        }
        return !file.Failed();
    }
    samples->clear();
    samples->PrepareFor(total);
    for (size_t done = 0; done < total;) {
        const size_t n = std::min(total - done, kPiece);
        double* const at = samples->Extend(n);
        file.Read(at, n * sizeof(double));
        C_Buffer::WidenAll(lo, hi, at, n, done == 0);
        done += n;
    }
    if (range != nullptr) *range = {lo, hi};
    return !file.Failed();
}

bool IsBufferChannel(int32_t c) {
    return c >= 0 && c < kBufferChannels;
}

// Clamping as the list does it: below the minimum first, then above the
// maximum. A NaN stays.
template <class T>
T Clamped(T v, T lo, T hi) {
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

bool ReadWindowsAndSelection(Archive& file, int methodCount, SavedTest& test) {
    int32_t count = 0;
    if (!ReadCount(file, kWindowBytes, count)) return false;
    test.windows.resize(static_cast<size_t>(count));
    for (C_Buffer::SPrintRect& w : test.windows) {
        int32_t x = 0;
        int32_t y = 0;
        file >> x >> y >> w.lowerX >> w.upperX >> w.upperY >> w.lowerY;
        // The protocol prints each window from these channels of the buffer.
        if (!file.Failed() && (!IsBufferChannel(x) || !IsBufferChannel(y))) {
            file.ReportDamaged();
            return false;
        }
        w.xChannel = x;
        w.yChannel = y;
    }
    if (!file.Require(kSelectionBytes)) return false;
    int32_t method = 0;
    int32_t sampleType = 0;
    int32_t extensometer = 0;
    file >> method >> sampleType >> extensometer;
    if (file.Failed()) return false;
    // The index must name a method of this program; a file never selects
    // something else.
    if (method < 0 || method >= methodCount) {
        file.ReportDamaged();
        return false;
    }
    test.methodIndex = method;
    test.sampleType = sampleType;
    test.extensometer = extensometer;
    return true;
}

// After the last field: nothing may be left before the trailer, and the
// trailer must match.
bool Finish(Archive& file) {
    if (file.Failed()) {
        file.Close();
        return false;
    }
    const bool exact = file.Remaining() == 0;
    file.Close();
    if (!exact || !file.CrcOk()) {
        file.ReportDamaged();
        return false;
    }
    return true;
}

bool ReadSavedTestBody(Archive& file, int methodCount, SavedTest& test) {
    if (!file.Require(2)) return false;
    std::string header;
    file.ReadString(header, kKeptStringBytes);
    if (file.Failed()) return false;

    int32_t channels = 4;
    if (header == kFileHeader) {
        test.hasParams = true;
        if (!ReadRecords(file, kTestChoices, test.records)) return false;
        // The channel count of this version is always 4 and not relied on.
        if (!file.Require(4)) return false;
        int32_t ignored = 0;
        file >> ignored;
    } else if (header == kChannelsOnlyHeader) {
        test.hasParams = false;
        if (!ReadCount(file, 4, channels)) return false;
    } else {
        file.ReportDamaged();
        return false;
    }

    test.ranges.clear();
    for (int32_t c = 0; c < channels; ++c) {
        SampleStore* samples = nullptr;
        SavedTest::Range* range = nullptr;
        if (c < kMaxLoadedChannels) {
            // Storage left from an earlier load is written over.
            if (test.channels.size() <= static_cast<size_t>(c)) test.channels.emplace_back();
            samples = &test.channels[static_cast<size_t>(c)];
            range = &test.ranges.emplace_back();
        }
        if (!ReadChannel(file, samples, range)) return false;
    }
    return ReadWindowsAndSelection(file, methodCount, test);
}

}  // namespace

platform::MessageSink& MessagesOf(const MethodEnv& env) {
    static SilentSink silent;
    return env.messages != nullptr ? *env.messages : silent;
}

std::string TemplateFileName(const std::string& methodText) {
    std::string name = "SHAB_" + methodText + ".ips";
    // Method texts hold no slash; should one ever, it stays inside the folder.
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

bool FitToDeclared(std::vector<S_Val>& records, const C_Parametr& declared) {
    for (S_Val& r : records) {
        const S_Val* d = declared.Record(declared.IndexOf(r.name));
        if (d == nullptr || (d->type != C_Parametr::kInt && d->type != C_Parametr::kFloat))
            continue;
        if (r.type != d->type) return false;
        if (d->type == C_Parametr::kInt) {
            const int v = r.intValue != nullptr ? *r.intValue : 0;
            if (Clamped(v, d->intMin, d->intMax) != v) return false;
        } else {
            const double v = r.floatValue != nullptr ? *r.floatValue : 0.0;
            if (!(Clamped(v, d->floatMin, d->floatMax) == v)) return false;
        }
        r.intMin = d->intMin;
        r.intMax = d->intMax;
        r.floatMin = d->floatMin;
        r.floatMax = d->floatMax;
        r.minText = d->minText;
        r.maxText = d->maxText;
    }
    return true;
}

void WriteRecord(Archive& file, const S_Val& r, int choices) {
    static const std::string kEmpty;
    file.WriteString(r.caption);
    // A value goes to a file inside its limits, or the readers would refuse
    // the file; a NaN as 0.
    int intValue = r.intValue != nullptr ? *r.intValue : 0;
    double floatValue = r.floatValue != nullptr ? *r.floatValue : 0.0;
    if (r.type == C_Parametr::kInt) intValue = Clamped(intValue, r.intMin, r.intMax);
    if (r.type == C_Parametr::kFloat)
        floatValue = Clamped(std::isnan(floatValue) ? 0.0 : floatValue, r.floatMin, r.floatMax);
    // The value as it stands, not the holder: SetInt and SetFloat leave the
    // holder behind. A type we do not know keeps its text as it came.
    if (r.type == C_Parametr::kInt) {
        file.WriteString(std::to_string(intValue));
    } else if (r.type == C_Parametr::kFloat) {
        file.WriteString(platform::FormatFloat(r.format, floatValue));
    } else {
        file.WriteString(r.valueText != nullptr ? *r.valueText : kEmpty);
    }
    file.WriteString(r.name);
    file.WriteString(r.format);
    file.WriteString(r.maxText);
    file.WriteString(r.minText);
    const int n = std::clamp(choices, 0, C_Parametr::kMaxItems);
    for (int i = 0; i < n; ++i)
        file.WriteString(r.items[static_cast<size_t>(i)]);
    file << static_cast<int32_t>(r.group) << static_cast<int32_t>(r.type)
         << static_cast<int32_t>(intValue) << static_cast<int32_t>(r.intMin)
         << static_cast<int32_t>(r.intMax);
    file << floatValue << r.floatMin << r.floatMax;
    file << r.visible << r.persist;
}

bool ReadRecord(Archive& file, S_Val& r, int choices) {
    r = S_Val{};
    OwnStorage(r);

    file.ReadString(r.caption, kKeptStringBytes);
    file.ReadString(*r.ownText, kKeptStringBytes);
    file.ReadString(r.name, kKeptStringBytes);
    file.ReadString(r.format, kKeptStringBytes);
    file.ReadString(r.maxText, kKeptStringBytes);
    file.ReadString(r.minText, kKeptStringBytes);
    const int n = std::clamp(choices, 0, C_Parametr::kMaxItems);
    for (int i = 0; i < n; ++i)
        file.ReadString(r.items[static_cast<size_t>(i)], kKeptStringBytes);

    int32_t group = 0;
    int32_t type = 0;
    int32_t value = 0;
    int32_t intMin = 0;
    int32_t intMax = 0;
    file >> group >> type >> value >> intMin >> intMax;
    // A type outside 0..2 is kept as read: the readers show it as "-".
    r.group = group;
    r.type = type;
    *r.ownInt = value;
    r.intMin = intMin;
    r.intMax = intMax;
    file >> *r.ownFloat >> r.floatMin >> r.floatMax;
    file >> r.visible >> r.persist;
    return !file.Failed();
}

bool WriteSavedTest(const std::string& path, platform::MessageSink& sink, const C_Parametr* list,
                    const C_Buffer& buffer, int methodIndex, int sampleType, int extensometer) {
    Archive file(sink);
    if (!file.OpenForSave(path)) return false;
    file.WriteString(kFileHeader);
    const int records = list != nullptr ? list->Count() : 0;
    file << static_cast<int32_t>(records);
    for (int i = 0; i < records; ++i)
        WriteRecord(file, *list->Record(i), kTestChoices);

    file << static_cast<int32_t>(4);
    for (int c = 0; c < 4; ++c) {
        static const SampleStore kNone;
        const SampleStore& samples =
            c < buffer.GetCanCount() ? buffer.cans[static_cast<size_t>(c)].samples : kNone;
        file << static_cast<int32_t>(samples.size());
        file.Write(samples.data(), samples.size() * sizeof(double));
    }

    file << static_cast<int32_t>(buffer.printRects.size());
    for (const C_Buffer::SPrintRect& w : buffer.printRects) {
        file << static_cast<int32_t>(w.xChannel) << static_cast<int32_t>(w.yChannel) << w.lowerX
             << w.upperX << w.upperY << w.lowerY;
    }
    file << static_cast<int32_t>(methodIndex) << static_cast<int32_t>(sampleType)
         << static_cast<int32_t>(extensometer);
    file.Close();
    return !file.Failed() && file.CrcOk();
}

bool ReadSavedTest(const std::string& path, platform::MessageSink& sink, int methodCount,
                   SavedTest& test, const DeclaredList& declared) {
    Archive file(sink);
    if (!file.OpenForLoad(path)) return false;
    if (!ReadSavedTestBody(file, methodCount, test) || !Finish(file)) return false;
    const C_Parametr* list = declared ? declared(test.methodIndex) : nullptr;
    if (test.hasParams && list != nullptr && !FitToDeclared(test.records, *list)) {
        file.ReportDamaged();
        return false;
    }
    return true;
}

bool ReadTemplate(const std::string& path, platform::MessageSink& sink, std::vector<S_Val>& records,
                  const C_Parametr* declared) {
    Archive file(sink);
    if (!file.OpenForLoad(path)) return false;
    if (!file.Require(2)) return false;
    std::string header;
    file.ReadString(header, kKeptStringBytes);
    if (file.Failed()) return false;
    if (header != kFileHeader) {
        file.ReportDamaged();
        return false;
    }
    if (!ReadRecords(file, kTemplateChoices, records) || !Finish(file)) return false;
    if (declared != nullptr && !FitToDeclared(records, *declared)) {
        file.ReportDamaged();
        return false;
    }
    return true;
}

bool SaveParams(const C_Parametr& list, const MethodEnv& env, const std::string& name) {
    Archive file(MessagesOf(env));
    if (!file.OpenForSave(PathIn(env, name))) return false;
    file.WriteString(kFileHeader);
    file << static_cast<int32_t>(list.Count());
    for (int i = 0; i < list.Count(); ++i)
        WriteRecord(file, *list.Record(i), kTemplateChoices);
    file.Close();
    return !file.Failed() && file.CrcOk();
}

bool LoadParams(C_Parametr& list, const MethodEnv& env, const std::string& name) {
    std::vector<S_Val> records;
    // The list holds the method's declarations: no value outside them enters it.
    if (!ReadTemplate(PathIn(env, name), MessagesOf(env), records, &list)) return false;
    list.Clear();
    for (S_Val& r : records)
        list.AddRecord(std::move(r));
    return true;
}
