#include "controls/mhtreader.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "controls/helpview.h"
#include "support/temp_folder.h"
#include "support/test_output.h"

namespace {

std::string Crlf(std::string_view lf) {
    std::string out;
    for (const char c : lf) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string Base64(const QByteArray& bytes) {
    // Wrapped at 76 like any mail program does.
    const std::string flat = bytes.toBase64().toStdString();
    std::string out;
    for (size_t i = 0; i < flat.size(); i += 76)
        out += flat.substr(i, 76) + "\n";
    return out;
}

QByteArray Png(QColor colour, int w = 40, int h = 30) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A page as a web archive: its HTML quoted-printable (soft line breaks,
// escaped UTF-8), a picture by relative location and one by Content-ID.
std::string Archive(const std::string& picture) {
    return R"(From: <Saved by hand>
Subject: =?utf-8?B?0J/RgNC+0LHQsA==?=
MIME-Version: 1.0
Content-Type: multipart/related;
	type="text/html";
	boundary="----=_NextPart_000_0000_01"

This is a multi-part message in MIME format.

------=_NextPart_000_0000_01
Content-Type: text/html;
	charset="utf-8"
Content-Transfer-Encoding: quoted-printable
Content-Location: file:///C:/help/page.htm

<html><body><h1>=D0=9F=D1=80=D0=B8=D0=B2=D0=B5=D1=82</h1><p>a=3Db, long line=
 joined</p><img src=3D"page_files/pic%201.png"><img src=3D"cid:logo@x">
</body></html>
------=_NextPart_000_0000_01
Content-Type: image/png
Content-Transfer-Encoding: base64
Content-Location: file:///C:/help/page_files/pic 1.png

)" + picture +
           R"(
------=_NextPart_000_0000_01
Content-Type: image/png
Content-Transfer-Encoding: base64
Content-ID: <logo@x>

)" + picture +
           R"(
------=_NextPart_000_0000_01--
)";
}

TEST(MhtParse, PageAndPicturesComeFromTheirParts) {
    const QByteArray png = Png(Qt::red);
    for (const std::string& text : {Archive(Base64(png)), Crlf(Archive(Base64(png)))}) {
        const mht::Result result = mht::Parse(text);
        ASSERT_TRUE(result.ok()) << mht::ErrorText(result.error) << result.detail;
        const mht::Document& doc = result.document;
        EXPECT_EQ(doc.page.contentType, "text/html");
        EXPECT_EQ(doc.page.location, "file:///C:/help/page.htm");
        const std::string nl = text.find('\r') != std::string::npos ? "\r\n" : "\n";
        EXPECT_EQ(doc.page.body,
                  "<html><body><h1>Привет</h1><p>a=b, long line joined</p><img "
                  "src=\"page_files/pic%201.png\"><img src=\"cid:logo@x\">" +
                      nl + "</body></html>");
        ASSERT_EQ(doc.resources.size(), 2u);
        EXPECT_EQ(doc.resources[1].contentId, "logo@x");
        const std::string expected = png.toStdString();
        struct Case {
            const char* reference;
            const mht::Part* part;
        };
        const Case cases[] = {
            {"page_files/pic%201.png", &doc.resources[0]},  // relative to the page
            {"./page_files/../page_files/pic 1.png", &doc.resources[0]},
            {"file:///C:/help/page_files/pic%201.png", &doc.resources[0]},  // as written
            {"cid:logo@x", &doc.resources[1]},
            {"CID:logo@x", &doc.resources[1]},
            {"page_files/other.png", nullptr},
            {"cid:nobody", nullptr},
            {"http://example.com/page_files/pic%201.png", nullptr},
            {"", nullptr},
        };
        for (const Case& c : cases)
            EXPECT_EQ(doc.Resolve(c.reference), c.part) << c.reference;
        EXPECT_EQ(doc.resources[0].body, expected);
        EXPECT_EQ(doc.resources[1].body, expected);
    }
}

