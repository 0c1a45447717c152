#include "engine/c_gost_1497.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "model/cbuffer.h"

namespace {

float F(double v) {
    return static_cast<float>(v);
}

// The results this method computes; a calculation that cannot be made
// leaves them at 0 rather than at another test's values.
constexpr const char* kResults[] = {"fF0",  "fFIO",  "fFIS", "fLU",  "fE",  "fSB",  "fSPC", "fST",
                                    "fS02", "fS002", "fPM",  "fPPC", "fPT", "fP02", "fP002"};

}  // namespace

C_Gost_1497::C_Gost_1497(const MethodEnv& env) : standard_(env, kMethodText) {
    boundPercent = 0;
    defined = false;
    C_Gost_1497::DefineParams();
    defined = true;
}

void C_Gost_1497::DefineParams() {
    const std::string forces = "10000000.0";
    const std::string forcesMin = "-10000000.0";
    AddParam("НАЗВАНИЕ", "sFULLNAME", "МЕТАЛЛЫ МЕТОДЫ ИСПЫТАНИЯ НА РАСТЯЖЕНИЕ", kText, 4, "", "",
             "", 1, 1);
    AddParam("Нормативный документ", "sGO", kMethodText, kText, 4, "", "100", "", 1, 1);
    AddParam("Тип образца", "iTO", "0", kInt, 4, "$Цилиндрический?Плоский?", "2", "0", 1, 1);
    AddParam("Дата", "sDA", standard_.Today(), kText, 0, "", "", "", 1, 1);
    AddParam("Время", "sTI", standard_.TimeNow(), kText, 0, "", "", "", 1, 1);
    AddParam("Температура,C°", "sTE", "20", kText, 0, "", "", "", 1, 1);
    AddParam("Ворталинец", "sNI", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Зав. Лабораторией", "sZL", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Марка", "sP001", "", kText, 0, "", "", "", 1, 1);
    AddParam("Маркировка", "sP002", "", kText, 0, "", "", "", 1, 1);
    AddParam("Номер плавки", "sP003", "", kText, 0, "", "", "", 1, 1);
    AddParam("Использовать тензометр", "iTZ", "0", kInt, 4, "", "1", "0", 1, 1);
    AddParam("Длина образца, мм", "fLs", "250.00", kFloat, 1, "0.000", "3000.0", "-1000.0", 1, 1);
    AddParam("lo (если 0, то lo по ГОСТ), мм", "fLo", "0.00", kFloat, 1, "0.000", "3000.0",
             "-1000.0", 0, 1);
    AddParam("Начальная расчетная длина lo, мм", "fL0", "100.00", kFloat, 3, "0.000", "3000.0",
             "-1000.0", 1, 1);
    AddParam("Начальный диаметр, мм", "fD0", "10.00", kFloat, 1, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Начальная ширина, мм", "fA0", "10.00", kFloat, 4, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Начальная толщина, мм", "fB0", "10.00", kFloat, 4, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечная расчетная длина lk, мм", "fLK", "0.00", kFloat, 2, "0.00", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Конечный диаметр, мм", "fDK", "9.00 ", kFloat, 2, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечная ширина, мм", "fAK", "9.00 ", kFloat, 4, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечная толщина, мм", "fBK", "9.00 ", kFloat, 4, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Нач. длина без разрыва, мм", "fLNR", "100.00", kFloat, 4, "0.00", "1000.0", "-1000.0",
             1, 1);
    AddParam("Кон. длина без разрыва, мм", "fLNK", "100.00", kFloat, 4, "0.00", "1000.0", "-1000.0",
             1, 1);
    AddParam("Конечная площадь образца, мм~", "fSK", "0.00", kFloat, 4, "0.00", "10000.0",
             "-10000.0", 1, 1);
    AddParam("Площадь сечения, мм~", "fF0", "0.00", kFloat, 3, "0.00", "10000.0", "-10000.0", 1, 1);
    AddParam("Площадь поперечного сечения после разрыва, мм~", "fFK", "0.00", kFloat, 4, "0.00",
             "10000.0", "-10000.0", 1, 1);
    AddParam("Относительное удлинение после разрыва, %", "fFIO", "0.00", kFloat, 3, "0.00", forces,
             forcesMin, 1, 1);
    AddParam("Относительное сужение, %", "fFIS", "0.00", kFloat, 3, "0.00", forces, forcesMin, 1,
             1);
    AddParam("Относительное равномерное удлинение, %", "fLU", "0.00", kFloat, 3, "0.00", forces,
             forcesMin, 1, 1);
    AddParam("Модуль упругости E, Н/мм~", "fE", "0.00", kFloat, 3, "0.00", forces, forcesMin, 1, 1);
    AddParam("Предел прочности `в, Н/мм~", "fSB", "0.00", kFloat, 3, "0.00", forces, forcesMin, 1,
             1);
    AddParam("Предел пропорциональности `пц, Н/мм~", "fSPC", "0.00", kFloat, 3, "0.00", forces,
             forcesMin, 1, 1);
    AddParam("Предел текучести `т, Н/мм~", "fST", "0.00", kFloat, 3, "0.00", forces, forcesMin, 1,
             1);
    AddParam("Предел текучести (усл.) `[, Н/мм~", "fS02", "0.00", kFloat, 3, "0.00", forces,
             forcesMin, 1, 1);
    AddParam("Предел упругости (усл.) `{, Н/мм~", "fS002", "0.00", kFloat, 3, "0.00", forces,
             forcesMin, 1, 1);
    AddParam("Предел текучести нижний, Н/мм~", "fSTH", "0.00", kFloat, 4, "0.00", forces, forcesMin,
             1, 1);
    AddParam("Предел текучести верхний, Н/мм~", "fSTB", "0.00", kFloat, 4, "0.00", forces,
             forcesMin, 1, 1);
    AddParam("Максимальная нагрузка F`в, кН", "fPM", "0.00", kFloat, 3, "0.00", forces, forcesMin,
             1, 1);
    AddParam("Нагрузка при пределе пропорциональности F`пц, кН", "fPPC", "0.00", kFloat, 3, "0.00",
             forces, forcesMin, 1, 1);
    AddParam("Нагрузка при пределе текучести F`т, кН", "fPT", "0.00", kFloat, 3, "0.00", forces,
             forcesMin, 1, 1);
    AddParam("Нагрузка при условном пределе текучести F`[, кН", "fP02", "0.00", kFloat, 3, "0.00",
             forces, forcesMin, 1, 1);
    AddParam("Нагрузка при условном пределе упругости F`{, кН", "fP002", "0.00", kFloat, 3, "0.00",
             forces, forcesMin, 1, 1);
    AddParam("Нагрузка при пределе текучести верхнем Fв, кН", "fPTB", "0.00", kFloat, 4, "0.00",
             forces, forcesMin, 1, 1);
    AddParam("Нагрузка при пределе текучести нижнем Fн, кН", "fPTH", "0.00", kFloat, 4, "0.00",
             forces, forcesMin, 1, 1);
    AddParam("POS ppc", "fPOSppc", "0.00", kFloat, 4, "0.00", forces, forcesMin, 1, 1);
    AddParam("POS tec", "fPOStec", "0.00", kFloat, 4, "0.00", forces, forcesMin, 1, 1);
    AddParam("L,мм", "fOX", "2", kInt, 4, "", "6", "0", 1, 1);
    AddParam("F,кН", "fOY", "1", kInt, 4, "", "6", "0", 1, 1);
    AddParam("Поз Образца1", "fPos", "0", kInt, 4, "", "2", "0", 1, 1);
    AddParam("ТИП ИСПЫТАНИЯ", "iVECTOR", "0", kInt, 4, "0", "3", "0", 1, 1);
    AddParam("Заключение", "sZK0", "", kText, 2, "", "", "", 0, 1);
    AddParam(".", "sZK1", "", kText, 2, "", "", "", 0, 1);
    AddParam("Скорость ГОСТ мм/мин", "fSpdL", "5", kFloat, 4, "0.0000", "10000.0", "-10000.0", 1,
             1);
    AddParam("Скорость ГОСТ кH/с", "fSpd", "2", kFloat, 4, "0.0000", "10000.0", "-10000.0", 1, 1);
    AddParam("Площадь сечения, мм~", "fS0", "0.00", kFloat, 4, "0.000", "100000.0", "-100000.0", 1,
             1);

    standard_.LoadTemplate(*this);
}

