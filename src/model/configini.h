#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/inidocument.h"

// The INI component of the main window: the file is <start folder>/<FileName>.INI,
// sections and keys as the Windows profile functions match them.
class TConfigINI {
public:
    explicit TConfigINI(std::string startDirectory);
    ~TConfigINI();
    TConfigINI(const TConfigINI&) = delete;
    TConfigINI& operator=(const TConfigINI&) = delete;

    std::string FileName = "DefFile";

    std::string Path() const;
    const std::string& StartDirectory() const { return startDirectory_; }

    // Per-call mode opens and releases the file around every access; held-open
    // mode keeps it until the next CreatINI.
    void CreatINI(bool perCall);
    void FreeIni();

    std::string ReadS(const std::string& section, const std::string& key, const std::string& def);
    int ReadI(const std::string& section, const std::string& key, int def);
    double ReadF(const std::string& section, const std::string& key, float def);
    // False when the file could not be written; the file then stays as it was.
    bool WriteS(const std::string& section, const std::string& key, const std::string& value);
    bool WriteI(const std::string& section, const std::string& key, int value);
    bool WriteF(const std::string& section, const std::string& key, float value);
    // Several keys in one replacement of the file: all of them or none.
    using Entry = platform::IniFile::Entry;
    bool WriteAll(const std::vector<Entry>& entries);
    // False when the key stays in the file.
    bool Remove(const std::string& section, const std::string& key);
    void ReadSector(const std::string& section, std::vector<std::string>& list);
    void ReadSectorVal(const std::string& section, std::vector<std::string>& list);

private:
    class Access;

    std::string startDirectory_;
    bool perCall_ = true;
    std::unique_ptr<platform::IniFile> ini_;
};
