#include "controls/mhtreader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/cp1251.h"
#include "platform/posixfile.h"

namespace mht {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = Lower(c);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One line of `text` from `pos`: its content without the line break, and
// where the next line starts.
struct Line {
    std::string_view content;
    size_t next = 0;
};

Line NextLine(std::string_view text, size_t pos) {
    const size_t nl = text.find('\n', pos);
    const size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string_view content = text.substr(pos, end - pos);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    return {content, nl == std::string_view::npos ? text.size() : nl + 1};
}

struct Header {
    std::string name;  // lower case
    std::string value;
};

struct Headers {
    std::vector<Header> list;

    std::string Get(std::string_view name) const {
        for (const Header& h : list) {
            if (h.name == name) return h.value;
        }
        return {};
    }
};

struct Failure {
    Error error = Error::kNone;
    std::string detail;
};

// Reads the header block at the start of `text`; `body` is what follows the
// blank line. At the end of the text the headers end too when `endEnds`
// (a part may be all headers); otherwise that is an error.
std::optional<Failure> ReadHeaders(std::string_view text, bool endEnds, Headers& headers,
                                   std::string_view& body) {
    size_t pos = 0;
    while (true) {
        if (pos > kMaxHeaderBlock) return Failure{Error::kHeaderTooLong, "заголовки"};
        if (pos >= text.size()) {
            if (!endEnds) return Failure{Error::kNoHeaders, {}};
            body = {};
            return std::nullopt;
        }
        const Line line = NextLine(text, pos);
        if (line.content.size() > kMaxHeaderLine) {
            return Failure{Error::kHeaderTooLong, std::string(line.content.substr(0, 40))};
        }
        pos = line.next;
        if (line.content.empty()) {
            body = text.substr(pos);
            return std::nullopt;
        }
        if (IsBlank(line.content.front())) {
            // A folded continuation of the header above.
            if (headers.list.empty()) continue;
            std::string& value = headers.list.back().value;
            if (value.size() + line.content.size() > kMaxHeaderLine) {
                return Failure{Error::kHeaderTooLong, headers.list.back().name};
            }
            value += line.content;
            continue;
        }
        const size_t colon = line.content.find(':');
        if (colon == std::string_view::npos) continue;  // not a header; nothing to learn from it
        headers.list.push_back({ToLower(Trim(line.content.substr(0, colon))),
                                std::string(line.content.substr(colon + 1))});
    }
}

// "type/subtype; name=value; name="quoted value"".
struct ContentType {
    std::string type;  // lower case
    std::vector<std::pair<std::string, std::string>> params;

    std::string Param(std::string_view name) const {
        for (const auto& [n, v] : params) {
            if (n == name) return v;
        }
        return {};
    }
};

ContentType ParseContentType(std::string_view value) {
    ContentType ct;
    size_t pos = value.find(';');
    ct.type = ToLower(Trim(value.substr(0, pos)));
    while (pos != std::string_view::npos && pos < value.size()) {
        ++pos;  // past ';'
        const size_t eq = value.find('=', pos);
        const size_t semi = value.find(';', pos);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            pos = semi;
            continue;
        }
        std::string name = ToLower(Trim(value.substr(pos, eq - pos)));
        size_t at = eq + 1;
        while (at < value.size() && IsBlank(value[at]))
            ++at;
        std::string v;
        if (at < value.size() && value[at] == '"') {
            ++at;
            while (at < value.size() && value[at] != '"') {
                if (value[at] == '\\' && at + 1 < value.size()) ++at;
                v += value[at++];
            }
            pos = value.find(';', at);
        } else {
            pos = value.find(';', at);
            v = std::string(Trim(value.substr(at, pos == std::string_view::npos ? pos : pos - at)));
        }
        ct.params.emplace_back(std::move(name), std::move(v));
    }
    return ct;
}

std::string StripAngles(std::string_view id) {
    id = Trim(id);
    if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
    return std::string(id);
}

// Percent escapes replaced by their bytes; a "%" without two hex digits stays.
std::string PercentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = HexValue(s[i + 1]);
            const int lo = HexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

