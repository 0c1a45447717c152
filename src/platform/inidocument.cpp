#include "platform/inidocument.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <utility>

#include "platform/cp1251.h"
#include "platform/posixfile.h"

namespace platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == s.back() && (s.front() == '"' || s.front() == '\'')) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

char32_t FoldCodePoint(char32_t cp) {
    if (cp >= U'A' && cp <= U'Z') return cp + 0x20;
    if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;
    if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;
    if (cp == 0x0490) return 0x0491;
    return cp;
}

// Lower-case byte of every Windows-1251 byte, derived from the codec so the
// two can never disagree about which letters pair up.
const std::array<unsigned char, 256>& FoldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const std::string utf8 = Cp1251ToUtf8(std::string(1, static_cast<char>(b)));
            size_t pos = 0;
            const int folded = Cp1251FromCodePoint(FoldCodePoint(NextCodePoint(utf8, pos)));
            t[b] = static_cast<unsigned char>(folded < 0 ? b : folded);
        }
        return t;
    }();
    return table;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto& fold = FoldTable();
    for (size_t i = 0; i < a.size(); ++i) {
        if (fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])]) {
            return false;
        }
    }
    return true;
}

// A name is compared in Windows-1251, so one with a character the code page
// lacks could only ever match a "?" that someone else wrote.
std::optional<std::string> EncodeName(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const int b = Cp1251FromCodePoint(NextCodePoint(utf8, pos));
        if (b < 0) return std::nullopt;
        out += static_cast<char>(b);
    }
    return out;
}

std::optional<std::string> UsableSection(std::string_view section) {
    auto name = EncodeName(TrimBlanks(section));
    if (!name || name->empty() || name->find_first_of("]\r\n") != std::string::npos) {
        return std::nullopt;
    }
    return name;
}

std::optional<std::string> UsableKey(std::string_view key) {
    auto name = EncodeName(TrimBlanks(key));
    if (!name || name->empty() || name->find_first_of("=\r\n") != std::string::npos ||
        name->front() == '[' || name->front() == ';') {
        return std::nullopt;
    }
    return name;
}

struct LineView {
    enum class Kind { kOther, kHeader, kComment, kKey };
    Kind kind = Kind::kOther;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // trimmed, quotes still on
};

LineView Classify(std::string_view text) {
    LineView view;
    const std::string_view rest = [&] {
        std::string_view s = text;
        while (!s.empty() && IsBlank(s.front()))
            s.remove_prefix(1);
        return s;
    }();
    if (!rest.empty() && rest.front() == '[') {
        view.kind = LineView::Kind::kHeader;
        const std::string_view inner = rest.substr(1);
        view.name = TrimBlanks(inner.substr(0, inner.find(']')));
    } else if (!rest.empty() && rest.front() == ';') {
        view.kind = LineView::Kind::kComment;
    } else if (const size_t eq = text.find('='); eq != std::string_view::npos) {
        const std::string_view key = TrimBlanks(text.substr(0, eq));
        if (!key.empty()) {
            view.kind = LineView::Kind::kKey;
            view.name = key;
            view.value = TrimBlanks(text.substr(eq + 1));
        }
    }
    return view;
}

std::string ValueToUtf8(std::string_view value) {
    return Cp1251ToUtf8(Unquote(value));
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view cp1251Bytes) {
    IniDocument doc;
    std::string_view rest = cp1251Bytes;
    while (!rest.empty()) {
        const size_t lf = rest.find('\n');
        if (lf == std::string_view::npos) {
            doc.lines_.push_back({std::string(rest), ""});
            break;
        }
        const bool crlf = lf > 0 && rest[lf - 1] == '\r';
        doc.lines_.push_back(
            {std::string(rest.substr(0, crlf ? lf - 1 : lf)), crlf ? "\r\n" : "\n"});
        rest.remove_prefix(lf + 1);
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    size_t size = 0;
    for (const Line& line : lines_)
        size += line.text.size() + line.eol.size();
    std::string out;
    out.reserve(size);
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

namespace {

// Index of the first matching header, or the number of lines when none
// matches. Lines before the first header belong to no section.
template <typename Lines>
size_t FindSection(const Lines& lines, std::string_view name) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineView view = Classify(lines[i].text);
        if (view.kind == LineView::Kind::kHeader && SameName(view.name, name)) return i;
    }
    return lines.size();
}

// Calls visit(index, view) for each key line of the section whose header is
// at `header`, until visit returns false.
template <typename Lines, typename Visit>
void ForEachKey(const Lines& lines, size_t header, Visit visit) {
    for (size_t i = header + 1; i < lines.size(); ++i) {
        const LineView view = Classify(lines[i].text);
        if (view.kind == LineView::Kind::kHeader) return;
        if (view.kind == LineView::Kind::kKey && !visit(i, view)) return;
    }
}

}  // namespace

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto sectionName = UsableSection(section);
    const auto keyName = UsableKey(key);
    if (!sectionName || !keyName) return std::nullopt;
    const size_t header = FindSection(lines_, *sectionName);
    if (header == lines_.size()) return std::nullopt;
    std::optional<std::string> found;
    ForEachKey(lines_, header, [&](size_t, const LineView& view) {
        if (!SameName(view.name, *keyName)) return true;
        found = ValueToUtf8(view.value);
        return false;
    });
    return found;
}

