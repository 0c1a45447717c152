#include "printpanel.h"

#include "megabutton.h"

#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor kPanel(46, 62, 84);
const QColor kText(255, 255, 255);
const QColor kWarning(255, 220, 120);

// The panel grows with the window from the station's smallest one.
double Scale(const QWidget* window) {
    const double s = std::min(window->width() / 1032.0, window->height() / 755.0);
    return std::clamp(s, 1.0, 2.0);
}

int Px(double pixels, double scale) {
    return static_cast<int>(pixels * scale + 0.5);
}

TMegaButton* Button(QWidget* parent, const char* name, const QString& caption, double scale, int w,
                    int h) {
    auto* b = new TMegaButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->Caption = caption.toStdString();
    b->Font = draw::Font::FromPoints("DejaVu Sans", Px(14, scale));
    b->Font.bold = true;
    ApplyStationLook(*b);
    b->setMinimumSize(Px(w, scale), Px(h, scale));
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return b;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, double scale, int pixels,
              const QColor& colour = kText) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f = l->font();
    f.setPixelSize(Px(pixels, scale));
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    return l;
}

}  // namespace

void ApplyPrintChoice(const PrintChoice& choice, int pageCount, QPrinter& printer) {
    if (choice.printer.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(choice.pdfFile);
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(choice.printer);
    }
    // After the printer: choosing one resets its copies.
    printer.setCopyCount(std::clamp(choice.copies, 1, TPrintPanel::kMaxCopies));
    printer.setCollateCopies(true);
    const int from = std::clamp(choice.from, 1, std::max(pageCount, 1));
    const int to = std::clamp(choice.to, from, std::max(pageCount, 1));
    if (from == 1 && to == pageCount) {
        printer.setPrintRange(QPrinter::AllPages);
        printer.setFromTo(1, pageCount);
    } else {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    }
}

QString FreePdfName(const QString& folder) {
    const QDir dir(folder);
    QString name = dir.filePath(QStringLiteral("Протокол.pdf"));
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = dir.filePath(QStringLiteral("Протокол (%1).pdf").arg(n));
    return name;
}

