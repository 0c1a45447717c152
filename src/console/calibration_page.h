#pragma once

#include <QFrame>

class C_Kanal;
class C_Work;
class QComboBox;
class QLabel;
class QLineEdit;
class QString;
class TMegaButton;

namespace console {

// The calibration page of the settings screen: a measuring channel's table
// of reference and real values, typed straight into the channel, and the
// button that asks for the table to go to the unit.
class CalibrationPage : public QFrame {
    Q_OBJECT

public:
    explicit CalibrationPage(QWidget* parent = nullptr);

    // The engine whose channels the page edits; null before it exists.
    void Bind(C_Work* work) { work_ = work; }
    // The page as it opens: the first channel and its table.
    void Open();
    // `filter` sees every table field's events (the keyboard follows the focus).
    void WatchFields(QObject* filter);

signals:
    // СОХРАНИТЬ: the table of the unit's channel (from 1) is to be sent.
    void saveRequested(int unitChannel);

private:
    C_Kanal* Channel();
    void ChannelChosen();
    void CountChosen();
    void Fill();
    void FieldEdited(bool reference, int row, const QString& text);
    void SaveClicked();

    C_Work* work_ = nullptr;
    QComboBox *LinChan = nullptr, *LinPoint = nullptr;
    // Reference (PI) and real (PR) values of rows 1 to 20, at [row - 1].
    QLineEdit* PI[20] = {};
    QLineEdit* PR[20] = {};
    TMegaButton* SAVE_CALIB_POINT = nullptr;
    QLabel* CalibMessage = nullptr;  // why a typed point is not stored
};

}  // namespace console
