/*
 * xml_reader.cpp: the forgiving XML reader.
 *
 * The reader walks the text once with an explicit stack of open
 * elements rather than by recursion, and stops building elements past
 * XML_MAX_DEPTH, so a file nested a million levels deep is read (with
 * its deep part dropped) instead of crashing the program.
 *
 * A document owns the text it was read from and keeps its names, values
 * and texts where they stand in it: references are decoded in place
 * (decoding never lengthens) and each string is ended by a zero written
 * over the character after it once the walk has passed that character.
 * Elements and attributes are carved from a few large blocks.  A big
 * file so costs a handful of allocations instead of several an element.
 */
#include "text.h"
#include "xml_reader.h"

static bool IsSpace(wchar_t c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

static bool IsNameChar(wchar_t c)
{
    if (c > '?')
        return true;
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
static wchar_t *SkipPast(wchar_t *p, const wchar_t *lit)
{
    for (; *p; p++)
        if (StartsWith(p, lit))
            return p + StrLen(lit);
    return p;
}

static wchar_t *SkipSpace(wchar_t *p)
{
    while (IsSpace(*p))
        p++;
    return p;
}

static wchar_t *SkipName(wchar_t *p)
{
    while (IsNameChar(*p))
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

/* Decodes the reference whose name is name[0..n) into out: the count
 * of characters (1 or 2), or 0 to leave the & literal.  Writes only
 * after reading, so out may lie on the reference itself. */
static int DecodeReference(wchar_t *out, const wchar_t *name, int n)
{
    static const struct { const wchar_t *name; int n; wchar_t c; } named[] = {
        { L"lt", 2, '<' }, { L"gt", 2, '>' }, { L"amp", 3, '&' },
        { L"quot", 4, '"' }, { L"apos", 4, '\'' },
    };
    if (n <= 1)
        return 0;
    if (name[0] != '#') {
        for (unsigned i = 0; i < sizeof named / sizeof named[0]; i++)
            if (named[i].n == n && MemCompare(named[i].name, name, (size_t)n * sizeof(wchar_t)) == 0) {
                out[0] = named[i].c;
                return 1;
            }
        return 0;
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
        out[0] = (wchar_t)(0xD800 + (v >> 10));
        out[1] = (wchar_t)(0xDC00 + (v & 0x3FF));
        return 2;
    }
    if ((v & 0xFFFF) == 0)
        return 0;
    out[0] = (wchar_t)(v & 0xFFFF);
    return 1;
}

/* Decodes n characters of run into out, which may be run itself since
 * no reference decodes longer than it is written; the count written. */
static int DecodeInto(wchar_t *out, const wchar_t *run, int n)
{
    int i = 0;
    while (i < n && run[i] != '&')
        i++;
    if (out != run)
        MemCopy(out, run, (size_t)i * sizeof(wchar_t));
    int o = i;
    while (i < n) {
        if (run[i] != '&') {
            out[o++] = run[i++];
            continue;
        }
        int semi = -1;
        for (int k = i + 1; k < n && k <= i + 12; k++)
            if (run[k] == ';') {
                semi = k;
                break;
            }
        int decoded = semi >= 0 ? DecodeReference(out + o, run + i + 1, semi - i - 1) : 0;
        if (decoded) {
            o += decoded;
            i = semi + 1;
        } else {
            out[o++] = '&';
            i++;
        }
    }
    return o;
}

void XmlDecodeText(TextBuilder *out, const wchar_t *run, int n)
{
    if (n <= 0)
        return;
    out->Reserve(n);
    out->Length += DecodeInto(out->Buffer + out->Length, run, n);
    out->Buffer[out->Length] = 0;
}

/* A block that elements, attributes and joined texts are carved from. */
struct XmlBlock {
    XmlBlock *Next;
    size_t Used;                /* header included; set when the next block starts */
};

struct XmlDocument {
    XmlElement Root;            /* first: XmlFree gets the document from it */
    wchar_t *Text;              /* the owned text, Units characters and a zero */
    int Units;
    wchar_t *Empty;             /* the value of attributes without one */
    XmlBlock *Blocks;
    char *Free;
    size_t Left;
    size_t NextSize;
};

enum { FIRST_BLOCK = 4096, LARGEST_BLOCK = 1 << 21 };

/* Zeroed memory for a record, aligned for pointers. */
static void *Carve(XmlDocument *d, size_t bytes)
{
    const size_t align = sizeof(void *);
    const size_t head = (sizeof(XmlBlock) + align - 1) & ~(align - 1);
    bytes = (bytes + align - 1) & ~(align - 1);
    if (bytes > d->Left) {
        size_t size = d->NextSize;
        if (size < LARGEST_BLOCK)
            d->NextSize = size * 2;
        if (size < head + bytes)
            size = head + bytes;
        if (d->Blocks)
            d->Blocks->Used = (size_t)(d->Free - (char *)d->Blocks);
        XmlBlock *b = (XmlBlock *)MemAlloc(size);
        b->Next = d->Blocks;
        d->Blocks = b;
        d->Free = (char *)b + head;
        d->Left = size - head;
    }
    void *p = d->Free;
    d->Free += bytes;
    d->Left -= bytes;
    return p;
}

/* A point in the carving, to go back to when an element is taken. */
struct CarveMark {
    XmlBlock *Block;
    char *Free;
    size_t Left;
};

static CarveMark MarkCarving(const XmlDocument *d)
{
    CarveMark m = { d->Blocks, d->Free, d->Left };
    return m;
}

/* Wipes and gives back everything carved since m; the next carving
 * reuses the memory it already touched. */
static void Rewind(XmlDocument *d, const CarveMark *m)
{
    while (d->Blocks != m->Block) {
        XmlBlock *b = d->Blocks;
        d->Blocks = b->Next;
        MemWipe(b, (size_t)(d->Free - (char *)b));
        MemFree(b);
        d->Free = (char *)d->Blocks + d->Blocks->Used;
    }
    MemWipe(m->Free, (size_t)(d->Free - m->Free));
    d->Free = m->Free;
    d->Left = m->Left;
}

/* Ends the name that starts at name: its first delimiter becomes zero. */
static void EndName(wchar_t *name)
{
    *SkipName(name) = 0;
}

enum TagEnd { TAG_EOF, TAG_CLOSED, TAG_OPEN };

/*
 * Reads a start tag from just after its name; fills the attributes of
 * e, or only skips them when e is null.  The names stay unended until
 * the tag is read, as their delimiters are still to be seen; values are
 * ended at once, behind the walk.  TAG_OPEN means content follows.
 */
static TagEnd ReadStartTag(wchar_t **pp, XmlDocument *d, XmlElement *e)
{
    wchar_t *p = SkipSpace(*pp);
    XmlAttribute **tail = e ? &e->Attributes : NULL;
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
            wchar_t *name = p;
            p = SkipName(p);
            wchar_t *value = NULL;
            p = SkipSpace(p);
            if (*p == '=') {
                p = SkipSpace(p + 1);
                if (*p == '"' || *p == '\'') {
                    wchar_t q = *p++;
                    wchar_t *v = p;
                    while (*p && *p != q)
                        p++;
                    int n = e ? DecodeInto(v, v, (int)(p - v)) : 0;
                    if (*p)
                        p++;
                    if (e) {
                        v[n] = 0;
                        value = v;
                    }
                }
            }
            if (e) {
                XmlAttribute *a = (XmlAttribute *)Carve(d, sizeof(XmlAttribute));
                a->Name = name;
                a->Value = value ? value : d->Empty;
                *tail = a;
                tail = &a->Next;
            }
        } else {
            p++;
        }
        p = SkipSpace(p);
    }
    if (e) {
        EndName(e->Name);
        for (XmlAttribute *a = e->Attributes; a; a = a->Next)
            EndName(a->Name);
    }
    *pp = p;
    return end;
}

/*
 * One open element of the walk.  Its character data usually comes in
 * one piece, which stays where it is (Start, Length); a second piece
 * joins them in Joined, a builder each level keeps for reuse.
 */
struct OpenElement {
    XmlElement *Element;
    XmlElement *LastChild;
    CarveMark Mark;             /* just past the element's own record */
    wchar_t *Start;
    int Length;
    bool UseJoined;
    TextBuilder Joined;
};

static void BeginText(OpenElement *o)
{
    o->Start = NULL;
    o->Length = 0;
    o->UseJoined = false;
    o->Joined.Length = 0;
    if (o->Joined.Buffer)
        o->Joined.Buffer[0] = 0;
}

/* Adds a piece of character data: n characters at s, with references
 * when decode is set. */
static void AddText(OpenElement *o, wchar_t *s, int n, bool decode)
{
    if (!o->Start && !o->UseJoined) {
        o->Start = s;
        o->Length = decode ? DecodeInto(s, s, n) : n;
        return;
    }
    if (!o->UseJoined) {
        o->Joined.AppendN(o->Start, o->Length);
        o->UseJoined = true;
    }
    if (decode)
        XmlDecodeText(&o->Joined, s, n);
    else
        o->Joined.AppendN(s, n);
}

/* Stores the collected character data of a finished element: kept when
 * the element has no children or the data is more than white space. */
static void FinishText(XmlDocument *d, OpenElement *o)
{
    XmlElement *e = o->Element;
    const wchar_t *t = o->UseJoined ? o->Joined.Buffer : o->Start;
    int n = o->UseJoined ? o->Joined.Length : o->Length;
    bool keep = false;
    if (n > 0) {
        keep = e->FirstChild == NULL;
        for (int i = 0; i < n && !keep; i++)
            if (!IsSpace(t[i]))
                keep = true;
    }
    if (!keep)
        return;
    if (o->UseJoined) {
        e->Text = (wchar_t *)Carve(d, ((size_t)n + 1) * sizeof(wchar_t));
        MemCopy(e->Text, t, (size_t)n * sizeof(wchar_t));
    } else {
        o->Start[n] = 0;        /* the walk is past the end of the piece */
        e->Text = o->Start;
    }
}

/* Offers a finished element to take; a taken one is cut back to its
 * record, which stays as its parent's child. */
static void Offer(XmlDocument *d, OpenElement *o, XmlTakeElement take, void *context)
{
    if (!take || !take(o->Element, context))
        return;
    XmlElement *e = o->Element;
    e->Attributes = NULL;
    e->FirstChild = NULL;
    e->Text = NULL;
    Rewind(d, &o->Mark);
}

/* Reads the content of root (whose start tag has just ended) until the
 * end tag that closes it or the end of the text. */
static void ReadContent(XmlDocument *d, wchar_t *p, XmlElement *root, XmlTakeElement take,
                        void *context)
{
    OpenElement *stack = (OpenElement *)MemAlloc(sizeof(OpenElement) * (XML_MAX_DEPTH + 1));
    int depth = 1;                  /* stack[depth - 1] is the innermost open element */
    int skipping = 0;               /* open elements below the depth limit */
    stack[0].Element = root;
    BeginText(&stack[0]);
    while (*p && depth > 0) {
        OpenElement *top = &stack[depth - 1];
        if (*p != '<') {
            wchar_t *start = p;
            while (*p && *p != '<')
                p++;
            if (!skipping)
                AddText(top, start, (int)(p - start), true);
        } else if (p[1] == '!' && StartsWith(p, L"<!--")) {
            p = SkipPast(p, L"-->");
        } else if (p[1] == '!' && StartsWith(p, L"<![CDATA[")) {
            wchar_t *start = p + 9;
            wchar_t *q = start;
            while (*q && !StartsWith(q, L"]]>"))
                q++;
            if (!skipping)
                AddText(top, start, (int)(q - start), false);
            p = *q ? q + 3 : q;
        } else if (p[1] == '?') {
            p = SkipPast(p, L"?>");
        } else if (p[1] == '/') {
            p = SkipPast(p, L">");
            if (skipping) {
                skipping--;
            } else {
                FinishText(d, top);
                if (depth > 1)
                    Offer(d, top, take, context);
                depth--;
            }
        } else {
            p++;
            if (!IsNameChar(*p)) {
                if (*p)
                    p++;
                continue;
            }
            wchar_t *name = p;
            p = SkipName(p);
            bool skip = skipping || depth >= XML_MAX_DEPTH;
            XmlElement *child = NULL;
            if (!skip) {
                child = (XmlElement *)Carve(d, sizeof(XmlElement));
                child->Name = name;
            }
            CarveMark mark = MarkCarving(d);
            TagEnd end = ReadStartTag(&p, d, child);
            if (skip) {
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
                next->Mark = mark;
                BeginText(next);
            }
        }
    }
    while (depth > 0)
        FinishText(d, &stack[--depth]);
    /* The joined pieces may have held passwords. */
    for (int i = 0; i <= XML_MAX_DEPTH; i++)
        stack[i].Joined.Wipe();
    MemFree(stack);
}

XmlElement *XmlParseOwnedTextTaking(wchar_t *text, int units, XmlTakeElement take, void *context)
{
    wchar_t *p = text;
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
                break;
            XmlDocument *d = (XmlDocument *)MemAlloc(sizeof(XmlDocument));
            d->Text = text;
            d->Units = units;
            d->NextSize = FIRST_BLOCK;
            d->Empty = (wchar_t *)Carve(d, sizeof(wchar_t));
            XmlElement *root = &d->Root;
            root->Name = p;
            p = SkipName(p);
            if (ReadStartTag(&p, d, root) == TAG_OPEN)
                ReadContent(d, p, root, take, context);
            return root;
        } else if (*p) {
            p++;
        }
    }
    MemWipe(text, ((size_t)units + 1) * sizeof(wchar_t));
    MemFree(text);
    return NULL;
}

