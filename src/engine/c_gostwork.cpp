#include "engine/c_gostwork.h"

#include <algorithm>

#include "model/cbuffer.h"
#include "model/numtext.h"

namespace {

// Number of choice texts a format really holds: the items ended by "?" after
// a leading "$", at most the ten a record keeps.
int ParsedItems(const S_Val& record) {
    if (record.format.empty() || record.format[0] != '$') return 0;
    const auto marks = std::count(record.format.begin() + 1, record.format.end(), '?');
    return static_cast<int>(std::min<std::ptrdiff_t>(marks, C_Parametr::kMaxItems));
}

}  // namespace

C_GostWorks::C_GostWorks(const MethodEnv& env)
    : none(env),
      gost1497(env),
      gost12004(env),
      gost6996(env),
      gost14019(env),
      gost10006(env),
      poverka(env) {
    methodList_ = &unshownMethods_;
    sampleTypeList_ = &unshownSampleTypes_;
    for (int k = 0; k < kLists; ++k)
        lists_[k] = &unshownLists_[k];
}

void C_GostWorks::Init(TextList* methodList, TextList* sampleTypeList, TextList* list0,
                       TextList* list1, TextList* list2, TextList* list3) {
    methodList_ = methodList != nullptr ? methodList : &unshownMethods_;
    sampleTypeList_ = sampleTypeList != nullptr ? sampleTypeList : &unshownSampleTypes_;
    TextList* given[kLists] = {list0, list1, list2, list3};
    for (int k = 0; k < kLists; ++k)
        lists_[k] = given[k] != nullptr ? given[k] : &unshownLists_[k];

    currentIndex_ = 0;
    methods_.clear();
    // The index is the one saved tests store: the order never changes.
    for (C_Parametr* m : std::initializer_list<C_Parametr*>{&none, &poverka, &gost1497, &gost12004,
                                                            &gost6996, &gost14019, &gost10006})
        Register(m);
    SetCurrent(0);
}

void C_GostWorks::Register(C_Parametr* method) {
    if (method != nullptr) methods_.push_back({method});
}

C_Parametr* C_GostWorks::Method(int i) const {
    if (i < 0 || i >= MethodCount()) return nullptr;
    return methods_[static_cast<size_t>(i)].method;
}

void C_GostWorks::FillMethodList(int index, C_Buffer* buffer) {
    methodList_->clear();
    for (const SBase& b : methods_) {
        methodList_->push_back(b.method->GetValueText("sGO"));
        b.method->SetBuffer(buffer);
    }
    Select(index, 0, 0);
}

void C_GostWorks::SetCurrent(int i) {
    if (C_Parametr* m = Method(i)) current_ = m;
}

std::string C_GostWorks::Line(const C_Parametr& method, int index) {
    return method.GetCaption(index) + "=" + method.ValueToText(index);
}

void C_GostWorks::AddToList(int k, const C_Parametr& method, int index) {
    if (!method.InGroup(index, k)) return;
    if (k == 3 && !method.GetVisible(index)) return;
    List(k).push_back(Line(method, index));
}

bool C_GostWorks::Select(int methodIndex, int sampleType, int extensometer) {
    if (methodIndex < 0) methodIndex = 0;
    if (sampleType < 0) sampleType = 0;
    // An index from a file may name a method this program does not have.
    if (methodIndex >= MethodCount()) return false;

    sampleTypeList_->clear();
    for (int k = 0; k < kLists; ++k)
        List(k).clear();

    currentIndex_ = methodIndex;
    SetCurrent(methodIndex);
    sampleType_ = sampleType;
    extensometer_ = extensometer;
    C_Parametr& m = *current_;

    const int to = m.IndexOf("iTO");
    if (to >= 0) {
        const S_Val& record = *m.Record(to);
        const int declared = StrToIntStrict(record.maxText).value_or(0);
        const int n = std::min(declared, ParsedItems(record));
        for (int i = 0; i < n; ++i)
            sampleTypeList_->push_back(record.items[static_cast<size_t>(i)]);
    }

    m.SetSampleType(sampleType);
    m.SetExtensometer(extensometer);
    m.SetElasticBoundPercent(0);
    m.UpdateArea();
    m.SaveTemplate();

    for (int i = 0; i < m.Count(); ++i) {
        for (int k = 0; k < kLists; ++k)
            AddToList(k, m, i);
    }
    return true;
}

void C_GostWorks::RefreshList(int k) {
    if (k < 0 || k >= kLists || current_ == nullptr) return;
    List(k).clear();
    for (int i = 0; i < current_->Count(); ++i)
        AddToList(k, *current_, i);
}

void C_GostWorks::Calculate() {
    if (current_ != nullptr) current_->Calculate();
}

bool C_GostWorks::HasTest() const {
    if (current_ == nullptr) return false;
    if (current_ == &poverka) return true;
    return current_->buffer != nullptr && current_->buffer->GetCount(1) >= kMinTestSamples;
}

TextResult C_GostWorks::SetInGroup(int row, int group, std::string_view text) {
    if (current_ == nullptr) return {};
    return current_->SetInGroup(group, row, text);
}

int C_GostWorks::CountShown() const {
    if (current_ == nullptr) return 0;
    int n = 0;
    for (int i = 0; i < current_->Count(); ++i) {
        const S_Val& r = *current_->Record(i);
        if (r.visible != 0 && r.group != 4 && r.name != "sNI" && r.name != "sZL") ++n;
    }
    return n;
}