TEST(MhtParse, PageIsTheStartPartOrTheFirstOrTheWholeMessage) {
    const std::string byStart = R"(Content-Type: multipart/related; boundary=b; start="<main>"

--b
Content-Type: image/gif
Content-Transfer-Encoding: base64

R0lGODlhAQABAAAAACw=
--b
Content-Type: text/html
Content-ID: <main>

<p>main</p>
--b--
)";
    const std::string single =
        "Content-Type: text/html; charset=windows-1251\n\n<p>\xCF\xF0\xE8</p>";
    struct Case {
        std::string text;
        std::string page;
        size_t resources;
    };
    const Case cases[] = {{byStart, "<p>main</p>", 1}, {single, "<p>При</p>", 0}};
    for (const Case& c : cases) {
        const mht::Result result = mht::Parse(c.text);
        ASSERT_TRUE(result.ok()) << mht::ErrorText(result.error);
        EXPECT_EQ(result.document.page.body, c.page);
        EXPECT_EQ(result.document.resources.size(), c.resources);
    }
}

TEST(MhtDecode, QuotedPrintable) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"a=3Db", "a=b"},
        {"=D0=bf", "\xD0\xBF"},  // either case of hex digits
        {"ab=\r\ncd", "abcd"},   // soft line breaks, CRLF or LF
        {"ab=\ncd", "abcd"},
        {"ab=  \r\ncd", "abcd"},         // blanks a mailer added after the "="
        {"ab  \r\ncd\n", "ab\r\ncd\n"},  // and at a line's end
        {"x=20\ny", "x \ny"},
        {"=ZZ and =4", "=ZZ and =4"},  // no escape: the "=" stays
        {"end=", "end"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mht::DecodeQuotedPrintable(c.in), c.out) << c.in;
}

TEST(MhtDecode, Base64) {
    struct Case {
        std::string in;
        bool ok;
        std::string out;
    };
    const Case cases[] = {
        {"TWFu", true, "Man"},   {"TWE=", true, "Ma"},
        {"TQ==", true, "M"},     {"TW\r\n Fu\tTQ==\n", true, "ManM"},
        {"", true, ""},          {"TWF", false, ""},   // cut short
        {"TQ=", false, ""},                            // padding short
        {"T===", false, ""},                           // one sextet makes no byte
        {"====", false, ""},     {"TW=u", false, ""},  // data after padding
        {"TQ==TWFu", false, ""}, {"TWF*", false, ""},
        {"TWFu\x80", false, ""},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(mht::DecodeBase64(c.in, out), c.ok) << c.in;
        if (c.ok) {
            EXPECT_EQ(out, c.out) << c.in;
        }
    }
}

// One HTML part of the given charset, 8bit.
std::string WithCharset(std::string_view charset, std::string_view body) {
    std::string type = "text/html";
    if (!charset.empty()) type += "; charset=" + std::string(charset);
    return "Content-Type: multipart/related; boundary=\"q\"\n\n--q\nContent-Type: " + type +
           "\nContent-Transfer-Encoding: 8bit\n\n" + std::string(body) + "\n--q--\n";
}

