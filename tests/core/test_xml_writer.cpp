/*
 * The XML writer, checked by reading its output back.
 */
#include <gtest/gtest.h>

#include "core/text.h"
#include "core/xml_reader.h"
#include "core/xml_writer.h"
#include "test_util.h"

static std::string Escaped(const std::string &utf8)
{
    TextBuilder b = {};
    XmlWriteEscaped(&b, WText(utf8));
    std::string out = U8(b.Text());
    b.Release();
    return out;
}

/* Writes an element holding text and reads it back. */
static std::string RoundTrip(const std::string &utf8)
{
    TextBuilder b = {};
    b.Append(L"<r>\r\n");
    XmlWriteElement(&b, 1, L"V", WText(utf8));
    b.Append(L"</r>\r\n");
    XmlElement *r = XmlParseDocument(b.Text());
    b.Release();
    std::string out = U8(XmlChildText(r, L"V"));
    XmlFree(r);
    return out;
}

TEST(XmlWriter, EscapeTable)
{
    EXPECT_EQ(Escaped("cd /tmp\r\nls"), "cd /tmp&#13;&#10;ls");
    EXPECT_EQ(Escaped("\t\"&<>'"), "&#9;&quot;&amp;&lt;&gt;'");
    EXPECT_EQ(Escaped("\x01\x1F"), "&#1;&#31;");
    EXPECT_EQ(Escaped("서버 é"), "서버 é");
    TextBuilder b = {};
    XmlWriteEscaped(&b, NULL);
    EXPECT_EQ(b.Buffer, nullptr);
}

TEST(XmlWriter, Elements)
{
    TextBuilder b = {};
    XmlWriteIntElement(&b, 2, L"Port", -1);
    XmlWriteElement(&b, 0, L"UserName", NULL);
    XmlWriteElement(&b, 1, L"X", L"");
    XmlWriteIntElement(&b, 0, L"Min", (int)0x80000000u);
    XmlWriteIndent(&b, -3);
    EXPECT_EQ(U8(b.Text()), "\t\t<Port>-1</Port>\r\n<UserName></UserName>\r\n\t<X></X>\r\n"
                            "<Min>-2147483648</Min>\r\n");
    b.Release();
}

TEST(XmlWriter, EveryTextReadsBackUnchanged)
{
    const char *texts[] = {
        "cd /tmp\r\nls", "p<a&s\"s'", "   ", "\t lead and trail \t", "\x01\x02\x1F",
        "한국어 서버 😀", "]]>", "&amp;", "line\nfeed only", "\r",
    };
    for (const char *t : texts)
        EXPECT_EQ(RoundTrip(t), t) << t;
    std::vector<wchar_t> every;
    for (int c = 1; c < 0xD800; c++)
        every.push_back((wchar_t)c);
    every.push_back(0);
    std::string all = U8(every.data());
    EXPECT_EQ(RoundTrip(all), all);
}

TEST(XmlWriter, DeepIndent)
{
    TextBuilder b = {};
    XmlWriteIndent(&b, 40);
    XmlWriteIndent(&b, 0);
    EXPECT_EQ(U8(b.Text()), std::string(40, '\t'));
    b.Release();
}
