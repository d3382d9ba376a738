/*
 * The forgiving XML reader.
 */
#include <gtest/gtest.h>

#include "core/text.h"
#include "core/xml_reader.h"
#include "test_util.h"

static XmlElement *Parse(const std::string &utf8)
{
    return XmlParseDocument(WText(utf8));
}

static std::string Decode(const std::string &utf8)
{
    WText w(utf8);
    TextBuilder b = {};
    XmlDecodeText(&b, w, (int)w.chars.size() - 1);
    std::string out = U8(b.Text());
    b.Release();
    return out;
}

TEST(XmlReader, NoRoot)
{
    EXPECT_EQ(XmlParseDocument(L""), nullptr);
    EXPECT_EQ(XmlParseDocument(NULL), nullptr);
    EXPECT_EQ(Parse("just text"), nullptr);
    EXPECT_EQ(Parse("<?xml version='1.0'?><!-- only a comment -->"), nullptr);
    EXPECT_EQ(Parse("</end>"), nullptr);
    EXPECT_EQ(Parse("< a/>"), nullptr);
    EXPECT_EQ(Parse("<"), nullptr);
}

TEST(XmlReader, PrologueBeforeRoot)
{
    XmlElement *r = Parse("\xEF\xBB\xBF" "stray <?xml version=\"1.0\"?>\r\n<!-- c -->\r\n"
                          "<!DOCTYPE kestrum>\r\n<Kestrum version=\"1\"><A>x</A></Kestrum>trailing<B/>");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(U8(r->Name), "Kestrum");
    EXPECT_EQ(U8(XmlAttr(r, L"VERSION")), "1");
    EXPECT_EQ(U8(XmlChildText(r, L"a")), "x");
    EXPECT_EQ(r->NextSibling, nullptr);
    EXPECT_EQ(XmlChild(r, L"B"), nullptr);
    XmlFree(r);
}

TEST(XmlReader, AnyEndTagClosesTheOpenElement)
{
    XmlElement *r = Parse("<a><b>x</a></b>");
    ASSERT_NE(r, nullptr);
    XmlElement *b = XmlChild(r, L"b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(U8(b->Text), "x");
    EXPECT_EQ(b->Parent, r);
    EXPECT_EQ(r->Text, nullptr);
    XmlFree(r);
}

TEST(XmlReader, UnclosedElements)
{
    XmlElement *r = Parse("<a>");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->FirstChild, nullptr);
    XmlFree(r);
    r = Parse("<a><b>text");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(U8(XmlChildText(r, L"b")), "text");
    XmlFree(r);
    r = Parse("<a x='1");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(U8(XmlAttr(r, L"x")), "1");
    XmlFree(r);
}

TEST(XmlReader, WhitespaceText)
{
    XmlElement *r = Parse("<a>\r\n\t<b/>\r\n</a>");
    EXPECT_EQ(r->Text, nullptr);
    XmlFree(r);
    r = Parse("<a>   </a>");
    EXPECT_EQ(U8(r->Text), "   ");
    XmlFree(r);
    r = Parse("<a>1<b/>2</a>");
    EXPECT_EQ(U8(r->Text), "12");
    XmlFree(r);
    r = Parse("<a> x <b/>\r\n y </a>");
    EXPECT_EQ(U8(r->Text), " x \r\n y ");
    XmlFree(r);
}