IniDocument::SetResult IniDocument::Assign(std::string_view section, std::string_view key,
                                           std::string_view value) {
    const auto sectionName = UsableSection(section);
    const auto keyName = UsableKey(key);
    if (!sectionName || !keyName) return SetResult::kRefused;
    std::string bytes = Utf8ToCp1251(value);
    for (char& c : bytes) {
        if (c == '\r' || c == '\n') c = ' ';
    }

    const auto terminateLast = [this] {
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = "\r\n";
    };

    const size_t header = FindSection(lines_, *sectionName);
    if (header == lines_.size()) {
        terminateLast();
        lines_.push_back({"[" + *sectionName + "]", "\r\n"});
        lines_.push_back({*keyName + "=" + bytes, "\r\n"});
        return SetResult::kChanged;
    }

    size_t lastKey = header;
    std::optional<size_t> match;
    ForEachKey(lines_, header, [&](size_t i, const LineView& view) {
        if (!match && SameName(view.name, *keyName)) match = i;
        lastKey = i;
        return true;
    });

    if (match) {
        Line& line = lines_[*match];
        const LineView view = Classify(line.text);
        // The same stored text keeps the line as the file had it, spacing
        // around "=" included.
        if (view.value == bytes) return SetResult::kUnchanged;
        std::string text = std::string(view.name) + "=" + bytes;
        if (text == line.text) return SetResult::kUnchanged;
        line.text = std::move(text);
        return SetResult::kChanged;
    }

    if (lines_[lastKey].eol.empty()) lines_[lastKey].eol = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastKey) + 1,
                  Line{*keyName + "=" + bytes, "\r\n"});
    return SetResult::kChanged;
}

bool IniDocument::Remove(std::string_view section, std::string_view key) {
    const auto sectionName = UsableSection(section);
    const auto keyName = UsableKey(key);
    if (!sectionName || !keyName) return false;
    const size_t header = FindSection(lines_, *sectionName);
    if (header == lines_.size()) return false;
    std::optional<size_t> match;
    ForEachKey(lines_, header, [&](size_t i, const LineView& view) {
        if (!SameName(view.name, *keyName)) return true;
        match = i;
        return false;
    });
    if (!match) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*match));
    return true;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const auto sectionName = UsableSection(section);
    if (!sectionName) return keys;
    const size_t header = FindSection(lines_, *sectionName);
    if (header == lines_.size()) return keys;
    ForEachKey(lines_, header, [&](size_t, const LineView& view) {
        keys.push_back(Cp1251ToUtf8(view.name));
        return true;
    });
    return keys;
}

std::vector<std::string> IniDocument::KeyValueLines(std::string_view section) const {
    std::vector<std::string> pairs;
    const auto sectionName = UsableSection(section);
    if (!sectionName) return pairs;
    const size_t header = FindSection(lines_, *sectionName);
    if (header == lines_.size()) return pairs;
    ForEachKey(lines_, header, [&](size_t, const LineView& view) {
        pairs.push_back(Cp1251ToUtf8(view.name) + "=" + ValueToUtf8(view.value));
        return true;
    });
    return pairs;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    Reload();
}

IniFile::Stamp IniFile::StampNow() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return Stamp{};
    return Stamp{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

void IniFile::Follow() const {
    if (!(StampNow() == stamp_)) Load();
}

void IniFile::Reload() {
    Load();
}

void IniFile::Load() const {
    // The stamp first: a change that lands while we read is seen next time.
    stamp_ = StampNow();
    if (auto bytes = ReadWholeFile(path_)) {
        document_ = IniDocument::Parse(*bytes);
        unreadable_ = false;
        return;
    }
    document_ = IniDocument();
    struct stat st {};
    const bool missing = ::lstat(path_.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
    unreadable_ = !missing;
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    return WriteAll({Entry{std::string(section), std::string(key), std::string(value)}});
}

bool IniFile::WriteAll(const std::vector<Entry>& entries) {
    Follow();
    IniDocument before = document_;
    bool allAssigned = true;
    bool changed = false;
    for (const Entry& e : entries) {
        switch (document_.Assign(e.section, e.key, e.value)) {
            case IniDocument::SetResult::kRefused:
                allAssigned = false;
                break;
            case IniDocument::SetResult::kUnchanged:
                break;
            case IniDocument::SetResult::kChanged:
                changed = true;
                break;
        }
    }
    if (!changed) return allAssigned;
    if (!unreadable_ && WriteFileAtomic(path_, document_.Serialize())) {
        stamp_ = StampNow();
        return allAssigned;
    }
    document_ = std::move(before);
    return false;
}

bool IniFile::Remove(std::string_view section, std::string_view key) {
    Follow();
    IniDocument before = document_;
    bool changed = false;
    while (document_.Remove(section, key))
        changed = true;
    if (!changed) return true;
    if (!unreadable_ && WriteFileAtomic(path_, document_.Serialize())) {
        stamp_ = StampNow();
        return true;
    }
    document_ = std::move(before);
    return false;
}

}  // namespace platform
