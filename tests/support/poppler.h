#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace testsupport {

// Runs one of poppler's command-line tools (pdftotext, pdfinfo, pdftoppm)
// and returns what it printed; nothing when the tool is not installed or
// fails.
inline std::optional<std::string> Poppler(const QString& tool, const QStringList& args) {
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty()) return std::nullopt;
    QProcess p;
    p.start(path, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput().toStdString();
}

// The PDF's text as pdftotext gives it ("-" sends it to standard output).
inline std::optional<std::string> PdfText(const QString& pdf, const QStringList& extra = {}) {
    return Poppler(QStringLiteral("pdftotext"), extra + QStringList{pdf, QStringLiteral("-")});
}

// Text with every blank, line break and form feed taken out: the layout
// decides where pdftotext puts them, the tests look at the words.
inline std::string Squeezed(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f') continue;
        // U+00A0 (no-break space) as well.
        if (static_cast<unsigned char>(c) == 0xC2 && i + 1 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) == 0xA0) {
            ++i;
            continue;
        }
        out += c;
    }
    return out;
}

}  // namespace testsupport