TEST(XmlReader, Attributes)
{
    XmlElement *r = Parse("<x v='say \"hi\"' w=\"a&amp;b\" checked/>");
    EXPECT_EQ(U8(XmlAttr(r, L"v")), "say \"hi\"");
    EXPECT_EQ(U8(XmlAttr(r, L"W")), "a&b");
    EXPECT_EQ(U8(XmlAttr(r, L"checked")), "");
    EXPECT_EQ(XmlAttr(r, L"missing"), nullptr);
    XmlFree(r);
    r = Parse("<x v=1/>");
    ASSERT_NE(r->Attributes, nullptr);
    EXPECT_EQ(U8(r->Attributes->Name), "v");
    EXPECT_EQ(U8(r->Attributes->Value), "");
    ASSERT_NE(r->Attributes->Next, nullptr);
    EXPECT_EQ(U8(r->Attributes->Next->Name), "1");
    EXPECT_EQ(U8(r->Attributes->Next->Value), "");
    XmlFree(r);
    r = Parse("<x a = \"1\" a=\"2\" b= c>t</x>");
    EXPECT_EQ(U8(XmlAttr(r, L"a")), "1");            /* first of equal names */
    EXPECT_EQ(U8(XmlAttr(r, L"b")), "");
    EXPECT_EQ(U8(XmlAttr(r, L"c")), "");
    EXPECT_EQ(U8(r->Text), "t");
    XmlFree(r);
    r = Parse("<x / junk >text</x>");
    EXPECT_EQ(r->Text, nullptr);                     /* the slash ended the element */
    XmlFree(r);
}

TEST(XmlReader, CommentsCdataAndProcessing)
{
    XmlElement *r = Parse("<a>x<!-- <b>no</b> -->y<![CDATA[&lt;<z>]]>z<?pi <c/> ?></a>");
    EXPECT_EQ(U8(r->Text), "xy&lt;<z>z");
    EXPECT_EQ(r->FirstChild, nullptr);
    XmlFree(r);
    r = Parse("<a><![CDATA[open");
    EXPECT_EQ(U8(r->Text), "open");
    XmlFree(r);
    r = Parse("<a><!ELEMENT x>t</a>");
    ASSERT_NE(r->FirstChild, nullptr);
    EXPECT_EQ(U8(r->FirstChild->Name), "!ELEMENT");
    XmlFree(r);
}

TEST(XmlReader, LookupsIgnoreCase)
{
    XmlElement *r = Parse("<Kestrum><Servers><Port></Port><Blank> </Blank><N>42x</N></Servers></Kestrum>");
    XmlElement *s = XmlChild(r, L"servers");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(XmlChildInt(s, L"port", 22), 22);
    EXPECT_EQ(XmlChildInt(s, L"missing", 22), 22);
    EXPECT_EQ(XmlChildInt(s, L"blank", 22), 0);
    EXPECT_EQ(XmlChildInt(s, L"n", 0), 42);
    EXPECT_EQ(XmlChildText(s, L"missing"), nullptr);
    EXPECT_EQ(XmlChild(NULL, L"x"), nullptr);
    EXPECT_EQ(XmlAttr(NULL, L"x"), nullptr);
    XmlFree(r);
    XmlFree(NULL);
}

TEST(XmlReader, SiblingsInOrder)
{
    XmlElement *r = Parse("<r><n>1</n><m/><n>2</n></r>");
    int count = 0;
    std::string texts;
    for (XmlElement *c = r->FirstChild; c; c = c->NextSibling, count++)
        texts += U8(c->Text ? c->Text : L"-");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(texts, "1-2");
    XmlFree(r);
}

/* Deep nesting must not crash: beyond the depth limit content is dropped. */
TEST(XmlReader, MillionLevelsDeep)
{
    const int depth = 1000000;
    std::string doc;
    doc.reserve((size_t)depth * 7 + 32);
    for (int i = 0; i < depth; i++)
        doc += "<a x=\"1\">";
    doc += "deep";
    for (int i = 0; i < depth; i++)
        doc += "</a>";
    doc += "<after/>";
    XmlElement *r = Parse("<root>" + doc + "<tail>t</tail></root>");
    ASSERT_NE(r, nullptr);
    int levels = 0;
    XmlElement *e = r;
    while (e->FirstChild) {
        e = e->FirstChild;
        levels++;
    }
    EXPECT_EQ(levels + 1, XML_MAX_DEPTH);
    EXPECT_EQ(e->Text, nullptr);
    /* the skipped part ends where its elements close, the rest reads on */
    EXPECT_EQ(U8(XmlChildText(r, L"tail")), "t");
    EXPECT_NE(XmlChild(r, L"after"), nullptr);
    XmlFree(r);

    std::string open(depth, '<');
    r = Parse("<r>" + open);
    ASSERT_NE(r, nullptr);
    XmlFree(r);
    std::string unclosed;
    for (int i = 0; i < depth; i++)
        unclosed += "<b>";
    r = Parse(unclosed);
    ASSERT_NE(r, nullptr);
    XmlFree(r);
}

