#pragma once

#include <QFrame>

#include <string>

#include "program/programline.h"

class QAction;
class QBoxLayout;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class TMegaButton;

namespace station {
class StationProgram;
}

namespace testprogram {
class ProgramRunner;
}

namespace console {

// The program sheet "ПРОГРАММА" of the work screen: the program the runner
// works through with its banner beside the editor PanelProg, which holds the
// program files of "PROG" and the composer of new lines. It shows what the
// runner holds; every change of the program or of a file it asks for.
class ProgramSheet final : public QFrame {
    Q_OBJECT

public:
    // Built into the tab `sheet`: the program column first, then the editor.
    static ProgramSheet* Build(QWidget* sheet, const std::string& programFolder);
    // Its requests go to the station's program, which it shows.
    void Bind(station::StationProgram& program);

    void ShowProgram(const testprogram::ProgramRunner& runner);
    // The current program's name and its file chosen in the list.
    void ShowName(const std::string& name);
    void ChooseFile(const QString& path);

signals:
    void fileChosen(const std::string& fileName);
    void fileDeleteRequested(const std::string& fileName);
    void saveRequested(const std::string& name);
    void lineComposed(const testprogram::LineParts& parts, bool insert);
    void lineSelected(int row);
    // A double click on a line: run it once.
    void lineRunRequested(int row, const std::string& text);
    void deleteLineRequested();
    void clearRequested();

private:
    ProgramSheet(QWidget* sheet, QBoxLayout* columns, QLabel* banner, QListWidget* program,
                 const std::string& programFolder);
    void ListCmdClick();
    void ConditionChoice();
    void ComposeLineClick(bool insert);

    QLabel* PanelTXT = nullptr;
    QListWidget* ListProg = nullptr;
    QFileSystemModel* programFiles_ = nullptr;
    QListView* FileProgram = nullptr;
    QAction* N1 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QListWidget* ListCmd = nullptr;
    QLabel *P1 = nullptr, *LP2 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *P2 = nullptr;
    QLineEdit *Edit7 = nullptr, *P3 = nullptr;
    TMegaButton *Button3 = nullptr, *Button4 = nullptr, *Button5 = nullptr, *Button6 = nullptr,
                *Button7 = nullptr;
};

}  // namespace console