bool HasScheme(std::string_view ref) {
    const size_t colon = ref.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = ref[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

// `ref` relative to the folder of `base`, with "." and ".." segments settled.
std::string Relative(std::string_view base, std::string_view ref) {
    const size_t slash = base.rfind('/');
    std::string joined = std::string(slash == std::string_view::npos ? std::string_view{}
                                                                     : base.substr(0, slash + 1));
    joined += ref;
    // Settle dot segments after the scheme and authority, as a browser would.
    size_t rootEnd = 0;
    if (const size_t sep = joined.find("://"); sep != std::string::npos) {
        rootEnd = joined.find('/', sep + 3);
        if (rootEnd == std::string::npos) return joined;
        ++rootEnd;
    }
    std::vector<std::string_view> segments;
    const std::string_view path = std::string_view(joined).substr(rootEnd);
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view seg = path.substr(start, end - start);
        const bool last = end == path.size();
        if (seg == "..") {
            if (!segments.empty()) segments.pop_back();
            if (last) segments.emplace_back();
        } else if (seg == ".") {
            if (last) segments.emplace_back();
        } else {
            segments.push_back(seg);
        }
        start = end + 1;
    }
    std::string out = joined.substr(0, rootEnd);
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) out += '/';
        out += segments[i];
    }
    return out;
}

void AppendSanitisedUtf8(std::string_view bytes, std::string& out) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t from = pos;
        const char32_t cp = platform::NextCodePoint(bytes, pos);
        if (cp == 0xFFFD && pos - from == 1) {
            platform::AppendUtf8(out, 0xFFFD);
        } else {
            out.append(bytes.substr(from, pos - from));
        }
    }
}

bool IsValidUtf8(std::string_view bytes) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t from = pos;
        if (platform::NextCodePoint(bytes, pos) == 0xFFFD && pos - from == 1) return false;
    }
    return true;
}

// Undoes the transfer encoding of a part's body.
std::optional<Failure> DecodeBody(std::string_view encoding, std::string_view body,
                                  std::string& out) {
    const std::string enc = ToLower(Trim(encoding));
    if (enc.empty() || enc == "7bit" || enc == "8bit" || enc == "binary") {
        out.assign(body);
    } else if (enc == "quoted-printable") {
        out = DecodeQuotedPrintable(body);
    } else if (enc == "base64") {
        if (!DecodeBase64(body, out)) return Failure{Error::kBadBase64, {}};
    } else {
        return Failure{Error::kUnknownEncoding, enc};
    }
    return std::nullopt;
}

// Turns one part's headers and body into a Part; text parts become UTF-8.
std::optional<Failure> MakePart(const Headers& headers, std::string_view body, Part& part) {
    const ContentType ct = ParseContentType(headers.Get("content-type"));
    part.contentType = ct.type;
    part.location = std::string(Trim(headers.Get("content-location")));
    part.contentId = StripAngles(headers.Get("content-id"));
    std::string decoded;
    if (auto failure = DecodeBody(headers.Get("content-transfer-encoding"), body, decoded)) {
        return failure;
    }
    if (part.contentType.empty() || part.contentType.rfind("text/", 0) == 0) {
        const std::string charset = ct.Param("charset");
        if (!ToUtf8(decoded, charset, part.body)) {
            return Failure{Error::kUnknownCharset, charset};
        }
    } else {
        part.body = std::move(decoded);
    }
    return std::nullopt;
}

std::string PartName(const Part& part, size_t index) {
    std::string name = "часть " + std::to_string(index + 1);
    if (!part.location.empty()) name += " (" + part.location + ")";
    return name;
}

// The parts between the boundary lines of a multipart body.
std::optional<Failure> SplitParts(std::string_view body, std::string_view boundary,
                                  std::vector<std::string_view>& parts) {
    const std::string delimiter = "--" + std::string(boundary);
    bool opened = false;
    size_t partStart = 0;
    size_t pos = 0;
    while (pos < body.size()) {
        const size_t lineStart = pos;
        const Line line = NextLine(body, pos);
        pos = line.next;
        if (line.content.rfind(delimiter, 0) != 0) continue;
        std::string_view rest = line.content.substr(delimiter.size());
        const bool closing = rest.substr(0, 2) == "--";
        if (closing) rest.remove_prefix(2);
        if (!Trim(rest).empty()) continue;  // a text line that merely starts like a boundary

        if (opened) {
            // The line break before the boundary belongs to the boundary.
            size_t end = lineStart;
            if (end > partStart && body[end - 1] == '\n') --end;
            if (end > partStart && body[end - 1] == '\r') --end;
            if (parts.size() >= kMaxParts) return Failure{Error::kTooLarge, "частей"};
            parts.push_back(body.substr(partStart, end - partStart));
        }
        if (closing) {
            if (!opened) return Failure{Error::kNoParts, {}};
            return std::nullopt;
        }
        opened = true;
        partStart = line.next;
    }
    return Failure{opened ? Error::kTruncated : Error::kNoParts, {}};
}

}  // namespace