XmlElement *XmlParseOwnedText(wchar_t *text, int units)
{
    return XmlParseOwnedTextTaking(text, units, NULL, NULL);
}

XmlElement *XmlParseDocument(const wchar_t *text)
{
    if (!text)
        return NULL;
    int n = StrLen(text);
    wchar_t *copy = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    MemCopy(copy, text, (size_t)n * sizeof(wchar_t));
    return XmlParseOwnedText(copy, n);
}

void XmlFree(XmlElement *root)
{
    if (!root)
        return;
    XmlDocument *d = (XmlDocument *)root;
    /* Texts, values and joined pieces may hold passwords.  Only the used
     * part of a block is wiped: nothing was written to the rest. */
    d->Blocks->Used = (size_t)(d->Free - (char *)d->Blocks);
    for (XmlBlock *b = d->Blocks; b;) {
        XmlBlock *next = b->Next;
        MemWipe(b, b->Used);
        MemFree(b);
        b = next;
    }
    MemWipe(d->Text, ((size_t)d->Units + 1) * sizeof(wchar_t));
    MemFree(d->Text);
    MemFree(d);
}

XmlElement *XmlChild(const XmlElement *e, const wchar_t *name)
{
    for (XmlElement *c = e ? e->FirstChild : NULL; c; c = c->NextSibling)
        if (StrEqualNoCase(c->Name, name))
            return c;
    return NULL;
}

