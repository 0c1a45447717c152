#pragma once

#include "engine/methodenv.h"
#include "model/parametr.h"

// Bend test: so far only its text and one sample type, so that it can be listed
// and selected.
class C_Gost_14019 : public C_Parametr {
public:
    explicit C_Gost_14019(const MethodEnv& /*env*/) { C_Gost_14019::DefineParams(); }

    void DefineParams() override {
        AddParam("Нормативный документ", "sGO", "ГОСТ 14019", kText, 4, "", "", "", 1, 1);
        AddParam("Тип образца", "iTO", "0", kInt, 4, "$Квадратный?", "1", "0", 1, 1);
    }
};
