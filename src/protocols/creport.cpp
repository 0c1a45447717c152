#include "protocols/creport.h"

#include <QString>

#include <algorithm>
#include <array>
#include <vector>

#include "controls/cotchet.h"
#include "model/cbuffer.h"
#include "model/ckanal.h"
#include "model/config.h"
#include "model/parametr.h"
#include "protocols/verification.h"

namespace {

// Line pitches of the two protocols, in lines of 6 mm.
constexpr float kTestStep = 0.95f;
constexpr float kVerificationStep = 0.945f;

constexpr const char* kInspectorLine =
    ":                                               _________  ";
constexpr const char* kHeadLine = ":                                   _________  ";

// Check points the verification method declares.
constexpr int kMaxPoints = 10;

}  // namespace

void C_Report::Init(C_Kanal* kanals, C_Otchet* otchet, C_Parametr* params, C_Config* config,
                    C_Buffer* buffer) {
    Otchet = otchet;
    Init(kanals, params, config, buffer);
}

void C_Report::Init(C_Kanal* kanals, C_Parametr* params, C_Config* config, C_Buffer* buffer) {
    Kanals = kanals;
    Params = params;
    Config = config;
    Buffer = buffer;
    RowCount = -1;
}

std::string C_Report::Text(const char* name) const {
    return Params->GetText(name);
}

// Every protocol starts anew on one portrait sheet, open for drawing.
void C_Report::FirstSheet(const char* font, int size) {
    Otchet->ClearList();
    Otchet->CreateViewer();
    Otchet->Font.name = font;
    Otchet->Font.SetSize(size);
    Otchet->CreatePage(1);
    Otchet->PageSelect(0);
    Otchet->BeginDoc();
}

void C_Report::ClearOtchet() {
    if (Otchet == nullptr) return;
    FirstSheet("Times New Roman", 14);
    Otchet->EndDoc();
    Otchet->Preview();
}

void C_Report::MakeOtchet() {
    if (Otchet == nullptr || Params == nullptr) return;
    if (Text("sGO") == "Поверка") {
        MakeVerificationProtocol();
    } else {
        MakeTestProtocol();
    }
}

void C_Report::MakeTestProtocol() {
    C_Otchet& o = *Otchet;
    const C_Parametr& p = *Params;
    float r = 0;
    auto next = [&r] { r += kTestStep; };

    FirstSheet("Vortalinz", 13);

    o.AddLine(70, 6 * r, "Протокол испытания № " + p.GetMaxText("sGO"));
    next();
    o.AddLine(80, 6 * r, "На машине " + (Config != nullptr ? Config->GetText("sMNAME") : ""));
    next();

    // The parameter table: number, caption, value.
    o.ColOffset[1] = -55;
    o.ColOffset[2] = 10;
    int rows = 0;
    if (RowCount == -1) {
        rows = p.CountShown() + 1;
    } else {
        next();
        rows = RowCount + 3;
    }
    o.AddTable(3, rows, 5, 6 * r, 183, 0);
    o.Cells(0, 0, "№", 1);
    o.Cells(1, 0, "Параметр", 1);
    o.Cells(2, 0, "Данные", 1);
    o.Cells(0, 1, "1", 1);
    o.Cells(1, 1, p.GetCaption("sGO"), 13);
    o.Cells(2, 1, Text("sGO"), 15);
    next();
    o.Cells(0, 2, "2", 1);
    o.Cells(1, 2, p.GetCaption("iTO"), 13);
    o.Cells(2, 2, p.GetItem("iTO", p.GetInt("iTO")), 15);
    next();
    int k = 3;
    for (int g = 0; g <= 3; ++g) {
        for (int i = 0; i < p.Count(); ++i) {
            if (!p.VisibleInGroup(i, g)) continue;
            const std::string& name = p.Record(i)->name;
            if (name == "sNI" || name == "sZL") continue;
            o.Cells(0, k, std::to_string(k), 1);
            o.Cells(1, k, p.GetCaption(i), 13);
            o.Cells(2, k, p.ValueToText(i), 15);
            ++k;
            next();
        }
    }
    next();

    // The conclusion, where the method has one.
    if (p.IndexOf("sZK0") >= 0 && !Text("sZK0").empty()) {
        o.AddLine(4, 6 * r, "Заключение: " + Text("sZK0"));
        next();
    }
    if (p.IndexOf("sZK1") >= 0 && !Text("sZK1").empty()) {
        o.AddLine(4, 6 * r, Text("sZK1"));
        next();
    }
    o.AddLine(80, 6 * r, "График:");
    next();
    // Many rows leave no room for the graph: then there is none.
    const float graphHeight = 278 - 6 * r - 12;
    if (Buffer != nullptr && graphHeight > 0) {
        o.GetGraf(Buffer, p.GetCaption("fOX"), p.GetCaption("fOY"), p.GetInt("fOX"),
                  p.GetInt("fOY"), 5, 6 * r, o.PageWidthMm - 5, graphHeight);
    }

    o.AddLine(15, 266, p.GetCaption("sNI") + kInspectorLine + Text("sNI"));
    o.AddLine(15, 272, p.GetCaption("sZL") + kHeadLine + Text("sZL"));
    const int windows = Buffer != nullptr ? static_cast<int>(Buffer->printRects.size()) : 0;
    const std::string sheets = std::to_string(windows + 1);
    o.AddLine(o.PageWidthMm - 30, o.PageHeightMm, "Лист 1 из " + sheets);
    o.EndDoc();

    // A landscape sheet for each print window, showing exactly that window.
    for (int i = 0; i < windows; ++i) {
        const C_Buffer::SPrintRect w = Buffer->printRects[static_cast<std::size_t>(i)];
        o.CreatePage(0);
        o.PageSelect(i + 1);
        o.BeginDoc();
        o.SetOrigin(0, w.lowerX, w.upperX, w.lowerY, w.upperY);
        o.GetGraf(Buffer, "", "", w.xChannel, w.yChannel, 0, 0, o.PageWidthMm, o.PageHeightMm - 1);
        o.AddLine(o.PageWidthMm - 30, o.PageHeightMm,
                  "Лист " + std::to_string(i + 2) + " из " + sheets);
        o.EndDoc();
    }
    o.Preview();
}

