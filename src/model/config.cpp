#include "model/config.h"

#include "model/configini.h"

C_Config::C_Config() = default;

void C_Config::Define(TConfigINI* component) {
    ini = component;
    AddParam("Название машины", "sMNAME", "ТХ4700-2Ж5", kText, 7, "", "", "", 1, 1);
    AddParamRef("Период обновления, ms", "iCHANCOUNT", &iCHANCOUNT, 7, "", "500", "10", 1, 1);
    AddParamRef("Пароль", "iPASSV", &iPASSV, 7, "", "", "", 1, 1);
    AddParamRef("Наработка", "iWORK", &iWORK, 4, "", "1000000000", "0", 1, 1);
    AddParamRef("Вход фильтра", "iFiltr", &iFiltr, 4, "", "1000", "-100", 1, 1);
    AddParamRef("Вход уровня", "iLevel", &iLevel, 4, "", "1000", "-100", 1, 1);
    AddParamRef("Выход ВЗЗ", "iVZZ", &iVZZ, 4, "", "1000", "-100", 1, 1);
    AddParamRef("Выход ВЗР", "iVZR", &iVZR, 4, "", "1000", "-100", 1, 1);
    AddParamRef("Выход НЗЗ", "iNZZ", &iNZZ, 4, "", "1000", "-100", 1, 1);
    AddParamRef("Выход НЗР", "iNZR", &iNZR, 4, "", "1000", "-100", 1, 1);
    AddParamRef("Выход Зона Растяжения", "iZONAR", &iZONAR, 4, "", "10000", "-1000", 1, 1);
    AddParamRef("Выход Зона Сжатия", "iZONAS", &iZONAS, 4, "", "10000", "-1000", 1, 1);
    AddParamRef("Канал нагрузка 1", "iKF1", &iKF1, 4, "", "6", "0", 1, 1);
    AddParamRef("Канал нагрузка 2", "iKF2", &iKF2, 4, "", "6", "0", 1, 1);
    AddParamRef("Канал перемещения 1", "iKL1", &iKL1, 4, "", "6", "0", 1, 1);
    AddParamRef("Канал перемещения 2", "iKL2", &iKL2, 4, "", "6", "0", 1, 1);
    AddParamRef("Канал екстензометр", "iKE1", &iKE1, 4, "", "6", "-1", 1, 1);
    AddParamRef("Номер протокола", "iNOMPROT", &iNOMPROT, 7, "", "1000000000", "-1000", 1, 1);
    AddParamRef("Автосохранение протокола", "iAUTOSAVE", &iAUTOSAVE, 7, "", "1000000000", "0", 1,
                1);
    AddParamRef("Использовать Вирт. клавиатуру", "iVK", &iVK, 7, "", "1000000000", "0", 1, 1);
    AddParamRef("База экстензометра", "feXb", &feXb, 4, "0", "1000", "0", 1, 1);
    AddParamRef("Нач. поз. экстензометра", "feXp", &feXp, 4, "0", "1000", "0", 1, 1);
    AddParamRef("Поз. парковки экстензометра", "feXpark", &feXpark, 4, "0", "1000", "0", 1, 1);
    AddParamRef("Порт экстензометра", "sEXPort", &sEXPort, 4, "", "", "", 1, 1);
}

namespace {

bool Stored(const S_Val& r) {
    return r.name != "TITLE" && r.persist != 0;
}

// What a setting missing from the file reads as: the zone outputs are
// absent (-1), so no output is asked for; every other setting reads empty.
const char* MissingText(const S_Val& r) {
    return r.name == "iZONAR" || r.name == "iZONAS" ? "-1" : "";
}

}  // namespace

std::vector<std::string> C_Config::Load() {
    std::vector<std::string> errors;
    if (ini == nullptr) return errors;
    ini->CreatINI(false);
    for (int i = 0; i < Count(); ++i) {
        const S_Val& r = vals[static_cast<size_t>(i)];
        if (!Stored(r)) continue;
        const std::string text = ini->ReadS(std::to_string(r.group), r.caption, MissingText(r));
        if (TextResult res = SetFromText(i, text); !res) errors.push_back(res.error);
    }
    ini->FreeIni();
    return errors;
}

bool C_Config::Save(int mode) {
    if (ini == nullptr) return false;
    bool ok = true;
    ini->CreatINI(false);
    if (mode == 0) {
        // One replacement of the file: a crash leaves the old settings or the new.
        std::vector<TConfigINI::Entry> entries;
        for (int i = 0; i < Count(); ++i) {
            const S_Val& r = vals[static_cast<size_t>(i)];
            if (Stored(r)) entries.push_back({std::to_string(r.group), r.caption, ValueToText(i)});
        }
        ok = ini->WriteAll(entries);
    } else if (mode == 1 && Count() > 3) {
        ok = ini->WriteS("4", "Наработка", ValueToText(3));
    }
    ini->FreeIni();
    return ok;
}
