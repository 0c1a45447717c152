#include "controls/symbolfont.h"

namespace draw {

namespace {

// The sign a character stands for in the symbol font; null when it stands
// for itself.
const char16_t* Sign(QChar c) {
    switch (c.unicode()) {
        case u'`':
            return u"σ";
        case u'~':
            return u"²";
        case u'@':
            return u"δ";
        case u'$':
            return u"ψ";
        case u'}':
            return u"ε";
        case u'[':
            return u"0,2";
        case u'{':
            return u"0,05";
        case u']':
            return u"0,02";
        default:
            return nullptr;
    }
}

bool IsLatin(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// What an index may hold: letters and the number signs ("F`[" is F with 0,2).
bool InIndex(QChar c) {
    return c.isLetter() || c == u'[' || c == u'{' || c == u']';
}

void Append(std::vector<SymbolRun>& runs, QChar c, bool index) {
    if (runs.empty() || runs.back().index != index) runs.push_back({QString(), index});
    if (const char16_t* sign = Sign(c)) {
        runs.back().text += QString::fromUtf16(sign);
    } else {
        runs.back().text += c;
    }
}

}  // namespace

std::vector<SymbolRun> SymbolRuns(const QString& caption) {
    std::vector<SymbolRun> runs;
    const qsizetype n = caption.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = caption[i];
        if (c == u'`' && i > 0 && IsLatin(caption[i - 1])) {
            // The accent itself is not drawn; the letters after it are the index.
            qsizetype j = i + 1;
            for (; j < n && InIndex(caption[j]); ++j)
                Append(runs, caption[j], true);
            i = j - 1;
            continue;
        }
        Append(runs, c, false);
    }
    return runs;
}

std::vector<SymbolRun> SymbolRuns(std::string_view utf8) {
    return SymbolRuns(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

QString SymbolText(const QString& caption) {
    QString text;
    for (const SymbolRun& run : SymbolRuns(caption))
        text += run.text;
    return text;
}

QString SymbolText(std::string_view utf8) {
    return SymbolText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

bool IsSymbolFontName(std::string_view name) {
    return name == kSymbolFontName;
}

}  // namespace draw
