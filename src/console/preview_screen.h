#pragma once

#include <QWidget>

#include <string>

class C_Otchet;
class QLabel;
class TMegaButton;

namespace console {

// The protocol preview (TabSheet12): the sheet viewer and its tool bar.
// The protocol itself is made by the window into Otchet().
class PreviewScreen final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewScreen(QWidget* parent = nullptr);

    // The canvas the protocol is made on.
    C_Otchet* Otchet() const { return C_Otchet1; }
    // Every protocol comes with a new viewer, shown and laid out here.
    void ReadyViewer();
    // To the last sheet, the number shown.
    void ToLastSheet();
    // One sheet back, the number shown.
    void PreviousSheet();
    // Prints (or writes to a file in pdfFolder) through the print panel.
    void Print(const std::string& pdfFolder);

signals:
    void printRequested();
    void rowChoiceRequested();
    void backRequested();
    void keyboardRequested();
    // The print panel's outcome: a printer, or a file when pdfFile is set.
    void printed(bool ok, const QString& printer, const QString& pdfFile);

private:
    void ShowPageNumber();

    TMegaButton *PRINT = nullptr, *LastPAGE = nullptr, *NextPage = nullptr, *ZOOMUP = nullptr,
                *ZOOMDOWN = nullptr, *ZOOMALL = nullptr, *BACK_BUT = nullptr,
                *MegaButton3 = nullptr;
    QLabel* PageNomber = nullptr;
    C_Otchet* C_Otchet1 = nullptr;
};

}  // namespace console
