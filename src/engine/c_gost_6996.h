#pragma once

#include "engine/c_gost_base.h"
#include "engine/methodenv.h"
#include "engine/standard_method.h"

// The method "ГОСТ 6996 растяжение": tension test of welded joints on a
// cylindrical, a flat or a tube specimen. Force against displacement, or
// against the extensometer when one is fitted; the final length is measured
// by hand and typed in.
class C_Gost_6996 : public C_Gost_Base {
public:
    static constexpr const char* kMethodText = "ГОСТ 6996 растяжение";

    explicit C_Gost_6996(const MethodEnv& env);

    void SetSampleType(int sampleType) override;
    void SetExtensometer(int inUse) override;
    void SetElasticBoundPercent(int percent) override;
    void UpdateArea() override;
    void SaveTemplate() override;
    void Calculate() override;
    void DefineParams() override;

    // Cross-sections of the specimen as its dimensions stand now, mm²; 0 when
    // a dimension is not usable or the sample type has no formula. A tube has
    // no final dimensions: its final cross-section is the initial one.
    double CrossSection() const;
    double FinalCrossSection() const;

private:
    // Every result of the calculation back to 0.
    void ClearResults();
    void DrawMarkers();
    // A colour of the kind the proportional-limit and offset markers get.
    int RandomColour() const;

    StandardMethod standard_;
};
