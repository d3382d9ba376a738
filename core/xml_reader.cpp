/*
 * xml_reader.cpp: the forgiving XML reader.
 *
 * The reader walks the text once with an explicit stack of open
 * elements rather than by recursion, and stops building elements past
 * XML_MAX_DEPTH, so a file nested a million levels deep is read (with
 * its deep part dropped) instead of crashing the program.
 */
#include "text.h"
#include "xml_reader.h"

static bool IsSpace(wchar_t c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

static bool IsNameChar(wchar_t c)
{
    switch (c) {
    case 0: case '\t': case '\n': case '\r': case ' ':
    case '"': case '\'': case '/': case '<': case '=': case '>': case '?':
        return false;
    default:
        return true;
    }
}

static bool StartsWith(const wchar_t *p, const wchar_t *lit)
{
    for (; *lit; p++, lit++)
        if (*p != *lit)
            return false;
    return true;
}

/* Position just past the next occurrence of lit, or the end of text. */
static const wchar_t *SkipPast(const wchar_t *p, const wchar_t *lit)
{
    for (; *p; p++)
        if (StartsWith(p, lit))
            return p + StrLen(lit);
    return p;
}

static const wchar_t *SkipSpace(const wchar_t *p)
{
    while (IsSpace(*p))
        p++;
    return p;
}

static int DigitValue(wchar_t c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/* Decodes the reference whose name is name[0..n); false leaves the & literal. */
static bool DecodeReference(TextBuilder *out, const wchar_t *name, int n)
{
    static const struct { const wchar_t *name; wchar_t c; } named[] = {
        { L"lt", '<' }, { L"gt", '>' }, { L"amp", '&' }, { L"quot", '"' }, { L"apos", '\'' },
    };
    if (n <= 1)
        return false;
    if (name[0] != '#') {
        for (unsigned i = 0; i < sizeof named / sizeof named[0]; i++)
            if (StrLen(named[i].name) == n && MemCompare(named[i].name, name, (size_t)n * sizeof(wchar_t)) == 0) {
                out->AppendChar(named[i].c);
                return true;
            }
        return false;
    }
    int base = 10, i = 1;
    if (name[1] == 'x' || name[1] == 'X') {
        base = 16;
        i = 2;
    }
    uint32_t v = 0;
    for (; i < n && DigitValue(name[i], base) >= 0; i++)
        v = v * (uint32_t)base + (uint32_t)DigitValue(name[i], base);
    if (v >= 0x10000 && v <= 0x10FFFF) {
        v -= 0x10000;
        out->AppendChar((wchar_t)(0xD800 + (v >> 10)));
        out->AppendChar((wchar_t)(0xDC00 + (v & 0x3FF)));
        return true;
    }
    if ((v & 0xFFFF) == 0)
        return false;
    out->AppendChar((wchar_t)(v & 0xFFFF));
    return true;
}

void XmlDecodeText(TextBuilder *out, const wchar_t *run, int n)
{
    int i = 0;
    while (i < n) {
        int start = i;
        while (i < n && run[i] != '&')
            i++;
        if (i > start)
            out->AppendN(run + start, i - start);
        if (i >= n)
            break;
        int semi = -1;
        for (int k = i + 1; k < n && k <= i + 12; k++)
            if (run[k] == ';') {
                semi = k;
                break;
            }
        if (semi >= 0 && DecodeReference(out, run + i + 1, semi - i - 1)) {
            i = semi + 1;
        } else {
            out->AppendChar('&');
            i++;
        }
    }
}

static XmlElement *NewElement(const wchar_t *name, int n)
{
    XmlElement *e = (XmlElement *)MemAlloc(sizeof(XmlElement));
    e->Name = StrDupN(name, n);
    return e;
}

static void AddAttribute(XmlElement *e, XmlAttribute ***tail, const wchar_t *name, int n,
                         wchar_t *value)
{
    XmlAttribute *a = (XmlAttribute *)MemAlloc(sizeof(XmlAttribute));
    a->Name = StrDupN(name, n);
    a->Value = value ? value : StrDup(L"");
    **tail = a;
    *tail = &a->Next;
    (void)e;
}

enum TagEnd { TAG_EOF, TAG_CLOSED, TAG_OPEN };

/*
 * Reads a start tag from just after its name; fills the attributes of
 * e.  TAG_OPEN means content follows.
 */
static TagEnd ReadStartTag(const wchar_t **pp, XmlElement *e)
{
    const wchar_t *p = SkipSpace(*pp);
    XmlAttribute **tail = &e->Attributes;
    TagEnd end = TAG_EOF;
    for (;;) {
        if (!*p)
            break;
        if (*p == '/') {
            p = SkipPast(p, L">");
            end = TAG_CLOSED;
            break;
        }
        if (*p == '>') {
            p++;
            end = TAG_OPEN;
            break;
        }
        if (IsNameChar(*p)) {
            const wchar_t *name = p;
            while (IsNameChar(*p))
                p++;
            int n = (int)(p - name);
            wchar_t *value = NULL;
            p = SkipSpace(p);
            if (*p == '=') {
                p = SkipSpace(p + 1);
                if (*p == '"' || *p == '\'') {
                    wchar_t q = *p++;
                    const wchar_t *v = p;
                    while (*p && *p != q)
                        p++;
                    TextBuilder tb = {};
                    XmlDecodeText(&tb, v, (int)(p - v));
                    value = tb.Take();
                    if (*p)
                        p++;
                }
            }
            AddAttribute(e, &tail, name, n, value);
        } else {
            p++;
        }
        p = SkipSpace(p);
    }
    *pp = p;
    return end;
}

/* Stores the collected character data of a finished element. */
static void FinishText(XmlElement *e, TextBuilder *tb)
{
    bool keep = false;
    if (tb->Length > 0) {
        keep = e->FirstChild == NULL;
        for (int i = 0; i < tb->Length && !keep; i++)
            if (!IsSpace(tb->Buffer[i]))
                keep = true;
    }
    if (keep)
        e->Text = tb->Take();
    else
        tb->Release();
}

/* One open element of the walk. */
struct OpenElement {
    XmlElement *Element;
    XmlElement *LastChild;
    TextBuilder Text;
};

/* Reads the content of root (whose start tag has just ended) until the
 * end tag that closes it or the end of the text. */
static void ReadContent(const wchar_t *p, XmlElement *root)
{
    OpenElement *stack = (OpenElement *)MemAlloc(sizeof(OpenElement) * (XML_MAX_DEPTH + 1));
    int depth = 1;                  /* stack[depth - 1] is the innermost open element */
    int skipping = 0;               /* open elements below the depth limit */
    stack[0].Element = root;
    while (*p && depth > 0) {
        OpenElement *top = &stack[depth - 1];
        if (StartsWith(p, L"<!--")) {
            p = SkipPast(p, L"-->");
        } else if (StartsWith(p, L"<![CDATA[")) {
            const wchar_t *start = p + 9;
            const wchar_t *q = start;
            while (*q && !StartsWith(q, L"]]>"))
                q++;
            if (!skipping)
                top->Text.AppendN(start, (int)(q - start));
            p = *q ? q + 3 : q;
        } else if (StartsWith(p, L"<?")) {
            p = SkipPast(p, L"?>");
        } else if (StartsWith(p, L"</")) {
            p = SkipPast(p, L">");
            if (skipping) {
                skipping--;
            } else {
                FinishText(top->Element, &top->Text);
                depth--;
            }
        } else if (*p == '<') {
            p++;
            if (!IsNameChar(*p)) {
                if (*p)
                    p++;
                continue;
            }
            const wchar_t *name = p;
            while (IsNameChar(*p))
                p++;
            XmlElement *child = NewElement(name, (int)(p - name));
            TagEnd end = ReadStartTag(&p, child);
            if (skipping || depth >= XML_MAX_DEPTH) {
                XmlFree(child);
                if (end == TAG_OPEN)
                    skipping++;
                continue;
            }
            child->Parent = top->Element;
            if (top->LastChild)
                top->LastChild->NextSibling = child;
            else
                top->Element->FirstChild = child;
            top->LastChild = child;
            if (end == TAG_OPEN) {
                OpenElement *next = &stack[depth++];
                next->Element = child;
                next->LastChild = NULL;
                next->Text = TextBuilder();
            }
        } else {
            const wchar_t *start = p;
            while (*p && *p != '<')
                p++;
            if (!skipping)
                XmlDecodeText(&top->Text, start, (int)(p - start));
        }
    }
    while (depth > 0) {
        OpenElement *top = &stack[--depth];
        FinishText(top->Element, &top->Text);
    }
    MemFree(stack);
}

XmlElement *XmlParseDocument(const wchar_t *text)
{
    const wchar_t *p = text;
    if (!p)
        return NULL;
    while (*p) {
        p = SkipSpace(p);
        if (StartsWith(p, L"<?")) {
            p = SkipPast(p, L"?>");
        } else if (StartsWith(p, L"<!--")) {
            p = SkipPast(p, L"-->");
        } else if (StartsWith(p, L"<!")) {
            p = SkipPast(p, L">");
        } else if (*p == '<') {
            p++;
            if (!IsNameChar(*p))
                return NULL;
            const wchar_t *name = p;
            while (IsNameChar(*p))
                p++;
            XmlElement *root = NewElement(name, (int)(p - name));
            if (ReadStartTag(&p, root) == TAG_OPEN)
                ReadContent(p, root);
            return root;
        } else if (*p) {
            p++;
        }
    }
    return NULL;
}

static void FreeOne(XmlElement *e)
{
    for (XmlAttribute *a = e->Attributes; a;) {
        XmlAttribute *next = a->Next;
        MemFree(a->Name);
        MemFree(a->Value);
        MemFree(a);
        a = next;
    }
    MemFree(e->Name);
    MemFree(e->Text);
    MemFree(e);
}

void XmlFree(XmlElement *e)
{
    XmlElement *stop = e ? e->Parent : NULL;
    while (e) {
        if (e->FirstChild) {
            XmlElement *child = e->FirstChild;
            e->FirstChild = NULL;
            e = child;
            continue;
        }
        XmlElement *next = e->NextSibling, *up = e->Parent;
        FreeOne(e);
        e = next ? next : (up != stop ? up : NULL);
    }
}

XmlElement *XmlChild(const XmlElement *e, const wchar_t *name)
{
    for (XmlElement *c = e ? e->FirstChild : NULL; c; c = c->NextSibling)
        if (StrEqualNoCase(c->Name, name))
            return c;
    return NULL;
}

const wchar_t *XmlAttr(const XmlElement *e, const wchar_t *name)
{
    for (XmlAttribute *a = e ? e->Attributes : NULL; a; a = a->Next)
        if (StrEqualNoCase(a->Name, name))
            return a->Value;
    return NULL;
}

const wchar_t *XmlChildText(const XmlElement *e, const wchar_t *name)
{
    XmlElement *c = XmlChild(e, name);
    return c ? c->Text : NULL;
}

int XmlChildInt(const XmlElement *e, const wchar_t *name, int def)
{
    const wchar_t *t = XmlChildText(e, name);
    return StrIsEmpty(t) ? def : ParseInt(t);
}
