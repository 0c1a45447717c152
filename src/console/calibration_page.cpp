// The calibration page of the settings screen: a measuring channel's table
// of reference and real values, typed straight into the channel, and the
// button that sends the table to the unit.

#include "console/calibration_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "console/look.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "model/ckanal.h"
#include "model/numtext.h"
#include "platform/formatfloat.h"
#include "station/station_settings.h"

namespace {

// The unit's table holds this many points: the rows of the page.
constexpr int kRows = C_Kanal::kUnitTablePoints;
// Rows shown side by side: two blocks of ten keep the fields touch-sized.
constexpr int kRowsPerBlock = 10;

}  // namespace

namespace console {

CalibrationPage::CalibrationPage(station::StationSettings& settings, QWidget* parent)
    : QFrame(parent), settings_(settings) {
    StylePanel(this, "CalibPage");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 8, 12, 8);

    auto* choice = new QHBoxLayout;
    auto combo = [this](const char* name, QStringList items) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->setFont(PixelFont(box->font(), 22, true));
        box->setMinimumSize(120, 48);
        box->addItems(items);
        return box;
    };
    LinChan = combo("LinChan", {"F", "L", "E", "F1", "L1"});
    QStringList counts;
    for (int n = 0; n <= kRows; ++n)
        counts << QString::number(n);
    LinPoint = combo("LinPoint", counts);
    LinPoint->setMaxVisibleItems(kRows + 1);
    choice->addWidget(MakeLabel(this, "", "Канал", 20));
    choice->addWidget(LinChan);
    choice->addSpacing(30);
    choice->addWidget(MakeLabel(this, "", "Кол. точек", 20));
    choice->addWidget(LinPoint);
    choice->addStretch(1);
    SAVE_CALIB_POINT = MakeButton(this, "SAVE_CALIB_POINT", "СОХРАНИТЬ", ButtonKind::Push, 200, 56);
    SAVE_CALIB_POINT->setToolTip(QString::fromUtf8("Записать таблицу канала в блок управления"));
    choice->addWidget(SAVE_CALIB_POINT);
    column->addLayout(choice);
    column->addSpacing(8);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    for (int block = 0; block < kRows / kRowsPerBlock; ++block) {
        const int c = block * 4;
        for (auto [offset, text] :
             {std::pair{1, "Эталонное значение"}, std::pair{2, "Реальное значение"}}) {
            // Two words on two lines where the columns are narrow.
            QLabel* heading = MakeLabel(this, "", text, 16);
            heading->setWordWrap(true);
            heading->setAlignment(Qt::AlignCenter);
            grid->addWidget(heading, 0, c + offset);
        }
        if (block > 0) grid->setColumnMinimumWidth(c - 1, 30);
    }
    for (int row = 1; row <= kRows; ++row) {
        const int c = (row - 1) / kRowsPerBlock * 4;
        const int r = (row - 1) % kRowsPerBlock + 1;
        grid->addWidget(MakeLabel(this, "", std::to_string(row) + ".", 18), r, c, Qt::AlignRight);
        auto field = [&](const std::string& name) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QString::fromStdString(name + std::to_string(row)));
            edit->setFont(PixelFont(edit->font(), 20));
            edit->setMinimumHeight(40);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return edit;
        };
        QLineEdit* reference = PI[row - 1] = field("PI");
        QLineEdit* real = PR[row - 1] = field("PR");
        grid->addWidget(reference, r, c + 1);
        grid->addWidget(real, r, c + 2);
        // Every typed character reaches the channel at once.
        connect(reference, &QLineEdit::textEdited, this,
                [this, row](const QString& text) { FieldEdited(true, row, text); });
        connect(real, &QLineEdit::textEdited, this,
                [this, row](const QString& text) { FieldEdited(false, row, text); });
    }
    column->addLayout(grid);
    CalibMessage = MakeLabel(this, "CalibMessage", "", 20);
    column->addWidget(CalibMessage);
    column->addStretch(1);

    // Only the operator's choices act: the page sets the lists itself when
    // it shows a channel.
    connect(LinChan, &QComboBox::activated, this, [this] { ChannelChosen(); });
    connect(LinPoint, &QComboBox::activated, this, [this] { CountChosen(); });
    SAVE_CALIB_POINT->OnClick = [this](TMegaButton*) { SaveClicked(); };
}

void CalibrationPage::Open() {
    LinChan->setCurrentIndex(0);
    ChannelChosen();
}

void CalibrationPage::WatchFields(QObject* filter) {
    for (size_t row = 0; row < std::size(PI); ++row) {
        PI[row]->installEventFilter(filter);
        PR[row]->installEventFilter(filter);
    }
}

C_Kanal* CalibrationPage::Channel() {
    const int index = LinChan->currentIndex();
    if (!work_ || index < 0) return nullptr;
    return &work_->Channel(index + 1);
}

void CalibrationPage::ChannelChosen() {
    const C_Kanal* channel = Channel();
    const int points = channel != nullptr ? channel->tablePoints : -1;
    const bool valid = points >= 0 && points <= kRows;
    LinPoint->setCurrentIndex(valid ? points : -1);
    LinPoint->setEnabled(valid);
    // Only shown: a count the page cannot show stays in the channel as it is.
    Fill();
}

void CalibrationPage::CountChosen() {
    C_Kanal* channel = Channel();
    if (channel == nullptr || LinPoint->currentIndex() < 0) return;
    channel->tablePoints = LinPoint->currentIndex();
    // Live readings use the points in use from now on.
    channel->MakeSegments();
    Fill();
}

void CalibrationPage::Fill() {
    const C_Kanal* channel = Channel();
    const int n = channel != nullptr ? LinPoint->currentIndex() : -1;
    CalibMessage->clear();
    for (int row = 1; row <= kRows; ++row) {
        const bool used = row <= n;
        const size_t i = static_cast<size_t>(row - 1);
        PI[i]->setText(
            used ? QString::fromStdString(platform::FormatFloat("0.000", channel->tableY[i]))
                 : QString());
        PR[i]->setText(
            used ? QString::fromStdString(platform::FormatFloat("0.000", channel->tableX[i]))
                 : QString());
        PI[i]->setEnabled(used);
        PR[i]->setEnabled(used);
    }
}

void CalibrationPage::FieldEdited(bool reference, int row, const QString& text) {
    C_Kanal* channel = Channel();
    if (channel == nullptr) return;
    // A cleared field is 0; a text that is not a number, whole, stores nothing.
    const std::string typed = text.toStdString();
    const std::optional<double> value = typed.empty() ? 0.0 : ReadTypedFloat(typed);
    CalibMessage->setText(value ? QString() : QString::fromUtf8("ВВЕДИТЕ ЧИСЛО"));
    if (!value) return;
    if (reference)
        channel->SetTableY(row - 1, *value);
    else
        channel->SetTableX(row - 1, *value);
}

void CalibrationPage::SaveClicked() {
    if (LinPoint->currentIndex() < 0) return;
    // The unit numbers its channels from 1 ("F" is 1), as the list does not.
    settings_.SaveCalibration(LinChan->currentIndex() + 1);
}

}  // namespace console
