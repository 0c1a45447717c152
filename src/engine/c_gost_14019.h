#pragma once

#include "engine/c_gost_base.h"
#include "engine/methodenv.h"
#include "engine/standard_method.h"

// The method "ГОСТ 14019": bend test of metals. It computes no result; it
// keeps the bend set-up, the specimen and the result the operator types in,
// and turns the console's bend picture on (iVISUAL = 1). The picture reads
// iVISUAL, fDOP, fDOP2, fKOPOR, fALF, iTO, fB0, fD0 and fL0 by name, the
// test process reads iVECTOR.
class C_Gost_14019 : public C_Gost_Base {
public:
    static constexpr const char* kMethodText = "ГОСТ 14019";

    explicit C_Gost_14019(const MethodEnv& env);

    void SetSampleType(int sampleType) override;
    void SetExtensometer(int inUse) override;
    void SaveTemplate() override;
    void Calculate() override;
    void DefineParams() override;

private:
    StandardMethod standard_;
};
