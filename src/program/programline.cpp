#include "program/programline.h"

#include "model/numtext.h"
#include "platform/cp1251.h"

namespace testprogram {
namespace {

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Reads a line left to right; every step either consumes what it expects or
// leaves the position alone and says no.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string_view Rest() const { return text_.substr(pos_); }

    // Returns whether any blank was there.
    bool SkipBlanks() {
        const size_t start = pos_;
        while (!AtEnd() && IsBlank(text_[pos_]))
            ++pos_;
        return pos_ > start;
    }

    bool Take(std::string_view word) {
        if (!Rest().starts_with(word)) return false;
        pos_ += word.size();
        return true;
    }

    bool TakeChar(char& c) {
        if (AtEnd()) return false;
        c = text_[pos_++];
        return true;
    }

    // One code point, or one byte that does not start a valid sequence.
    bool TakeLetter(char32_t& cp) {
        if (AtEnd()) return false;
        cp = platform::NextCodePoint(text_, pos_);
        return true;
    }

    // A number as the operator types it: an optional sign, digits with one
    // ",", "." or "ю" among or before them. No exponent: the keyboard has none,
    // and a letter in a number is a typing error, not a power of ten.
    bool TakeNumber(double& value) {
        SkipBlanks();
        size_t end = pos_;
        std::string number;
        if (end < text_.size() && (text_[end] == '+' || text_[end] == '-')) number += text_[end++];
        bool digits = false;
        bool nonZero = false;
        bool separator = false;
        while (end < text_.size()) {
            const char c = text_[end];
            // The Russian layout's decimal key gives "ю" or "Ю".
            const std::string_view rest = text_.substr(end);
            const bool yu = rest.starts_with("ю") || rest.starts_with("Ю");
            if (IsDigit(c)) {
                digits = true;
                nonZero = nonZero || c != '0';
                number += c;
            } else if ((c == '.' || c == ',' || yu) && !separator) {
                separator = true;
                number += '.';
                if (yu) ++end;
            } else {
                break;
            }
            ++end;
        }
        if (!digits) return false;
        const double v = StrToFloatEx(number);
        // Beyond single precision the number text reads as 0: that is no
        // number to move a crosshead by.
        if (v == 0.0 && nonZero) return false;
        value = v;
        pos_ = end;
        return true;
    }

    // Whole and not negative: the timed wait counts seconds on a one-second tick.
    bool TakeSeconds(double& value) {
        SkipBlanks();
        size_t end = pos_;
        while (end < text_.size() && IsDigit(text_[end]))
            ++end;
        const auto v = StrToIntStrict(text_.substr(pos_, end - pos_));
        if (!v) return false;
        value = *v;
        pos_ = end;
        return true;
    }

