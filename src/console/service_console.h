#pragma once

#include <QFrame>

class C_Config;
class QPlainTextEdit;

namespace console {

// The service panel "Cons" (Ctrl+C): a log that lists the configuration's
// parameters by their index, for the one who sets up the station.
class ServiceConsole : public QFrame {
    Q_OBJECT

public:
    // Floats over `parent`, hidden.
    explicit ServiceConsole(QWidget* parent);

    // Every parameter of `config` appended to the log, as "index  name".
    void ListParameters(const C_Config& config);

signals:
    // "Параметры": the operator asks for the list.
    void parametersRequested();

private:
    QPlainTextEdit* Memo1 = nullptr;
};

}  // namespace console
