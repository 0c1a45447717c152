#pragma once

#include <string>

#include "engine/protocolmaker.h"

class C_Otchet;

// Lays out the protocol of a finished test on the page canvas: a portrait
// sheet with the parameter table, the conclusion, the graph and the
// signatures, then a landscape sheet per print window; or, for the
// verification method, the verification protocol. The canvas belongs to the
// window; the report only draws on it.
class C_Report final : public ProtocolMaker {
public:
    explicit C_Report(C_Otchet* otchet = nullptr) : Otchet(otchet) {}

    void Init(C_Kanal* kanals, C_Otchet* otchet, C_Parametr* params, C_Config* config,
              C_Buffer* buffer);
    // The engine's form: the canvas stays the one given at construction.
    void Init(C_Kanal* kanals, C_Parametr* params, C_Config* config, C_Buffer* buffer) override;
    void SetParams(C_Parametr* params) override { Params = params; }
    void SetRowCount(int n) override { RowCount = n; }
    void ClearOtchet() override;
    void MakeOtchet() override;

    C_Otchet* Otchet = nullptr;
    C_Config* Config = nullptr;
    C_Buffer* Buffer = nullptr;
    C_Kanal* Kanals = nullptr;  // the test process's ten channels
    int RowCount = -1;
    C_Parametr* Params = nullptr;

private:
    void FirstSheet(const char* font, int size);
    void MakeTestProtocol();
    void MakeVerificationProtocol();
    void VerificationTable(int n, float y, bool forward, const std::string& unit);
    std::string Text(const char* name) const;
};
