#pragma once

#include <string>
#include <vector>

#include "model/parametr.h"

class TConfigINI;

// The machine configuration: its settings as parameters bound to public
// members, stored in the INI file with the group as section and the caption as key.
class C_Config : public C_Parametr {
public:
    C_Config();

    // Declares the settings in their fixed order; Save(1) relies on the fourth.
    void Define(TConfigINI* ini);
    // Loads every persistent setting. A text that is not an integer leaves its
    // setting as it was; its message is returned and loading goes on.
    std::vector<std::string> Load();
    // 0: every persistent setting; 1: only the running hours. False when the
    // file could not be written.
    bool Save(int mode);
    void OnChanged(int /*index*/, int /*group*/) override {}

    TConfigINI* ini = nullptr;

    int iCHANCOUNT = 100;
    std::string iPASSV = "470391";
    int iWORK = 0;
    int iFiltr = 0;
    int iLevel = 0;
    int iVZZ = 0;
    int iVZR = 0;
    int iNZZ = 0;
    int iNZR = 0;
    int iZONAR = 0;
    int iZONAS = 0;
    int iKF1 = 0;
    int iKF2 = 0;
    int iKL1 = 0;
    int iKL2 = 0;
    int iKE1 = 0;
    int iNOMPROT = 0;
    int iAUTOSAVE = 0;
    int iVK = 1;
    double feXb = 0.0;
    double feXp = 0.0;
    double feXpark = 0.0;
    std::string sEXPort;
};
