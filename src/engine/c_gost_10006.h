#pragma once

#include "engine/c_gost_base.h"
#include "engine/methodenv.h"
#include "engine/standard_method.h"

// The method "ГОСТ 10006": tension test of metal pipes, on a cylindrical or
// a flat specimen cut from the pipe or on a length of the pipe itself. Force
// over displacement only: no extensometer, no modulus, no hand-set points.
class C_Gost_10006 : public C_Gost_Base {
public:
    static constexpr const char* kMethodText = "ГОСТ 10006";

    enum SampleType { kCylinder = 0, kFlat = 1, kPipe = 2 };

    explicit C_Gost_10006(const MethodEnv& env);

    void SetSampleType(int sampleType) override;
    void SetExtensometer(int inUse) override;
    void SetElasticBoundPercent(int percent) override;
    void UpdateArea() override;
    void SaveTemplate() override;
    void Calculate() override;
    void DefineParams() override;

    // Cross-sections of the specimen as its dimensions stand now, mm²; 0 when
    // a dimension is not usable or the sample type has no formula (a pipe has
    // no final one).
    double CrossSection() const;
    double FinalCrossSection() const;

private:
    // Every result of the calculation back to 0.
    void ClearResults();

    StandardMethod standard_;
};
