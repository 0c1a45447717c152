#pragma once

#include <QFrame>

class C_Config;
class QPlainTextEdit;

namespace station {
class StationSettings;
}

namespace console {

// The service panel "Cons" (Ctrl+C): a log that lists the configuration's
// parameters by their index, for the one who sets up the station.
class ServiceConsole : public QFrame {
    Q_OBJECT

public:
    // Floats over `parent`, hidden; "Параметры" lists the configuration of
    // `settings`.
    ServiceConsole(station::StationSettings& settings, QWidget* parent);

    // Every parameter of `config` appended to the log, as "index  name".
    void ListParameters(const C_Config& config);

private:
    station::StationSettings& settings_;
    QPlainTextEdit* Memo1 = nullptr;
};

}  // namespace console
