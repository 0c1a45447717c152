// Printing and PDF of the page canvas (cotchet.h).
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <vector>

#include "controls/cotchet.h"
#include "controls/printpanel.h"

namespace {

constexpr int kPageDpi = 96;

QPageLayout A4Layout(bool landscape) {
    return QPageLayout(QPageSize(QPageSize::A4),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

}  // namespace

bool C_Otchet::DefaultPrintDialog(QPrinter& printer, int pageCount) {
    // Qt's own dialog is not made for a finger: tiny lists and spin boxes.
    const QString folder = PdfFolder.isEmpty() ? QDir::homePath() : PdfFolder;
    // On the heap: the window it lies in may go while the panel waits.
    QPointer<TPrintPanel> panel =
        new TPrintPanel(window(), QPrinterInfo::availablePrinterNames(),
                        QPrinterInfo::defaultPrinterName(), pageCount, FreePdfName(folder));
    if (OnPrintPanel) OnPrintPanel(*panel);
    const std::optional<PrintChoice> choice = panel->Run();
    delete panel.data();
    if (!choice) return false;
    PrintChoice chosen = *choice;
    if (chosen.printer.isEmpty()) {
        if (chosen.pdfFile.isEmpty()) return false;
        // A bare name typed goes into the proposed folder, as a PDF.
        if (QFileInfo(chosen.pdfFile).isRelative())
            chosen.pdfFile = QDir(folder).filePath(chosen.pdfFile);
        if (QFileInfo(chosen.pdfFile).suffix().isEmpty()) chosen.pdfFile += QStringLiteral(".pdf");
        QDir().mkpath(QFileInfo(chosen.pdfFile).absolutePath());
    }
    ApplyPrintChoice(chosen, pageCount, printer);
    return true;
}

void C_Otchet::SetupPrint() {
    if (viewer_ == nullptr || pages_.empty() || !RunPrintDialog) return;
    const int count = PageCount();
    QPrinter printer(QPrinter::HighResolution);
    printer.setFromTo(1, count);
    if (!RunPrintDialog(printer, count)) return;
    int from = 0;
    int to = count - 1;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage() - 1;
        to = printer.toPage() - 1;
    }
    const bool ok = PrintPages(printer, from, to, printer.copyCount());
    if (!ok) qWarning("C_Otchet: the pages could not be printed");
    if (OnPrinted) {
        const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
        OnPrinted(ok, pdf ? QString() : printer.printerName(),
                  pdf ? printer.outputFileName() : QString());
    }
}

void C_Otchet::Print() {
    SetupPrint();
}

bool C_Otchet::PrintPages(QPrinter& printer, int from, int to, int copies) {
    from = std::max(from, 0);
    to = std::min(to, PageCount() - 1);
    if (from > to) return false;
    copies = std::max(copies, 1);

    // Exactly `copies` copies: a printer that makes copies itself (a CUPS
    // queue) is told the count and gets the pages once; one that does not
    // (the PDF file of "print to file") gets them `copies` times, collated
    // or page by page as the dialog said. Doing both would give copies².
    std::vector<int> order;
    const bool deviceCopies = printer.supportsMultipleCopies();
    printer.setCopyCount(deviceCopies ? copies : 1);
    const int passes = deviceCopies ? 1 : copies;
    if (printer.collateCopies()) {
        for (int pass = 0; pass < passes; ++pass) {
            for (int i = from; i <= to; ++i)
                order.push_back(i);
        }
    } else {
        for (int i = from; i <= to; ++i)
            order.insert(order.end(), static_cast<size_t>(passes), i);
    }

    // A page pixel is a device pixel at 96 dpi from the paper's corner. The
    // resolution, not a painter scale, maps the page: text replayed under a
    // scale does not reach a PDF as text.
    printer.setFullPage(true);
    printer.setResolution(kPageDpi);
    if (printer.resolution() != kPageDpi) {
        qWarning("C_Otchet: the printer does not take %d dpi pages", kPageDpi);
        return false;
    }
    printer.setPageLayout(A4Layout(PageLandscape(order.front())));

    // One job for the whole range: a job per page would, printing to a
    // file, leave only the last page in it.
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    bool ok = true;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0) {
            // A PDF-based printer takes each page's own orientation mid-job.
            printer.setPageLayout(A4Layout(PageLandscape(order[k])));
            if (!printer.newPage()) {
                ok = false;
                break;
            }
        }
        DrawPage(painter, order[k]);
    }
    painter.end();
    return ok && printer.printerState() != QPrinter::Error;
}

bool C_Otchet::WritePdf(const QString& fileName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    return PrintPages(printer, 0, PageCount() - 1, 1);
}
