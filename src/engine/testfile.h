#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/methodenv.h"
#include "model/cbuffer.h"
#include "model/parametr.h"

class Archive;

namespace platform {
class MessageSink;
}

// Method templates: the last values entered for a standard method, in the
// record format of the saved test.

// "SHAB_" + the method's text + ".ips". The text is the method's own, never
// one read from a file, so no file can name a path outside the folder.
std::string TemplateFileName(const std::string& methodText);

// Writes the list as the template `name` in the program folder. The old
// template survives a failed or interrupted save; false (reported) then.
bool SaveParams(const C_Parametr& list, const MethodEnv& env, const std::string& name);

// Replaces the list by the template's records when the whole file reads back
// sound; otherwise the list stays as it was and false is returned.
bool LoadParams(C_Parametr& list, const MethodEnv& env, const std::string& name);

// --- The record format shared by saved tests and templates -----------------

// Choice texts a record stores: all of them in a saved test, the first five
// in a template.
inline constexpr int kTestChoices = C_Parametr::kMaxItems;
inline constexpr int kTemplateChoices = 5;

// The header of every file written; a saved test may also be "ASC_V1.1".
inline constexpr const char* kFileHeader = "ASC_V1.0";
inline constexpr const char* kChannelsOnlyHeader = "ASC_V1.1";

// Strings of a file are kept up to this many Windows-1251 bytes.
inline constexpr int kKeptStringBytes = 1000;

// One record: the texts, five int32, three doubles and two flags. A missing
// text or value is written as empty or 0.
void WriteRecord(Archive& file, const S_Val& record, int choices);
// Reads one record into storage of its own (choices past `choices` empty).
// False when the file failed; the archive has reported it.
bool ReadRecord(Archive& file, S_Val& record, int choices);

// --- The saved test --------------------------------------------------------

// What a saved test holds, read and checked in full before anything uses it.
struct SavedTest {
    // "ASC_V1.1" has no parameter section: the list then stays as it is.
    bool hasParams = true;
    std::vector<S_Val> records;
    // Channel i of the file goes to buffer channel i, with its range as the
    // buffer keeps it (see C_Buffer::Widen). The file's channels are the
    // first ranges.size(); storage given in beforehand is written over and
    // any left after them is spare.
    std::vector<SampleStore> channels;
    struct Range {
        double min = 0.0;
        double max = 0.0;
    };
    std::vector<Range> ranges;
    std::vector<C_Buffer::SPrintRect> windows;
    int methodIndex = 0;
    int sampleType = 0;
    int extensometer = 0;
};

// The buffer's channels (time, force, displacement, extensometer, stress,
// strain, the analysis' scratch): what a print window or a plot axis may name.
inline constexpr int kBufferChannels = 7;

// Channels a saved test can bring; the samples of any later channel are
// read through the checksum and dropped.
inline constexpr int kMaxLoadedChannels = 16;

// Writes the list, channels 0 to 3 of the buffer, its print windows and the
// selection. list may be null (no records). False when the save failed; it
// was reported and an older file of that name is left as it was.
bool WriteSavedTest(const std::string& path, platform::MessageSink& sink, const C_Parametr* list,
                    const C_Buffer& buffer, int methodIndex, int sampleType, int extensometer);

// The list the records of a file are meant for, by the method's index; null
// when there is none to check them against.
using DeclaredList = std::function<const C_Parametr*(int methodIndex)>;

// Reads and checks the whole file: the header, every count against the bytes
// that remain, the print windows' channels, the method index against
// methodCount, the trailer, and the records against `declared`. False, with
// the failure reported once, when any of it is wrong.
bool ReadSavedTest(const std::string& path, platform::MessageSink& sink, int methodCount,
                   SavedTest& test, const DeclaredList& declared = {});

// Reads a template's records, checked as a saved test is (against `declared`
// when given).
bool ReadTemplate(const std::string& path, platform::MessageSink& sink, std::vector<S_Val>& records,
                  const C_Parametr* declared = nullptr);

// A record read from a file against the list that declares its name: a number
// must be of the declared type and inside the declared limits (a NaN is not).
// Fitting, it takes the declared limits, so a file written before the limits
// changed brings its value and not its old limits. Names the list does not
// declare as numbers are left as read. False at the first record that does
// not fit.
bool FitToDeclared(std::vector<S_Val>& records, const C_Parametr& declared);

// Where file errors go when the environment gives no sink: nowhere.
platform::MessageSink& MessagesOf(const MethodEnv& env);
