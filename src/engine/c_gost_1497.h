#pragma once

#include "engine/methodenv.h"
#include "model/parametr.h"

// Tension test of metals: so far only its text and one sample type, so that it can be listed
// and selected.
class C_Gost_1497 : public C_Parametr {
public:
    explicit C_Gost_1497(const MethodEnv& /*env*/) { C_Gost_1497::DefineParams(); }

    void DefineParams() override {
        AddParam("Нормативный документ", "sGO", "ГОСТ 1497", kText, 4, "", "100", "", 1, 1);
        AddParam("Тип образца", "iTO", "0", kInt, 4, "$Цилиндрический?", "1", "0", 1, 1);
    }
};