std::string ErrorText(Error error) {
    switch (error) {
        case Error::kNone:
            return {};
        case Error::kCannotRead:
            return "Файл не найден или не читается.";
        case Error::kTooLarge:
            return "Файл слишком велик для страницы справки.";
        case Error::kNoHeaders:
            return "Файл не является веб-архивом: нет заголовков.";
        case Error::kHeaderTooLong:
            return "Файл поврежден: слишком длинный заголовок.";
        case Error::kNoBoundary:
            return "Файл поврежден: не задана граница частей.";
        case Error::kTruncated:
            return "Файл поврежден: он обрывается до конца последней части.";
        case Error::kNoParts:
            return "Файл поврежден: в нем нет ни одной части.";
        case Error::kNoRoot:
            return "Файл поврежден: нет части со страницей.";
        case Error::kNotHtml:
            return "Файл не содержит страницы HTML.";
        case Error::kUnknownEncoding:
            return "Файл записан в неизвестной кодировке передачи.";
        case Error::kBadBase64:
            return "Файл поврежден: ошибка в данных base64.";
        case Error::kUnknownCharset:
            return "Текст страницы записан в неизвестной кодировке.";
    }
    return {};
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const Line line = NextLine(text, pos);
        const bool hadBreak = text[line.next - 1] == '\n';
        const bool crlf = hadBreak && line.next - pos >= 2 && text[line.next - 2] == '\r';
        pos = line.next;
        // Blanks at a line's end were added on the way, never by the writer.
        std::string_view content = line.content;
        while (!content.empty() && IsBlank(content.back()))
            content.remove_suffix(1);
        bool soft = false;
        if (!content.empty() && content.back() == '=') {
            content.remove_suffix(1);
            soft = true;
        }
        for (size_t i = 0; i < content.size(); ++i) {
            if (content[i] == '=' && i + 2 < content.size()) {
                const int hi = HexValue(content[i + 1]);
                const int lo = HexValue(content[i + 2]);
                if (hi >= 0 && lo >= 0) {
                    out += static_cast<char>(hi * 16 + lo);
                    i += 2;
                    continue;
                }
            }
            out += content[i];
        }
        if (hadBreak && !soft) out += crlf ? "\r\n" : "\n";
    }
    return out;
}

bool DecodeBase64(std::string_view text, std::string& out) {
    static constexpr std::array<int8_t, 256> kValues = [] {
        std::array<int8_t, 256> v{};
        v.fill(-1);
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            v[static_cast<unsigned char>(alphabet[i])] = static_cast<int8_t>(i);
        return v;
    }();
    out.clear();
    out.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int count = 0;  // sextets in the current group
    int pads = 0;
    for (const char c : text) {
        if (IsBlank(c) || c == '\r' || c == '\n') continue;
        if (c == '=') {
            // Padding only completes a group that already holds two or three.
            if (count + pads < 2) return false;
            ++pads;
            if (count + pads > 4) return false;
            continue;
        }
        const int v = kValues[static_cast<unsigned char>(c)];
        if (v < 0 || pads > 0) return false;
        group = (group << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            out += static_cast<char>((group >> 16) & 0xFF);
            out += static_cast<char>((group >> 8) & 0xFF);
            out += static_cast<char>(group & 0xFF);
            group = 0;
            count = 0;
        }
    }
    if (pads > 0) {
        if (count + pads != 4) return false;
        if (count == 2) {
            out += static_cast<char>((group >> 4) & 0xFF);
        } else {
            out += static_cast<char>((group >> 10) & 0xFF);
            out += static_cast<char>((group >> 2) & 0xFF);
        }
        return true;
    }
    return count == 0;
}

