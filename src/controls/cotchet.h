#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "controls/canvas.h"

class C_Buffer;
class CGrafic;
class QPainter;
class QPicture;
class QPrinter;
class QScrollArea;
class TPrintPanel;

// The page canvas: the sheets of a protocol as recorded A4 pages, drawn on
// in millimetres from the top-left corner of a 10 mm margin box, shown one
// at a time in a viewer that fills the panel, and printed or written to PDF.
//
// Pages are recorded (QPictures, with the graphs kept as pictures beside
// them) in a fixed geometry of 96 pixels per inch (792 x 1122 portrait,
// 1122 x 792 landscape), so a protocol lays out the same whatever screen it
// is made on; text stays text when replayed onto a printer or a PDF file.
//
// Order of use: ClearList, CreateViewer, set Font, then per sheet
// CreatePage, PageSelect(its index), BeginDoc, drawing, EndDoc; last
// Preview. Drawing goes to page CurPage and only while it is open.
class C_Otchet : public QWidget {
    Q_OBJECT

public:
    explicit C_Otchet(QWidget* parent = nullptr);
    ~C_Otchet() override;

    draw::Font Font;                          // text font of every drawing operation
    float ColOffset[100] = {};                // shifts of the table's column boundaries, mm
    float PageWidthMm = 0, PageHeightMm = 0;  // usable size of the page last created
    // Always 96 dpi: the pages are 96-dpi pages, whatever the screen says.
    static constexpr float PxPerMm = 96.0f / 25.4f;
    float MarginLeft = 10 * PxPerMm;  // pixels
    float MarginRight = 10 * PxPerMm;
    float MarginTop = 10 * PxPerMm;
    float MarginBottom = 10 * PxPerMm;
    int CurPage = 0;   // the page drawing goes to
    int ViewPage = 0;  // the page NextPage/LastPage show
    // The last table: columns and rows, position and width in mm, row
    // height in pixels as passed (0 = from the font).
    float TabCols = 0, TabRows = 0, TabX = 0, TabY = 0, TabWidth = 0, TabRowHeight = 0;

    // Discards every page; the viewer stays and shows nothing.
    void ClearList();
    // A new viewer (child "Viewer" filling the panel) and plot renderer.
    void CreateViewer();
    // Appends a page, > 0 portrait, <= 0 landscape; it is not selected.
    void CreatePage(int portrait);
    void PageSelect(int i);  // out of range: nothing
    // Opens the current page for drawing (anew when it was drawn before),
    // and closes it.
    void BeginDoc();
    void EndDoc();

    // Text with its top-left corner at (x, y) mm, on an opaque cell.
    void AddLine(float x, float y, std::string_view text);
    // Text at (2, 2) in a grey box from the page's corner to pixel (x, y);
    // leaves the page's pen red and its brush grey.
    void AddText(float x, float y, std::string_view text);
    // Rules a table at (x, y) mm, w mm wide, rows rowH pixels high (0: the
    // font's height + 4); boundary k lies at k * w / cols + ColOffset[k] mm.
    void AddTable(int cols, int rows, float x, float y, float w, float rowH);
    // Text in a cell of the last table: align 1 centred, 2 right, 6 and
    // more an indent of that many pixels, anything else at the left
    // boundary; clipped to the cell.
    void Cells(int col, int row, std::string_view text, int align);
    // A block of cells of the last table filled with the brush colour (the
    // ruling inside is gone) and one text in it, in the font last assigned
    // on the page: align 1 centred and wrapped, 2 one centred line in the
    // middle, 3 one right-aligned line in the middle, others left from the top.
    void ComCells(int col1, int row1, int col2, int row2, std::string_view text, int align);
    // The buffer's curve in the rectangle (x, y, w, h) mm; nothing without a
    // buffer, when the rectangle is empty or before CreateViewer.
    void GetGraf(const C_Buffer* buf, std::string_view nameX, std::string_view nameY, int chX,
                 int chY, float x, float y, float w, float h);
    // Axis limits of the next graphs (autoscale when autoscale != 0).
    void SetOrigin(int autoscale, float xMin, float xMax, float yMin, float yMax);

    // The viewer: page 0 zoomed to the whole page (ViewPage unchanged),
    // paging held at the ends, zoom steps of 10 % up to 500 %; the viewer
    // refuses a zoom outside 2 ... 2000 % and keeps the one it had. All do
    // nothing without a viewer or a page.
    void Preview();
    void NextPage();
    void LastPage();
    void ZoomUp();
    void ZoomDown();
    void ZoomPage();
    // Print dialog, then the pages chosen (both the same).
    void SetupPrint();
    void Print();
    int GetCurrentPage() const;  // ViewPage
    int PageCount() const;

    // For tests, the preview and printing. Out of range: null, false, an
    // empty size, a null image.
    //
    // The page's recording; null while the page is open.
    const QPicture* Page(int i) const;
    bool PageLandscape(int i) const;
    QSize PageSize(int i) const;  // 792 x 1122 or 1122 x 792
    // The page on white at `scale` (a page still open shows blank).
    QImage RenderPage(int i, double scale = 1.0) const;
    // Replays a finished page at the painter's (0, 0), a unit of the
    // painter a page pixel; nothing for a page still open.
    void DrawPage(QPainter& painter, int i) const;
    int Zoom() const;  // viewer zoom, percent
    // Sets the viewer's zoom as the viewer takes it: refused outside
    // 2 ... 2000 % (the previous stays) and without a viewer.
    void SetZoom(int percent);
    int ShownPage() const;  // the page the viewer shows, -1 for none
    // Pages from ... to (zero-based, inclusive, in order) as one job, each
    // in its own orientation on A4, `copies` times. Returns false when
    // nothing could be printed.
    bool PrintPages(QPrinter& printer, int from, int to, int copies);
    // Every page to a PDF file, by the path the dialog's "print to file" takes.
    bool WritePdf(const QString& fileName);
    // Shows the print dialog for `printer` with pages 1 to pageCount (page
    // numbers only); false when cancelled. The touch print panel
    // (TPrintPanel) over this control's window unless replaced.
    std::function<bool(QPrinter& printer, int pageCount)> RunPrintDialog;
    // Where the print panel proposes the PDF file; the home folder when empty.
    QString PdfFolder;
    // Called with the print panel before it is shown (to attach the
    // on-screen keyboard to its file name).
    std::function<void(TPrintPanel& panel)> OnPrintPanel;
    // After printing: whether it worked, and the printer or the PDF file.
    std::function<void(bool ok, const QString& printer, const QString& pdfFile)> OnPrinted;

private:
    struct Sheet;
    class PageView;

    Sheet* OpenSheet() const;  // the current page when open
    float Boundary(int k) const;
    float RowHeight() const;
    void ShowPage(int i);
    bool DefaultPrintDialog(QPrinter& printer, int pageCount);

    std::vector<std::unique_ptr<Sheet>> pages_;
    QScrollArea* viewer_ = nullptr;  // child of the panel
    PageView* view_ = nullptr;       // inside the viewer
    int zoom_ = 100;
    // Draws graphs onto pages; never shown.
    std::unique_ptr<CGrafic> graf_;
};