TEST(XmlDecode, References)
{
    EXPECT_EQ(Decode("&amp;lt;"), "&lt;");
    EXPECT_EQ(Decode("&AMP;"), "&AMP;");
    EXPECT_EQ(Decode("&lt;&gt;&quot;&apos;"), "<>\"'");
    EXPECT_EQ(Decode("&#65;&#x41;&#X41;"), "AAA");
    EXPECT_EQ(Decode("&#x1F600;"), "😀");
    EXPECT_EQ(Decode("&#128512;"), "😀");
    EXPECT_EQ(Decode("&#;&#0;&#x;"), "&#;&#0;&#x;");
    EXPECT_EQ(Decode("&;"), "&;");
    EXPECT_EQ(Decode("a & b"), "a & b");
    EXPECT_EQ(Decode("&abcdefghijkl;"), "&abcdefghijkl;");  /* no ; within 12 */
    EXPECT_EQ(Decode("&unknown;"), "&unknown;");
    EXPECT_EQ(Decode("&#65xyz;"), "A");
    EXPECT_EQ(Decode("&#x10041;"), "\xF0\x90\x81\x81");
    EXPECT_EQ(Decode("&#x110041;"), "A");                  /* low 16 bits beyond U+10FFFF */
    EXPECT_EQ(Decode("&#x110000;"), "&#x110000;");
    EXPECT_EQ(Decode("&#9;&#10;&#13;"), "\t\n\r");
    EXPECT_EQ(Decode("&&amp;"), "&&");
    EXPECT_EQ(Decode("tail&"), "tail&");
}

/* Names, values and texts stay in the text they were read from: each
 * must end exactly where it did, whatever follows it. */
TEST(XmlReader, NeighbouringNamesValuesAndTexts)
{
    XmlElement *r = Parse("<r a='1'b=\"&lt;2&gt;\"c d = 'x&amp;&amp;y' e=\"\"><x/>t&amp;u<y k='&#x1F600;'>v</y>"
                          "<z>w&#65;</z>tail<![CDATA[&c]]></r>");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(U8(r->Name), "r");
    EXPECT_EQ(U8(XmlAttr(r, L"a")), "1");
    EXPECT_EQ(U8(XmlAttr(r, L"b")), "<2>");
    EXPECT_EQ(U8(XmlAttr(r, L"c")), "");
    EXPECT_EQ(U8(XmlAttr(r, L"d")), "x&&y");
    EXPECT_EQ(U8(XmlAttr(r, L"e")), "");
    EXPECT_EQ(U8(r->Text), "t&utail&c");
    XmlElement *x = r->FirstChild, *y = x->NextSibling, *z = y->NextSibling;
    EXPECT_EQ(U8(x->Name), "x");
    EXPECT_EQ(x->Text, nullptr);
    EXPECT_EQ(U8(y->Name), "y");
    EXPECT_EQ(U8(XmlAttr(y, L"k")), "😀");
    EXPECT_EQ(U8(y->Text), "v");
    EXPECT_EQ(U8(z->Text), "wA");
    EXPECT_EQ(z->NextSibling, nullptr);
    XmlFree(r);
    r = Parse("<a\tx='1'/><b/>");
    EXPECT_EQ(U8(r->Name), "a");
    EXPECT_EQ(U8(XmlAttr(r, L"x")), "1");
    XmlFree(r);
    r = Parse("<a><b>1</b><b>2</b>");
    EXPECT_EQ(U8(r->FirstChild->Text), "1");
    EXPECT_EQ(U8(r->FirstChild->NextSibling->Text), "2");
    XmlFree(r);
}

/* The text handed over becomes the document's; without a root it is
 * released at once (the leak check of the native build sees to both). */
