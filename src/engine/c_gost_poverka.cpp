#include "engine/c_gost_poverka.h"

#include <string>

#include "platform/clock.h"

C_Gost_POVERKA::C_Gost_POVERKA(const MethodEnv& env) : clock_(env.clock) {
    C_Gost_POVERKA::DefineParams();
}

std::string C_Gost_POVERKA::ReadingKey(int run, bool forward, int point) {
    return std::string(forward ? "fKP" : "fKO") + std::to_string(run) + "_" + std::to_string(point);
}

void C_Gost_POVERKA::SetSampleType(int sampleType) {
    SetInt("iTO", sampleType);
}

void C_Gost_POVERKA::DefineParams() {
    AddParam("НАЗВАНИЕ", "sFULLNAME", "", kText, 4, "", "", "", 1, 1);
    AddParam("Режим испытания", "sGO", "Поверка", kText, 4, "", "", "", 1, 1);
    AddParam("Тип образца", "iTO", "0", kInt, 4,
             "$Измерителя силы?Измерителя перемещения?Измерителя деформации?Измерителя силы "
             "изгибного устройства?Измерителя перемещения изгибного устройства?",
             "6", "0", 1, 1);
    AddParam("Тип испытательной машины", "sTM", "ТИП", kText, 4, "", "", "", 1, 1);
    AddParam("Серийный номер", "sSN", "00000", kText, 4, "", "", "", 1, 1);
    AddParam("Дата поверки", "sDA", platform::DateText(clock_.Now()), kText, 0, "", "", "", 1, 1);
    AddParam("Организация", "sORG", "ООО Велмарокс", kText, 0, "", "", "", 1, 1);
    AddParam("Тип и заводской номер поверяемого измерителя", "sTN", "___________", kText, 0, "", "",
             "", 1, 1);
    AddParam("Поверяемый диапазон", "sDIAP", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Температура в помещении,C°", "sTE", "20", kText, 0, "", "", "", 1, 1);
    AddParam("Образцовое средство", "sOBR", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Наибольшее предельное значение образцового средства", "sOBR1", "___________", kText,
             0, "", "", "", 1, 1);
    AddParam("Свидетельство о поверке образцового средства", "sOBR2", "___________", kText, 0, "",
             "", "", 1, 1);
    AddParam("Дата поверки образцового средства", "sOBR3", "___________", kText, 0, "", "", "", 1,
             1);
    AddParam("Поверку провел", "sNI", "___________", kText, 0, "", "", "", 0, 1);
    AddParam("Зав. Лабораторией", "sZL", "Лапкин Д.С.", kText, 4, "", "", "", 1, 1);
    AddParam("Кол-во поверочных точек", "fPCOU", "10", kInt, 1, "10", "10", "1", 0, 1);
    for (int n = 1; n <= kCheckPoints; ++n) {
        AddParam("Точка " + std::to_string(n), "fPS_" + std::to_string(n), std::to_string(n) + ".0",
                 kFloat, 1, "0.00", "100000.0", "-100000.0", 0, 1);
    }
    // Point by point, the six runs interleaved: forward 1, reverse 1, forward 2 ...
    for (int i = 0; i < kCheckPoints; ++i) {
        for (int run = 1; run <= 3; ++run) {
            const std::string r = std::to_string(run);
            AddParam("Прямой   ход" + r, ReadingKey(run, true, i), "0.00", kFloat, 4, "0.00",
                     "10000000.0", "-10000000.0", 1, 1);
            AddParam("Обратный ход" + r, ReadingKey(run, false, i), "0.00", kFloat, 4, "0.00",
                     "10000000.0", "-10000000.0", 1, 1);
        }
    }
    AddParam("Поз Образца1", "fPos", "0", kInt, 4, "0.00", "3", "0", 1, 1);
    AddParam("Время", "sTI", "00:00:00", kText, 4, "", "", "", 1, 1);
    AddParam("ТИП ИСПЫТАНИЯ", "iVECTOR", "2", kInt, 4, "0", "3", "0", 1, 1);
    AddParam("L,мм", "fOX", "2", kInt, 4, "", "6", "0", 1, 1);
    AddParam("F,кН", "fOY", "1", kInt, 4, "", "6", "0", 1, 1);
}
