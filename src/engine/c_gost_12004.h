#pragma once

#include <string>

#include "engine/c_gost_base.h"
#include "engine/methodenv.h"
#include "engine/standard_method.h"

// The method "ГОСТ 12004": tension test of reinforcing steel. The cross-section
// comes from a bar's mass and length, six measured diameters, the wires of a
// strand or a nominal diameter; the gauge length is always the typed one.
class C_Gost_12004 : public C_Gost_Base {
public:
    static constexpr const char* kMethodText = "ГОСТ 12004";

    // Sample types, the indexes of the choice list.
    enum SampleType { kBarByMass = 0, kRound = 1, kStrand = 2, kBarByDiameter = 3 };

    explicit C_Gost_12004(const MethodEnv& env);

    void SetSampleType(int sampleType) override;
    void SetExtensometer(int inUse) override;
    void SetElasticBoundPercent(int percent) override;
    void UpdateArea() override;
    void SaveTemplate() override;
    void SetManualPoint(int row, int group, float position) override;
    void ResetManualPoints() override;
    void Calculate() override;
    void DefineParams() override;

    // Cross-section of the current sample type from its dimensions as they
    // stand now, mm²; 0 when a dimension is not usable or the type has none.
    double CrossSection() const;

    // Total elongation at maximum force, %: the uniform elongation plus the
    // elastic part strength / modulus; 0 without a usable modulus.
    static double TotalElongationAtMax(double uniform, double strength, double modulus);

    float iOffsetElastic = 0.0f;
    float iOffsetYield = 0.0f;
    // S0 of the last UpdateArea, mm².
    float area = 0.0f;

private:
    // Every computed result back to 0.
    void ClearResults();
    void DrawMarkers();

    StandardMethod standard_;
};
