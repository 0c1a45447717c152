#include "model/parametr.h"

#include <cmath>

#include "model/numtext.h"
#include "platform/formatfloat.h"

namespace {

int IntOrZero(std::string_view text) {
    return StrToIntStrict(text).value_or(0);
}

}  // namespace

void OwnStorage(S_Val& record, const std::string& text) {
    record.ownText = std::make_unique<std::string>(text);
    record.ownInt = std::make_unique<int>(0);
    record.ownFloat = std::make_unique<double>(0.0);
    record.valueText = record.ownText.get();
    record.intValue = record.ownInt.get();
    record.floatValue = record.ownFloat.get();
}

void ParseChoiceList(S_Val& record) {
    if (record.format.empty() || record.format[0] != '$') return;
    int count = 0;
    size_t start = 1;
    while (count < C_Parametr::kMaxItems) {
        const size_t end = record.format.find('?', start);
        if (end == std::string::npos) break;
        record.items[static_cast<size_t>(count++)] = record.format.substr(start, end - start);
        start = end + 1;
    }
    record.maxText = std::to_string(count);
}

void ClampValue(S_Val& record) {
    if (record.type == C_Parametr::kInt && record.intValue != nullptr) {
        int& v = *record.intValue;
        if (v < record.intMin) v = record.intMin;
        if (v > record.intMax) v = record.intMax;
    } else if (record.type == C_Parametr::kFloat && record.floatValue != nullptr) {
        double& v = *record.floatValue;
        if (v < record.floatMin) v = record.floatMin;
        if (v > record.floatMax) v = record.floatMax;
    }
}

S_Val C_Parametr::MakeRecord(const std::string& caption, const std::string& name, int type,
                             int group, const std::string& format, const std::string& maxText,
                             const std::string& minText, int visible, int persist) const {
    S_Val r;
    r.caption = caption;
    r.name = name;
    r.format = format;
    r.maxText = maxText;
    r.minText = minText;
    r.group = group;
    r.type = type;
    r.visible = visible != 0 ? 1 : 0;
    r.persist = persist != 0 ? 1 : 0;
    ParseChoiceList(r);
    if (type == kInt) {
        r.intMin = IntOrZero(minText);
        r.intMax = IntOrZero(maxText);
    } else if (type == kFloat) {
        r.floatMin = StrToFloatEx(minText);
        r.floatMax = StrToFloatEx(maxText);
    }
    return r;
}

void C_Parametr::AddParam(const std::string& caption, const std::string& name,
                          const std::string& defaultText, int type, int group,
                          const std::string& format, const std::string& maxText,
                          const std::string& minText, int visible, int persist) {
    S_Val r = MakeRecord(caption, name, type, group, format, maxText, minText, visible, persist);
    OwnStorage(r, defaultText);
    if (type == kInt) {
        *r.intValue = IntOrZero(defaultText);
    } else if (type == kFloat) {
        *r.floatValue = StrToFloatEx(defaultText);
    }
    ClampValue(r);
    vals.push_back(std::move(r));
}

void C_Parametr::AddParamRef(const std::string& caption, const std::string& name, int* target,
                             int group, const std::string& format, const std::string& maxText,
                             const std::string& minText, int visible, int persist) {
    S_Val r = MakeRecord(caption, name, kInt, group, format, maxText, minText, visible, persist);
    r.intValue = target;
    ClampValue(r);
    r.ownText = std::make_unique<std::string>(std::to_string(*target));
    r.valueText = r.ownText.get();
    vals.push_back(std::move(r));
}

void C_Parametr::AddParamRef(const std::string& caption, const std::string& name, double* target,
                             int group, const std::string& format, const std::string& maxText,
                             const std::string& minText, int visible, int persist) {
    S_Val r = MakeRecord(caption, name, kFloat, group, format, maxText, minText, visible, persist);
    r.floatValue = target;
    ClampValue(r);
    r.ownText = std::make_unique<std::string>(platform::FormatFloat(format, *target));
    r.valueText = r.ownText.get();
    vals.push_back(std::move(r));
}

void C_Parametr::AddParamRef(const std::string& caption, const std::string& name,
                             std::string* target, int group, const std::string& format,
                             const std::string& maxText, const std::string& minText, int visible,
                             int persist) {
    S_Val r = MakeRecord(caption, name, kText, group, format, maxText, minText, visible, persist);
    r.valueText = target;  // the caller's text is the holder itself
    vals.push_back(std::move(r));
}

void C_Parametr::AddRecord(S_Val record) {
    vals.push_back(std::move(record));
}

void C_Parametr::Clear() {
    vals.clear();
}

S_Val* C_Parametr::Find(std::string_view name) {
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &vals[static_cast<size_t>(i)];
}

const S_Val* C_Parametr::Find(std::string_view name) const {
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &vals[static_cast<size_t>(i)];
}

const S_Val* C_Parametr::Record(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &vals[static_cast<size_t>(index)];
}