void C_Report::MakeVerificationProtocol() {
    C_Otchet& o = *Otchet;
    const C_Parametr& p = *Params;
    float r = 0;
    auto next = [&r] { r += kVerificationStep; };

    FirstSheet("Times New Roman", 14);

    o.AddLine(80, 0, "Протокол №____");
    next();
    const int instrument = p.GetInt("iTO");
    const QString what = QString::fromStdString(p.GetItem("iTO", instrument)).toLower();
    o.AddLine(60, 6 * r, "поверки " + what.toStdString());
    next();
    o.AddLine(60, 6 * r,
              "испытательной машины " + (Config != nullptr ? Config->GetText("sMNAME") : ""));
    next();
    next();

    // Every visible descriptive line: caption left, value right.
    for (int g = 0; g <= 3; ++g) {
        for (int i = 0; i < p.Count(); ++i) {
            if (!p.VisibleInGroup(i, g)) continue;
            o.AddLine(5, 6 * r, p.GetCaption(i));
            o.AddLine(130, 6 * r, p.ValueToText(i));
            next();
        }
    }
    next();

    o.ColOffset[1] = 0;
    o.ColOffset[2] = 0;
    o.Font.SetSize(13);
    // The instrument's channel gives the unit of the headings.
    const int channel = instrument + 1;
    const std::string unit =
        Kanals != nullptr && channel >= 0 && channel < 10 ? Kanals[channel].unit : std::string();
    const int n = std::clamp(p.GetInt("fPCOU"), 0, kMaxPoints);

    VerificationTable(n, 6 * r, true, unit);
    bool reverse = false;
    for (int i = 0; i < n && !reverse; ++i) {
        for (const char* run : {"fKO1_", "fKO2_", "fKO3_"})
            reverse = reverse || p.GetFloat(run + std::to_string(i)) != 0;
    }
    if (reverse) {
        r += static_cast<float>(n + 6) * kVerificationStep + 0.5f;
        VerificationTable(n, 6 * r, false, unit);
    }

    o.AddLine(15, 266, p.GetCaption("sNI") + kInspectorLine + Text("sNI"));
    o.EndDoc();
    o.Preview();
}

void C_Report::VerificationTable(int n, float y, bool forward, const std::string& unit) {
    C_Otchet& o = *Otchet;
    const C_Parametr& p = *Params;
    o.AddTable(9, n + 3, 5, y, 183, 26);

    struct Heading {
        int c1, r1, c2, r2;
        std::string text;
        int align;
    };
    const std::string stroke =
        forward ? "Показания машины    при прямом ходе, " : "Показания машины при обратном ходе, ";
    const Heading headings[] = {
        {0, 0, 0, 2, "Прове- ряемая точка,  " + unit, 1},
        {1, 0, 3, 1, stroke + unit, 1},
        {4, 0, 4, 2, "Среднее значение, " + unit, 1},
        {5, 0, 6, 1, "Погрешность", 2},
        {7, 0, 8, 1, "Размах", 2},
        {1, 2, 1, 2, "1", 2},
        {2, 2, 2, 2, "2", 2},
        {3, 2, 3, 2, "3", 2},
        {5, 2, 5, 2, "отн.,%", 2},
        {6, 2, 6, 2, "абс.," + unit, 2},
        {7, 2, 7, 2, "отн.,%", 2},
        {8, 2, 8, 2, "абс.," + unit, 2},
    };
    for (const Heading& h : headings)
        o.ComCells(h.c1, h.r1, h.c2, h.r2, h.text, h.align);

    const char* runs[3] = {forward ? "fKP1_" : "fKO1_", forward ? "fKP2_" : "fKO2_",
                           forward ? "fKP3_" : "fKO3_"};
    std::vector<std::array<std::string, 9>> rows;
    for (int i = 0; i < n; ++i) {
        const float point = static_cast<float>(p.GetFloat("fPS_" + std::to_string(i + 1)));
        std::array<float, 3> readings{};
        for (int k = 0; k < 3; ++k) {
            readings[static_cast<std::size_t>(k)] =
                static_cast<float>(p.GetFloat(runs[k] + std::to_string(i)));
        }
        rows.push_back(verification::RowTexts(point, readings));
    }
    // Column by column, as the cells overlap on their shared edges.
    for (int c = 0; c < 9; ++c) {
        for (int i = 0; i < n; ++i)
            o.ComCells(c, i + 3, c, i + 3,
                       rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)], 2);
    }
}
