// Fonts and text of the canvas (canvas.h).
#include "controls/canvas.h"

#include "controls/symbolfont.h"

#include <QPen>

#include <algorithm>
#include <cmath>

namespace draw {

namespace {

QString FromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Index letters of symbol captions: this much of the font's pixel size,
// and their baseline this much lower.
constexpr double kIndexScale = 0.7;
constexpr double kIndexDrop = 0.15;

// The class library's MulDiv rounding for point <-> pixel sizes.
int RoundHalfAway(double v) {
    return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

}  // namespace

// ----- fonts

Font Font::FromPoints(std::string_view name, int points) {
    Font font;
    font.name = std::string(name);
    font.height = HeightFromPoints(points);
    return font;
}

int Font::HeightFromPoints(int points) {
    return -RoundHalfAway(points * 96.0 / 72.0);
}

int Font::Size() const {
    // A cell height (positive) gives a negative size, as in the class library.
    return height < 0 ? RoundHalfAway(-height * 72.0 / 96.0) : -RoundHalfAway(height * 72.0 / 96.0);
}

void Font::SetSize(int points) {
    height = HeightFromPoints(points);
}

bool Font::Symbol() const {
    return IsSymbolFontName(name);
}

QString MapFontFamily(std::string_view name) {
    if (name == "Times New Roman") return QStringLiteral("Liberation Serif");
    if (name == "Arial" || name == "MS Sans Serif" || IsSymbolFontName(name)) {
        return QStringLiteral("Liberation Sans");
    }
    if (name == "Courier New") return QStringLiteral("Liberation Mono");
    return FromUtf8(name);
}

QFont ToQFont(const Font& font) {
    QFont qfont;
    qfont.setFamilies({MapFontFamily(font.name), QStringLiteral("DejaVu Sans")});
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    int pixels = font.height < 0 ? -font.height : font.height;
    if (font.height > 0) {
        // A cell height: the character height that gives a cell that high.
        QFont probe = qfont;
        probe.setPixelSize(100);
        const QFontMetrics metrics(probe);
        const int cell = metrics.ascent() + metrics.descent();
        if (cell > 0) pixels = RoundHalfAway(font.height * 100.0 / cell);
    }
    qfont.setPixelSize(std::max(1, pixels));
    return qfont;
}
// ----- text

void Canvas::PrepareFonts() {
    if (fontsReady_) return;
    qfont_ = ToQFont(font_);
    indexFont_ = qfont_;
    indexFont_.setPixelSize(std::max(1, RoundHalfAway(qfont_.pixelSize() * kIndexScale)));
    metrics_.emplace(qfont_, device_);
    indexMetrics_.emplace(indexFont_, device_);
    fontsReady_ = true;
}

int Canvas::TextHeight() const {
    const_cast<Canvas*>(this)->PrepareFonts();
    return metrics_->ascent() + metrics_->descent();
}

int Canvas::TextAscent() const {
    const_cast<Canvas*>(this)->PrepareFonts();
    return metrics_->ascent();
}

int Canvas::RunsWidth(const QString& text) {
    PrepareFonts();
    if (!font_.Symbol()) return metrics_->horizontalAdvance(text);
    int width = 0;
    for (const SymbolRun& run : SymbolRuns(text)) {
        width += run.index ? indexMetrics_->horizontalAdvance(run.text)
                           : metrics_->horizontalAdvance(run.text);
    }
    return width;
}

int Canvas::TextWidth(const QString& text) {
    return RunsWidth(text);
}
int Canvas::TextWidth(std::string_view utf8) {
    return RunsWidth(FromUtf8(utf8));
}

// One line of text, cell top-left at (x, y); no cell fill.
void Canvas::DrawRuns(int x, int y, const QString& text) {
    PrepareFonts();
    painter_.setPen(QPen(textColor_));
    painter_.setBrush(Qt::NoBrush);
    const int baseline = y + metrics_->ascent();
    if (!font_.Symbol()) {
        painter_.setFont(qfont_);
        painter_.drawText(QPoint(x, baseline), text);
        return;
    }
    const int drop = RoundHalfAway(qfont_.pixelSize() * kIndexDrop);
    int at = x;
    for (const SymbolRun& run : SymbolRuns(text)) {
        if (run.index) {
            painter_.setFont(indexFont_);
            painter_.drawText(QPoint(at, baseline + drop), run.text);
            at += indexMetrics_->horizontalAdvance(run.text);
        } else {
            painter_.setFont(qfont_);
            painter_.drawText(QPoint(at, baseline), run.text);
            at += metrics_->horizontalAdvance(run.text);
        }
    }
}

void Canvas::TextOut(int x, int y, const QString& text) {
    if (!Drawing() || text.isEmpty()) return;
    if (bkMode_ == BkMode::Opaque) {
        FillRect(x, y, x + RunsWidth(text), y + TextHeight(), bkColor_);
    }
    DrawRuns(x, y, text);
}

void Canvas::TextOut(int x, int y, std::string_view utf8) {
    TextOut(x, y, FromUtf8(utf8));
}

void Canvas::TextRect(int x1, int y1, int x2, int y2, int x, int y, const QString& text) {
    if (!Drawing() || x2 <= x1 || y2 <= y1) return;
    Save();
    if (clip_) {
        QRect box = QRect(x1, y1, x2 - x1, y2 - y1).translated(origin_) & *clip_;
        clip_ = box.isValid() ? box : QRect(box.topLeft(), QSize(0, 0));
    } else {
        clip_ = QRect(x1, y1, x2 - x1, y2 - y1).translated(origin_);
    }
    ApplyClip();
    if (bkMode_ == BkMode::Opaque) FillRect(x1, y1, x2, y2, bkColor_);
    DrawRuns(x, y, text);
    Restore();
}

void Canvas::TextRect(int x1, int y1, int x2, int y2, int x, int y, std::string_view utf8) {
    TextRect(x1, y1, x2, y2, x, y, FromUtf8(utf8));
}

namespace {

// Lines of a multi-line DrawText: breaks at line feeds, and with word
// breaking also at the spaces where the next word would pass the width.
template <typename Measure>
std::vector<QString> BreakLines(const QString& text, bool wordBreak, int width, Measure measure) {
    std::vector<QString> lines;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    for (const QString& paragraph : normalized.split(u'\n')) {
        if (!wordBreak) {
            lines.push_back(paragraph);
            continue;
        }
        QString line;
        for (const QString& word : paragraph.split(u' ')) {
            if (line.isEmpty()) {
                line = word;
                continue;
            }
            const QString longer = line + u' ' + word;
            if (measure(longer) <= width) {
                line = longer;
            } else {
                lines.push_back(line);
                line = word;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

void Canvas::DrawText(int x1, int y1, int x2, int y2, const QString& text, unsigned flags) {
    if (!Drawing() || text.isEmpty()) return;
    const bool clipped = (flags & dt::NoClip) == 0;
    if (clipped && (x2 <= x1 || y2 <= y1)) return;
    Save();
    if (clipped) {
        QRect box = QRect(x1, y1, x2 - x1, y2 - y1).translated(origin_);
        if (clip_) box &= *clip_;
        clip_ = box.isValid() ? box : QRect(box.topLeft(), QSize(0, 0));
        ApplyClip();
    }
    const int lineHeight = TextHeight();
    auto place = [&](const QString& line, int y) {
        const int width = RunsWidth(line);
        int x = x1;
        if (flags & dt::Right) {
            x = x2 - width;
        } else if (flags & dt::HCenter) {
            x = x1 + (x2 - x1 - width) / 2;
        }
        if (bkMode_ == BkMode::Opaque) FillRect(x, y, x + width, y + lineHeight, bkColor_);
        DrawRuns(x, y, line);
    };
    if (flags & dt::SingleLine) {
        int y = y1;
        if (flags & dt::Bottom) {
            y = y2 - lineHeight;
        } else if (flags & dt::VCenter) {
            y = y1 + (y2 - y1 - lineHeight) / 2;
        }
        place(text, y);
    } else {
        const auto lines = BreakLines(text, (flags & dt::WordBreak) != 0, x2 - x1,
                                      [this](const QString& s) { return RunsWidth(s); });
        int y = y1;
        for (const QString& line : lines) {
            place(line, y);
            y += lineHeight;
        }
    }
    Restore();
}

void Canvas::DrawText(int x1, int y1, int x2, int y2, std::string_view utf8, unsigned flags) {
    DrawText(x1, y1, x2, y2, FromUtf8(utf8), flags);
}

}  // namespace draw
