#include "engine/c_gost_12004.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <string>
#include <string_view>

#include "model/cbuffer.h"

namespace {

float F(double v) {
    return static_cast<float>(v);
}

// The results this method computes; a calculation that cannot be made
// leaves them at 0 rather than at another test's values.
constexpr const char* kResults[] = {"fF0",  "fDr", "fMPg", "fFIO", "fLU",   "fPFIO",
                                    "fFIS", "fSB", "fST",  "fS02", "fS05",  "fE",
                                    "fSPC", "fPM", "fPT",  "fP02", "fP002", "fPPC"};

// The six diameters of a sample of circular section.
constexpr const char* kDiameters[] = {"fDN1", "fDN2", "fDS1", "fDS2", "fDK1", "fDK2"};

// The dimensions each sample type shows among the initial ones; the others
// of this set are hidden.
constexpr const char* kTypeDimensions[] = {"fMasg0", "fDN1", "fDN2",  "fDS1",    "fDS2",
                                           "fDK1",   "fDK2", "fDEd0", "fACount", "fD0"};

bool Contains(std::span<const char* const> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool ShownFor(int sampleType, std::string_view name) {
    switch (sampleType) {
        case C_Gost_12004::kBarByMass:
            return name == "fMasg0";
        case C_Gost_12004::kRound:
            return Contains(kDiameters, name);
        case C_Gost_12004::kStrand:
            return name == "fDEd0" || name == "fACount";
        default:
            return name == "fD0";
    }
}

}  // namespace

C_Gost_12004::C_Gost_12004(const MethodEnv& env) : standard_(env, kMethodText) {
    boundPercent = 0;
    C_Gost_12004::DefineParams();
}

void C_Gost_12004::DefineParams() {
    AddParam("Нормативный документ", "sGO", kMethodText, kText, 4, "", "", "", 1, 1);
    AddParam("Тип образца", "iTO", "0", kInt, 4,
             "$Арматура?Круглый образец?Арматурный канат?Арматура?", "4", "0", 1, 1);
    AddParam("Тип испытательной машины", "sTM", "ТИП", kText, 4, "", "", "", 1, 1);
    AddParam("Серийный номер", "sSN", "00000", kText, 4, "", "", "", 1, 1);
    AddParam("Дата", "sDA", standard_.Today(), kText, 0, "", "", "", 1, 1);
    AddParam("Время", "sTI", "00:00:00", kText, 0, "", "", "", 1, 1);
    AddParam("Температура,C°", "sTE", "20", kText, 0, "", "", "", 1, 1);
    AddParam("Номер плавки", "sP003", "", kText, 0, "", "", "", 1, 1);
    AddParam("Партия", "sP004", "", kText, 0, "", "", "", 1, 1);
    AddParam("Марка", "sP001", "", kText, 0, "", "", "", 1, 1);
    AddParam("Маркировка", "sP002", "", kText, 0, "", "", "", 1, 1);
    AddParam("Ворталинец", "sNI", "________", kText, 0, "", "", "", 1, 1);
    AddParam("Зав. Лабораторией", "sZL", "________", kText, 0, "", "", "", 1, 1);
    AddParam("Использовать тензометр", "iTZ", "0", kInt, 4, "", "1", "0", 1, 1);
    AddParam("Масса образца, г", "fMasg0", "250.00", kFloat, 1, "0.00", "30000.0", "-100000.0", 1,
             1);
    AddParam("Диаметр образца, мм", "fD0", "20.00", kFloat, 1, "0.00", "30000.0", "-100000.0", 1,
             1);
    AddParam("Длина образца,  мм", "fLmm0", "300.00", kFloat, 1, "0.00", "10000.0", "-100000.0", 1,
             1);
    AddParam("Начальная расчетная длина lo, мм", "fL0", "200.00", kFloat, 1, "0.000", "3000.0",
             "-1000.0", 1, 1);
    AddParam("Площадь сечения, мм~(если 0-авторасчет)", "fSr", "0.00", kFloat, 1, "0.000", "3000.0",
             "-1000.0", 0, 1);
    AddParam("Расчетный диаметр образца, мм", "fDr", "0.00", kFloat, 3, "0.00", "30000.0",
             "-100000.0", 1, 1);
    AddParam("Погонный вес, кг/м", "fMPg", "0.00", kFloat, 3, "0.00", "30000.0", "-100000.0", 1, 1);
    AddParam("Диаметр начала образца 1, мм", "fDN1", "5.00", kFloat, 1, "0.00", "10000.0",
             "-100000.0", 1, 1);
    AddParam("Диаметр начала образца 2, мм", "fDN2", "5.00", kFloat, 1, "0.00", "10000.0",
             "-100000.0", 1, 1);
    AddParam("Диаметр середины образца 1, мм", "fDS1", "5.00", kFloat, 1, "0.00", "100000.0",
             "-100000.0", 1, 1);
    AddParam("Диаметр середины образца 2, мм", "fDS2", "5.00", kFloat, 1, "0.00", "100000.0",
             "-100000.0", 1, 1);
    AddParam("Диаметр конца образца 1, мм", "fDK1", "5.00", kFloat, 1, "0.00", "100000.0",
             "-100000.0", 1, 1);
    AddParam("Диаметр конца образца 2, мм", "fDK2", "5.00", kFloat, 1, "0.00", "100000.0",
             "-100000.0", 1, 1);
    AddParam("Диаметр проволоки составляющей канат,  мм", "fDEd0", "2.00", kFloat, 1, "0.00",
             "100000.0", "-100000.0", 1, 1);
    AddParam("Количество проволок составляющих канат,  шт", "fACount", "10.00", kFloat, 1, "0.00",
             "10000.0", "1.0", 1, 1);
    AddParam("Площадь сечения, мм~", "fF0", "0.00", kFloat, 3, "0.00", "100000.0", "-100000.0", 1,
             1);
    AddParam("Конечная длина lк, мм", "fLK", "205.00", kFloat, 2, "0.00", "5000.0", "-5000.0", 1,
             1);
    AddParam("Конечный диаметр, мм", "fDK", "10.00 ", kFloat, 2, "0.00", "1000.0", "-1000.0", 1, 1);
    AddParam("Нач. длина без разрыва, мм", "fLNR", "200.00", kFloat, 4, "0.00", "1000.0", "-1.0", 1,
             1);
    AddParam("Кон. длина без разрыва, мм", "fLNK", "200.00", kFloat, 4, "0.00", "1000.0", "-1.0", 1,
             1);
    AddParam("Относительное удлинение @, %", "fFIO", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Относительное равномерное удлинение @p, %", "fLU", "0.00", kFloat, 3, "0.00",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("Полное относительное удлинение при макс. нагрузке @max, %", "fPFIO", "0.00", kFloat,
             3, "0.00", "10000000.0", "-10000000.0", 1, 1);
    AddParam("Относительное сужение $, %", "fFIS", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Временное сопротивление `в, Н/мм~", "fSB", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел текучести (физ.) `т, Н/мм~", "fST", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел текучести (усл.) `[, Н/мм~", "fS02", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел упругости (усл.) `], Н/мм~", "fS05", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Модуль упругости Eн, Н/мм~", "fE", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Предел пропорциональности `пц, Н/мм~", "fSPC", "0.00", kFloat, 3, "0.00",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("Максимальная нагрузка F`в, кН", "fPM", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Нагрузка при пределе текучести F`т, кН", "fPT", "0.00", kFloat, 3, "0.00",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("Нагрузка при условном пределе текучести F`[, кН", "fP02", "0.00", kFloat, 3, "0.00",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("Нагрузка при условном пределе упругости F`], кН", "fP002", "0.00", kFloat, 3, "0.00",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("Нагрузка при пределе пропорциональности F`пц, кН", "fPPC", "0.00", kFloat, 3, "0.00",
             "10000000.0", "-10000000.0", 1, 1);
    AddParam("POS ppc", "fPOSppc", "0.00", kFloat, 4, "0.00", "10000000.0", "-10000000.0", 1, 1);
    AddParam("POS tec", "fPOStec", "0.00", kFloat, 4, "0.00", "10000000.0", "-10000000.0", 1, 1);
    AddParam("L,мм", "fOX", "2", kInt, 4, "0.00", "6", "0", 1, 1);
    AddParam("F,кН", "fOY", "1", kInt, 4, "0.00", "6", "0", 1, 1);
    AddParam("Поз Образца", "fPos", "0", kInt, 4, "0.00", "3", "0", 1, 1);
    AddParam("ТИП ИСПЫТАНИЯ", "iVECTOR", "0", kInt, 4, "0", "3", "0", 1, 1);
    AddParam("Площадь сечения, мм~", "fS0", "0.00", kFloat, 4, "0.000", "100000.0", "-100000.0", 1,
             1);

    standard_.LoadTemplate(*this);
}

void C_Gost_12004::SetSampleType(int sampleType) {
    SetInt("iTO", sampleType);
    if (sampleType < kBarByMass || sampleType > kBarByDiameter) return;
    for (const char* name : kTypeDimensions)
        SetGroup(name, ShownFor(sampleType, name) ? 1 : 4);
}

void C_Gost_12004::SetExtensometer(int inUse) {
    SetInt("iTZ", inUse);
}

void C_Gost_12004::SetElasticBoundPercent(int percent) {
    // Kept for the registry; this method's elastic bound is always the tangent point.
    boundPercent = percent;
}

double C_Gost_12004::CrossSection() const {
    double s0 = 0.0;
    switch (GetInt("iTO")) {
        case kBarByMass: {
            const double typed = GetFloat("fSr");
            if (typed != 0.0) {
                s0 = typed;
                break;
            }
            // A bar with ribs has no diameter to measure: its mass and length
            // at the density of steel, 0.00785 g/mm³.
            const double mass = GetFloat("fMasg0");
            const double length = GetFloat("fLmm0");
            if (Usable(mass) && Usable(length)) s0 = mass / (length * 0.00785f);
            break;
        }
        case kRound: {
            double sum = 0.0;
            for (const char* name : kDiameters) {
                const double d = GetFloat(name);
                // A diameter not measured would pull the mean down.
                if (!Usable(d)) return 0.0;
                sum += CircleArea(d);
            }
            s0 = sum * (1.0 / 6.0);
            break;
        }
        case kStrand: {
            const double d = GetFloat("fDEd0");
            const double wires = GetFloat("fACount");
            if (Usable(d) && Usable(wires)) s0 = CircleArea(d) * wires;
            break;
        }
        case kBarByDiameter: {
            const double d = GetFloat("fD0");
            if (Usable(d)) s0 = d * 3.14159265 * d * 0.25;
            break;
        }
        default:
            break;
    }
    return Usable(s0) ? s0 : 0.0;
}

double C_Gost_12004::TotalElongationAtMax(double uniform, double strength, double modulus) {
    if (!Usable(modulus)) return 0.0;
    const double total = uniform + strength / modulus * 100.0;
    return std::isfinite(total) ? total : 0.0;
}

void C_Gost_12004::UpdateArea() {
    area = 0.0f;
    area = F(CrossSection());
    SetResult(*this, "fS0", area);
}

void C_Gost_12004::SaveTemplate() {
    standard_.SaveTemplate(*this);
}

void C_Gost_12004::ResetManualPoints() {
    SetFloat("fPOSppc", 0.0f);
    SetFloat("fPOStec", 0.0f);
    // A new specimen: its final length comes from its own curve until typed.
    SetFloat("fLK", 0.0f);
}

void C_Gost_12004::ClearResults() {
    for (const char* name : kResults)
        SetFloat(name, 0.0f);
}

void C_Gost_12004::DrawMarkers() {
    const int last = std::min(buffer->GetCount(1), buffer->GetCount(2)) - 1;
    ::AddMarkers(*buffer, {{GetFloat("fPOSppc"), "`пц"},
                           {iOffsetElastic, "`]"},
                           {iOffsetYield, "`["},
                           {GetFloat("fPOStec"), "`т"},
                           {static_cast<double>(iMax), "`в"},
                           {static_cast<double>(last), "`к"}});
}

