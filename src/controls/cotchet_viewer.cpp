// The page canvas's viewer (cotchet.h): one page at a zoom in a scroll area.
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>

#include "controls/cgrafic.h"
#include "controls/cotchet.h"

// Shows one page at the zoom. Below 100 % the page is drawn from a picture
// of it at full size, smoothly reduced, so that one-pixel rulings do not
// drop out; from 100 % up it is replayed at the scale, and text stays sharp.
class C_Otchet::PageView : public QWidget {
public:
    explicit PageView(const C_Otchet& owner) : owner_(owner) {}

    int Shown() const { return page_; }

    void Show(int page, int zoom) {
        page_ = page;
        full_ = page >= 0 ? owner_.RenderPage(page) : QImage();
        SetZoom(zoom);
        update();
    }

    void SetZoom(int zoom) {
        zoom_ = zoom;
        const QSize page = owner_.PageSize(page_);
        if (page.isEmpty()) {
            setFixedSize(0, 0);
        } else {
            setFixedSize(page.width() * zoom / 100, page.height() * zoom / 100);
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (page_ < 0) return;
        if (zoom_ < 100) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(QRect(QPoint(0, 0), size()), full_);
            return;
        }
        const double scale = zoom_ / 100.0;
        painter.scale(scale, scale);
        owner_.DrawPage(painter, page_);
    }

private:
    const C_Otchet& owner_;
    int page_ = -1;
    int zoom_ = 100;
    QImage full_;
};

void C_Otchet::CreateViewer() {
    // Replaced, not kept: the old viewer goes with its page view.
    delete viewer_;
    viewer_ = new QScrollArea(this);
    viewer_->setObjectName(QStringLiteral("Viewer"));
    viewer_->setBackgroundRole(QPalette::Dark);
    viewer_->setAlignment(Qt::AlignCenter);
    view_ = new PageView(*this);
    viewer_->setWidget(view_);
    layout()->addWidget(viewer_);
    zoom_ = 100;
    view_->SetZoom(zoom_);
    graf_ = std::make_unique<CGrafic>();
}

void C_Otchet::ShowPage(int i) {
    if (view_ != nullptr) view_->Show(i, zoom_);
}

int C_Otchet::ShownPage() const {
    return view_ != nullptr ? view_->Shown() : -1;
}

void C_Otchet::Preview() {
    if (viewer_ == nullptr || pages_.empty()) return;
    ShowPage(0);
    ZoomPage();
}

void C_Otchet::NextPage() {
    if (viewer_ == nullptr || pages_.empty()) return;
    ViewPage = std::min(ViewPage + 1, PageCount() - 1);
    ShowPage(ViewPage);
    ZoomPage();
}

void C_Otchet::LastPage() {
    if (viewer_ == nullptr || pages_.empty()) return;
    ViewPage = std::clamp(ViewPage - 1, 0, PageCount() - 1);
    ShowPage(ViewPage);
    ZoomPage();
}

int C_Otchet::GetCurrentPage() const {
    return ViewPage;
}

int C_Otchet::Zoom() const {
    return zoom_;
}

void C_Otchet::SetZoom(int percent) {
    if (viewer_ == nullptr || percent < 2 || percent > 2000) return;
    zoom_ = percent;
    view_->SetZoom(zoom_);
}

void C_Otchet::ZoomUp() {
    if (viewer_ == nullptr || pages_.empty()) return;
    SetZoom(std::min(zoom_ + 10, 500));
}

void C_Otchet::ZoomDown() {
    if (viewer_ == nullptr || pages_.empty()) return;
    SetZoom(std::max(zoom_ - 10, 0));
}

void C_Otchet::ZoomPage() {
    if (viewer_ == nullptr || pages_.empty()) return;
    const int shown = view_->Shown();
    const QSize page = PageSize(shown >= 0 ? shown : ViewPage);
    if (page.isEmpty()) return;
    // The room without scroll bars: a whole page needs none.
    const QSize room = viewer_->maximumViewportSize();
    SetZoom(std::min(room.width() * 100 / page.width(), room.height() * 100 / page.height()));
}
