// Command-line entry of the operator station, until the console exists: it
// reads the machine configuration from the program folder and shows it.

#include <cstdio>
#include <string>

#include "model/config.h"
#include "model/configini.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "platform/programfolder.h"

int main() {
    platform::SetDecimalSeparator(platform::DecimalSeparatorFromEnvironment());

    TConfigINI ini(platform::ExecutableFolder());
    ini.FileName = "Config";

    C_Config config;
    config.Define(&ini);
    const bool exists = platform::FileExists(ini.Path());
    const std::vector<std::string> errors = config.Load();

    std::printf("Конфигурация: %s%s\n", ini.Path().c_str(),
                exists ? "" : " (файла нет, показаны значения по умолчанию)");
    for (int i = 0; i < config.Count(); ++i) {
        const S_Val* r = config.Record(i);
        std::printf("[%d] %s = %s\n", r->group, r->caption.c_str(), config.ValueToText(i).c_str());
    }
    for (const std::string& e : errors)
        std::fprintf(stderr, "Ошибка: %s\n", e.c_str());
    return 0;
}
