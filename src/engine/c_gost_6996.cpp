#include "engine/c_gost_6996.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/cbuffer.h"
#include "platform/random.h"

namespace {

float F(double v) {
    return static_cast<float>(v);
}

// The results this method computes; a calculation that cannot be made
// leaves them at 0 rather than at another test's values.
constexpr const char* kResults[] = {"fF0", "fFIO", "fFIS", "fLU",  "fE",  "fSB", "fSPC",
                                    "fST", "fS02", "fPM",  "fPPC", "fPT", "fP02"};

// (a - b) * 100 / b of two lengths or areas, when both are measured.
double Relative(double a, double b) {
    return Usable(a) && Usable(b) ? (a - b) * 100.0 / b : 0.0;
}

}  // namespace

C_Gost_6996::C_Gost_6996(const MethodEnv& env) : standard_(env, kMethodText) {
    C_Gost_6996::DefineParams();
}

void C_Gost_6996::DefineParams() {
    const std::string big = "10000000.0";
    const std::string bigMin = "-10000000.0";
    AddParam("НАЗВАНИЕ", "sFULLNAME",
             "СВАРНЫЕ СОЕДЕНЕНИЯ. МЕТОДОДЫ ОПРЕДЕЛЕНИЯ МЕХАНИЧЕСКИХ СВОЙСТВ", kText, 4, "", "", "",
             1, 1);
    AddParam("Нормативный документ", "sGO", kMethodText, kText, 4, "", "", "", 1, 1);
    AddParam("Тип образца", "iTO", "0", kInt, 4, "$Цилиндрический?Плоский?Труба?", "3", "0", 1, 1);
    AddParam("Тип испытательной машины", "sTM", "ТИП", kText, 4, "", "", "", 1, 1);
    AddParam("Серийный номер", "sSN", "00000", kText, 4, "", "", "", 1, 1);
    AddParam("Дата", "sDA", standard_.Today(), kText, 0, "", "", "", 1, 1);
    AddParam("Время", "sTI", "00:00:00", kText, 0, "", "", "", 1, 1);
    AddParam("Температура,C°", "sTE", "20", kText, 0, "", "", "", 1, 1);
    AddParam("Ворталинец", "sNI", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Зав. Лабораторией", "sZL", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Использовать тензометр", "iTZ", "0", kInt, 4, "", "1", "0", 1, 1);
    AddParam("Тип  тензометра", "sTT", "", kText, 4, "", "", "", 1, 1);
    AddParam("База тензометра, мм", "fBT", "50.00", kFloat, 4, "0.000", "200", "0.0", 1, 1);
    AddParam("Ход  тензометра, мм", "fHT", "50.00", kFloat, 4, "0.000", "200", "0.0", 1, 1);
    AddParam("Порог переключения, мм", "fPP", "1000.00", kFloat, 4, "0.000", "1000.0", "0.0", 1, 1);
    AddParam("Длина образца, мм", "fLs", "250.00", kFloat, 1, "0.000", "3000.0", "-1000.0", 1, 1);
    AddParam("Начальная расчетная длина, мм", "fL0", "100.00", kFloat, 1, "0.000", "3000.0",
             "-1000.0", 1, 1);
    AddParam("Начальный диаметр, мм", "fD0", "10.00", kFloat, 1, "0.000", "1000.0", "-1000.0", 1,
             1);
    AddParam("Начальная ширина, мм", "fA0", "10.00", kFloat, 4, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Начальная толщина, мм", "fB0", "10.00", kFloat, 4, "0.000", "1000.0", "-1000.0", 1,
             1);
    AddParam("Наружный диаметр, мм", "fD0t", "50.00", kFloat, 4, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Внутренний диаметр, мм", "fA0t", "46.00", kFloat, 4, "0.00", "1000.0", "-1000.0", 1,
             1);
    AddParam("Конечная длина, мм", "fLK", "103.00", kFloat, 2, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечный диаметр, мм", "fDK", "9.00 ", kFloat, 2, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечная ширина, мм", "fAK", "9.00 ", kFloat, 4, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечная толщина, мм", "fBK", "9.00 ", kFloat, 4, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Нач. длина без разрыва, мм", "fLNR", "100.00", kFloat, 4, "0.000", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Кон. длина без разрыва, мм", "fLNK", "100.00", kFloat, 4, "0.000", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Площадь сечения, мм~", "fF0", "0.00", kFloat, 3, "0.000", "100000.0", "-100000.0", 1,
             1);
    AddParam("Относительное удлинение, %", "fFIO", "0.00", kFloat, 3, "0.000", big, bigMin, 1, 1);
    AddParam("Относительное сужение, %", "fFIS", "0.00", kFloat, 3, "0.000", big, bigMin, 1, 1);
    AddParam("Относительное равномерное удлинение, %", "fLU", "0.00", kFloat, 4, "0.000", big,
             bigMin, 1, 1);
    AddParam("Модуль упругости E, МПа", "fE", "0.00", kFloat, 3, "0.000", big, bigMin, 1, 1);
    AddParam("Временное сопротивление `в, МПа", "fSB", "0.00", kFloat, 3, "0.000", big, bigMin, 1,
             1);
    AddParam("Предел пропорциональности `пц, МПа", "fSPC", "0.00", kFloat, 3, "0.000", big, bigMin,
             1, 1);
    AddParam("Предел текучести `т, МПа", "fST", "0.00", kFloat, 3, "0.000", big, bigMin, 1, 1);
    AddParam("Условный предел текучести `[, МПа", "fS02", "0.00", kFloat, 3, "0.000", big, bigMin,
             1, 1);
    AddParam("Предел текучести нижний, МПа", "fSTH", "0.00", kFloat, 4, "0.000", big, bigMin, 1, 1);
    AddParam("Предел текучести верхний, МПа", "fSTB", "0.00", kFloat, 4, "0.000", big, bigMin, 1,
             1);
    AddParam("Максимальная нагрузка F`в, кН", "fPM", "0.00", kFloat, 3, "0.000", big, bigMin, 1, 1);
    AddParam("Нагрузка при пределе пропорциональности F`пц, кН", "fPPC", "0.00", kFloat, 3, "0.000",
             big, bigMin, 1, 1);
    AddParam("Нагрузка при пределе текучести F`т, кН", "fPT", "0.00", kFloat, 3, "0.000", big,
             bigMin, 1, 1);
    AddParam("Нагрузка при условном пределе текучести F`[, кН", "fP02", "0.00", kFloat, 3, "0.000",
             big, bigMin, 1, 1);
    AddParam("Нагрузка при пределе текучести верхнем Fв, кН", "fPTB", "0.00", kFloat, 4, "0.000",
             big, bigMin, 1, 1);
    AddParam("Нагрузка при пределе текучести нижнем Fн, кН", "fPTH", "0.00", kFloat, 4, "0.000",
             big, bigMin, 1, 1);
    AddParam("L,мм", "fOX", "2", kInt, 4, "0.000", "6", "0", 1, 1);
    AddParam("F,кН", "fOY", "1", kInt, 4, "0.000", "6", "0", 1, 1);
    AddParam("Марка металла", "sM1", "", kText, 1, "", "", "", 1, 1);
    AddParam("Способ сварки", "sM2", "", kText, 1, "", "", "", 1, 1);
    AddParam("Тип соединения", "sM3", "", kText, 1, "", "", "", 1, 1);
    AddParam("Термическая обработка", "sM4", "", kText, 1, "", "", "", 1, 1);
    AddParam("Место отбора", "sM5", "", kText, 1, "", "", "", 1, 1);
    AddParam("Поправочный коэффициент, мм", "fPKO", "1.00", kFloat, 2, "0.000", "300000.0",
             "-100000.0", 1, 1);
    AddParam("Место разрушения", "sM6", "", kText, 2, "", "", "", 1, 1);
    AddParam("Дефекты на изломе", "sM7", "", kText, 2, "", "", "", 1, 1);
    AddParam("Поз Образца", "fPos", "0", kInt, 4, "0.000", "2", "0", 1, 1);
    AddParam("ТИП ИСПЫТАНИЯ", "iVECTOR", "0", kInt, 4, "0", "3", "0", 1, 1);
    AddParam("Площадь сечения, мм~", "fS0", "0.00", kFloat, 4, "0.000", "100000.0", "-100000.0", 1,
             1);
    AddParam("Скорость ГОСТ мм/мин", "fSpdL", "5", kFloat, 4, "0.0000", "10000.0", "-10000.0", 1,
             1);
    AddParam("Скорость ГОСТ кH/с", "fSpd", "2", kFloat, 4, "0.0000", "10000.0", "-10000.0", 1, 1);

    standard_.LoadTemplate(*this);
}

