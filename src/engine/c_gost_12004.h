#pragma once

#include "engine/methodenv.h"
#include "model/parametr.h"

// Tension test of reinforcing steel: so far only its text and one sample type, so that it can be
// listed and selected.
class C_Gost_12004 : public C_Parametr {
public:
    explicit C_Gost_12004(const MethodEnv& /*env*/) { C_Gost_12004::DefineParams(); }

    void DefineParams() override {
        AddParam("Нормативный документ", "sGO", "ГОСТ 12004", kText, 4, "", "", "", 1, 1);
        AddParam("Тип образца", "iTO", "0", kInt, 4, "$Арматура?", "1", "0", 1, 1);
    }
};
