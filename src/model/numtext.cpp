#include "model/numtext.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/cp1251.h"
#include "platform/formatfloat.h"

double StrToFloatEx(std::string_view text) {
    std::string s(text);
    if (const size_t comma = s.find(','); comma != std::string::npos) s[comma] = '.';

    size_t pos = 0;
    while (pos < s.size() && (s[pos] == ' ' || (s[pos] >= '\t' && s[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        negative = s[pos] == '-';
        ++pos;
    }
    // Only digits or a point start a number here; from_chars would take "inf" and "nan".
    if (pos >= s.size() || !((s[pos] >= '0' && s[pos] <= '9') || s[pos] == '.')) return 0.0;

    float value = 0.0f;
    const auto res = std::from_chars(s.data() + pos, s.data() + s.size(), value);
    if (res.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return static_cast<double>(negative ? -value : value);
}

std::string FloatToStrAuto(double value) {
    const char* pattern = "0.000";
    if (std::fabs(value) >= 10) pattern = "0.00";
    if (std::fabs(value) >= 1000) pattern = "0";
    return platform::FormatFloat(pattern, value);
}

std::string IntToStr2(int value) {
    std::string s = std::to_string(value);
    if (s.size() < 2) s.insert(0, "0");
    return s;
}

std::string SecToStr(int64_t seconds, std::string_view separator) {
    if (seconds < 0) seconds = 0;
    const int64_t hours = seconds / 3600;
    const auto minutes = static_cast<int>((seconds % 3600) / 60);
    const auto secs = static_cast<int>(seconds % 60);
    std::string h = std::to_string(hours);
    if (h.size() < 2) h.insert(0, "0");
    std::string out = h;
    out += separator;
    out += IntToStr2(minutes);
    out += separator;
    out += IntToStr2(secs);
    return out;
}

std::optional<int> StrToIntStrict(std::string_view text) {
    size_t pos = 0;
    if (pos < text.size() && text[pos] == '-') ++pos;
    if (pos == text.size()) return std::nullopt;
    for (size_t i = pos; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    int value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string NotAnIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

namespace {

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::optional<double> ReadTypedFloat(std::string_view text) {
    text = Trimmed(text);
    std::string s;
    size_t pos = 0;
    while (pos < text.size()) {
        const char32_t cp = platform::NextCodePoint(text, pos);
        if (cp == U',' || cp == U'ю' || cp == U'Ю') {
            s += '.';
        } else if (cp < 0x80) {
            s += static_cast<char>(cp);
        } else {
            return std::nullopt;
        }
    }
    size_t at = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++at;
    // Only digits or a point start a number; from_chars would take "inf" and "nan".
    if (at >= s.size() || !((s[at] >= '0' && s[at] <= '9') || s[at] == '.')) return std::nullopt;
    float value = 0.0f;
    const char* end = s.data() + s.size();
    const auto res = std::from_chars(s.data() + at, end, value);
    if (res.ec != std::errc() || res.ptr != end || !std::isfinite(value)) return std::nullopt;
    return static_cast<double>(negative ? -value : value);
}

std::optional<int> ReadTypedInt(std::string_view text) {
    return StrToIntStrict(Trimmed(text));
}

std::string NotAFloatMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}