void C_Gost_6996::SetSampleType(int sampleType) {
    struct Layout {
        const char* initial[2];
        const char* final[2];
        const char* hidden[6];
    };
    static constexpr Layout kLayouts[] = {
        {{"fD0"}, {"fDK"}, {"fA0", "fB0", "fAK", "fBK", "fA0t", "fD0t"}},
        {{"fA0", "fB0"}, {"fAK", "fBK"}, {"fD0", "fDK", "fA0t", "fD0t"}},
        {{"fA0t", "fD0t"}, {}, {"fA0", "fB0", "fAK", "fBK", "fD0", "fDK"}},
    };
    SetInt("iTO", sampleType);
    if (sampleType < 0 || sampleType >= static_cast<int>(std::size(kLayouts))) return;
    const Layout& layout = kLayouts[sampleType];
    for (const char* name : layout.initial)
        if (name != nullptr) SetGroup(name, 1);
    for (const char* name : layout.final)
        if (name != nullptr) SetGroup(name, 2);
    for (const char* name : layout.hidden)
        if (name != nullptr) SetGroup(name, 4);
}

void C_Gost_6996::SetExtensometer(int inUse) {
    SetInt("iTZ", inUse);
    const bool shown = inUse != 0;
    SetGroup("fBT", shown ? 0 : 4);
    SetGroup("fHT", shown ? 0 : 4);
    SetGroup("fE", shown ? 3 : 4);
}

