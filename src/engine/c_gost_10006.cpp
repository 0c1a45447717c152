#include "engine/c_gost_10006.h"

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <span>
#include <string_view>

#include "model/cbuffer.h"

namespace {

float F(double v) {
    return static_cast<float>(v);
}

// The results this method computes; a calculation that cannot be made
// leaves them at 0 rather than at another test's values.
constexpr const char* kResults[] = {"fF0", "fFIO", "fFIS", "fSB", "fSPC",
                                    "fST", "fS02", "fPM",  "fPT", "fP02"};

// What the list keeps of a value once stored: its limits clamp it.
float AsStored(const C_Parametr& list, std::string_view name, float v) {
    const S_Val* r = list.Record(list.IndexOf(name));
    if (r == nullptr || !std::isfinite(v)) return v;
    double d = v;
    if (d < r->floatMin) d = r->floatMin;
    if (d > r->floatMax) d = r->floatMax;
    return F(d);
}

}  // namespace

C_Gost_10006::C_Gost_10006(const MethodEnv& env) : standard_(env, kMethodText) {
    boundPercent = 0;
    C_Gost_10006::DefineParams();
}

void C_Gost_10006::DefineParams() {
    AddParam("НАЗВАНИЕ", "sFULLNAME", "ТРУБЫ МЕТАЛЛИЧЕСКИЕ МЕТОД ИСПЫТАНИЯ НА РАСТЯЖЕНИЕ", kText, 4,
             "", "", "", 1, 1);
    AddParam("Нормативный документ", "sGO", "ГОСТ 10006", kText, 4, "", "", "", 1, 1);
    AddParam("Тип образца", "iTO", "2", kInt, 4, "$Цилиндрический?Плоский?Трубчатый?", "3", "0", 1,
             1);
    AddParam("Дата", "sDA", standard_.Today(), kText, 0, "", "", "", 1, 1);
    AddParam("Время", "sTI", "00:00:00", kText, 0, "", "", "", 1, 1);
    AddParam("Температура,C°", "sTE", "20", kText, 0, "", "", "", 1, 1);
    AddParam("Ворталинец", "sNI", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Зав. Лабораторией", "sZL", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Марка", "sP001", "", kText, 0, "", "", "", 1, 1);
    AddParam("Маркировка", "sP002", "", kText, 0, "", "", "", 1, 1);
    AddParam("Номер плавки", "sP003", "", kText, 0, "", "", "", 1, 1);
    AddParam("Длина образца, мм", "fLs", "250.00", kFloat, 1, "0.000", "3000.0", "-1000.0", 1, 1);
    AddParam("Начальная расчетная длина, мм", "fL0", "100.00", kFloat, 1, "0.000", "3000.0",
             "-1000.0", 1, 1);
    AddParam("Начальный диаметр Do, мм", "fD0", "10.00", kFloat, 1, "0.000", "1000.0", "-1000.0", 1,
             1);
    AddParam("Толщина стенки аo, мм", "fD0S", "2.00", kFloat, 1, "0.000", "1000.0", "-1000.0", 1,
             1);
    AddParam("Начальная ширина, мм", "fA0", "10.00", kFloat, 4, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Начальная толщина, мм", "fB0", "10.00", kFloat, 4, "0.000", "1000.0", "-1000.0", 1,
             1);
    AddParam("Конечная длина lk, мм", "fLK", "0.00", kFloat, 2, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечный диаметр , мм", "fDK", "9.00 ", kFloat, 2, "0.000", "1000.0", "-1000.0", 1,
             1);
    AddParam("Конечная ширина, мм", "fAK", "9.00 ", kFloat, 4, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечная толщина, мм", "fBK", "9.00 ", kFloat, 4, "0.000", "1000.0", "-1000.0", 1, 1);
    AddParam("Конечная площадь образца, мм~", "fSK", "0.00", kFloat, 4, "0.000", "1000.0",
             "-1000.0", 1, 1);
    AddParam("Площадь сечения, мм~", "fF0", "0.00", kFloat, 3, "0.000", "10000.0", "-10000.0", 1,
             1);
    AddParam("Площадь поперечного сечения после разрыва, мм~", "fFK", "0.00", kFloat, 4, "0.000",
             "10000.0", "-10000.0", 1, 1);
    AddParam("Относительное удлинение после разрыва, %", "fFIO", "0.00", kFloat, 3, "0.000",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("Относительное сужение, %", "fFIS", "0.00", kFloat, 3, "0.000", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел прочности `в, МПа", "fSB", "0.00", kFloat, 3, "0.000", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел пропорциональности `пц, МПа", "fSPC", "0.00", kFloat, 3, "0.000", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел текучести `т, МПа", "fST", "0.00", kFloat, 3, "0.000", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел текучести (усл.) `[, МПа", "fS02", "0.00", kFloat, 3, "0.000", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Максимальная нагрузка F`в, кН", "fPM", "0.00", kFloat, 3, "0.000", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Нагрузка при пределе текучести F`т, кН", "fPT", "0.00", kFloat, 3, "0.000",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("Нагрузка при условном пределе текучести F`[, кН", "fP02", "0.00", kFloat, 3, "0.000",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("L,мм", "fOX", "2", kInt, 4, "0.000", "6", "0", 1, 1);
    AddParam("F,кН", "fOY", "1", kInt, 4, "0.000", "6", "0", 1, 1);
    AddParam("Поз Образца", "fPos", "0", kInt, 4, "0.000", "2", "0", 1, 1);
    AddParam("ТИП ИСПЫТАНИЯ", "iVECTOR", "0", kInt, 4, "0", "3", "0", 1, 1);
    AddParam("Площадь сечения, мм~", "fS0", "0.00", kFloat, 4, "0.000", "100000.0", "-100000.0", 1,
             1);
    standard_.LoadTemplate(*this);
}

void C_Gost_10006::SetSampleType(int sampleType) {
    SetInt("iTO", sampleType);
    SetFloat("fLK", 0.0f);
    const auto move = [this](std::initializer_list<const char*> names, int group) {
        for (const char* name : names)
            SetGroup(name, group);
    };
    switch (sampleType) {
        case kCylinder:
            move({"fD0"}, 1);
            move({"fDK"}, 2);
            move({"fFIS"}, 3);
            move({"fA0", "fB0", "fAK", "fBK", "fD0S"}, 4);
            break;
        case kFlat:
            move({"fA0", "fB0"}, 1);
            move({"fAK", "fBK"}, 2);
            move({"fFIS"}, 3);
            move({"fD0S", "fD0", "fDK"}, 4);
            break;
        case kPipe:
            // The pipe's final section is not measured: no reduction of area.
            move({"fD0S", "fD0"}, 1);
            move({"fA0", "fB0", "fAK", "fBK", "fDK", "fFIS"}, 4);
            break;
        default:
            break;
    }
}

void C_Gost_10006::SetExtensometer(int /*inUse*/) {}

void C_Gost_10006::SetElasticBoundPercent(int percent) {
    boundPercent = percent;
}

double C_Gost_10006::CrossSection() const {
    switch (GetInt("iTO")) {
        case kCylinder:
            return RoundSection(*this, "fD0");
        case kFlat:
            return FlatSection(*this, "fA0", "fB0");
        case kPipe: {
            // A wall thicker than the pipe's radius is a typing error, not a pipe.
            const double d = GetFloat("fD0");
            const double wall = GetFloat("fD0S");
            if (!Usable(d) || !Usable(wall) || 2.0 * wall > d) return 0.0;
            return std::numbers::pi * wall * (d - wall);
        }
        default:
            return 0.0;
    }
}

double C_Gost_10006::FinalCrossSection() const {
    switch (GetInt("iTO")) {
        case kCylinder:
            return RoundSection(*this, "fDK");
        case kFlat:
            return FlatSection(*this, "fAK", "fBK");
        default:
            return 0.0;
    }
}

void C_Gost_10006::UpdateArea() {
    SetResult(*this, "fS0", CrossSection());
}

void C_Gost_10006::SaveTemplate() {
    standard_.SaveTemplate(*this);
}

void C_Gost_10006::ClearResults() {
    for (const char* name : kResults)
        SetFloat(name, 0.0f);
}

void C_Gost_10006::Calculate() {
    if (buffer == nullptr) return;
    buffer->ClearPics();
    if (buffer->GetCount(1) < kMinTestSamples) {
        // Nothing recorded: no result of another test may stay shown or printed.
        ClearResults();
        ResetAnalysis();
        return;
    }
    xChannel = 2;
    yChannel = 1;

    const double s0 = CrossSection();
    const double sk = FinalCrossSection();
    const float l0 = F(GetFloat("fL0"));
    float lk = F(GetFloat("fLK"));
    if (!Usable(s0) || !Usable(l0)) {
        // No point of another test may stay behind.
        ClearResults();
        SetResult(*this, "fF0", Usable(s0) ? s0 : 0.0);
        ResetAnalysis();
        return;
    }
    gaugeLength = l0;

    Analyse(true);
    FindOffsetYield(0.2f);
    const int offsetIndex = iOffset;

    SetResult(*this, "fF0", s0);
    SetForceStress(*this, "fPM", "fSB", yMax, yChannel, s0);
    SetForceStress(*this, "", "fSPC", yProp, yChannel, s0);
    SetForceStress(*this, "fPT", "fST", yYield, yChannel, s0);
    SetForceStress(*this, "fP02", "fS02", yOffset, yChannel, s0);

    // The final length from the displacement between the proportional limit
    // and the last sample, unless one was typed.
    const int last = SampleCount() - 1;
    const std::span<const double> x = Samples(xChannel);
    const float xLast = last >= 0 ? F(x[static_cast<size_t>(last)]) : 0.0f;
    const float computed = xLast + l0 - xProp;
    // A length the parameter's limit cut is still the computed one, on this
    // calculation and the next.
    if (lk == 0.0f || lk == AsStored(*this, "fLK", computed)) {
        SetResult(*this, "fLK", computed);
        lk = computed;
    }
    SetResult(*this, "fFIO", Usable(lk) ? (lk - l0) * 100.0f / l0 : 0.0f);
    SetResult(*this, "fFIS", Usable(sk) ? (s0 - sk) * 100.0 / s0 : 0.0);

    ::AddMarkers(*buffer,
                 {{static_cast<double>(iProp), "`пц"},
                  {static_cast<double>(iYield), "`т"},
                  {static_cast<double>(offsetIndex), "`["},
                  {static_cast<double>(iMax), "`в"},
                  {static_cast<double>(last), "к"}},
                 xChannel);
}
