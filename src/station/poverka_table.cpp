#include "station/poverka_table.h"

#include "engine/c_gost_poverka.h"
#include "platform/formatfloat.h"

namespace station {

std::vector<std::string> PoverkaHeaders(bool sevenColumns) {
    if (sevenColumns) {
        // "I Проход O" is written with a Latin O, as the station shows it.
        return {"Точка",       "I Проход П",   "I Проход O",  "II Проход П",
                "II Проход О", "III Проход П", "III Проход О"};
    }
    return {"Точка", "I Проход", "II Проход", "III Проход"};
}

std::string PoverkaReadingKey(int column, int row, bool sevenColumns) {
    const int columns = sevenColumns ? 6 : 3;
    if (column < 1 || column > columns || row < 1 || row > kPoverkaPoints) return "";
    // Seven columns: each run forward, then back; four: forward only.
    const int run = sevenColumns ? (column + 1) / 2 : column;
    const bool forward = !sevenColumns || column % 2 == 1;
    return C_Gost_POVERKA::ReadingKey(run, forward, row - 1);
}

std::array<float, kPoverkaPoints> NominalPoints(double range, int n) {
    std::array<float, kPoverkaPoints> points{};
    if (n < 1 || n > kPoverkaPoints) return points;
    for (int i = 1; i <= n; ++i)
        points[static_cast<size_t>(i - 1)] = static_cast<float>(range / n * i);
    return points;
}

std::string ReadingCellText(int row, int n, double reading, bool taken) {
    if (row > n) return "-";
    return reading != 0 || taken ? platform::FormatFloat("0.000", reading) : std::string();
}

}  // namespace station
