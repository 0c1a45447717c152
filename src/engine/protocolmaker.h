#pragma once

class C_Buffer;
class C_Config;
class C_Kanal;
class C_Parametr;

// What the test process needs of its protocol maker. The maker itself lays
// out pages and so lives with the user interface; the console makes it and
// hands it to the process, which keeps it told of the current method.
class ProtocolMaker {
public:
    virtual ~ProtocolMaker() = default;

    // The channels (ten of them), the current method, the machine
    // configuration and the measurement buffer; the row count becomes
    // automatic.
    virtual void Init(C_Kanal* kanals, C_Parametr* params, C_Config* config, C_Buffer* buffer) = 0;
    // The method whose parameters the protocol shows.
    virtual void SetParams(C_Parametr* params) = 0;
    // Result rows of the table; -1 for as many as the method shows.
    virtual void SetRowCount(int n) = 0;
    // An empty sheet in the preview.
    virtual void ClearOtchet() = 0;
    // The protocol of the current test, or the verification protocol.
    virtual void MakeOtchet() = 0;
};