TEST(XmlReader, OwnedText)
{
    const char *docs[] = { "<a x='&amp;'>t&lt;</a>", "no root here" };
    for (const char *doc : docs) {
        WText w(doc);
        int n = StrLen(w);
        wchar_t *text = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
        MemCopy(text, w, (size_t)n * sizeof(wchar_t));
        XmlElement *r = XmlParseOwnedText(text, n);
        if (doc[0] == '<') {
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(U8(XmlAttr(r, L"x")), "&");
            EXPECT_EQ(U8(r->Text), "t<");
        } else {
            EXPECT_EQ(r, nullptr);
        }
        XmlFree(r);
    }
    EXPECT_EQ(XmlParseOwnedText(NULL, 0), nullptr);
}

TEST(XmlReader, FreeingAnElementFreesOnlyWholeDocuments)
{
    XmlElement *r = Parse("<a><b x='1'>t<c y='2'/></b><d>u</d></a>");
    ASSERT_NE(r, nullptr);
    XmlElement *b = XmlChild(r, L"b");
    ASSERT_NE(b, nullptr);
    /* an element below the root: the document stays whole and readable */
    XmlFree(b);
    XmlFree(XmlChild(b, L"c"));
    XmlFree(XmlChild(r, L"d"));
    EXPECT_EQ(U8(XmlAttr(b, L"x")), "1");
    EXPECT_EQ(U8(b->Text), "t");
    EXPECT_EQ(U8(XmlAttr(XmlChild(b, L"c"), L"y")), "2");
    EXPECT_EQ(U8(XmlChildText(r, L"d")), "u");
    /* the root frees everything (the leak check sees the rest) */
    XmlFree(r);
}

TEST(XmlReader, ChildrenInOnePassAsXmlChild)
{
    XmlElement *r = Parse("<n><scriptdelay>1</scriptdelay><Script>a</Script><SCRIPT>b</SCRIPT>"
                          "<PassWord>p</PassWord><Pört>x</Pört><Port/><port>2</port><P/><>q</></n>");
    const wchar_t *names[] = { L"Script", L"ScriptDelay", L"Password", L"PasswordMode", L"Port",
                               L"P", L"Scrip", L"" };
    const int count = sizeof names / sizeof names[0];
    const XmlElement *found[count];
    XmlChildren(r, names, count, found);
    for (int i = 0; i < count; i++)
        EXPECT_EQ(found[i], XmlChild(r, names[i])) << U8(names[i]);
    EXPECT_EQ(U8(found[0]->Text), "a");
    EXPECT_EQ(U8(found[1]->Text), "1");
    EXPECT_EQ(U8(found[2]->Text), "p");
    EXPECT_EQ(found[3], nullptr);
    XmlChildren(NULL, names, count, found);
    for (int i = 0; i < count; i++)
        EXPECT_EQ(found[i], nullptr);
    XmlFree(r);
}

/* An owned copy of doc for the parse functions that take their text. */
static wchar_t *OwnedCopy(const std::string &doc, int *n)
{
    WText w(doc);
    *n = StrLen(w);
    wchar_t *text = (wchar_t *)MemAlloc(((size_t)*n + 1) * sizeof(wchar_t));
    MemCopy(text, w, (size_t)*n * sizeof(wchar_t));
    return text;
}

static bool TakeA(XmlElement *e, void *context)
{
    if (!StrEqualNoCase(e->Name, L"a"))
        return false;
    int *taken = (int *)context;
    EXPECT_EQ(U8(XmlAttr(e, L"k")), "v" + std::to_string(*taken));
    EXPECT_NE(e->FirstChild, nullptr);
    e->Data = (void *)(intptr_t)++*taken;
    return true;
}

/* Taken elements stay in place as bare records while the memory of their
 * content is reused: the elements around them, read before and after,
 * must come through whole, also when a taken element's content spans
 * several of the blocks the document carves from. */
