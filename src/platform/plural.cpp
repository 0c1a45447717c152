#include "platform/plural.h"

namespace platform {

std::string_view RussianPlural(uint64_t count, std::string_view one, std::string_view few,
                               std::string_view many) {
    const uint64_t lastTwo = count % 100;
    if (lastTwo >= 11 && lastTwo <= 14) return many;
    const uint64_t last = count % 10;
    if (last == 1) return one;
    if (last >= 2 && last <= 4) return few;
    return many;
}

std::string CountOf(uint64_t count, std::string_view one, std::string_view few,
                    std::string_view many) {
    return std::to_string(count) + " " + std::string(RussianPlural(count, one, few, many));
}

}  // namespace platform
