// The extensometer window: its port, grips and positioning, the log of what
// each action returns, and the control bar's button that opens it.

#include "console/extens_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <system_error>

#include "console/look.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_screen.h"
#include "controls/canvas.h"
#include "controls/megabutton.h"
#include "link/qlm_comex.h"
#include "model/numtext.h"
#include "platform/serialport.h"

namespace console {

std::optional<float> ParseWindowNumber(std::string_view text) {
    // The program's one reader; its numbers are single precision already.
    const std::optional<double> v = ReadTypedFloat(text);
    if (!v) return std::nullopt;
    return static_cast<float>(*v);
}

}  // namespace console

namespace {

// Captions of the window: Arial, bold, 19 pixels, blue.
QFont CaptionFont() {
    QFont f(draw::MapFontFamily("Arial"));
    f.setPixelSize(19);
    f.setBold(true);
    return f;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text, const QColor& colour) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(name);
    l->setFont(CaptionFont());
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}

QLineEdit* Field(QWidget* parent, const char* name, const char* text, bool readOnly, int width) {
    auto* e = new QLineEdit(QString::fromUtf8(text), parent);
    e->setObjectName(name);
    QFont f(draw::MapFontFamily("Arial"));
    f.setPixelSize(17);
    e->setFont(f);
    e->setReadOnly(readOnly);
    e->setMinimumWidth(width);
    e->setMinimumHeight(30);
    return e;
}

// The extensometer as the operator sees it on the specimen: its body, two
// arms with their knife edges on the specimen, and the base between them.
class ExtensPicture final : public QWidget {
public:
    explicit ExtensPicture(QWidget* parent) : QWidget(parent) {
        setObjectName("ExtensDrawing");
        setFixedSize(250, 230);
        auto* model = Caption(this, "LabelModel", "RVK-260", Qt::white);
        model->move(14, 104);
        Caption(this, "LabelBase", " БАЗА Lo", Qt::blue)->move(160, 100);
        Caption(this, "LabelLe", "Le", Qt::blue)->move(196, 186);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QColor body(30, 60, 120);
        const QColor edge(20, 20, 20);
        p.setPen(edge);
        // The specimen.
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(126, 4, 22, 222);
        // Body, its cover and the two arms.
        p.setBrush(body);
        p.drawRect(8, 30, 100, 170);
        p.setBrush(QColor(60, 100, 170));
        p.drawRect(14, 40, 88, 50);
        p.setBrush(body);
        p.drawRect(108, 56, 18, 12);
        p.drawRect(108, 156, 18, 12);
        // Knife edges on the specimen.
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(120, 54, 6, 16);
        p.drawRect(120, 154, 6, 16);
        // The base between the edges, and the elongation below.
        p.setPen(QPen(Qt::blue, 2));
        p.drawLine(156, 62, 156, 162);
        p.drawLine(150, 62, 162, 62);
        p.drawLine(150, 162, 162, 162);
        p.drawLine(156, 176, 156, 212);
        p.drawLine(150, 212, 162, 212);
        p.drawLine(156, 212, 190, 212);
    }
};

void Wire(TMegaButton* b, TExtens* w, void (TExtens::*action)()) {
    b->OnClick = [w, action](TMegaButton*) { (w->*action)(); };
}

}  // namespace

