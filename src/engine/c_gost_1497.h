#pragma once

#include "engine/c_gost_base.h"
#include "engine/methodenv.h"
#include "engine/standard_method.h"

// The method "ГОСТ 1497": tension test of metals on a cylindrical or a flat
// specimen. The model the other standard methods vary.
class C_Gost_1497 : public C_Gost_Base {
public:
    static constexpr const char* kMethodText = "ГОСТ 1497";

    explicit C_Gost_1497(const MethodEnv& env);

    void SetSampleType(int sampleType) override;
    void SetExtensometer(int inUse) override;
    void SetElasticBoundPercent(int percent) override;
    void UpdateArea() override;
    void SaveTemplate() override;
    void SetManualPoint(int row, int group, float position) override;
    void ResetManualPoints() override;
    void Calculate() override;
    void DefineParams() override;

    // Cross-sections of the specimen as its dimensions stand now, mm²; 0 when
    // a dimension is not usable or the sample type has no formula.
    double CrossSection() const;
    double FinalCrossSection() const;
    // S0 and the gauge length l0 the results are computed with; false when
    // either is not usable, and then there is no result.
    bool Dimensions(double& s0, float& l0) const;

    float area = 0.0f;
    float iOffsetElastic = 0.0f;
    float iOffsetYield = 0.0f;
    bool defined = false;

private:
    // Every result of the calculation back to 0.
    void ClearResults();
    void DrawMarkers();

    StandardMethod standard_;
};
