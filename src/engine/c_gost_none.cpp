#include "engine/c_gost_none.h"

#include "model/cbuffer.h"
#include "platform/clock.h"
#include "platform/formatfloat.h"
#include "platform/random.h"

C_Gost_None::C_Gost_None(const MethodEnv& env) : clock_(env.clock), random_(env.random) {
    C_Gost_None::DefineParams();
}

void C_Gost_None::DefineParams() {
    AddParam("НАЗВАНИЕ", "sFULLNAME", "", kText, 4, "", "", "", 1, 1);
    AddParam("Режим испытания", "sGO", "Без Расчетов", kText, 4, "", "", "", 1, 1);
    AddParam("Тип образца", "iTO", "0", kInt, 4, "$Произвольный?", "1", "0", 1, 1);
    AddParam("Тип испытательной машины", "sTM", "ТИП", kText, 4, "", "", "", 1, 1);
    AddParam("Серийный номер", "sSN", "00000", kText, 4, "", "", "", 1, 1);
    AddParam("Дата", "sDA", platform::DateText(clock_.Now()), kText, 0, "", "", "", 1, 1);
    AddParam("Время", "sTI", "00:00:00", kText, 0, "", "", "", 1, 1);
    AddParam("Температура,C°", "sTE", "20", kText, 0, "", "", "", 1, 1);
    AddParam("Ворталинец", "sNI", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("Зав. Лабораторией", "sZL", "___________", kText, 0, "", "", "", 1, 1);
    AddParam("L,мм", "fOX", "0", kInt, 4, "0.00", "6", "0", 1, 1);
    AddParam("F,кН", "fOY", "1", kInt, 4, "0.00", "6", "0", 1, 1);
    AddParam("Максимальная нагрузка Fmax, кН", "fPM", "0.00", kFloat, 3, "0.00", "10000000.0",
             "-10000000.0", 1, 1);
    AddParam("Поз Образца1", "fPos", "0", kInt, 4, "0.00", "1", "0", 1, 1);
    AddParam("ТИП ИСПЫТАНИЯ", "iVECTOR", "2", kInt, 4, "0", "3", "0", 1, 1);
    AddParam("Скорость ГОСТ Н/с", "fSpd", "1", kFloat, 4, "0.0000", "10000.0", "-10000.0", 1, 1);
    AddParam("Площадь сечения, мм~", "fS0", "0.00", kFloat, 1, "0.000", "100000.0", "-100000.0", 1,
             1);
}

void C_Gost_None::FindMax(double& value, int& index) const {
    value = 0.0;
    index = 0;
    if (buffer == nullptr) return;
    const int n = buffer->GetCount(scanChannel);
    for (int i = 0; i < n; ++i) {
        const double v = buffer->GetValue(scanChannel, i);
        if (v > value) {
            value = v;
            index = i;
        }
    }
}

void C_Gost_None::Calculate() {
    random_.Seed(static_cast<std::uint32_t>(clock_.Seconds()));
    if (buffer == nullptr) return;
    buffer->ClearPics();
    // Nothing recorded: the maximum of another test may not stay shown or printed.
    if (buffer->GetCount(1) < kMinTestSamples) {
        SetFloat("fPM", 0.0f);
        return;
    }
    scanChannel = 1;
    xChannel = 2;

    double fmax = 0.0;
    int at = 0;
    FindMax(fmax, at);
    SetFloat("fPM", static_cast<float>(fmax));

    const std::string label = "max " + platform::FormatFloat("0.00", fmax);
    // Modulo 255 keeps every component below full intensity, so the marker
    // never vanishes on a white plot.
    const int red = random_.Next() % 255;
    const int green = random_.Next() % 255;
    const int blue = random_.Next() % 255;
    const int colour = red + green * 256 + blue * 65536;
    buffer->AddPicPoint(static_cast<float>(buffer->GetValue(xChannel, at)),
                        static_cast<float>(buffer->GetValue(scanChannel, at)), colour, xChannel,
                        scanChannel, at, label);
}