void C_Gost_6996::SetElasticBoundPercent(int percent) {
    boundPercent = percent;
}

double C_Gost_6996::CrossSection() const {
    switch (GetInt("iTO")) {
        case 0:
            return RoundSection(*this, "fD0");
        case 1:
            return FlatSection(*this, "fA0", "fB0");
        case 2: {
            // A bore of 0 is a solid bar; one as wide as the tube leaves no wall.
            const double outer = GetFloat("fD0t");
            const double inner = GetFloat("fA0t");
            if (!Usable(outer) || !(inner >= 0.0) || !(inner < outer)) return 0.0;
            const double s = CircleArea(outer) - CircleArea(inner);
            return Usable(s) ? s : 0.0;
        }
        default:
            return 0.0;
    }
}

double C_Gost_6996::FinalCrossSection() const {
    switch (GetInt("iTO")) {
        case 0:
            return RoundSection(*this, "fDK");
        case 1:
            return FlatSection(*this, "fAK", "fBK");
        case 2:
            return CrossSection();
        default:
            return 0.0;
    }
}

void C_Gost_6996::UpdateArea() {
    SetResult(*this, "fS0", CrossSection());
}

void C_Gost_6996::SaveTemplate() {
    standard_.SaveTemplate(*this);
}

void C_Gost_6996::ClearResults() {
    for (const char* name : kResults)
        SetFloat(name, 0.0f);
}

int C_Gost_6996::RandomColour() const {
    platform::RandomSource& random = standard_.Env().random;
    const auto component = [&random] {
        const int v = random.Next() % 255;
        return v < 0 ? v + 255 : v;
    };
    const int red = component();
    const int green = component();
    const int blue = component();
    return Rgb(red, green, blue);
}

void C_Gost_6996::DrawMarkers() {
    // The fracture mark needs a sample in every channel it is drawn from.
    const int last =
        std::min({buffer->GetCount(1), buffer->GetCount(2), buffer->GetCount(xChannel)}) - 1;
    const int propColour = RandomColour();
    const int offsetColour = RandomColour();
    ::AddMarkers(*buffer,
                 {{static_cast<double>(iProp), "`пц", propColour},
                  {static_cast<double>(iYield), "`т", 0},
                  {static_cast<double>(iOffset), "`[", offsetColour},
                  {static_cast<double>(iMax), "`в", 0},
                  {static_cast<double>(last), "`к", 0}},
                 2, xChannel);
}

void C_Gost_6996::Calculate() {
    if (buffer == nullptr) return;
    buffer->ClearPics();
    if (buffer->GetCount(1) < kMinTestSamples) {
        // Nothing recorded: no result of another test may stay shown or printed.
        ClearResults();
        ResetAnalysis();
        return;
    }

    const bool extensometer = GetInt("iTZ") == 1;
    xChannel = extensometer ? 3 : 2;
    // Always the force: this method has no stress channel.
    yChannel = 1;
    SetGroup("fE", extensometer ? 3 : 4);

    const double s0 = CrossSection();
    const double sk = FinalCrossSection();
    const double l0 = GetFloat("fL0");
    const double lk = GetFloat("fLK");
    // The extensometer measures over its own base, not over the marked length.
    const double gauge = extensometer ? GetFloat("fBT") : l0;
    if (!Usable(s0) || !Usable(gauge)) {
        // No point of another test may stay behind.
        ClearResults();
        SetResult(*this, "fF0", Usable(s0) ? s0 : 0.0);
        ResetAnalysis();
        return;
    }
    gaugeLength = F(gauge);

    Analyse(true);
    FindOffsetYield(0.2f);

    const float area = F(s0);
    SetResult(*this, "fF0", s0);
    SetForceStress(*this, "fPM", "fSB", yMax, yChannel, s0);
    SetForceStress(*this, "fPPC", "fSPC", yProp, yChannel, s0);
    SetResult(*this, "fE", slope * gaugeLength / area * 1000.0f);
    SetForceStress(*this, "fPT", "fST", yYield, yChannel, s0);
    SetForceStress(*this, "fP02", "fS02", yOffset, yChannel, s0);

    // Lengths and areas measured after the test; one not measured gives no result.
    SetResult(*this, "fFIO", Relative(lk, l0));
    SetResult(*this, "fLU", Relative(GetFloat("fLNK"), GetFloat("fLNR")));
    SetResult(*this, "fFIS", Usable(sk) ? (s0 - sk) * 100.0 / s0 : 0.0);

    DrawMarkers();
}
