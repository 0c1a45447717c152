#pragma once

#include "engine/methodenv.h"
#include "model/parametr.h"

// The method "Без Расчетов": the curve is only recorded, and its one result
// is the maximum force, marked on the curve. No template, no dimensions.
class C_Gost_None : public C_Parametr {
public:
    explicit C_Gost_None(const MethodEnv& env);

    void SetSampleType(int /*sampleType*/) override {}
    void SetExtensometer(int /*inUse*/) override {}
    void Calculate() override;
    void DefineParams() override;

    // The largest sample of the scanned channel, counted from 0.0 at index 0;
    // of equal maxima the first one wins.
    void FindMax(double& value, int& index) const;

    int scanChannel = 0;
    int xChannel = 0;

private:
    platform::Clock& clock_;
    platform::RandomSource& random_;
};
