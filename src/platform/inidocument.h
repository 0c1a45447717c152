#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An INI text that follows the rules of the Windows profile functions and
// keeps every line it does not own byte for byte: comments, blank lines,
// foreign lines and each line's own terminator survive any number of edits.
// The text is held as Windows-1251 bytes; names and values go in and come out
// as UTF-8.
//
// Section names and keys match without regard to case (ASCII and the Cyrillic
// letters of Windows-1251) and to surrounding blanks; the first matching
// section and, in it, the first matching key win.
class IniDocument {
public:
    enum class SetResult { kChanged, kUnchanged, kRefused };

    static IniDocument Parse(std::string_view cp1251Bytes);
    std::string Serialize() const;

    // The value trimmed of blanks, without one pair of surrounding quotes;
    // nullopt when the section or the key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // True when the document changed.
    bool Set(std::string_view section, std::string_view key, std::string_view value) {
        return Assign(section, key, value) == SetResult::kChanged;
    }
    // Like Set, but tells "nothing to change" from "unusable name". Refused:
    // a section empty after trimming or holding "]", CR or LF; a key empty
    // after trimming, holding "=", CR or LF, or starting with "[" or ";"
    // (it would read back as a header or a comment); any name with a
    // character that Windows-1251 cannot hold. CR and LF in a value are
    // written as spaces.
    SetResult Assign(std::string_view section, std::string_view key, std::string_view value);

    // Drops the first matching key line of the first matching section; true
    // when there was one.
    bool Remove(std::string_view section, std::string_view key);

    // Key names of the first matching section, in file order.
    std::vector<std::string> Keys(std::string_view section) const;
    // "key=value" for each key line of the first matching section, the value
    // as Get reads it.
    std::vector<std::string> KeyValueLines(std::string_view section) const;

private:
    struct Line {
        std::string text;  // without the terminator
        std::string eol;   // "\r\n", "\n" or "" for a last line without one
    };

    std::vector<Line> lines_;
};

// A document bound to a file. Loading or reading never creates anything on
// disk; a change is written as a whole new file that replaces the old one.
// Like the Windows profile calls it follows the file: when another program
// (or a person) changed it since, it is read again before the next access,
// so a write never undoes a change made outside.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

    std::optional<std::string> Read(std::string_view section, std::string_view key) const {
        Follow();
        return document_.Get(section, key);
    }
    // True when the file holds the value afterwards (an unchanged value does
    // not touch the disk). On failure the document stays as it was.
    bool Write(std::string_view section, std::string_view key, std::string_view value);

    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    // Every entry at once: the file is replaced a single time, so a crash
    // leaves either the old or the new set of values, never a mix. An entry
    // with an unusable name is skipped and makes the result false; when the
    // file cannot be written nothing changes.
    bool WriteAll(const std::vector<Entry>& entries);
    // Drops every line of the key in its section. True when the file holds
    // no such key afterwards; on failure the document stays as it was.
    bool Remove(std::string_view section, std::string_view key);

    std::vector<std::string> Keys(std::string_view section) const {
        Follow();
        return document_.Keys(section);
    }
    std::vector<std::string> KeyValueLines(std::string_view section) const {
        Follow();
        return document_.KeyValueLines(section);
    }

    void Reload();

private:
    // What identifies one version of the file on disk.
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        bool operator==(const Stamp& o) const {
            return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
                   modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
        }
    };
    Stamp StampNow() const;
    void Follow() const;
    void Load() const;

    std::string path_;
    mutable IniDocument document_;
    mutable Stamp stamp_;
    // Set when a file is there but could not be read: writing the document
    // would replace its content by ours, so writes are refused.
    mutable bool unreadable_ = false;
};

}  // namespace platform
