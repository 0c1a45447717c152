#include "engine/c_gost_14019.h"

#include "model/cbuffer.h"

C_Gost_14019::C_Gost_14019(const MethodEnv& env) : standard_(env, kMethodText) {
    C_Gost_14019::DefineParams();
}

void C_Gost_14019::DefineParams() {
    AddParam("НАЗВАНИЕ", "sFULLNAME", "МЕТАЛЛЫ МЕТОД ИСПЫТАНИЯ НА ИЗГИБ", kText, 4, "", "", "", 1,
             1);
    AddParam("Нормативный документ", "sGO", kMethodText, kText, 4, "", "", "", 1, 1);
    AddParam("Тип образца", "iTO", "0", kInt, 4,
             "$Квадратный?Прямоугольный?Цилиндрический?Многограник?", "4", "0", 1, 1);
    AddParam("Тип испытательной машины", "sTM", "ТИП", kText, 4, "", "", "", 1, 1);
    AddParam("Серийный номер", "sSN", "00000", kText, 4, "", "", "", 1, 1);
    AddParam("Дата", "sDA", standard_.Today(), kText, 0, "", "", "", 1, 1);
    AddParam("Время", "sTI", "00:00:00", kText, 0, "", "", "", 1, 1);
    AddParam("Температура,C°", "sTE", "20", kText, 0, "", "", "", 1, 1);
    AddParam("Ворталинец", "sNI", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Зав. Лабораторией", "sZL", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Диаметр верхней оправки D, мм", "fDOP", "50.00", kFloat, 1, "0.000", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Диаметр нижней оправки D, мм", "fDOP2", "50.00", kFloat, 1, "0.000", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Расстояние между опорами, мм", "fKOPOR", "200.00", kFloat, 1, "0.000", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Длина образца, мм", "fL0", "250.00", kFloat, 1, "0.000", "3000.0", "-1000.0", 1, 1);
    AddParam("Диаметр образца, мм", "fD0", "20.00", kFloat, 1, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Ширина образца, мм", "fA0", "50.00", kFloat, 1, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Толщина образца, мм", "fB0", "20.00", kFloat, 1, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Угол изгиба,°", "fALF", "0.00", kFloat, 1, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Расстояние между плоскостями, мм", "fTLK", "0.00", kFloat, 2, "0.000", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Результат, дефекты на изломе", "sM7", "", kText, 2, "", "", "", 1, 1);
    AddParam("Тип материала", "sM1", "", kText, 1, "", "", "", 1, 1);
    AddParam("Номер плавки", "sM2", "", kText, 1, "", "", "", 1, 1);
    AddParam("Направление основания образца", "sM3", "", kText, 1, "", "", "", 1, 1);
    AddParam("Метод испытания", "sM4", "Угол/Параллельность/Соприкосновение", kText, 1, "", "", "",
             1, 1);
    // Displacement on X and time on Y.
    AddParam("L,мм", "fOX", "2", kInt, 4, "0.000", "6", "0", 1, 1);
    AddParam("Т,с", "fOY", "0", kInt, 4, "0.000", "6", "0", 1, 1);
    AddParam("Скорость ГОСТ мм/мин", "fSpdL", "5", kFloat, 4, "0.0000", "10000.0", "-10000.0", 1,
             1);
    AddParam("Скорость ГОСТ кH/с", "fSpd", "2", kFloat, 4, "0.0000", "10000.0", "-10000.0", 1, 1);
    AddParam("Поз Образца", "fPos", "0", kInt, 4, "0.000", "3", "0", 1, 1);
    // The bending device pushes: the tension methods declare 0 here.
    AddParam("ТИП ИСПЫТАНИЯ", "iVECTOR", "1", kInt, 4, "0", "3", "0", 1, 1);
    AddParam("ВИЗУАЛИЗАЦИЯ", "iVISUAL", "1", kInt, 4, "0", "1000", "0", 1, 1);

    standard_.LoadTemplate(*this);
}

void C_Gost_14019::SetSampleType(int sampleType) {
    SetInt("iTO", sampleType);
    // The mandrel, the supports and the angle stay shown for every type.
    switch (sampleType) {
        case 0:
        case 1:
            for (const char* name : {"fDOP", "fKOPOR", "fALF", "fA0", "fB0"})
                SetGroup(name, 1);
            SetGroup("fD0", 4);
            SetGroup("fTLK", 4);
            break;
        case 2:
        case 3:
            for (const char* name : {"fDOP", "fKOPOR", "fALF", "fD0"})
                SetGroup(name, 1);
            for (const char* name : {"fA0", "fB0", "fTLK"})
                SetGroup(name, 4);
            break;
        default:
            break;
    }
}

void C_Gost_14019::SetExtensometer(int /*inUse*/) {
    // A bend test is measured without an extensometer.
}

void C_Gost_14019::SaveTemplate() {
    standard_.SaveTemplate(*this);
}

void C_Gost_14019::Calculate() {
    if (buffer == nullptr) return;
    // Points, lines and print windows: nothing of another test stays drawn.
    buffer->ClearPics();
    buffer->ClearPrintRects();
    if (buffer->GetCount(1) >= kMinTestSamples) xChannel = 2;
}
