#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPrinter;
class TMegaButton;

// What the operator chose on the print panel.
struct PrintChoice {
    QString printer;  // empty: into the PDF file
    QString pdfFile;
    int copies = 1;
    int from = 1;  // page numbers, from <= to
    int to = 1;
};

// Sets up `printer` as chosen: the printer by name, or PDF output into the
// file; the copies; all pages, or the range when it is less than all.
void ApplyPrintChoice(const PrintChoice& choice, int pageCount, QPrinter& printer);

// A file name in `folder` that is not taken: "Протокол.pdf", else
// "Протокол (2).pdf", "Протокол (3).pdf", ...
QString FreePdfName(const QString& folder);

// The touch-sized print panel: a printer from those installed or "В файл
// PDF", copies and pages with large - and + buttons, ПЕЧАТЬ and ОТМЕНА.
// It lies over the whole of `window` (a shade takes the taps meant for
// what is under it) rather than in a modal dialog, so that the station's
// on-screen keyboard can still type the file name.
class TPrintPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxCopies = 99;

    // `printers`: the installed ones, `preferred` first chosen when among
    // them; without any, the panel says so and offers the PDF file.
    TPrintPanel(QWidget* window, const QStringList& printers, const QString& preferred,
                int pageCount, const QString& pdfFile);

    // Shows the panel and waits for ПЕЧАТЬ (the choice) or ОТМЕНА (none).
    std::optional<PrintChoice> Run();
    PrintChoice Choice() const;
    QLineEdit* FileField() const { return file_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Choose(int index);  // of printers_, or printers_.size() for the PDF file
    void Step(int& value, int delta, int low, int high);
    void ShowNumbers();
    void Fit();

    QWidget* panel_ = nullptr;
    QStringList printers_;
    std::vector<TMegaButton*> choices_;  // the printers, then "В файл PDF"
    QLineEdit* file_ = nullptr;
    QLabel* copiesShown_ = nullptr;
    QLabel* fromShown_ = nullptr;
    QLabel* toShown_ = nullptr;
    int chosen_ = 0;
    int copies_ = 1;
    int from_ = 1;
    int to_ = 1;
    int pageCount_ = 1;
    int answer_ = -1;  // -1 open, 0 cancelled, 1 print
};