TEST(XmlReader, TakenElementsKeepTheirPlace)
{
    std::string doc = "<r><c x='0'>first</c>";
    for (int i = 0; i < 300; i++) {
        doc += "<a k='v" + std::to_string(i) + "'><b y='1'>t<!-- cut -->ext</b>";
        for (int k = 0; k < (i % 50 == 0 ? 2000 : 3); k++)
            doc += "<d/>";
        doc += "</a><c x='" + std::to_string(i + 1) + "'>k<![CDATA[&]]>eep</c>";
    }
    doc += "<a k='v300'><b/>";     /* never closed: not offered */
    int n, taken = 0;
    XmlElement *r = XmlParseOwnedTextTaking(OwnedCopy(doc, &n), n, TakeA, &taken);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(taken, 300);
    int i = 0, c = 0;
    for (XmlElement *e = r->FirstChild; e; e = e->NextSibling) {
        EXPECT_EQ(e->Parent, r);
        if (U8(e->Name) == "c") {
            EXPECT_EQ(U8(XmlAttr(e, L"x")), std::to_string(c));
            EXPECT_EQ(U8(e->Text), c ? "k&eep" : "first");
            c++;
        } else if (i < 300) {
            EXPECT_EQ((intptr_t)e->Data, ++i);
            EXPECT_EQ(e->Attributes, nullptr);
            EXPECT_EQ(e->FirstChild, nullptr);
            EXPECT_EQ(e->Text, nullptr);
        } else {
            EXPECT_EQ(e->Data, nullptr);
            EXPECT_EQ(U8(XmlAttr(e, L"k")), "v300");
            EXPECT_NE(XmlChild(e, L"b"), nullptr);
        }
    }
    EXPECT_EQ(c, 301);
    EXPECT_EQ(i, 300);
    XmlFree(r);
}

/* The whole tree as text, for comparing two readings. */
static std::string Dump(const XmlElement *e)
{
    std::string out = "<" + U8(e->Name);
    for (const XmlAttribute *a = e->Attributes; a; a = a->Next)
        out += " [" + U8(a->Name) + "]=[" + U8(a->Value) + "]";
    out += ">";
    if (e->Text)
        out += "{" + U8(e->Text) + "}";
    for (const XmlElement *c = e->FirstChild; c; c = c->NextSibling) {
        EXPECT_EQ(c->Parent, e);
        out += Dump(c);
    }
    return out + "</>";
}

/* Reading well-formed UTF-8 as it stands gives the tree that the text
 * converted to UTF-16 gives: references (one whose semicolon lies twelve
 * characters but more bytes away included), pieces joined around
 * comments and CDATA, space between children, non-ASCII names, a byte
 * order mark, cut documents. */
TEST(XmlReader, Utf8ReadsAsItsUtf16)
{
    const std::string distant = "&#65" + std::string("é") + "ééééééé;";   /* 12 units, 19 bytes */
    const std::string docs[] = {
        "<r a='x&amp;y' b=\"&#xD55C;&#128512;\" 이름='값'><서버>한국어 &lt;텍스트&gt;</서버>\r\n"
        "  <s>a<!-- c -->b<![CDATA[<&amp;>]]>c&#x41;</s>\r\n  <e>  </e><e/></r>",
        "\xEF\xBB\xBF<?xml version='1.0'?><!-- 😀 --><r>" + distant + "|&#65" + distant + "</r>",
        "<r>&#65ééééééééééé;|&#65éééééééééé;|&é;|&😀;|&#x10FFFF;|&#x110041;|&#0;|&#xD800;</r>",
        "<r><a>t<b/>u</a><c x='1'>&#32;<d/></c><f>&#32;</f>",
        "<r x='unclosed",
        "no root 😀",
    };
    for (const std::string &doc : docs) {
        int units = 0;
        wchar_t *text = WideFromUtf8(doc.data(), (int)doc.size(), &units);
        XmlElement *wide = XmlParseOwnedText(text, units);
        char *bytes = (char *)MemAlloc(doc.size() + 1);
        MemCopy(bytes, doc.data(), doc.size());
        bytes[doc.size()] = 0;
        XmlElement *utf8 = XmlParseUtf8Taking(bytes, NULL, NULL);
        ASSERT_EQ(utf8 == nullptr, wide == nullptr) << doc;
        if (wide)
            EXPECT_EQ(Dump(utf8), Dump(wide)) << doc;
        XmlFree(wide);
        XmlFree(utf8);
        MemFree(bytes);
    }
}
