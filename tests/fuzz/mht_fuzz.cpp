// Properties of the help-page reader on any input:
//  - the bytes as a web archive either give a page, whose text is valid
//    UTF-8 and whose parts each resolve by their own location, or an error
//    with a text, never a crash;
//  - the bytes carried as a base64 picture and as a quoted-printable page
//    of a well-made archive come back exactly (the page as its UTF-8);
//  - the decoders on their own never grow what they are given beyond what
//    their encoding allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "controls/mhtreader.h"
#include "platform/cp1251.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool ValidUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t from = pos;
        if (platform::NextCodePoint(text, pos) == 0xFFFD && pos - from == 1) return false;
    }
    return true;
}

std::string Base64(std::string_view bytes) {
    static const char* kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t column = 0;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k)
            group = (group << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k)
            out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
        if ((column += 4) >= 76) {
            out += "\r\n";
            column = 0;
        }
    }
    return out;
}

// Every byte that is not a printable letter is escaped, so no line break or
// blank of the data reaches the text; lines end in soft breaks.
std::string QuotedPrintable(std::string_view bytes) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    size_t column = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (column >= 72) {
            out += "=\r\n";
            column = 0;
        }
        if (b > 32 && b < 127 && b != '=') {
            out += c;
            ++column;
        } else {
            out += '=';
            out += kHex[b >> 4];
            out += kHex[b & 15];
            column += 3;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const mht::Result result = mht::Parse(input);
    if (result.ok()) {
        const mht::Document& doc = result.document;
        Check(doc.page.contentType == "text/html");
        Check(ValidUtf8(doc.page.body));
        for (const mht::Part& part : doc.resources) {
            // A location that reads as a "cid:" reference is looked up as one.
            std::string head = part.location.substr(0, 4);
            for (char& c : head)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (part.location.empty() || head == "cid:") continue;
            // Another part may share the location once escapes are read.
            const mht::Part* found = doc.Resolve(part.location);
            Check(found != nullptr && !found->location.empty());
        }
    } else {
        Check(!mht::ErrorText(result.error).empty());
        Check(result.document.page.body.empty() && result.document.resources.empty());
    }

    const std::string archive =
        "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"=_fuzz_=\"\r\n\r\n"
        "--=_fuzz_=\r\nContent-Type: text/html; charset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
        QuotedPrintable(input) +
        "\r\n--=_fuzz_=\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Location: data.png\r\n\r\n" +
        Base64(input) + "\r\n--=_fuzz_=--\r\n";
    const mht::Result made = mht::Parse(archive);
    Check(made.ok());
    std::string page;
    Check(mht::ToUtf8(input, "utf-8", page));
    Check(made.document.page.body == page);
    Check(made.document.resources.size() == 1);
    Check(made.document.Resolve("data.png") == &made.document.resources[0]);
    Check(made.document.resources[0].body == input);

    Check(mht::DecodeQuotedPrintable(input).size() <= size);
    std::string decoded;
    if (mht::DecodeBase64(input, decoded)) Check(decoded.size() <= size / 4 * 3);
    return 0;
}
