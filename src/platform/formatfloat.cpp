#include "platform/formatfloat.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

char g_separator = '.';

// |value| as 15 significant decimal digits: value = 0.digits * 10^exponent.
struct Decimal {
    std::string digits;  // no leading zero; "0" for zero
    int exponent = 0;
};

Decimal ToDecimal(double magnitude) {
    Decimal d;
    if (magnitude == 0.0) {
        d.digits = "0";
        d.exponent = 1;
        return d;
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    std::string_view text(buf, static_cast<size_t>(res.ptr - buf));  // d.ddddddddddddddde+XX
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i) {
        if (text[i] != '.') d.digits += text[i];
    }
    int exp10 = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exp10);
    d.exponent = exp10 + 1;
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Rounds half away from zero so that at most `decimals` digits follow the point.
void RoundTo(Decimal& d, int decimals) {
    const int keep = d.exponent + decimals;
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits = "0";
        d.exponent = 1;
        return;
    }
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
            d.digits[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty()) {
        d.digits = "0";
        d.exponent = 1;
    }
}

bool IsZero(const Decimal& d) {
    return d.digits == "0";
}

char DigitAt(const Decimal& d, int position) {  // position 0 is the first digit
    if (position < 0 || position >= static_cast<int>(d.digits.size())) return '0';
    return d.digits[static_cast<size_t>(position)];
}

std::string NonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

}  // namespace

char DecimalSeparator() {
    return g_separator;
}

void SetDecimalSeparator(char separator) {
    g_separator = separator;
}

char DecimalSeparatorFromEnvironment() {
    char result = '.';
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc != static_cast<locale_t>(0)) {
        const char* radix = nl_langinfo_l(RADIXCHAR, loc);
        if (radix != nullptr && (radix[0] == ',' || radix[0] == '.')) result = radix[0];
        freelocale(loc);
        return result;
    }
    // The named locale is not generated on this machine: go by its language.
    for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* v = std::getenv(var);
        if (v == nullptr || *v == '\0') continue;
        const std::string_view lang(v);
        for (std::string_view comma : {"ru", "uk", "be", "kk", "de", "fr"}) {
            if (lang.substr(0, 2) == comma) return ',';
        }
        return '.';
    }
    return result;
}

std::string FormatFloat(std::string_view pattern, double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    // No pattern at all is the general format, as the class library gives it.
    if (std::fabs(value) >= 1e18 || pattern.empty()) return FloatToStr(value);

    // Split the pattern into literal prefix, digit placeholders and literal suffix.
    size_t first = pattern.find_first_of("0#.");
    if (first == std::string_view::npos) return std::string(pattern);
    size_t last = pattern.find_last_of("0#.");
    const std::string_view prefix = pattern.substr(0, first);
    const std::string_view suffix = pattern.substr(last + 1);
    const std::string_view body = pattern.substr(first, last - first + 1);

    int intZeros = 0;
    int fracMin = 0;
    int fracMax = 0;
    bool point = false;
    for (char c : body) {
        if (c == '.') {
            point = true;
        } else if (!point) {
            if (c == '0') ++intZeros;
        } else if (c == '0' || c == '#') {
            ++fracMax;
            if (c == '0') fracMin = fracMax;
        }
    }

    Decimal d = ToDecimal(std::fabs(value));
    RoundTo(d, fracMax);

    std::string out(prefix);
    if (value < 0 && !IsZero(d)) out += '-';

    std::string whole;
    if (!IsZero(d)) {
        for (int i = 0; i < d.exponent; ++i)
            whole += DigitAt(d, i);
    }
    if (static_cast<int>(whole.size()) < intZeros) {
        whole.insert(0, static_cast<size_t>(intZeros) - whole.size(), '0');
    }
    out += whole;

    std::string frac;
    for (int i = 0; i < fracMax; ++i)
        frac += IsZero(d) ? '0' : DigitAt(d, d.exponent + i);
    while (static_cast<int>(frac.size()) > fracMin && frac.back() == '0')
        frac.pop_back();
    if (!frac.empty()) {
        out += g_separator;
        out += frac;
    }
    if (whole.empty() && frac.empty()) out += '0';
    out += suffix;
    return out;
}

std::string FloatToStr(double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal d = ToDecimal(std::fabs(value));
    std::string out;
    if (value < 0 && !IsZero(d)) out += '-';
    if (IsZero(d)) return "0";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent > 15 || d.exponent < -4) {
        out += d.digits[0];
        if (n > 1) {
            out += g_separator;
            out.append(d.digits, 1);
        }
        out += 'E';
        out += std::to_string(d.exponent - 1);
        return out;
    }
    if (d.exponent <= 0) {
        out += '0';
        out += g_separator;
        out.append(static_cast<size_t>(-d.exponent), '0');
        out += d.digits;
        return out;
    }
    for (int i = 0; i < d.exponent; ++i)
        out += DigitAt(d, i);
    if (n > d.exponent) {
        out += g_separator;
        out.append(d.digits, static_cast<size_t>(d.exponent));
    }
    return out;
}

}  // namespace platform
