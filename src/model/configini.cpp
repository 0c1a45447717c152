#include "model/configini.h"

#include <charconv>

#include "model/numtext.h"
#include "platform/formatfloat.h"
#include "platform/inidocument.h"
#include "platform/programfolder.h"

// Opens the file for one access in per-call mode and releases it afterwards.
class TConfigINI::Access {
public:
    explicit Access(TConfigINI& owner) : owner_(owner) {
        if (owner_.perCall_ || !owner_.ini_) owner_.CreatINI(owner_.perCall_);
    }
    ~Access() { owner_.FreeIni(); }
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;
    platform::IniFile& ini() { return *owner_.ini_; }

private:
    TConfigINI& owner_;
};

TConfigINI::TConfigINI(std::string startDirectory) : startDirectory_(std::move(startDirectory)) {}

TConfigINI::~TConfigINI() = default;

std::string TConfigINI::Path() const {
    return platform::JoinPath(startDirectory_, FileName + ".INI");
}

void TConfigINI::CreatINI(bool perCall) {
    perCall_ = perCall;
    // A file already held is kept: it reads the disk again only when the
    // file changed there, so loading the settings several times costs one
    // pass. Paths are absolute from the start folder, so the current folder
    // needs no reset.
    if (ini_ && ini_->Path() == Path()) return;
    ini_ = std::make_unique<platform::IniFile>(Path());
}

void TConfigINI::FreeIni() {
    if (perCall_) ini_.reset();
}

std::string TConfigINI::ReadS(const std::string& section, const std::string& key,
                              const std::string& def) {
    Access a(*this);
    return a.ini().Read(section, key).value_or(def);
}

int TConfigINI::ReadI(const std::string& section, const std::string& key, int def) {
    Access a(*this);
    const std::optional<std::string> text = a.ini().Read(section, key);
    if (!text) return def;
    std::string_view s(*text);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    // The class library reads "0x..." as hexadecimal; anything else must be a plain integer.
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        int value = 0;
        const auto res = std::from_chars(s.data() + 2, s.data() + s.size(), value, 16);
        if (res.ec == std::errc() && res.ptr == s.data() + s.size()) return value;
        return def;
    }
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    return StrToIntStrict(s).value_or(def);
}

double TConfigINI::ReadF(const std::string& section, const std::string& key, float def) {
    return StrToFloatEx(ReadS(section, key, platform::FloatToStr(static_cast<double>(def))));
}

bool TConfigINI::WriteS(const std::string& section, const std::string& key,
                        const std::string& value) {
    Access a(*this);
    return a.ini().Write(section, key, value);
}

bool TConfigINI::WriteAll(const std::vector<Entry>& entries) {
    Access a(*this);
    return a.ini().WriteAll(entries);
}

bool TConfigINI::Remove(const std::string& section, const std::string& key) {
    Access a(*this);
    return a.ini().Remove(section, key);
}

bool TConfigINI::WriteI(const std::string& section, const std::string& key, int value) {
    return WriteS(section, key, std::to_string(value));
}

bool TConfigINI::WriteF(const std::string& section, const std::string& key, float value) {
    return WriteS(section, key, platform::FloatToStr(static_cast<double>(value)));
}

void TConfigINI::ReadSector(const std::string& section, std::vector<std::string>& list) {
    Access a(*this);
    list = a.ini().Keys(section);
}

void TConfigINI::ReadSectorVal(const std::string& section, std::vector<std::string>& list) {
    Access a(*this);
    list = a.ini().KeyValueLines(section);
}
