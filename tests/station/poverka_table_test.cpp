#include <gtest/gtest.h>

#include <string>

#include "station/poverka_table.h"

namespace {

// A cell of the table is stored under the method's reading key; a wrong key
// would put a reading into another run or direction without a word.
TEST(PoverkaReadingKey, EachCellNamesItsRunDirectionAndPoint) {
    struct Case {
        int column, row;
        bool sevenColumns;
        const char* key;
    };
    const Case cases[] = {
        {1, 1, true, "fKP1_0"},
        {2, 1, true, "fKO1_0"},
        {3, 4, true, "fKP2_3"},
        {6, 2, true, "fKO3_1"},
        {1, 1, false, "fKP1_0"},
        {3, 5, false, "fKP3_4"},
        {0, 1, true, ""},
        {7, 1, true, ""},
        {4, 1, false, ""},
        {1, 0, false, ""},
        {1, station::kPoverkaPoints + 1, true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(station::PoverkaReadingKey(c.column, c.row, c.sevenColumns), c.key)
            << c.column << "," << c.row << (c.sevenColumns ? " of 7" : " of 4");
    }
}

}  // namespace
