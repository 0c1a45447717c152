#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/c_gost_10006.h"
#include "engine/c_gost_12004.h"
#include "engine/c_gost_14019.h"
#include "engine/c_gost_1497.h"
#include "engine/c_gost_6996.h"
#include "engine/c_gost_none.h"
#include "engine/c_gost_poverka.h"
#include "engine/methodenv.h"
#include "model/parametr.h"

class C_Buffer;

// The registry of test methods: one object of each, the current one, and the
// console's method list, sample-type list and four parameter lists.
class C_GostWorks {
public:
    using TextList = std::vector<std::string>;
    static constexpr int kLists = 4;

    struct SBase {
        C_Parametr* method = nullptr;
    };

    explicit C_GostWorks(const MethodEnv& env);
    C_GostWorks(const C_GostWorks&) = delete;
    C_GostWorks& operator=(const C_GostWorks&) = delete;

    // A null list stands for a list nobody shows.
    void Init(TextList* methodList, TextList* sampleTypeList, TextList* list0, TextList* list1,
              TextList* list2, TextList* list3);
    // Appends a method after the registered ones; the registry does not own it.
    void Register(C_Parametr* method);

    void FillMethodList(int index, C_Buffer* buffer);
    // False, with nothing changed, for a method index past the last method.
    bool Select(int methodIndex, int sampleType, int extensometer);
    void SetCurrent(int i);
    // k from 0 to 3; any other k changes nothing.
    void RefreshList(int k);
    void Calculate();
    // A test to compute and to print: a recorded curve, or for the
    // verification its readings (which need none).
    bool HasTest() const;
    TextResult SetInGroup(int row, int group, std::string_view text);
    int CountShown() const;

    C_Parametr* Current() const { return current_; }
    int CurrentIndex() const { return currentIndex_; }
    int SampleType() const { return sampleType_; }
    int Extensometer() const { return extensometer_; }
    int MethodCount() const { return static_cast<int>(methods_.size()); }
    C_Parametr* Method(int i) const;

    // Constructed in this order, destroyed in the reverse one.
    C_Gost_None none;
    C_Gost_1497 gost1497;
    C_Gost_12004 gost12004;
    C_Gost_6996 gost6996;
    C_Gost_14019 gost14019;
    C_Gost_10006 gost10006;
    C_Gost_POVERKA poverka;

private:
    static std::string Line(const C_Parametr& method, int index);
    void AddToList(int k, const C_Parametr& method, int index);
    TextList& List(int k) { return *lists_[static_cast<size_t>(k)]; }

    TextList* methodList_ = nullptr;
    TextList* sampleTypeList_ = nullptr;
    TextList* lists_[kLists] = {};
    C_Parametr* current_ = nullptr;
    std::vector<SBase> methods_;
    int currentIndex_ = 0;
    int sampleType_ = 0;
    int extensometer_ = 0;

    // Stand in for the lists the console did not give.
    TextList unshownMethods_;
    TextList unshownSampleTypes_;
    TextList unshownLists_[kLists];
};
