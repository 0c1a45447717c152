#pragma once

class QCoreApplication;
class QTranslator;

namespace console {

// Qt's own texts (the print and file dialogs, the standard buttons) in
// Russian, from the translations installed with Qt. Returns the installed
// translator, owned by the application, or nullptr when Qt's translations
// are missing: the dialogs then stay in English.
QTranslator* InstallQtRussian(QCoreApplication& app);

}  // namespace console