void C_Gost_1497::SetSampleType(int sampleType) {
    SetInt("iTO", sampleType);
    SetFloat("fLK", 0.0f);
    if (sampleType == 0) {
        for (const char* name : {"fA0", "fB0", "fAK", "fBK"})
            SetGroup(name, 4);
        SetGroup("fD0", 1);
        SetGroup("fDK", 2);
    } else if (sampleType == 1) {
        SetGroup("fA0", 1);
        SetGroup("fB0", 1);
        SetGroup("fAK", 2);
        SetGroup("fBK", 2);
        SetGroup("fD0", 4);
        SetGroup("fDK", 4);
    }
}

void C_Gost_1497::SetExtensometer(int inUse) {
    SetInt("iTZ", inUse);
}

void C_Gost_1497::SetElasticBoundPercent(int percent) {
    boundPercent = percent;
}

double C_Gost_1497::CrossSection() const {
    switch (GetInt("iTO")) {
        case 0:
            return RoundSection(*this, "fD0");
        case 1:
            return FlatSection(*this, "fA0", "fB0");
        default:
            return 0.0;
    }
}

double C_Gost_1497::FinalCrossSection() const {
    switch (GetInt("iTO")) {
        case 0:
            return RoundSection(*this, "fDK");
        case 1:
            return FlatSection(*this, "fAK", "fBK");
        default:
            return 0.0;
    }
}

bool C_Gost_1497::Dimensions(double& s0, float& l0) const {
    s0 = CrossSection();
    l0 = 0.0f;
    const int type = GetInt("iTO");
    if (type == 0 || type == 1) {
        const float typed = F(GetFloat("fLo"));
        l0 = typed != 0.0f ? typed : 5.65f * std::sqrt(F(s0));
    }
    return Usable(s0) && Usable(l0);
}

