#pragma once

#include "engine/methodenv.h"
#include "model/parametr.h"

// The method "Поверка": the store of one instrument's verification (the
// certificate fields, the check points and three forward and three reverse
// runs at each). The verification table fills it; nothing is computed here.
class C_Gost_POVERKA : public C_Parametr {
public:
    static constexpr int kCheckPoints = 10;

    explicit C_Gost_POVERKA(const MethodEnv& env);

    // The instrument under verification: the choice of iTO (channel - 1).
    void SetSampleType(int sampleType) override;
    void SetExtensometer(int /*inUse*/) override {}
    void Calculate() override {}
    void DefineParams() override;

    // Key of one reading: run 1 to 3, forward or reverse, check point 0 to 9.
    static std::string ReadingKey(int run, bool forward, int point);

private:
    platform::Clock& clock_;
};
