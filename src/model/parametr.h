#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class C_Buffer;

// One typed, named parameter. The value lives behind the pointers: either in
// storage the list made for it, or in a member of the list's owner.
struct S_Val {
    std::string caption;
    std::string* valueText = nullptr;
    std::string name;
    std::string format;
    std::string maxText;
    std::string minText;
    std::array<std::string, 10> items;
    int group = 0;
    int type = 0;  // 0 integer, 1 float, 2 text
    int* intValue = nullptr;
    int intMin = 0;
    int intMax = 0;
    double* floatValue = nullptr;
    double floatMin = 0.0;
    double floatMax = 0.0;
    unsigned char visible = 0;
    unsigned char persist = 0;

    // Storage made by AddParam; empty for a record bound to a caller's variable.
    std::unique_ptr<std::string> ownText;
    std::unique_ptr<int> ownInt;
    std::unique_ptr<double> ownFloat;
};

// Outcome of typed text: the class library raised a conversion error here;
// we hand its message back instead.
struct TextResult {
    bool ok = true;
    std::string error;  // "'%s' is not a valid integer value" (or floating point value)
    explicit operator bool() const { return ok; }
};

// Ordered list of parameters looked up by name: the machine configuration
// and every test method rest on it.
class C_Parametr {
public:
    static constexpr int kMaxItems = 10;

    enum Type { kInt = 0, kFloat = 1, kText = 2 };

    C_Parametr() = default;
    virtual ~C_Parametr() = default;
    C_Parametr(const C_Parametr&) = delete;
    C_Parametr& operator=(const C_Parametr&) = delete;

    void AddParam(const std::string& caption, const std::string& name,
                  const std::string& defaultText, int type, int group, const std::string& format,
                  const std::string& maxText, const std::string& minText, int visible, int persist);
    void AddParamRef(const std::string& caption, const std::string& name, int* target, int group,
                     const std::string& format, const std::string& maxText,
                     const std::string& minText, int visible, int persist);
    void AddParamRef(const std::string& caption, const std::string& name, double* target, int group,
                     const std::string& format, const std::string& maxText,
                     const std::string& minText, int visible, int persist);
    void AddParamRef(const std::string& caption, const std::string& name, std::string* target,
                     int group, const std::string& format, const std::string& maxText,
                     const std::string& minText, int visible, int persist);
    // Appends a record made elsewhere (the template and test-file readers).
    void AddRecord(S_Val record);
    void Clear();

    int Count() const { return static_cast<int>(vals.size()); }
    int IndexOf(std::string_view name) const;
    std::string GetValueText(std::string_view name) const;
    std::string GetText(std::string_view name) const;
    std::string ValueToText(int index) const;
    int GetInt(std::string_view name) const;
    double GetFloat(std::string_view name) const;
    std::string GetItem(std::string_view name, int k) const;
    std::string GetCaption(std::string_view name) const;
    std::string GetCaption(int index) const;
    std::string GetMaxText(std::string_view name) const;
    bool InGroup(int index, int group) const;
    std::string NameInGroup(int group, int k) const;
    int CountShown() const;
    bool GetVisible(int index) const;
    bool VisibleInGroup(int index, int group) const;

    TextResult SetFromText(int index, std::string_view text);
    void SetInt(std::string_view name, int value);
    void SetFloat(std::string_view name, float value);
    TextResult SetInGroup(int group, int k, std::string_view text);
    void SetGroup(std::string_view name, int group);
    void SetMaxText(std::string_view name, const std::string& text);
    void SetVisible(int index, int flag);
    void SetBuffer(C_Buffer* b) { buffer = b; }

    const S_Val* Record(int index) const;

    // The ten operations the engine and the console drive a method through,
    // in their fixed order.
    virtual void SetSampleType(int /*sampleType*/) {}
    virtual void SetExtensometer(int /*inUse*/) {}
    virtual void SetElasticBoundPercent(int /*percent*/) {}
    virtual void UpdateArea() {}
    virtual void SaveTemplate() {}
    virtual void OnChanged(int /*index*/, int /*group*/) {}
    virtual void SetManualPoint(int /*row*/, int /*group*/, float /*position*/) {}
    virtual void ResetManualPoints() {}
    virtual void Calculate() {}
    virtual void DefineParams() {}

    std::vector<S_Val> vals;
    C_Buffer* buffer = nullptr;

private:
    S_Val MakeRecord(const std::string& caption, const std::string& name, int type, int group,
                     const std::string& format, const std::string& maxText,
                     const std::string& minText, int visible, int persist) const;
    S_Val* Find(std::string_view name);
    const S_Val* Find(std::string_view name) const;
};

// Gives the record storage of its own for its text, its integer and its
// double: the file writers store both numeric fields of every record.
void OwnStorage(S_Val& record, const std::string& text = std::string());

// Parses "$item?item?" into the record's items and its max text.
void ParseChoiceList(S_Val& record);

// Clamps below the minimum first, then above the maximum.
void ClampValue(S_Val& record);

// The record's value formatted now (what `ValueToText` shows and the file
// writers store): an integer in decimal, a float by its format, a text as it is.
std::string ValueText(const S_Val& record);
