#pragma once

#include <QString>

#include <string_view>
#include <vector>

namespace draw {

// Captions keep the plain characters that the program's symbol font
// ("Vortalinz") shows as signs; they stay byte for byte in memory and only
// the drawn text changes:
//   "`" -> σ   "~" -> ²   "@" -> δ   "$" -> ψ   "}" -> ε
//   "[" -> 0,2   "{" -> 0,05   "]" -> 0,02
// A grave accent right after a Latin letter is no σ: it marks the letters
// after it (up to the next character that is neither a letter nor one of
// "[", "{", "]") as an index, so "F`в" reads F with the index в and
// "F`[" reads F with the index 0,2.

// One piece of drawn text; index pieces are drawn smaller and lower.
struct SymbolRun {
    QString text;
    bool index = false;

    friend bool operator==(const SymbolRun&, const SymbolRun&) = default;
};

// The caption as pieces to draw; neighbouring pieces differ in `index`.
// An empty caption gives no pieces.
std::vector<SymbolRun> SymbolRuns(const QString& caption);
std::vector<SymbolRun> SymbolRuns(std::string_view utf8);
inline std::vector<SymbolRun> SymbolRuns(const char* utf8) {
    return SymbolRuns(std::string_view(utf8));
}

// The same as plain text, index letters inline: "F`в, кН" -> "Fв, кН".
QString SymbolText(const QString& caption);
QString SymbolText(std::string_view utf8);
inline QString SymbolText(const char* utf8) {
    return SymbolText(std::string_view(utf8));
}

// True for the symbol font's name ("Vortalinz").
bool IsSymbolFontName(std::string_view name);

// The name the program uses for its symbol font.
inline constexpr std::string_view kSymbolFontName = "Vortalinz";

}  // namespace draw