void C_Gost_12004::Calculate() {
    if (buffer == nullptr) return;
    buffer->ClearPics();
    if (buffer->GetCount(1) < kMinTestSamples) {
        // Nothing recorded: no result of another test may stay shown or printed.
        ClearResults();
        ResetAnalysis();
        iOffsetElastic = 0.0f;
        iOffsetYield = 0.0f;
        return;
    }

    const int strainSource = GetInt("iTZ") == 1 ? 3 : 2;
    if (!ChooseChannels()) return;

    // The area of the dimensions as they stand; UpdateArea's S0 is for the
    // set-up screen.
    const float s0 = F(CrossSection());
    const float l0 = F(GetFloat("fL0"));
    if (!Usable(s0) || !Usable(l0)) {
        // No point of another test may stay behind for the slider to mark.
        ClearResults();
        SetResult(*this, "fF0", s0);
        ResetAnalysis();
        iOffsetElastic = 0.0f;
        iOffsetYield = 0.0f;
        return;
    }
    SetResult(*this, "fF0", s0);
    const double dk = GetFloat("fDK");
    const double sk = Usable(dk) ? CircleArea(dk) : 0.0;
    gaugeLength = l0;

    RebuildStrainAndStress(strainSource, l0, s0);

    Analyse(false);
    // Both offset points from the automatic proportional limit, before a
    // hand-set one can narrow their search.
    FindOffsetYield(0.2f);
    iOffsetYield = static_cast<float>(iOffset);
    const float offsetYield = yOffset;
    FindOffsetYield(0.02f);
    iOffsetElastic = static_cast<float>(iOffset);
    const float offsetElastic = yOffset;

    ApplyHandSetPoints();

    SetResult(*this, "fDr", 2.0 * std::sqrt(s0 * (1.0 / std::numbers::pi)));
    const double mass = GetFloat("fMasg0");
    const double length = GetFloat("fLmm0");
    // g/mm is kg/m.
    SetResult(*this, "fMPg", Usable(mass) && Usable(length) ? mass / length : 0.0);

    SetForceStress(*this, "fPPC", "fSPC", yProp, yChannel, s0);

    // Elongations are measured from the foot of the elastic line, so the
    // slack taken up before the specimen carries load does not count; the
    // recorded curve itself is never moved.
    const float toLength = xChannel == 5 ? 0.01f * l0 : 1.0f;
    float lk = l0 + (plasticEnd - xIntercept) * toLength;
    if (GetFloat("fLK") == 0.0) SetResult(*this, "fLK", lk);
    const double typedLk = GetFloat("fLK");
    if (typedLk != static_cast<double>(lk)) lk = F(typedLk);
    SetResult(*this, "fFIO", Usable(lk) ? (lk - l0) * 100.0f / l0 : 0.0f);

    // The working lengths are stored within their limits; the elongation is
    // taken from the lengths themselves.
    const float lnr = l0;
    const float lnk = l0 + (plasticMax - xIntercept) * toLength;
    SetResult(*this, "fLNR", lnr);
    SetResult(*this, "fLNK", lnk);
    SetResult(*this, "fLU", (lnk - lnr) * 100.0 / lnr);

    SetResult(*this, "fFIS", Usable(sk) ? (s0 - sk) * 100.0 / s0 : 0.0);

    SetForceStress(*this, "fPM", "fSB", yMax, yChannel, s0);
    SetForceStress(*this, "fPT", "fST", yYield, yChannel, s0);
    SetForceStress(*this, "fP02", "fS02", offsetYield, yChannel, s0);
    SetForceStress(*this, "fP002", "fS05", offsetElastic, yChannel, s0);

    const float k = xChannel == 5 ? 100.0f / l0 : 1.0f;
    const float modulus =
        yChannel == 1 ? slope * gaugeLength / s0 * 1000.0f * k : slope * gaugeLength * k;
    SetResult(*this, "fE", modulus);

    SetResult(*this, "fPFIO",
              TotalElongationAtMax(GetFloat("fLU"), GetFloat("fSB"), GetFloat("fE")));

    DrawMarkers();
}

void C_Gost_12004::SetManualPoint(int row, int group, float position) {
    // The dimensions as they stand now: a test opened from a file has had no
    // calculation, and dimensions typed since the last UpdateArea count.
    if (MoveManualPoint(row, group, position, CrossSection())) DrawMarkers();
}
