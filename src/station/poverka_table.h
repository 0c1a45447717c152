#pragma once

#include <array>
#include <string>
#include <vector>

// The verification table without widgets: its two layouts, which reading
// each cell holds, the nominal points and what a cell shows.
namespace station {

// Check points the verification method keeps; the table has a row for each.
inline constexpr int kPoverkaPoints = 10;

// Column headers: "Точка" and a reading column per run and stroke (seven
// columns), or per run with the forward stroke only (four).
std::vector<std::string> PoverkaHeaders(bool sevenColumns);

// The method's reading key behind a cell (column 1 on, row 1 to 10 for
// point 0 to 9); "" for the nominal column and for cells without a reading.
std::string PoverkaReadingKey(int column, int row, bool sevenColumns);

// Nominal point i (1 to 10) := range / n x i for i <= n, 0 beyond, as the
// method stores them (single precision). n outside 1 ... 10 gives no points.
std::array<float, kPoverkaPoints> NominalPoints(double range, int n);

// What a reading cell shows: "-" in a row beyond the n points, the stored
// reading with three decimals, or nothing when it was not taken (0 and not
// known as taken).
std::string ReadingCellText(int row, int n, double reading, bool taken);

}  // namespace station
