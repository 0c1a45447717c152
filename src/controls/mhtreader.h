#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Our reader of the help pages: a web archive (".mht") is a MIME message,
// multipart/related, whose first part (or the one its "start" names) is the
// HTML page and whose other parts are the pictures it shows, found by their
// Content-Location or Content-ID. Pure functions: bytes in, page out.
namespace mht {

enum class Error {
    kNone,
    kCannotRead,       // the file is missing or cannot be read
    kTooLarge,         // the file, or a header block, is beyond what a help page needs
    kNoHeaders,        // no blank line ends the message's headers
    kHeaderTooLong,    // one header line is absurdly long
    kNoBoundary,       // multipart without a usable boundary
    kTruncated,        // the closing boundary never comes
    kNoParts,          // no part between the boundaries
    kNoRoot,           // the part named by "start" is not there
    kNotHtml,          // the page part is not text/html
    kUnknownEncoding,  // a transfer encoding other than 7bit, 8bit, binary, QP, base64
    kBadBase64,
    kUnknownCharset,
};

// A short Russian sentence for the operator.
std::string ErrorText(Error error);

struct Part {
    std::string contentType;  // lower case, without parameters: "image/png"
    std::string location;     // Content-Location as written
    std::string contentId;    // Content-ID without the angle brackets
    std::string body;         // transfer encoding undone; text parts in UTF-8
};

struct Document {
    Part page;  // the HTML page, its body valid UTF-8
    std::vector<Part> resources;

    // The part a reference in the page means: "cid:" + Content-ID, a
    // Content-Location as written, or a location relative to the page's own.
    // Percent escapes count as the characters they stand for. Null when none.
    const Part* Resolve(std::string_view reference) const;
};

struct Result {
    Error error = Error::kNone;
    std::string detail;  // which part or header, for the log and the viewer
    Document document;

    bool ok() const { return error == Error::kNone; }
};

// Limits that keep a damaged or hostile file from costing more than a page.
inline constexpr size_t kMaxFileBytes = 32u << 20;
inline constexpr size_t kMaxHeaderLine = 8u << 10;
inline constexpr size_t kMaxHeaderBlock = 64u << 10;
inline constexpr size_t kMaxParts = 4096;

Result Parse(std::string_view bytes);
Result ReadFile(const std::string& path);

// The decoders on their own. Quoted-printable never fails: a "=" that starts
// no escape stays as it is (RFC 2045 asks a reader to be lenient there).
// Base64 ignores white space and fails on any other stray character or an
// incomplete last group.
std::string DecodeQuotedPrintable(std::string_view text);
bool DecodeBase64(std::string_view text, std::string& out);

// The text of a part in UTF-8, from the charset it names: UTF-8, US-ASCII,
// Windows-1251 or ISO-8859-1 (names as the registries spell them, any case).
// No charset: UTF-8 when the bytes are valid UTF-8, else Windows-1251, as for
// any text file a person made. Malformed UTF-8 becomes U+FFFD. False for a
// charset we do not know.
bool ToUtf8(std::string_view bytes, std::string_view charset, std::string& out);

}  // namespace mht