TExtens::TExtens(QLM_COMeX& link, QWidget* parent) : QWidget(parent), link_(link) {
    setObjectName("TExtens");
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setWindowTitle(QString::fromUtf8("Управление экстензометром"));
    resize(837, 287);
    move(222, 165);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    auto* page = new QWidget;
    page->setObjectName("TabSheet1");
    PageControl1->addTab(page, QString::fromUtf8("Тест RVK"));
    outer->addWidget(PageControl1);

    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(6, 6, 6, 6);
    ExtensDrawing = new ExtensPicture(page);
    row->addWidget(ExtensDrawing);

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(6);
    Edit3 = Field(page, "Edit3", "", true, 110);
    Edit1 = Field(page, "Edit1", "50", false, 80);
    Edit2 = Field(page, "Edit2", "20", false, 80);
    Edit6 = Field(page, "Edit6", "", true, 80);
    Button2 = console::MakeButton(page, "Button2", "?", console::ButtonKind::Push, 36, 32);
    const QColor blue = Qt::blue;
    fields->addWidget(Caption(page, "Label1", "Датчик", blue), 0, 0);
    fields->addWidget(Edit3, 0, 1);
    fields->addWidget(Button2, 0, 2);
    fields->addWidget(Caption(page, "Label2", "База", blue), 1, 0);
    fields->addWidget(Edit1, 1, 1);
    fields->addWidget(Caption(page, "Label5", "мм", blue), 1, 2);
    fields->addWidget(Caption(page, "Label3", "Нач. позиция", blue), 2, 0);
    fields->addWidget(Edit2, 2, 1);
    fields->addWidget(Caption(page, "Label6", "мм", blue), 2, 2);
    fields->addWidget(Caption(page, "Label4", "Тек.знач", blue), 3, 0);
    fields->addWidget(Edit6, 3, 1);
    Button1 =
        console::MakeButton(page, "Button1", "Подключить", console::ButtonKind::Push, 150, 40);
    Button3 = console::MakeButton(page, "Button3", "Отключить", console::ButtonKind::Push, 150, 40);
    auto* port = new QHBoxLayout;
    port->addWidget(Button1);
    port->addWidget(Button3);
    fields->addLayout(port, 4, 0, 1, 3);
    fields->setRowStretch(5, 1);
    row->addLayout(fields);

    auto* actions = new QVBoxLayout;
    SpeedButton1 = console::MakeButton(page, "SpeedButton1", "ЗАКРЫТЬ");
    SpeedButton3 = console::MakeButton(page, "SpeedButton3", "ОТКРЫТЬ");
    SpeedButton2 = console::MakeButton(page, "SpeedButton2", "НА ПОЗИЦИЮ");
    SpeedButton4 = console::MakeButton(page, "SpeedButton4", "ПАРКОВКА");
    for (TMegaButton* b : {SpeedButton1, SpeedButton3, SpeedButton2, SpeedButton4}) {
        b->setMinimumSize(140, 44);
        b->Font.SetSize(11);
        actions->addWidget(b);
    }
    actions->addStretch(1);
    row->addLayout(actions);

    Cons = new QListWidget(page);
    Cons->setObjectName("Cons");
    Cons->setMinimumWidth(170);
    QFont logFont(draw::MapFontFamily("Arial"));
    logFont.setPixelSize(14);
    Cons->setFont(logFont);
    row->addWidget(Cons, 1);

    Wire(Button1, this, &TExtens::Button1Click);
    Wire(Button2, this, &TExtens::Button2Click);
    Wire(Button3, this, &TExtens::Button3Click);
    Wire(SpeedButton1, this, &TExtens::SpeedButton1Click);
    Wire(SpeedButton2, this, &TExtens::SpeedButton2Click);
    Wire(SpeedButton3, this, &TExtens::SpeedButton3Click);
    Wire(SpeedButton4, this, &TExtens::SpeedButton4Click);
}

std::string TExtens::LogLine(int row) const {
    const QListWidgetItem* item = Cons->item(row);
    return item != nullptr ? item->text().toStdString() : std::string();
}

int TExtens::LogCount() const {
    return Cons->count();
}

void TExtens::AddLine(const std::string& line) {
    Cons->addItem(QString::fromStdString(line));
    Cons->scrollToBottom();
}

std::optional<float> TExtens::FieldNumber(const QLineEdit* field, const char* caption) {
    const std::string text = field->text().toStdString();
    const std::optional<float> value = console::ParseWindowNumber(text);
    if (!value) AddLine(std::string(">") + caption + ": '" + text + "' не число");
    return value;
}

void TExtens::Button1Click() {
    link_.speedText = "9600";
    link_.portName = portName;
    link_.Close();
    if (link_.Open(1)) {
        AddLine(">Порт подключен");
        link_.Stop();
    } else {
        link_.Close();
        AddLine(">Ошибка порта");
    }
}

void TExtens::Button3Click() {
    link_.Close();
    AddLine(">Порт отключен");
}

void TExtens::Button2Click() {
    Edit3->setText(QString::fromStdString(link_.Identify()));
}

void TExtens::SpeedButton1Click() {
    AddLine(link_.CloseGrips(1));
}

void TExtens::SpeedButton3Click() {
    AddLine(link_.OpenGrips());
}

void TExtens::SpeedButton2Click() {
    const std::optional<float> start = FieldNumber(Edit2, "Нач. позиция");
    if (!start) return;
    if (*start < lowerLimit) {
        AddLine("Начальная позиция меньше ограничения.");
        return;
    }
    const std::optional<float> base = FieldNumber(Edit1, "База");
    if (!base) return;
    AddLine(link_.Calibrate(*start, *base));
}

void TExtens::SpeedButton4Click() {
    // Parking lists nothing.
    link_.Calibrate(lowerLimit, 10.0f);
}

// ----- the main window's side

void TFBase::BuildExtensWindow() {
    ExtensLink = std::make_unique<QLM_COMeX>(platform::ListSerialPorts());
    // Hidden until the operator opens it; a window of its own, not a child:
    // its controls keep their names apart from the main window's.
    Extens = std::make_unique<TExtens>(*ExtensLink);
    connect(this, &TFBase::programEnded, Extens.get(), &QWidget::close);

    // Opened from the work screen's control bar.
    connect(&workScreen_->ControlBar(), &console::WorkControlBar::extensRequested, this, [this] {
        Extens->show();
        Extens->raise();
        Extens->activateWindow();
    });
}
