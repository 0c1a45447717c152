#pragma once

#include "engine/methodenv.h"
#include "model/parametr.h"

// Tension test of metal pipes: so far only its text and one sample type, so that it can be listed
// and selected.
class C_Gost_10006 : public C_Parametr {
public:
    explicit C_Gost_10006(const MethodEnv& /*env*/) { C_Gost_10006::DefineParams(); }

    void DefineParams() override {
        AddParam("Нормативный документ", "sGO", "ГОСТ 10006", kText, 4, "", "", "", 1, 1);
        AddParam("Тип образца", "iTO", "0", kInt, 4, "$Цилиндрический?", "1", "0", 1, 1);
    }
};