TEST(MhtCharset, TextBecomesUtf8FromTheCharsetItsPartNames) {
    struct Case {
        std::string charset;
        std::string body;
        std::string page;
    };
    const Case cases[] = {
        {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2 \xB9", "Привет №"},
        {"\"Windows-1251\"", "\xC0", "А"},
        {"x-cp1251", "\xDF", "Я"},
        {"UTF-8", "Привет", "Привет"},
        {"utf-8", "\xEF\xBB\xBFok", "ok"},  // a byte-order mark is dropped
        {"utf-8",
         "a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},  // malformed: U+FFFD
        {"iso-8859-1", "caf\xE9", "café"},
        {"us-ascii", "plain", "plain"},
        {"", "Привет", "Привет"},     // none named: UTF-8 when it is
        {"", "\xCF\xF0\xE8", "При"},  // else Windows-1251
    };
    for (const Case& c : cases) {
        const mht::Result result = mht::Parse(WithCharset(c.charset, c.body));
        ASSERT_TRUE(result.ok()) << c.charset << ": " << mht::ErrorText(result.error);
        EXPECT_EQ(result.document.page.body, c.page) << c.charset;
    }
}

TEST(MhtParse, BadInputGivesItsErrorNeverAPage) {
    const std::string head = "Content-Type: multipart/related; boundary=\"b\"\n\n";
    const std::string html = "--b\nContent-Type: text/html\n\n<p>x</p>\n";
    std::string manyHeaders = "Content-Type: text/html\n";
    while (manyHeaders.size() <= mht::kMaxHeaderBlock)
        manyHeaders += "X-Filler: 0123456789012345678901234567890123456789\n";
    struct Case {
        const char* what;
        std::string text;
        mht::Error error;
    };
    const Case cases[] = {
        {"empty", "", mht::Error::kNoHeaders},
        {"headers only", "Content-Type: text/html\n", mht::Error::kNoHeaders},
        {"plain text", "Content-Type: text/plain\n\nhello", mht::Error::kNotHtml},
        {"no boundary", "Content-Type: multipart/related\n\n--b\n\nx\n--b--\n",
         mht::Error::kNoBoundary},
        {"boundary too long",
         "Content-Type: multipart/related; boundary=" + std::string(71, 'x') + "\n\n",
         mht::Error::kNoBoundary},
        {"boundary never written", head + "<p>x</p>\n", mht::Error::kNoParts},
        {"closed at once", head + "--b--\n", mht::Error::kNoParts},
        {"truncated", head + html, mht::Error::kTruncated},
        {"truncated picture",
         head + html + "--b\nContent-Type: image/png\nContent-Transfer-Encoding: base64\n\niVBO",
         mht::Error::kTruncated},
        {"bad base64",
         head + html +
             "--b\nContent-Type: image/png\nContent-Transfer-Encoding: base64\n"
             "Content-Location: pic.png\n\niVB!Rw0K\n--b--\n",
         mht::Error::kBadBase64},
        {"unknown encoding",
         head + "--b\nContent-Type: text/html\nContent-Transfer-Encoding: x-uuencode\n\nx\n--b--\n",
         mht::Error::kUnknownEncoding},
        {"unknown charset", head + "--b\nContent-Type: text/html; charset=koi8-r\n\nx\n--b--\n",
         mht::Error::kUnknownCharset},
        {"picture first", head + "--b\nContent-Type: image/png\n\nx\n" + html + "--b--\n",
         mht::Error::kNotHtml},
        {"start names nobody",
         "Content-Type: multipart/related; boundary=b; start=\"<p1>\"\n\n" + html + "--b--\n",
         mht::Error::kNoRoot},
        {"huge header line", "Content-Type: text/html; x=" + std::string(10000, 'a') + "\n\n",
         mht::Error::kHeaderTooLong},
        {"huge folded header",
         "Content-Type: text/html\nX-Long: a\n " + std::string(5000, 'a') + "\n " +
             std::string(5000, 'a') + "\n\n",
         mht::Error::kHeaderTooLong},
        {"huge header block", manyHeaders + "\n<p>x</p>", mht::Error::kHeaderTooLong},
    };
    for (const Case& c : cases) {
        const mht::Result result = mht::Parse(c.text);
        EXPECT_EQ(result.error, c.error) << c.what;
        EXPECT_FALSE(mht::ErrorText(result.error).empty()) << c.what;
        EXPECT_TRUE(result.document.page.body.empty()) << c.what;
        EXPECT_TRUE(result.document.resources.empty()) << c.what;
    }
    // The message names the part at fault.
    EXPECT_EQ(mht::Parse(cases[9].text).detail, "часть 2 (pic.png)");
}

TEST(MhtParse, LinesThatOnlyLookLikeABoundaryAreText) {
    const std::string text =
        "Content-Type: multipart/related; boundary=\"b\"\n\n--b\nContent-Type: text/html\n\n"
        "--bx\n--b -- \n--b--x\n\n--b--\n";
    const mht::Result result = mht::Parse(text);
    ASSERT_TRUE(result.ok()) << mht::ErrorText(result.error);
    EXPECT_EQ(result.document.page.body, "--bx\n--b -- \n--b--x\n");
}

TEST(MhtReadFile, MissingOrOversizedFilesAreRefused) {
    testsupport::TempFolder folder;
    EXPECT_EQ(mht::ReadFile(folder.File("none.mht")).error, mht::Error::kCannotRead);
    EXPECT_EQ(mht::ReadFile(folder.path()).error, mht::Error::kCannotRead);

    const std::string big = folder.File("big.mht");
    { std::ofstream(big) << "Content-Type: text/html\n\n"; }
    std::filesystem::resize_file(big, mht::kMaxFileBytes + 1);  // sparse: costs no disk
    EXPECT_EQ(mht::ReadFile(big).error, mht::Error::kTooLarge);

    const std::string good = folder.File("1  Новое испытание..mht");
    { std::ofstream(good) << Archive(Base64(Png(Qt::blue))); }
    EXPECT_TRUE(mht::ReadFile(good).ok());
}

// Counts the pixels of a colour in a widget's rendering.
int CountPixels(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return n;
}

QImage Render(HelpView& view) {
    view.resize(420, 260);
    view.show();
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    view.render(&image);
    return image;
}

TEST(HelpView, ShowsThePicturesFromTheArchive) {
    HelpView view;
    // The second page names its pictures as the first did: it must show its own.
    const QColor colours[] = {QColor(200, 0, 0), QColor(0, 0, 200)};
    for (int i = 0; i < 2; ++i) {
        const mht::Result result = mht::Parse(Archive(Base64(Png(colours[i]))));
        ASSERT_TRUE(result.ok());
        view.ShowDocument(result.document);
        const QImage image = Render(view);
        if (i == 0) {
            image.save(QString::fromStdString(
                (testsupport::TestOutputFolder() / "helpview_archive.png").string()));
        }
        EXPECT_TRUE(view.toPlainText().startsWith("Привет"));
        // Both pictures, by location and by Content-ID, 40 x 30 each.
        EXPECT_EQ(CountPixels(image, colours[i]), 2 * 40 * 30) << i;
        EXPECT_EQ(CountPixels(image, colours[1 - i]), 0) << i;
    }
}

TEST(HelpView, PicturesNeverComeFromTheDisk) {
    testsupport::TempFolder folder;
    const std::string stray = folder.File("stray.png");
    ASSERT_TRUE(QImage::fromData(Png(QColor(0, 160, 0))).save(QString::fromStdString(stray)));
    const std::string page = "Content-Type: text/html\n\n<p>x</p><img src=\"file://" + stray +
                             "\"><img src=\"" + stray + "\">";
    const mht::Result result = mht::Parse(page);
    ASSERT_TRUE(result.ok());
    HelpView view;
    view.ShowDocument(result.document);
    EXPECT_EQ(CountPixels(Render(view), QColor(0, 160, 0)), 0);
}

TEST(HelpView, MissingOrDamagedPageShowsNotFound) {
    testsupport::TempFolder folder;
    const std::string good = folder.File("good.mht");
    const std::string bad = folder.File("bad.mht");
    {
        std::ofstream(good) << Archive(Base64(Png(QColor(0, 150, 0))));
        std::ofstream(bad) << "Content-Type: multipart/related; boundary=b\n\n--b\n";
    }
    HelpView view;
    ASSERT_TRUE(view.ShowPage(good));
    EXPECT_EQ(view.LastError(), mht::Error::kNone);
    EXPECT_GT(CountPixels(Render(view), QColor(0, 150, 0)), 0);

    struct Case {
        std::string path;
        mht::Error error;
    };
    const Case cases[] = {{folder.File("none.mht"), mht::Error::kCannotRead},
                          {bad, mht::Error::kTruncated}};
    for (const Case& c : cases) {
        EXPECT_FALSE(view.ShowPage(c.path));
        EXPECT_EQ(view.LastError(), c.error);
        const QString text = view.toPlainText();
        EXPECT_TRUE(text.startsWith("Страница не найдена")) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromStdString(c.path)));
        EXPECT_TRUE(text.contains(QString::fromStdString(mht::ErrorText(c.error))));
        // Nothing of the page shown before is left.
        EXPECT_EQ(CountPixels(Render(view), QColor(0, 150, 0)), 0);
    }
}

}  // namespace