void C_Gost_1497::UpdateArea() {
    if (!defined) return;
    SetResult(*this, "fS0", CrossSection());
}

void C_Gost_1497::SaveTemplate() {
    standard_.SaveTemplate(*this);
}

void C_Gost_1497::ResetManualPoints() {
    SetFloat("fPOSppc", 0.0f);
    SetFloat("fPOStec", 0.0f);
}

void C_Gost_1497::ClearResults() {
    for (const char* name : kResults)
        SetFloat(name, 0.0f);
}

void C_Gost_1497::DrawMarkers() {
    const int last = std::min(buffer->GetCount(1), buffer->GetCount(2)) - 1;
    ::AddMarkers(*buffer, {{GetFloat("fPOSppc"), "`пц"},
                           {iOffsetElastic, "`{"},
                           {iOffsetYield, "`["},
                           {GetFloat("fPOStec"), "`т"},
                           {static_cast<double>(iMax), "`в"},
                           {static_cast<double>(last), "`к"}});
}

void C_Gost_1497::Calculate() {
    if (buffer == nullptr) return;
    buffer->ClearPics();
    if (buffer->GetCount(1) < kMinTestSamples) {
        // Nothing recorded: no result of another test may stay shown or printed.
        ClearResults();
        SetFloat("fL0", 0.0f);
        ResetAnalysis();
        iOffsetElastic = 0.0f;
        iOffsetYield = 0.0f;
        area = 0.0f;
        return;
    }

    const int strainSource = GetInt("iTZ") == 1 ? 3 : 2;
    if (strainSource == 3) xChannel = 3;
    SetGroup("fE", 3);
    if (!ChooseChannels()) return;

    double s0 = 0.0;
    float l0 = 0.0f;
    if (!Dimensions(s0, l0)) {
        // No point of another test may stay behind for the slider to mark.
        ClearResults();
        SetResult(*this, "fF0", Usable(s0) ? s0 : 0.0);
        SetResult(*this, "fL0", Usable(l0) ? l0 : 0.0);
        ResetAnalysis();
        iOffsetElastic = 0.0f;
        iOffsetYield = 0.0f;
        area = 0.0f;
        return;
    }
    const double sk = FinalCrossSection();
    area = F(s0);
    gaugeLength = l0;
    SetResult(*this, "fL0", l0);

    RebuildStrainAndStress(strainSource, l0, area);

    Analyse(true);
    FindOffsetYield(0.2f);
    iOffsetYield = static_cast<float>(iOffset);
    const float offsetYield = yOffset;

    ApplyHandSetPoints();

    SetResult(*this, "fF0", area);
    SetForceStress(*this, "fPM", "fSB", yMax, yChannel, area);
    SetForceStress(*this, "fPPC", "fSPC", yProp, yChannel, area);

    const float k = xChannel == 5 ? 100.0f / l0 : 1.0f;
    const float modulus =
        yChannel == 1 ? slope * gaugeLength / area * 1000.0f * k : slope * gaugeLength * k;
    SetResult(*this, "fE", modulus);

    SetForceStress(*this, "fPT", "fST", yYield, yChannel, area);
    SetForceStress(*this, "fP02", "fS02", offsetYield, yChannel, area);

    FindOffsetYield(0.05f);
    iOffsetElastic = static_cast<float>(iOffset);
    SetForceStress(*this, "fP002", "fS002", yOffset, yChannel, area);

    // Elongations are measured from the foot of the elastic line, so the
    // slack taken up before the specimen carries load does not count; the
    // recorded curve itself is never moved.
    const float toLength = xChannel == 5 ? l0 * 0.01f : 1.0f;
    float lk = l0 + (plasticEnd - xIntercept) * toLength;
    if (GetFloat("fLK") == 0.0) SetResult(*this, "fLK", lk);
    const double typedLk = GetFloat("fLK");
    if (typedLk != static_cast<double>(lk)) lk = F(typedLk);
    SetResult(*this, "fFIO", Usable(lk) ? (lk - l0) * 100.0f / l0 : 0.0f);

    const float uniform = (plasticMax - xIntercept) * toLength;
    SetResult(*this, "fLNR", l0);
    SetResult(*this, "fLNK", l0 + uniform);
    const double lnr = GetFloat("fLNR");
    const double lnk = GetFloat("fLNK");
    SetResult(*this, "fLU", Usable(lnr) ? (lnk - lnr) * 100.0 / lnr : 0.0);

    SetResult(*this, "fFIS", Usable(sk) ? (area - sk) * 100.0 / area : 0.0);

    DrawMarkers();
}

void C_Gost_1497::SetManualPoint(int row, int group, float position) {
    // The dimensions as they stand now: a test opened from a file has had no
    // calculation yet.
    double s0 = 0.0;
    float l0 = 0.0f;
    if (!Dimensions(s0, l0)) s0 = 0.0;
    if (MoveManualPoint(row, group, position, s0)) DrawMarkers();
}