int C_Parametr::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < vals.size(); ++i) {
        if (vals[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

std::string C_Parametr::GetValueText(std::string_view name) const {
    const S_Val* r = Find(name);
    return r != nullptr && r->valueText != nullptr ? *r->valueText : std::string();
}

std::string C_Parametr::GetText(std::string_view name) const {
    return ValueToText(IndexOf(name));
}

std::string C_Parametr::ValueToText(int index) const {
    const S_Val* r = Record(index);
    return r != nullptr ? ValueText(*r) : std::string();
}

std::string ValueText(const S_Val& r) {
    switch (r.type) {
        case C_Parametr::kInt:
            return r.intValue != nullptr ? std::to_string(*r.intValue) : "0";
        case C_Parametr::kFloat:
            return platform::FormatFloat(r.format, r.floatValue != nullptr ? *r.floatValue : 0.0);
        case C_Parametr::kText:
            return r.valueText != nullptr ? *r.valueText : std::string();
        default:
            return "-";
    }
}

int C_Parametr::GetInt(std::string_view name) const {
    const S_Val* r = Find(name);
    return r != nullptr && r->intValue != nullptr ? *r->intValue : 0;
}

double C_Parametr::GetFloat(std::string_view name) const {
    const S_Val* r = Find(name);
    return r != nullptr && r->floatValue != nullptr ? *r->floatValue : 0.0;
}

std::string C_Parametr::GetItem(std::string_view name, int k) const {
    const S_Val* r = Find(name);
    if (r == nullptr || k < 0 || k >= kMaxItems) return std::string();
    return r->items[static_cast<size_t>(k)];
}

std::string C_Parametr::GetCaption(std::string_view name) const {
    const S_Val* r = Find(name);
    return r != nullptr ? r->caption : std::string();
}

std::string C_Parametr::GetCaption(int index) const {
    const S_Val* r = Record(index);
    return r != nullptr ? r->caption : std::string();
}

std::string C_Parametr::GetMaxText(std::string_view name) const {
    const S_Val* r = Find(name);
    return r != nullptr ? r->maxText : std::string();
}

bool C_Parametr::InGroup(int index, int group) const {
    const S_Val* r = Record(index);
    return r != nullptr && r->group == group;
}

std::string C_Parametr::NameInGroup(int group, int k) const {
    if (k >= 0) {
        int seen = 0;
        for (const S_Val& r : vals) {
            if (r.group != group) continue;
            if (seen++ == k) return r.name;
        }
    }
    return "-1";
}

int C_Parametr::CountShown() const {
    int n = 0;
    for (const S_Val& r : vals) {
        if (r.group >= 0 && r.group <= 3) ++n;
    }
    return n;
}

bool C_Parametr::GetVisible(int index) const {
    const S_Val* r = Record(index);
    return r != nullptr && r->visible != 0;
}

bool C_Parametr::VisibleInGroup(int index, int group) const {
    return InGroup(index, group) && GetVisible(index);
}

TextResult C_Parametr::SetFromText(int index, std::string_view text) {
    if (index < 0 || index >= Count()) return {};
    S_Val& r = vals[static_cast<size_t>(index)];
    // A number is read whole or refused; refused, the record stays as it was
    // and the caller shows the message.
    const std::string_view typed = text.empty() ? std::string_view("0") : text;
    if (r.type == kInt && r.intValue != nullptr) {
        const std::optional<int> v = ReadTypedInt(typed);
        if (!v) return {false, NotAnIntegerMessage(text)};
        *r.intValue = *v;
        ClampValue(r);
        if (r.valueText != nullptr) *r.valueText = std::to_string(*r.intValue);
    } else if (r.type == kFloat && r.floatValue != nullptr) {
        const std::optional<double> v = ReadTypedFloat(typed);
        if (!v) return {false, NotAFloatMessage(text)};
        *r.floatValue = *v;
        ClampValue(r);
        if (r.valueText != nullptr) *r.valueText = platform::FormatFloat(r.format, *r.floatValue);
    } else if (r.valueText != nullptr) {
        *r.valueText = std::string(text);
    }
    OnChanged(index, r.group);
    return {};
}

void C_Parametr::SetInt(std::string_view name, int value) {
    const int i = IndexOf(name);
    if (i < 0) return;
    S_Val& r = vals[static_cast<size_t>(i)];
    if (r.intValue == nullptr) return;
    *r.intValue = value;
    if (r.type == kInt) ClampValue(r);
    OnChanged(i, r.group);
}

void C_Parametr::SetFloat(std::string_view name, float value) {
    const int i = IndexOf(name);
    if (i < 0) return;
    S_Val& r = vals[static_cast<size_t>(i)];
    // A NaN never enters a list: it would reach files, exports and protocols.
    if (r.floatValue == nullptr || std::isnan(value)) return;
    *r.floatValue = static_cast<double>(value);
    if (r.type == kFloat) ClampValue(r);
    OnChanged(i, r.group);
}

TextResult C_Parametr::SetInGroup(int group, int k, std::string_view text) {
    int seen = 0;
    for (size_t i = 0; i < vals.size(); ++i) {
        if (vals[i].group != group) continue;
        if (seen++ == k) return SetFromText(static_cast<int>(i), text);
    }
    return {};
}

void C_Parametr::SetGroup(std::string_view name, int group) {
    if (S_Val* r = Find(name)) r->group = group;
}

void C_Parametr::SetMaxText(std::string_view name, const std::string& text) {
    if (S_Val* r = Find(name)) r->maxText = text;
}

void C_Parametr::SetVisible(int index, int flag) {
    if (index >= 0 && index < Count()) vals[static_cast<size_t>(index)].visible = flag != 0;
}