TPrintPanel::TPrintPanel(QWidget* window, const QStringList& printers, const QString& preferred,
                         int pageCount, const QString& pdfFile)
    : QWidget(window), printers_(printers), pageCount_(std::max(pageCount, 1)) {
    setObjectName(QStringLiteral("PrintShade"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#PrintShade { background: rgba(0, 0, 0, 110); }"));
    from_ = 1;
    to_ = pageCount_;
    const double s = Scale(window);

    auto* frame = new QFrame(this);
    panel_ = frame;
    frame->setObjectName(QStringLiteral("PrintPanel"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(3);
    frame->setAutoFillBackground(true);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, kPanel);
    frame->setPalette(pal);

    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(Px(20, s), Px(14, s), Px(20, s), Px(14, s));
    column->setSpacing(Px(10, s));
    column->addWidget(Label(frame, "PrintTitle", QStringLiteral("Печать"), s, 30));

    column->addWidget(Label(frame, "PrintPrinterCaption", QStringLiteral("Принтер"), s, 22));
    if (printers_.isEmpty()) {
        QLabel* none = Label(frame, "PrintNoPrinter",
                             QStringLiteral("Принтер не установлен: протокол можно записать "
                                            "в файл PDF."),
                             s, 20, kWarning);
        none->setWordWrap(true);
        column->addWidget(none);
    }
    // The printers and the file, two to a row; a long list scrolls.
    auto* scroll = new QScrollArea(frame);
    scroll->setObjectName(QStringLiteral("PrintChoices"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* inner = new QWidget(scroll);
    inner->setAutoFillBackground(true);
    inner->setPalette(pal);
    auto* grid = new QGridLayout(inner);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(Px(8, s));
    const int count = static_cast<int>(printers_.size());
    for (int i = 0; i <= count; ++i) {
        const QString caption = i < count ? printers_[i] : QStringLiteral("В файл PDF");
        const QByteArray name = i < count ? QByteArray("PrintPrinter") + QByteArray::number(i)
                                          : QByteArray("PrintToPdf");
        TMegaButton* b = Button(inner, name.constData(), caption, s, 200, 56);
        b->Radio = true;
        b->setToolTip(caption);
        b->OnClick = [this, i](TMegaButton*) { Choose(i); };
        grid->addWidget(b, i / 2, i % 2);
        choices_.push_back(b);
    }
    scroll->setWidget(inner);
    const int rows = std::min((count + 2) / 2, 3);
    scroll->setFixedHeight(rows * Px(56, s) + (rows - 1) * Px(8, s) + 2);
    column->addWidget(scroll);

    file_ = new QLineEdit(pdfFile, frame);
    file_->setObjectName(QStringLiteral("PrintFile"));
    QFont f = file_->font();
    f.setPixelSize(Px(20, s));
    file_->setFont(f);
    file_->setMinimumHeight(Px(52, s));
    column->addWidget(file_);

    auto stepper = [&](const char* caption, const char* shown, int* value, int low,
                       const int* high) {
        auto* row = new QHBoxLayout;
        row->setSpacing(Px(8, s));
        QLabel* title = Label(frame, "", QString::fromUtf8(caption), s, 22);
        title->setMinimumWidth(Px(150, s));
        row->addWidget(title);
        const QByteArray base(shown);
        TMegaButton* minus =
            Button(frame, (base + "Minus").constData(), QStringLiteral("−"), s, 80, 56);
        QLabel* number = Label(frame, shown, {}, s, 26);
        number->setAlignment(Qt::AlignCenter);
        number->setMinimumWidth(Px(80, s));
        TMegaButton* plus =
            Button(frame, (base + "Plus").constData(), QStringLiteral("+"), s, 80, 56);
        minus->OnClick = [this, value, low, high](TMegaButton*) { Step(*value, -1, low, *high); };
        plus->OnClick = [this, value, low, high](TMegaButton*) { Step(*value, +1, low, *high); };
        row->addWidget(minus);
        row->addWidget(number);
        row->addWidget(plus);
        row->addStretch(1);
        column->addLayout(row);
        return number;
    };
    static constexpr int kCopiesHigh = kMaxCopies;
    copiesShown_ = stepper("Копии", "PrintCopies", &copies_, 1, &kCopiesHigh);
    if (pageCount_ > 1) {
        fromShown_ = stepper("Страницы с", "PrintFrom", &from_, 1, &to_);
        toShown_ = stepper("по", "PrintTo", &to_, 1, &pageCount_);
    }

    auto* answers = new QHBoxLayout;
    answers->addStretch(1);
    TMegaButton* ok = Button(frame, "PrintOk", QStringLiteral("ПЕЧАТЬ"), s, 200, 64);
    TMegaButton* cancel = Button(frame, "PrintCancel", QStringLiteral("ОТМЕНА"), s, 200, 64);
    ok->OnClick = [this](TMegaButton*) {
        // A file needs a name: the panel stays, the field turns pink.
        const bool noName =
            chosen_ == static_cast<int>(printers_.size()) && file_->text().trimmed().isEmpty();
        QPalette p = file_->palette();
        p.setColor(QPalette::Base, noName ? QColor(255, 192, 203) : QColor(Qt::white));
        file_->setPalette(p);
        if (!noName) answer_ = 1;
    };
    cancel->OnClick = [this](TMegaButton*) { answer_ = 0; };
    answers->addWidget(ok);
    answers->addSpacing(Px(30, s));
    answers->addWidget(cancel);
    answers->addStretch(1);
    column->addLayout(answers);

    const int first = static_cast<int>(printers_.indexOf(preferred));
    Choose(first >= 0 ? first : 0);
    ShowNumbers();
    window->installEventFilter(this);
    hide();
}

void TPrintPanel::Choose(int index) {
    chosen_ = std::clamp(index, 0, static_cast<int>(printers_.size()));
    for (size_t i = 0; i < choices_.size(); ++i)
        choices_[i]->SetDown(static_cast<int>(i) == chosen_);
    file_->setEnabled(chosen_ == static_cast<int>(printers_.size()));
}

void TPrintPanel::Step(int& value, int delta, int low, int high) {
    value = std::clamp(value + delta, low, std::max(low, high));
    // "с" never passes "по".
    from_ = std::min(from_, to_);
    ShowNumbers();
}

void TPrintPanel::ShowNumbers() {
    copiesShown_->setText(QString::number(copies_));
    if (fromShown_ != nullptr) fromShown_->setText(QString::number(from_));
    if (toShown_ != nullptr) toShown_->setText(QString::number(to_));
}

PrintChoice TPrintPanel::Choice() const {
    PrintChoice c;
    if (chosen_ < static_cast<int>(printers_.size())) c.printer = printers_[chosen_];
    c.pdfFile = file_->text().trimmed();
    c.copies = copies_;
    c.from = from_;
    c.to = to_;
    return c;
}

void TPrintPanel::Fit() {
    QWidget* window = parentWidget();
    setGeometry(window->rect());
    const double s = Scale(window);
    const int w = std::min(Px(900, s), window->width() - 20);
    const int h = std::min(panel_->sizeHint().height(), window->height() - 20);
    panel_->setGeometry((window->width() - w) / 2, (window->height() - h) / 2, w, h);
}

bool TPrintPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) Fit();
    return QWidget::eventFilter(watched, event);
}

std::optional<PrintChoice> TPrintPanel::Run() {
    answer_ = -1;
    Fit();
    show();
    raise();
    // A local loop, not a modal one: the keyboard window must stay usable.
    QPointer<TPrintPanel> alive(this);
    QEventLoop loop;
    while (alive != nullptr && answer_ < 0 && isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    if (alive == nullptr) return std::nullopt;
    hide();
    if (answer_ != 1) return std::nullopt;
    return Choice();
}
