#pragma once

#include <cstdint>

// A unit that keeps the cycle program block of its register image. The block
// belongs to the unit, not to the engine: the engine fills it through this
// and then has the unit send it (SetValue code 20). A unit without it gets no
// cycle program.
class CycleProgramTarget {
public:
    virtual ~CycleProgramTarget() = default;
    // Every field of the block, as RegisterImage::FillCycleProgram writes them;
    // nothing is sent. The limits are forces as the operator reads them: the
    // unit turns them to its sign for the zone it works in.
    virtual void SetCycleProgramBlock(float speed, float upper, float lower, float hold,
                                      std::int32_t repetitions, std::uint8_t kind,
                                      std::uint8_t flag) = 0;
    // Only the number of repetitions; nothing is sent.
    virtual void SetCycleRepetitions(std::int32_t repetitions) = 0;
};