    // Nothing but blanks left.
    bool Done() {
        SkipBlanks();
        return AtEnd();
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

int ChannelOf(char32_t letter) {
    switch (letter) {
        case U'F':
            return 1;
        case U'L':
            return 2;
        case U'E':
            return 3;
        default:
            return 0;
    }
}

// After "Если(": the operand, the threshold, ")" and "тогда".
bool ReadCondition(Cursor& c, Condition& cond) {
    c.SkipBlanks();
    if (c.Take("F<Fmax")) {
        c.SkipBlanks();
        if (!c.Take("на")) return false;
        c.SkipBlanks();
        if (!c.Take("%")) return false;
        cond.kind = CondKind::kFmaxFall;
        cond.channel = 1;
    } else {
        char32_t letter = 0;
        char op = 0;
        if (!c.TakeLetter(letter) || !c.TakeChar(op)) return false;
        cond.channel = ChannelOf(letter);
        if (cond.channel == 0) return false;
        if (op == '>') {
            cond.kind = CondKind::kAbove;
        } else if (op == '<') {
            cond.kind = CondKind::kBelow;
        } else {
            return false;
        }
    }
    if (!c.TakeNumber(cond.threshold)) return false;
    c.SkipBlanks();
    if (!c.Take(")")) return false;
    c.SkipBlanks();
    if (!c.Take(kConditionEnd)) return false;
    // "тогдаСкорость" is no word the editor writes.
    return c.SkipBlanks() || c.AtEnd();
}

// Tries the commands in their order; the first whose form the whole line has wins.
void ReadCommand(std::string_view line, ProgLine& out) {
    for (int i = 0; i < kCommandCount; ++i) {
        const CommandText& entry = kCommands[static_cast<size_t>(i)];
        const Cmd cmd = static_cast<Cmd>(i + 1);
        if (entry.mask == 0) {
            if (line == entry.text) {
                out.cmd = cmd;
                return;
            }
            continue;
        }
        Cursor c(line);
        if (!c.Take(entry.text)) continue;
        c.SkipBlanks();
        bool read = false;
        if (entry.mask & kTakesChannel) {
            char32_t letter = 0;
            read = c.TakeLetter(letter);
            if (read) out.channel = ChannelOf(letter);
        } else if (cmd == Cmd::kWaitSeconds) {
            read = c.TakeSeconds(out.number);
        } else {
            read = c.TakeNumber(out.number);
        }
        if (read && c.Done()) {
            out.cmd = cmd;
            return;
        }
        out.channel = 0;
        out.number = 0.0;
    }
}

}  // namespace

ProgLine ParseProgramLine(std::string_view raw) {
    ProgLine out;
    if (raw.size() > kMaxLineBytes) return out;
    std::string_view line = Trim(raw);
    if (line.empty() || line == kEndMarker) {
        out.blank = true;
        return out;
    }
    if (line.starts_with(kConditionStart)) {
        Cursor c(line);
        c.Take(kConditionStart);
        if (!ReadCondition(c, out.condition)) {
            out.condition = {};
            out.malformed = true;
            return out;
        }
        line = Trim(c.Rest());
    }
    // A second prefix, or one in the middle of a line, is no form the editor
    // writes; nested conditions would also recurse without bound.
    if (line.find(kConditionStart) != std::string_view::npos) {
        out = {};
        out.malformed = true;
        return out;
    }
    ReadCommand(line, out);
    return out;
}

namespace {

// The file keeps "," where the operator pressed the decimal key's "ю", so the
// line reads the same on any station.
std::string FileNumberText(std::string text) {
    for (const std::string_view yu : {"ю", "Ю"}) {
        for (size_t at = text.find(yu); at != std::string::npos; at = text.find(yu, at + 1))
            text.replace(at, yu.size(), ",");
    }
    return text;
}

}  // namespace

std::string ComposeLine(const LineParts& parts) {
    if (parts.command < 0 || parts.command >= kCommandCount) return {};
    const CommandText& entry = kCommands[static_cast<size_t>(parts.command)];
    std::string line;
    if (parts.conditional) {
        line += "Если( ";
        line += parts.op;
        line += FileNumberText(parts.threshold);
        line += " ) тогда ";
    }
    line += entry.text;
    if (entry.mask & kTakesChannel) {
        line += ' ';
        line += parts.channel;
    }
    if (entry.mask & kTakesNumber) {
        line += ' ';
        line += FileNumberText(parts.number);
    }
    return line;
}

std::string ComposeProblem(const LineParts& parts) {
    const std::string line = ComposeLine(parts);
    if (line.empty() || ParseProgramLine(line).Runs()) return {};
    LineParts command = parts;
    command.conditional = false;
    if (!ParseProgramLine(ComposeLine(command)).Runs()) {
        const Cmd cmd = static_cast<Cmd>(parts.command + 1);
        if (cmd == Cmd::kWaitSeconds) return "ВРЕМЯ ОЖИДАНИЯ - ЦЕЛОЕ ЧИСЛО СЕКУНД: " + parts.number;
        if (TextOf(cmd).mask & kTakesNumber) return "НЕВЕРНОЕ ЗНАЧЕНИЕ: " + parts.number;
        return "НЕВЕРНЫЙ КАНАЛ: " + parts.channel;
    }
    return "НЕВЕРНОЕ ЗНАЧЕНИЕ УСЛОВИЯ: " + parts.threshold;
}

std::string RefusalMessage(int index, std::string_view text, const ProgLine& line) {
    std::string message = "СТРОКА " + std::to_string(index + 1) + ": ";
    message += line.malformed ? "УСЛОВИЕ НЕ РАСПОЗНАНО" : "НЕИЗВЕСТНАЯ КОМАНДА";
    message += " - ";
    message += text;
    return message;
}

}  // namespace testprogram