static bool IsPrintableAscii(const wchar_t *s)
{
    for (; *s; s++)
        if (*s < 32 || *s > 126)
            return false;
    return true;
}

static wchar_t FoldAscii(wchar_t c)
{
    return c >= 'A' && c <= 'Z' ? (wchar_t)(c + 32) : c;
}

/* StrEqualNoCase(name, wanted) for a name of printable ASCII: then
 * folding A-Z decides, unless wanted holds other characters. */
static bool AsciiNameIs(const wchar_t *name, const wchar_t *wanted)
{
    for (const wchar_t *a = name, *b = wanted;; a++, b++) {
        if (*b && (*b < 32 || *b > 126))
            return StrEqualNoCase(name, wanted);
        wchar_t x = FoldAscii(*a), y = FoldAscii(*b);
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

void XmlChildren(const XmlElement *e, const wchar_t *const *names, int count,
                 const XmlElement **found)
{
    int missing = count;
    for (int i = 0; i < count; i++)
        found[i] = NULL;
    /* Children mostly come in the order of the names: each search starts
     * after the name the last child matched, and ends at the first match
     * as no child matches two distinct names. */
    int next = 0;
    for (XmlElement *c = e ? e->FirstChild : NULL; c && missing > 0; c = c->NextSibling) {
        bool ascii = IsPrintableAscii(c->Name);
        wchar_t first = FoldAscii(c->Name[0]);
        for (int k = 0; k < count; k++) {
            int i = next + k < count ? next + k : next + k - count;
            if (found[i])
                continue;
            /* Printable first characters that differ after folding decide. */
            wchar_t w = names[i][0];
            if (ascii && first && w >= 32 && w <= 126 && FoldAscii(w) != first)
                continue;
            if (ascii ? AsciiNameIs(c->Name, names[i]) : StrEqualNoCase(c->Name, names[i])) {
                found[i] = c;
                missing--;
                next = i + 1 < count ? i + 1 : 0;
                break;
            }
        }
    }
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
