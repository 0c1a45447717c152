#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The Russian form of a noun after a count: one for 1, 21, 101; few for 2-4,
// 22-24; many for 0, 5-20, 25-30 and every 11-14.
std::string_view RussianPlural(uint64_t count, std::string_view one, std::string_view few,
                               std::string_view many);

// The count and its noun: "1 байт", "2 байта", "5 байт".
std::string CountOf(uint64_t count, std::string_view one, std::string_view few,
                    std::string_view many);

}  // namespace platform
