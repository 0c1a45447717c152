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

std::string CleanNumber(std::string_view text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        const char32_t cp = platform::NextCodePoint(text, pos);
        if ((cp >= U'0' && cp <= U'9') || cp == U'.' || cp == U',' || cp == U'-') {
            out += static_cast<char>(cp);
        } else if (cp == U'ю' || cp == U'Ю') {
            out += '.';
        }
    }
    if (out.empty()) out = "0";
    return out;
}