bool ToUtf8(std::string_view bytes, std::string_view charset, std::string& out) {
    std::string name = ToLower(Trim(charset));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        name = name.substr(1, name.size() - 2);
    }
    out.clear();
    if (name.empty()) {
        if (IsValidUtf8(bytes)) {
            name = "utf-8";
        } else {
            out = platform::Cp1251ToUtf8(bytes);
            return true;
        }
    }
    if (name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii") {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        AppendSanitisedUtf8(bytes, out);
        return true;
    }
    if (name == "windows-1251" || name == "cp1251" || name == "x-cp1251") {
        out = platform::Cp1251ToUtf8(bytes);
        return true;
    }
    if (name == "iso-8859-1" || name == "iso_8859-1" || name == "latin1" || name == "l1") {
        for (const char c : bytes)
            platform::AppendUtf8(out, static_cast<unsigned char>(c));
        return true;
    }
    return false;
}

const Part* Document::Resolve(std::string_view reference) const {
    const std::string wanted = PercentDecoded(Trim(reference));
    if (wanted.empty()) return nullptr;
    if (StartsWithNoCase(wanted, "cid:")) {
        const std::string_view id = std::string_view(wanted).substr(4);
        for (const Part& part : resources) {
            if (!part.contentId.empty() && part.contentId == id) return &part;
        }
        return nullptr;
    }
    for (const Part& part : resources) {
        if (!part.location.empty() && PercentDecoded(part.location) == wanted) return &part;
    }
    if (HasScheme(wanted) || page.location.empty()) return nullptr;
    const std::string absolute = Relative(PercentDecoded(page.location), wanted);
    for (const Part& part : resources) {
        if (!part.location.empty() && PercentDecoded(part.location) == absolute) return &part;
    }
    return nullptr;
}

Result Parse(std::string_view bytes) {
    Result result;
    const auto fail = [&result](Failure failure) {
        result.error = failure.error;
        result.detail = std::move(failure.detail);
        result.document = {};
        return std::move(result);
    };
    if (bytes.size() > kMaxFileBytes) return fail({Error::kTooLarge, {}});

    Headers top;
    std::string_view body;
    if (auto failure = ReadHeaders(bytes, false, top, body)) return fail(std::move(*failure));
    const ContentType ct = ParseContentType(top.Get("content-type"));

    if (ct.type.rfind("multipart/", 0) != 0) {
        // A single page without pictures is a message of its own.
        if (ct.type != "text/html") return fail({Error::kNotHtml, ct.type});
        if (auto failure = MakePart(top, body, result.document.page)) {
            return fail(std::move(*failure));
        }
        return result;
    }

    const std::string boundary = ct.Param("boundary");
    if (boundary.empty() || boundary.size() > 70) return fail({Error::kNoBoundary, boundary});
    std::vector<std::string_view> raw;
    if (auto failure = SplitParts(body, boundary, raw)) return fail(std::move(*failure));
    if (raw.empty()) return fail({Error::kNoParts, {}});

    std::vector<Part> parts(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        Headers headers;
        std::string_view partBody;
        if (auto failure = ReadHeaders(raw[i], true, headers, partBody)) {
            failure->detail = "часть " + std::to_string(i + 1);
            return fail(std::move(*failure));
        }
        if (auto failure = MakePart(headers, partBody, parts[i])) {
            const std::string what = failure->detail;
            failure->detail = PartName(parts[i], i);
            if (!what.empty()) failure->detail += ": " + what;
            return fail(std::move(*failure));
        }
    }

    size_t root = 0;
    if (const std::string start = StripAngles(ct.Param("start")); !start.empty()) {
        root = parts.size();
        for (size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].contentId == start) {
                root = i;
                break;
            }
        }
        if (root == parts.size()) return fail({Error::kNoRoot, start});
    }
    if (parts[root].contentType != "text/html") {
        return fail({Error::kNotHtml, parts[root].contentType});
    }
    result.document.page = std::move(parts[root]);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i != root) result.document.resources.push_back(std::move(parts[i]));
    }
    return result;
}

Result ReadFile(const std::string& path) {
    Result result;
    platform::PosixFile file;
    if (!file.OpenRead(path)) {
        result.error = Error::kCannotRead;
        return result;
    }
    const std::optional<int64_t> size = file.Size();
    if (!size || *size < 0) {
        result.error = Error::kCannotRead;
        return result;
    }
    if (static_cast<uint64_t>(*size) > kMaxFileBytes) {
        result.error = Error::kTooLarge;
        return result;
    }
    std::string bytes(static_cast<size_t>(*size), '\0');
    if (file.Read(bytes.data(), bytes.size()) != bytes.size()) {
        result.error = Error::kCannotRead;
        return result;
    }
    return Parse(bytes);
}

}  // namespace mht
