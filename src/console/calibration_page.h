#pragma once

#include <QFrame>

class C_Kanal;
class C_Work;
class QComboBox;
class QLabel;
class QLineEdit;
class QString;
class TMegaButton;

namespace station {
class StationSettings;
}

namespace console {

// The calibration page of the settings screen: a measuring channel's table
// of reference and real values, typed straight into the channel, and the
// button that sends the table to the unit.
class CalibrationPage : public QFrame {
    Q_OBJECT

public:
    explicit CalibrationPage(station::StationSettings& settings, QWidget* parent = nullptr);

    // The engine whose channels the page edits; null before it exists.
    void Bind(C_Work* work) { work_ = work; }
    // The page as it opens: the first channel and its table.
    void Open();
    // `filter` sees every table field's events (the keyboard follows the focus).
    void WatchFields(QObject* filter);

private:
    C_Kanal* Channel();
    void ChannelChosen();
    void CountChosen();
    void Fill();
    void FieldEdited(bool reference, int row, const QString& text);
    void SaveClicked();

    station::StationSettings& settings_;
    C_Work* work_ = nullptr;
    QComboBox *LinChan = nullptr, *LinPoint = nullptr;
    // Reference (PI) and real (PR) values of rows 1 to 20, at [row - 1].
    QLineEdit* PI[20] = {};
    QLineEdit* PR[20] = {};
    TMegaButton* SAVE_CALIB_POINT = nullptr;
    QLabel* CalibMessage = nullptr;  // why a typed point is not stored
};

}  // namespace console
