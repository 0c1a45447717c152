#include "console/look.h"

#include <QFocusEvent>
#include <QFrame>

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QVBoxLayout>

#include <cmath>

#include "controls/cgrafic.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"

// The pictures are compiled into this static library: registered on first use.
static void InitAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace console {
namespace {

const QColor kPanelColour(46, 62, 84);

}  // namespace

TMegaButton* MakeButton(QWidget* parent, const char* name, const char* caption, ButtonKind kind,
                        int w, int h) {
    auto* b = new TMegaButton(parent);
    b->setObjectName(name);
    b->Caption = caption;
    b->Font = draw::Font::FromPoints("DejaVu Sans", 12);
    b->Font.bold = true;
    ApplyStationLook(*b);
    b->DownOk = kind == ButtonKind::Toggle;
    b->Radio = kind == ButtonKind::Radio;
    b->setMinimumSize(w, h);
    b->setToolTip(QString::fromUtf8(caption));
    return b;
}

TMegaButton* MakeSmallButton(QWidget* parent, const char* name, const char* caption,
                             ButtonKind kind) {
    TMegaButton* b = MakeButton(parent, name, caption, kind, 46, 38);
    b->Font = draw::Font::FromPoints("DejaVu Sans", 10);
    b->Font.bold = true;
    b->RoundX = 10;
    b->RoundY = 10;
    b->BorderWidth = 2;
    b->setMaximumHeight(40);
    return b;
}

void StylePanel(QFrame* p, const char* name) {
    p->setObjectName(name);
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, kPanelColour);
    pal.setColor(QPalette::WindowText, Qt::white);
    p->setPalette(pal);
}

QFrame* MakePanel(QWidget* parent, const char* name) {
    auto* p = new QFrame(parent);
    StylePanel(p, name);
    return p;
}

void StyleFloatingPanel(QFrame* p, const char* name, const char* title, int w, int h) {
    StylePanel(p, name);
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p->setLineWidth(3);
    p->resize(w, h);
    auto* layout = new QVBoxLayout(p);
    layout->addWidget(MakeLabel(p, "", title, 20));
    p->hide();
}

QFrame* MakeFloatingPanel(QWidget* parent, const char* name, const char* title, int w, int h) {
    auto* p = new QFrame(parent);
    StyleFloatingPanel(p, name, title, w, h);
    return p;
}

TMegaDatchik* MakeReadout(QWidget* parent, const char* name, int rows) {
    auto* d = new TMegaDatchik(parent);
    d->setObjectName(name);
    d->AddTablo(rows);
    d->setMinimumHeight(41 * (rows - 1) + 52);
    return d;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const std::string& text, int pixelSize) {
    auto* l = new QLabel(QString::fromStdString(text), parent);
    if (*name != '\0') l->setObjectName(name);
    QFont f = l->font();
    f.setPixelSize(pixelSize);
    f.setBold(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    return l;
}

void SetButtonDown(TMegaButton* button, bool down) {
    if (button != nullptr) button->SetDown(down);
}

void SetButtonEnabled(TMegaButton* button, bool enabled) {
    if (button != nullptr) button->SetEnable(enabled);
}

QImage Picture(const char* name) {
    static const bool registered = (InitAssets(), true);
    (void)registered;
    // Decoded by Qt's JPEG reader (libjpeg).
    return QImage(QStringLiteral(":/assets/") + QString::fromLatin1(name));
}

void StyleBarePanel(QFrame* p, const char* name, int w, int h) {
    StylePanel(p, name);
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p->setLineWidth(3);
    p->resize(w, h);
    p->hide();
}

QFrame* MakeBarePanel(QWidget* parent, const char* name, int w, int h) {
    auto* p = new QFrame(parent);
    StyleBarePanel(p, name, w, h);
    return p;
}

void TouchFont(QWidget* w, int pixels) {
    QFont f = w->font();
    f.setPixelSize(pixels);
    w->setFont(f);
}

QString Qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont PixelFont(const QFont& base, int pixels, bool bold) {
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

namespace {

int Scaled(int base, double scale) {
    return static_cast<int>(std::lround(base * scale));
}

// A size bound grown by scale; 0 and "no bound" stay as they are.
int ScaledBound(int base, double scale) {
    return base <= 0 || base >= QWIDGETSIZE_MAX ? base
                                                : std::min(QWIDGETSIZE_MAX, Scaled(base, scale));
}

// The value a widget was built with, kept on its first refit.
template <class T>
T Base(QWidget* w, const char* key, const T& now) {
    const QVariant kept = w->property(key);
    if (kept.isValid()) return kept.value<T>();
    w->setProperty(key, QVariant::fromValue(now));
    return now;
}

bool InsideReadout(const QWidget* w) {
    for (const QWidget* at = w->parentWidget(); at != nullptr; at = at->parentWidget()) {
        if (qobject_cast<const TMegaDatchik*>(at) != nullptr) return true;
    }
    return false;
}

}  // namespace

void FitControls(QWidget* root, double scale) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        // Other windows (the keyboard) size themselves; a readout lays out its rows.
        if (w != root && (w->isWindow() || InsideReadout(w))) continue;
        if (w != root) {
            const QSize min = Base(w, "look.min", w->minimumSize());
            const QSize max = Base(w, "look.max", w->maximumSize());
            w->setMinimumSize(ScaledBound(min.width(), scale), ScaledBound(min.height(), scale));
            w->setMaximumSize(ScaledBound(max.width(), scale), ScaledBound(max.height(), scale));
            const bool floating = w->parentWidget() != nullptr &&
                                  w->parentWidget()->layout() != nullptr &&
                                  w->parentWidget()->layout()->indexOf(w) < 0 &&
                                  qobject_cast<QFrame*>(w) != nullptr && w->layout() != nullptr;
            if (floating) {
                const QSize size = Base(w, "look.size", w->size());
                w->resize(Scaled(size.width(), scale), Scaled(size.height(), scale));
            }
        }
        if (w == root || w->testAttribute(Qt::WA_SetFont)) {
            QFont f = w->font();
            if (f.pixelSize() > 0)
                f.setPixelSize(Scaled(Base(w, "look.px", f.pixelSize()), scale));
            else
                f.setPointSizeF(Base(w, "look.pt", f.pointSizeF()) * scale);
            w->setFont(f);
        }
        if (auto* b = qobject_cast<TMegaButton*>(w)) {
            b->Font.height = Scaled(Base(w, "look.font", b->Font.height), scale);
            const int need = b->CaptionWidthNeeded();
            if (b->minimumWidth() < need) b->setMinimumWidth(need);
            b->Draw();
        }
        if (auto* d = qobject_cast<TMegaDatchik*>(w)) d->SetScale(scale);
        if (auto* g = qobject_cast<CGrafic*>(w)) g->SetScale(scale);
    }
}

TapIntoField::TapIntoField(QWidget* field, std::function<void()> action)
    : QObject(field), action_(std::move(action)) {
    field->installEventFilter(this);
}

bool TapIntoField::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
        action_();
    return false;
}

}  // namespace console
