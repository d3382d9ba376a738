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
 *
 * The same walk reads well-formed UTF-8 as it stands (a file need not
 * be converted whole first): there the names, values and texts are
 * converted into carved strings instead, and the bytes stay untouched.
 * Markup is ASCII, which no UTF-8 sequence holds, so both readings see
 * the same elements.
 */
#include <string.h>

#include "text.h"
#include "xml_reader.h"

/* A character of the text as a number: UTF-16 units, or UTF-8 bytes,
 * of which those above 0x7F are parts of non-ASCII characters. */
static unsigned Unit(wchar_t c)
{
    return (unsigned short)c;
}

static unsigned Unit(char c)
{
    return (unsigned char)c;
}

static bool IsSpace(unsigned c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

static bool IsNameChar(unsigned c)
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

template <typename C> static bool StartsWith(const C *p, const char *lit)
{
    for (; *lit; p++, lit++)
        if (Unit(*p) != (unsigned char)*lit)
            return false;
    return true;
}

/* Position just past the next occurrence of lit, or the end of text. */
template <typename C> static C *SkipPast(C *p, const char *lit)
{
    for (; *p; p++)
        if (StartsWith(p, lit))
            return p + strlen(lit);
    return p;
}

template <typename C> static C *SkipSpace(C *p)
{
    while (IsSpace(Unit(*p)))
        p++;
    return p;
}

template <typename C> static C *SkipName(C *p)
{
    while (IsNameChar(Unit(*p)))
        p++;
    return p;
}

static int DigitValue(unsigned c, int base)
{
    if (c >= '0' && c <= '9')
        return (int)c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return (int)c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return (int)c - 'A' + 10;
    return -1;
}

/* Decodes the reference whose name is name[0..n) into out: the count
 * of characters (1 or 2), or 0 to leave the & literal.  Writes only
 * after reading, so out may lie on the reference itself. */
template <typename C> static int DecodeReference(wchar_t *out, const C *name, int n)
{
    static const struct { const char *name; int n; wchar_t c; } named[] = {
        { "lt", 2, '<' }, { "gt", 2, '>' }, { "amp", 3, '&' },
        { "quot", 4, '"' }, { "apos", 4, '\'' },
    };
    if (n <= 1)
        return 0;
    if (name[0] != '#') {
        for (unsigned i = 0; i < sizeof named / sizeof named[0]; i++)
            if (named[i].n == n && StartsWith(name, named[i].name)) {
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
    for (; i < n && DigitValue(Unit(name[i]), base) >= 0; i++)
        v = v * (uint32_t)base + (uint32_t)DigitValue(Unit(name[i]), base);
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

/* The UTF-16 units a UTF-8 byte starts: none for a continuation byte. */
static int UnitsStarted(unsigned b)
{
    return (b & 0xC0) == 0x80 ? 0 : b >= 0xF0 ? 2 : 1;
}

/* The semicolon that ends a reference starting at run[i], looked for
 * within twelve characters as UTF-16 counts them; -1 when none. */
static int FindSemicolon(const wchar_t *run, int i, int n)
{
    for (int k = i + 1; k < n && k <= i + 12; k++)
        if (run[k] == ';')
            return k;
    return -1;
}

static int FindSemicolon(const char *run, int i, int n)
{
    int units = 0;
    for (int k = i + 1; k < n; k++) {
        units += UnitsStarted(Unit(run[k]));
        if (units > 12)
            break;
        if (run[k] == ';')
            return k;
    }
    return -1;
}

/* Decodes the reference at run[*i] (an &) into out, or copies the &
 * when it starts none; the characters written, *i moved past what was
 * read. */
template <typename C> static int DecodeAt(wchar_t *out, const C *run, int *i, int n)
{
    int semi = FindSemicolon(run, *i, n);
    int decoded = semi >= 0 ? DecodeReference(out, run + *i + 1, semi - *i - 1) : 0;
    if (decoded) {
        *i = semi + 1;
        return decoded;
    }
    out[0] = '&';
    (*i)++;
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
        if (run[i] != '&')
            out[o++] = run[i++];
        else
            o += DecodeAt(out + o, run, &i, n);
    }
    return o;
}

/* Converts n well-formed UTF-8 bytes of run into out (room for n units),
 * references decoded when decode is set; the count written. */
static int DecodeInto(wchar_t *out, const char *run, int n, bool decode)
{
    int o = 0, i = 0;
    while (i < n) {
        int start = i;
        while (i < n && !(decode && run[i] == '&'))
            i++;
        o += Utf8DecodeWellFormed(run + start, i - start, out + o);
        if (i < n)
            o += DecodeAt(out + o, run, &i, n);
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
    void *Text;                 /* the owned text, its terminating zero included */
    size_t TextBytes;
    wchar_t *Empty;             /* the value of attributes without one */
    XmlBlock *Blocks;
    char *Free;
    size_t Left;
    size_t NextSize;
};

/* Blocks stay below the size from which the heap maps fresh pages from
 * the system for each block instead of reusing freed ones. */
enum { FIRST_BLOCK = 4096, LARGEST_BLOCK = 1 << 18 };

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

/*
 * The strings of the document.  In UTF-16 text they stay where they are:
 * a name is ended once its tag is read, as its delimiter is still to be
 * seen until then; a value is decoded in place and ended at once, behind
 * the walk.  From UTF-8 each becomes a carved UTF-16 copy at once.
 */
static wchar_t *NameString(XmlDocument *, wchar_t *name)
{
    return name;
}

static wchar_t *Widen(XmlDocument *d, const char *run, int n, bool decode)
{
    wchar_t *w = (wchar_t *)Carve(d, ((size_t)n + 1) * sizeof(wchar_t));
    w[DecodeInto(w, run, n, decode)] = 0;
    return w;
}

static wchar_t *NameString(XmlDocument *d, char *name)
{
    return Widen(d, name, (int)(SkipName(name) - name), false);
}

static void EndNames(XmlElement *e, wchar_t *)
{
    *SkipName(e->Name) = 0;
    for (XmlAttribute *a = e->Attributes; a; a = a->Next)
        *SkipName(a->Name) = 0;
}

static void EndNames(XmlElement *, char *)
{
}

static wchar_t *ValueString(XmlDocument *, wchar_t *v, int n)
{
    v[DecodeInto(v, v, n)] = 0;
    return v;
}

static wchar_t *ValueString(XmlDocument *d, char *v, int n)
{
    return Widen(d, v, n, true);
}

enum TagEnd { TAG_EOF, TAG_CLOSED, TAG_OPEN };

/* Reads a start tag from just after its name; fills the attributes of
 * e, or only skips them when e is null.  TAG_OPEN means content follows. */
template <typename C> static TagEnd ReadStartTag(C **pp, XmlDocument *d, XmlElement *e)
{
    C *p = SkipSpace(*pp);
    XmlAttribute **tail = e ? &e->Attributes : NULL;
    TagEnd end = TAG_EOF;
    for (;;) {
        if (!*p)
            break;
        if (*p == '/') {
            p = SkipPast(p, ">");
            end = TAG_CLOSED;
            break;
        }
        if (*p == '>') {
            p++;
            end = TAG_OPEN;
            break;
        }
        if (IsNameChar(Unit(*p))) {
            C *name = p;
            p = SkipName(p);
            wchar_t *value = NULL;
            p = SkipSpace(p);
            if (*p == '=') {
                p = SkipSpace(p + 1);
                if (*p == '"' || *p == '\'') {
                    C q = *p++;
                    C *v = p;
                    while (*p && *p != q)
                        p++;
                    int n = (int)(p - v);
                    if (*p)
                        p++;
                    if (e)
                        value = ValueString(d, v, n);
                }
            }
            if (e) {
                XmlAttribute *a = (XmlAttribute *)Carve(d, sizeof(XmlAttribute));
                a->Name = NameString(d, name);
                a->Value = value ? value : d->Empty;
                *tail = a;
                tail = &a->Next;
            }
        } else {
            p++;
        }
        p = SkipSpace(p);
    }
    if (e)
        EndNames(e, p);
    *pp = p;
    return end;
}

/*
 * One open element of the walk.  Its character data usually comes in
 * one piece, which is kept as a place in the text (Start, Length, and
 * whether it holds references still to decode); a second piece joins
 * them, decoded, in Joined, a builder each level keeps for reuse.
 */
template <typename C> struct OpenElement {
    XmlElement *Element;
    XmlElement *LastChild;
    CarveMark Mark;             /* just past the element's own record */
    C *Start;
    int Length;
    bool Decode;
    bool UseJoined;
    TextBuilder Joined;
};

template <typename C> static void BeginText(OpenElement<C> *o)
{
    o->Start = NULL;
    o->Length = 0;
    o->UseJoined = false;
    o->Joined.Length = 0;
    if (o->Joined.Buffer)
        o->Joined.Buffer[0] = 0;
}

/* Appends a piece to the joined text, decoded. */
static void JoinPiece(TextBuilder *b, const wchar_t *s, int n, bool decode)
{
    if (decode)
        XmlDecodeText(b, s, n);
    else
        b->AppendN(s, n);
}

static void JoinPiece(TextBuilder *b, const char *s, int n, bool decode)
{
    if (n <= 0)
        return;
    b->Reserve(n);
    b->Length += DecodeInto(b->Buffer + b->Length, s, n, decode);
    b->Buffer[b->Length] = 0;
}

/* The first piece stays where it is; UTF-16 is decoded there at once. */
static void FirstPiece(OpenElement<wchar_t> *o, wchar_t *s, int n, bool decode)
{
    o->Start = s;
    o->Length = decode ? DecodeInto(s, s, n) : n;
    o->Decode = false;
}

static void FirstPiece(OpenElement<char> *o, char *s, int n, bool decode)
{
    o->Start = s;
    o->Length = n;
    o->Decode = decode;
}

/* Adds a piece of character data: n characters at s, with references
 * when decode is set. */
template <typename C> static void AddText(OpenElement<C> *o, C *s, int n, bool decode)
{
    if (!o->Start && !o->UseJoined) {
        FirstPiece(o, s, n, decode);
        return;
    }
    if (!o->UseJoined) {
        JoinPiece(&o->Joined, o->Start, o->Length, o->Decode);
        o->UseJoined = true;
    }
    JoinPiece(&o->Joined, s, n, decode);
}

static bool AllSpace(const wchar_t *t, int n)
{
    for (int i = 0; i < n; i++)
        if (!IsSpace(t[i]))
            return false;
    return true;
}

/* Stores the collected character data of a finished element: kept when
 * the element has no children or the data is more than white space. */
static void KeepText(XmlDocument *d, XmlElement *e, wchar_t *t, int n, bool inPlace)
{
    if (n <= 0 || (e->FirstChild && AllSpace(t, n)))
        return;
    if (inPlace) {
        t[n] = 0;               /* the walk is past the end of the piece */
        e->Text = t;
        return;
    }
    e->Text = (wchar_t *)Carve(d, ((size_t)n + 1) * sizeof(wchar_t));
    MemCopy(e->Text, t, (size_t)n * sizeof(wchar_t));
}

static void FinishPiece(XmlDocument *d, OpenElement<wchar_t> *o)
{
    KeepText(d, o->Element, o->Start, o->Length, true);
}

static void FinishPiece(XmlDocument *d, OpenElement<char> *o)
{
    if (!o->Start)
        return;
    /* The piece is decoded to be judged; space between children goes. */
    CarveMark mark = MarkCarving(d);
    wchar_t *t = Widen(d, o->Start, o->Length, o->Decode);
    XmlElement *e = o->Element;
    if (!*t || (e->FirstChild && AllSpace(t, StrLen(t))))
        Rewind(d, &mark);
    else
        e->Text = t;
}

template <typename C> static void FinishText(XmlDocument *d, OpenElement<C> *o)
{
    if (o->UseJoined)
        KeepText(d, o->Element, o->Joined.Buffer, o->Joined.Length, false);
    else
        FinishPiece(d, o);
}

/* Offers a finished element to take; a taken one is cut back to its
 * record, which stays as its parent's child. */
template <typename C>
static void Offer(XmlDocument *d, OpenElement<C> *o, XmlTakeElement take, void *context)
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
template <typename C>
static void ReadContent(XmlDocument *d, C *p, XmlElement *root, XmlTakeElement take, void *context)
{
    OpenElement<C> *stack =
        (OpenElement<C> *)MemAlloc(sizeof(OpenElement<C>) * (XML_MAX_DEPTH + 1));
    int depth = 1;                  /* stack[depth - 1] is the innermost open element */
    int skipping = 0;               /* open elements below the depth limit */
    stack[0].Element = root;
    BeginText(&stack[0]);
    while (*p && depth > 0) {
        OpenElement<C> *top = &stack[depth - 1];
        if (*p != '<') {
            C *start = p;
            while (*p && *p != '<')
                p++;
            if (!skipping)
                AddText(top, start, (int)(p - start), true);
        } else if (p[1] == '!' && StartsWith(p, "<!--")) {
            p = SkipPast(p, "-->");
        } else if (p[1] == '!' && StartsWith(p, "<![CDATA[")) {
            C *start = p + 9;
            C *q = start;
            while (*q && !StartsWith(q, "]]>"))
                q++;
            if (!skipping)
                AddText(top, start, (int)(q - start), false);
            p = *q ? q + 3 : q;
        } else if (p[1] == '?') {
            p = SkipPast(p, "?>");
        } else if (p[1] == '/') {
            p = SkipPast(p, ">");
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
            if (!IsNameChar(Unit(*p))) {
                if (*p)
                    p++;
                continue;
            }
            C *name = p;
            bool skip = skipping || depth >= XML_MAX_DEPTH;
            XmlElement *child = NULL;
            if (!skip) {
                child = (XmlElement *)Carve(d, sizeof(XmlElement));
                child->Name = NameString(d, name);
            }
            p = SkipName(p);
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
                OpenElement<C> *next = &stack[depth++];
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

/* Reads the document of a text; an owned one, of bytes bytes with its
 * zero, is wiped and freed with the document, or at once when there is
 * no root.  Texts of no bytes stay their caller's. */
template <typename C>
static XmlElement *Parse(C *text, size_t bytes, XmlTakeElement take, void *context)
{
    C *p = text;
    if (!p)
        return NULL;
    while (*p) {
        p = SkipSpace(p);
        if (StartsWith(p, "<?")) {
            p = SkipPast(p, "?>");
        } else if (StartsWith(p, "<!--")) {
            p = SkipPast(p, "-->");
        } else if (StartsWith(p, "<!")) {
            p = SkipPast(p, ">");
        } else if (*p == '<') {
            p++;
            if (!IsNameChar(Unit(*p)))
                break;
            XmlDocument *d = (XmlDocument *)MemAlloc(sizeof(XmlDocument));
            d->Text = text;
            d->TextBytes = bytes;
            d->NextSize = FIRST_BLOCK;
            d->Empty = (wchar_t *)Carve(d, sizeof(wchar_t));
            XmlElement *root = &d->Root;
            root->Name = NameString(d, p);
            p = SkipName(p);
            if (ReadStartTag(&p, d, root) == TAG_OPEN)
                ReadContent(d, p, root, take, context);
            return root;
        } else if (*p) {
            p++;
        }
    }
    if (bytes) {
        MemWipe(text, bytes);
        MemFree(text);
    }
    return NULL;
}

XmlElement *XmlParseOwnedTextTaking(wchar_t *text, int units, XmlTakeElement take, void *context)
{
    return Parse(text, ((size_t)units + 1) * sizeof(wchar_t), take, context);
}

XmlElement *XmlParseOwnedText(wchar_t *text, int units)
{
    return Parse(text, ((size_t)units + 1) * sizeof(wchar_t), NULL, NULL);
}

XmlElement *XmlParseUtf8Taking(const char *bytes, XmlTakeElement take, void *context)
{
    /* Nothing is written into UTF-8 text, and the caller keeps it. */
    return Parse((char *)bytes, 0, take, context);
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
    /* Only a root stands first in its document; any other element lives
     * in the document's blocks and goes with it. */
    if (!root || root->Parent)
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
    if (d->TextBytes) {
        MemWipe(d->Text, d->TextBytes);
        MemFree(d->Text);
    }
    MemFree(d);
}

XmlElement *XmlChild(const XmlElement *e, const wchar_t *name)
{
    for (XmlElement *c = e ? e->FirstChild : NULL; c; c = c->NextSibling)
        if (StrEqualNoCase(c->Name, name))
            return c;
    return NULL;
}

/* StrEqualNoCase(name, wanted) for a name of printable ASCII: then
 * folding A-Z decides, unless wanted holds other characters. */
static bool AsciiNameIs(const wchar_t *name, const wchar_t *wanted)
{
    for (const wchar_t *a = name, *b = wanted;; a++, b++) {
        if (*b && (*b < 32 || *b > 126))
            return StrEqualNoCase(name, wanted);
        wchar_t x = AsciiLower(*a), y = AsciiLower(*b);
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
        bool ascii = StrIsPrintableAscii(c->Name);
        wchar_t first = AsciiLower(c->Name[0]);
        for (int k = 0; k < count; k++) {
            int i = next + k < count ? next + k : next + k - count;
            if (found[i])
                continue;
            /* Printable first characters that differ after folding decide. */
            wchar_t w = names[i][0];
            if (ascii && first && w >= 32 && w <= 126 && AsciiLower(w) != first)
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
