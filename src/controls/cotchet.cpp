// Pages and drawing of the page canvas (cotchet.h); the viewer is in
// cotchet_viewer.cpp, printing in cotchet_print.cpp.
#include "controls/cotchet.h"

#include <QPainter>
#include <QPicture>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>
#include <string>

#include "controls/cgrafic.h"

namespace {

constexpr int kPageShort = 792;  // A4 at 96 dpi, pixels
constexpr int kPageLong = 1122;

// Every conversion to a pixel truncates toward zero; far-off or broken
// positions are held to what an int can take.
int Px(float v) {
    if (!(v == v)) return 0;  // NaN
    if (v > 1e9f) return 1000000000;
    if (v < -1e9f) return -1000000000;
    return static_cast<int>(v);
}

}  // namespace

// One sheet: its recording and, while it is open, the canvas drawing into
// it. The canvas keeps the page's own pen, brush and last font between
// operations, as a page's canvas does. Graphs are recorded as lines and
// text like the rest, so they print sharp and their numbers are text.
struct C_Otchet::Sheet {
    QPicture picture;
    bool landscape = false;
    std::unique_ptr<draw::Canvas> canvas;  // on the picture while open; ended first
};

C_Otchet::C_Otchet(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("C_Otchet"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    RunPrintDialog = [this](QPrinter& printer, int pageCount) {
        return DefaultPrintDialog(printer, pageCount);
    };
}

C_Otchet::~C_Otchet() = default;

// ----- pages

void C_Otchet::ClearList() {
    ShowPage(-1);
    pages_.clear();
    CurPage = 0;
    ViewPage = 0;
}

void C_Otchet::CreatePage(int portrait) {
    auto sheet = std::make_unique<Sheet>();
    sheet->landscape = portrait <= 0;
    if (sheet->landscape) {
        PageWidthMm = (kPageLong - MarginBottom - MarginTop) / PxPerMm;
        PageHeightMm = (kPageShort - MarginLeft - MarginRight) / PxPerMm;
    } else {
        PageWidthMm = (kPageShort - MarginLeft - MarginRight) / PxPerMm;
        PageHeightMm = (kPageLong - MarginBottom - MarginTop) / PxPerMm;
    }
    pages_.push_back(std::move(sheet));
}

void C_Otchet::PageSelect(int i) {
    if (i >= 0 && i < PageCount()) CurPage = i;
}

void C_Otchet::BeginDoc() {
    if (CurPage < 0 || CurPage >= PageCount()) return;
    Sheet& sheet = *pages_[static_cast<size_t>(CurPage)];
    if (sheet.canvas) return;
    // A page begun again is drawn anew.
    sheet.picture = QPicture();
    sheet.canvas = std::make_unique<draw::Canvas>(static_cast<QPaintDevice&>(sheet.picture));
}

void C_Otchet::EndDoc() {
    if (Sheet* sheet = OpenSheet()) sheet->canvas.reset();
}

C_Otchet::Sheet* C_Otchet::OpenSheet() const {
    if (CurPage < 0 || CurPage >= PageCount()) return nullptr;
    Sheet* sheet = pages_[static_cast<size_t>(CurPage)].get();
    return sheet->canvas ? sheet : nullptr;
}

int C_Otchet::PageCount() const {
    return static_cast<int>(pages_.size());
}

const QPicture* C_Otchet::Page(int i) const {
    if (i < 0 || i >= PageCount()) return nullptr;
    const Sheet& sheet = *pages_[static_cast<size_t>(i)];
    return sheet.canvas ? nullptr : &sheet.picture;
}

bool C_Otchet::PageLandscape(int i) const {
    return i >= 0 && i < PageCount() && pages_[static_cast<size_t>(i)]->landscape;
}

QSize C_Otchet::PageSize(int i) const {
    if (i < 0 || i >= PageCount()) return {};
    return PageLandscape(i) ? QSize(kPageLong, kPageShort) : QSize(kPageShort, kPageLong);
}

void C_Otchet::DrawPage(QPainter& painter, int i) const {
    if (i < 0 || i >= PageCount()) return;
    const Sheet& sheet = *pages_[static_cast<size_t>(i)];
    // A page still being recorded has nothing to replay yet.
    if (sheet.canvas) return;
    // A picture replays itself scaled by the device's resolution over the
    // screen's (a 96-dpi printer under a 120-dpi screen would get 0.8); the
    // pages are in device pixels, so that is undone here. The two scales
    // cancel, and text reaches a PDF as text.
    double sx = 1.0;
    double sy = 1.0;
    const QPaintDevice* device = painter.device();
    if (device != nullptr && device->logicalDpiX() > 0 && device->logicalDpiY() > 0) {
        sx = static_cast<double>(sheet.picture.logicalDpiX()) / device->logicalDpiX();
        sy = static_cast<double>(sheet.picture.logicalDpiY()) / device->logicalDpiY();
    }
    painter.save();
    painter.scale(sx, sy);
    painter.drawPicture(0, 0, sheet.picture);
    painter.restore();
}

QImage C_Otchet::RenderPage(int i, double scale) const {
    const QSize size = PageSize(i);
    if (size.isEmpty() || !(scale > 0.0)) return {};
    QImage image(static_cast<int>(std::ceil(size.width() * scale)),
                 static_cast<int>(std::ceil(size.height() * scale)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    DrawPage(painter, i);
    return image;
}

// ----- drawing

float C_Otchet::Boundary(int k) const {
    if (TabCols == 0) return 0;
    // Offsets exist for boundaries 0 ... 99 only.
    const float offset = k >= 0 && k < 100 ? ColOffset[k] : 0.0f;
    return (k * TabWidth / TabCols + offset) * PxPerMm;
}

float C_Otchet::RowHeight() const {
    return TabRowHeight == 0 ? static_cast<float>(std::abs(Font.height) + 4) : TabRowHeight;
}

void C_Otchet::AddLine(float x, float y, std::string_view text) {
    Sheet* sheet = OpenSheet();
    if (sheet == nullptr) return;
    draw::Canvas& cv = *sheet->canvas;
    cv.SetFont(Font);
    cv.TextOut(Px(x * PxPerMm + MarginLeft), Px(y * PxPerMm + MarginTop), text);
}

void C_Otchet::AddText(float x, float y, std::string_view text) {
    Sheet* sheet = OpenSheet();
    if (sheet == nullptr) return;
    draw::Canvas& cv = *sheet->canvas;
    cv.SetFont(Font);
    cv.SetPenColor(draw::ColorRef(0x0000FF));
    cv.SetBrushColor(draw::ColorRef(0x808080));
    cv.TextRect(0, 0, Px(x), Px(y), 2, 2, text);
}

void C_Otchet::AddTable(int cols, int rows, float x, float y, float w, float rowH) {
    Sheet* sheet = OpenSheet();
    if (sheet == nullptr) return;
    TabCols = static_cast<float>(cols);
    TabRows = static_cast<float>(rows);
    TabX = x;
    TabY = y;
    TabWidth = w;
    TabRowHeight = rowH;
    draw::Canvas& cv = *sheet->canvas;
    cv.SetFont(Font);
    const float h = RowHeight();
    cv.SetBrushStyle(draw::BrushStyle::Clear);
    const float x0 = x * PxPerMm + MarginLeft;
    const float y0 = y * PxPerMm + MarginTop;
    // The +1 puts neighbouring cells' borders on one line.
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            cv.Rectangle(Px(x0 + Boundary(c)), Px(y0 + r * h), Px(x0 + Boundary(c + 1) + 1),
                         Px(y0 + (r + 1) * h + 1));
        }
    }
    cv.SetBrushStyle(draw::BrushStyle::Solid);
}

void C_Otchet::Cells(int col, int row, std::string_view text, int align) {
    Sheet* sheet = OpenSheet();
    if (sheet == nullptr) return;
    draw::Canvas& cv = *sheet->canvas;
    cv.SetFont(Font);
    const float h = RowHeight();
    const float left = Boundary(col);
    const float right = Boundary(col + 1);
    const auto tw = static_cast<float>(cv.TextWidth(text));
    float offset = 0;
    if (align == 1) {
        offset = (right - left) * 0.5f - tw * 0.5f;
    } else if (align == 2) {
        offset = (right - left) - tw;
    } else if (align >= 6) {
        offset = static_cast<float>(align);
    }
    const float x0 = TabX * PxPerMm + MarginLeft;
    const float y0 = TabY * PxPerMm + MarginTop;
    cv.SetBrushStyle(draw::BrushStyle::Clear);
    cv.TextRect(Px(x0 + left), Px(y0 + row * h), Px(x0 + right + 1), Px(y0 + (row + 1) * h + 1),
                Px(x0 + left + offset), Px(y0 + row * h + 2), text);
    cv.SetBrushStyle(draw::BrushStyle::Solid);
}

void C_Otchet::ComCells(int col1, int row1, int col2, int row2, std::string_view text, int align) {
    Sheet* sheet = OpenSheet();
    if (sheet == nullptr) return;
    draw::Canvas& cv = *sheet->canvas;
    // No font here: the text takes the one the page was last given.
    const float h = RowHeight();
    const float x0 = TabX * PxPerMm + MarginLeft;
    const float y0 = TabY * PxPerMm + MarginTop;
    const int left = Px(x0 + Boundary(col1));
    const int top = Px(y0 + row1 * h);
    const int right = Px(x0 + Boundary(col2 + 1) + 1);
    const int bottom = Px(y0 + (row2 + 1) * h + 1);
    cv.SetBrushStyle(draw::BrushStyle::Solid);
    cv.FillRect(left, top, right, bottom, cv.GetBrush().color);
    unsigned flags = draw::dt::VCenter;
    if (align == 1) {
        flags = draw::dt::HCenter | draw::dt::VCenter | draw::dt::WordBreak;
    } else if (align == 2) {
        flags = draw::dt::HCenter | draw::dt::VCenter | draw::dt::WordBreak | draw::dt::SingleLine;
    } else if (align == 3) {
        flags = draw::dt::Right | draw::dt::VCenter | draw::dt::SingleLine;
    }
    cv.SetBrushStyle(draw::BrushStyle::Clear);
    cv.DrawText(left, top, right, bottom, text, flags);
    cv.SetBrushStyle(draw::BrushStyle::Solid);
}

void C_Otchet::GetGraf(const C_Buffer* buf, std::string_view nameX, std::string_view nameY, int chX,
                       int chY, float x, float y, float w, float h) {
    Sheet* sheet = OpenSheet();
    if (sheet == nullptr || !graf_ || buf == nullptr) return;
    const int width = Px(w * PxPerMm);
    const int height = Px(h * PxPerMm);
    // Many result rows leave the graph no room at all: then there is none.
    if (width <= 0 || height <= 0) return;
    graf_->Font.name = "Vortalinz";
    graf_->ProcGrid = 1.05;
    graf_->LineWidth = 2;
    graf_->ColorGrafik = 0x000000;
    graf_->ColorGrid = 0x000000;
    // The plot only reads the buffer when it renders into a page.
    graf_->Init(const_cast<C_Buffer*>(buf), std::string(nameX), std::string(nameY), chX, chY);
    graf_->GET_BUFFER(Px(x * PxPerMm + MarginLeft), Px(y * PxPerMm + MarginTop), width, height,
                      *sheet->canvas);
}

void C_Otchet::SetOrigin(int autoscale, float xMin, float xMax, float yMin, float yMax) {
    if (graf_) graf_->SetOrigin(autoscale != 0, xMin, xMax, yMin, yMax);
}
