#include <algorithm>
#include <utility>

#include "engine/cwork.h"
#include "engine/testfile.h"

namespace {

// Gives the selected method the file's records. The method keeps its own
// text: the loaded list must not rename it (its template name comes from it).
void ReplaceList(C_Parametr& method, std::vector<S_Val>& records) {
    const bool named = method.IndexOf("sGO") >= 0;
    const std::string identity = method.GetValueText("sGO");
    method.Clear();
    for (S_Val& r : records)
        method.AddRecord(std::move(r));
    const int at = method.IndexOf("sGO");
    if (named && at >= 0) {
        S_Val& r = method.vals[static_cast<size_t>(at)];
        if (r.valueText != nullptr) *r.valueText = identity;
    }
}

// The file's channels are handed over, not copied: a long test is loaded
// with one pass over its samples. The buffer's old storage goes back to the
// test for the next load.
void FillBuffer(C_Buffer& buffer, SavedTest& test) {
    buffer.ClearAll();
    const int channels = std::min(static_cast<int>(test.ranges.size()), buffer.GetCanCount());
    for (int c = 0; c < channels; ++c) {
        const size_t i = static_cast<size_t>(c);
        buffer.TakeSamples(c, test.channels[i], test.ranges[i].min, test.ranges[i].max);
    }
    for (const C_Buffer::SPrintRect& w : test.windows)
        buffer.AddPrintRect(w.lowerX, w.upperX, w.upperY, w.lowerY, w.xChannel, w.yChannel);
}

// The selection first: its slots (sample type, area, ...) work on the list
// that is about to be replaced, so none of them can overwrite a loaded value.
void Apply(C_Work& work, SavedTest& test) {
    C_GostWorks& methods = work.Methods();
    methods.Select(test.methodIndex, test.sampleType, test.extensometer);
    work.MethodSelected();
    C_Parametr& method = *methods.Current();
    if (test.hasParams) ReplaceList(method, test.records);
    FillBuffer(work.Buffer(), test);
    for (int k = 0; k < C_GostWorks::kLists; ++k)
        methods.RefreshList(k);
    // The template then holds the loaded values, as after a selection.
    method.SaveTemplate();
}

// The records go to the list of the method the file selects.
DeclaredList ListsOf(C_GostWorks& methods) {
    return [&methods](int index) -> const C_Parametr* { return methods.Method(index); };
}

}  // namespace

bool C_Work::SaveTest(const std::string& fileName) {
    return WriteSavedTest(fileName, MessagesOf(env_), methods_->Current(), *buffer_,
                          methods_->CurrentIndex(), methods_->SampleType(),
                          methods_->Extensometer());
}

bool C_Work::LoadTestFile(const std::string& fileName) {
    SavedTest test;
    test.channels = std::move(loadStorage_);
    const bool read = ReadSavedTest(fileName, MessagesOf(env_), methods_->MethodCount(), test,
                                    ListsOf(*methods_));
    if (read) {
        ResetForLoad();
        Apply(*this, test);
    }
    loadStorage_ = std::move(test.channels);
    return read;
}

bool C_Work::LoadTest(const std::string& fileName) {
    SavedTest test;
    test.channels = std::move(loadStorage_);
    const bool read = ReadSavedTest(fileName, MessagesOf(env_), methods_->MethodCount(), test,
                                    ListsOf(*methods_));
    if (read) Apply(*this, test);
    loadStorage_ = std::move(test.channels);
    return read;
}
