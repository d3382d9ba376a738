/*
 * text.cpp: memory, strings, TextBuilder, ParseInt, UTF-8 conversion.
 */
#include <stdarg.h>
#include <string.h>

#include "platform.h"
#include "text.h"

static void OutOfMemory(void)
{
    PlatFatalError(L"메모리가 부족합니다.", 3);
}

void *MemAlloc(size_t bytes)
{
    void *p = PlatHeapAlloc(bytes ? bytes : 1);
    if (!p)
        OutOfMemory();
    return p;
}

void *MemRealloc(void *block, size_t bytes)
{
    if (!block)
        return MemAlloc(bytes);
    void *p = PlatHeapRealloc(block, bytes ? bytes : 1);
    if (!p)
        OutOfMemory();
    return p;
}

void MemFree(void *block)
{
    if (block)
        PlatHeapFree(block);
}

int MemCompare(const void *a, const void *b, size_t bytes)
{
    int r = bytes ? memcmp(a, b, bytes) : 0;
    return r < 0 ? -1 : r > 0;
}

void MemCopy(void *dst, const void *src, size_t bytes)
{
    if (bytes)
        memmove(dst, src, bytes);
}

void MemFill(void *dst, int value, size_t bytes)
{
    if (bytes)
        memset(dst, value, bytes);
}

void MemWipe(void *dst, size_t bytes)
{
    if (!bytes)
        return;
    memset(dst, 0, bytes);
    /* The barrier tells the compiler the zeros are read, so the memset
     * of a block about to be freed stays. */
    __asm__ __volatile__("" : : "r"(dst) : "memory");
}

int StrLen(const wchar_t *s)
{
    int n = 0;
    if (s)
        while (s[n])
            n++;
    return n;
}

bool StrIsEmpty(const wchar_t *s)
{
    return !s || !s[0];
}

wchar_t *StrDupN(const wchar_t *s, int n)
{
    if (!s)
        return NULL;
    if (n < 0)
        n = 0;
    wchar_t *d = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    MemCopy(d, s, (size_t)n * sizeof(wchar_t));
    return d;
}

wchar_t *StrDup(const wchar_t *s)
{
    return StrDupN(s, StrLen(s));
}

void StrAssign(wchar_t **field, const wchar_t *value)
{
    wchar_t *copy = StrIsEmpty(value) ? NULL : StrDup(value);
    MemFree(*field);
    *field = copy;
}

void StrFreeSecret(wchar_t *s)
{
    if (s) {
        MemWipe(s, (size_t)StrLen(s) * sizeof(wchar_t));
        MemFree(s);
    }
}

int StrCompareNoCase(const wchar_t *a, const wchar_t *b)
{
    return PlatCompareNoCase(a ? a : L"", b ? b : L"");
}

bool StrIsPrintableAscii(const wchar_t *s)
{
    for (; *s; s++)
        if (*s < 32 || *s > 126)
            return false;
    return true;
}

bool StrEqualNoCase(const wchar_t *a, const wchar_t *b)
{
    a = a ? a : L"";
    b = b ? b : L"";
    /* Outside printable ASCII the locale decides (it may even ignore some
     * characters); inside it, folding A-Z gives the same answer. */
    if (!StrIsPrintableAscii(a) || !StrIsPrintableAscii(b))
        return PlatCompareNoCase(a, b) == 0;
    for (;; a++, b++) {
        wchar_t x = AsciiLower(*a), y = AsciiLower(*b);
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

bool StrEqual(const wchar_t *a, const wchar_t *b)
{
    a = a ? a : L"";
    b = b ? b : L"";
    for (; *a == *b; a++, b++)
        if (!*a)
            return true;
    return false;
}

/* Lower case the system's way; ASCII without asking it, which is every
 * character of most titles and patterns (the same result, far cheaper). */
static wchar_t FoldChar(wchar_t c)
{
    return c < 0x80 ? AsciiLower(c) : PlatCharLower(c);
}

const wchar_t *StrFindNoCase(const wchar_t *text, const wchar_t *pattern)
{
    if (!text || !pattern)
        return NULL;
    for (const wchar_t *t = text;; t++) {
        int i = 0;
        while (pattern[i] && t[i] && FoldChar(t[i]) == FoldChar(pattern[i]))
            i++;
        if (!pattern[i])
            return t;
        if (!*t)
            return NULL;
    }
}

const wchar_t *StrFindChar(const wchar_t *s, wchar_t c)
{
    if (s)
        for (; *s; s++)
            if (*s == c)
                return s;
    return NULL;
}

const wchar_t *StrFindLastChar(const wchar_t *s, wchar_t c)
{
    const wchar_t *found = NULL;
    if (s)
        for (; *s; s++)
            if (*s == c)
                found = s;
    return found;
}

void StrCopyTo(wchar_t *dst, int cap, const wchar_t *src)
{
    if (cap <= 0)
        return;
    int i = 0;
    if (src)
        for (; i < cap - 1 && src[i]; i++)
            dst[i] = src[i];
    dst[i] = 0;
}

int StrFormat(wchar_t *dst, const wchar_t *format, ...)
{
    va_list ap;
    va_start(ap, format);
    int n = PlatFormatV(dst, format, ap);
    va_end(ap);
    return n;
}

void StrFromInt(wchar_t *buf, int value)
{
    uint32_t v = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    wchar_t rev[12];
    int r = 0, n = 0;
    do {
        rev[r++] = (wchar_t)('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        buf[n++] = '-';
    while (r)
        buf[n++] = rev[--r];
    buf[n] = 0;
}

int ParseInt(const wchar_t *s)
{
    if (!s)
        return 0;
    while (*s == ' ' || *s == '\t')
        s++;
    bool negative = false;
    if (*s == '-' || *s == '+') {
        negative = *s == '-';
        s++;
    }
    if (*s < '0' || *s > '9')
        return 0;
    uint32_t v = 0;
    for (; *s >= '0' && *s <= '9'; s++)
        v = v * 10u + (uint32_t)(*s - '0');
    return (int)(negative ? 0u - v : v);
}

/*
 * The UTF-8 codec reads and writes well-formed text itself and leaves
 * anything else to the platform's conversion, so that ill-formed input
 * turns out exactly as it always did (Windows versions and Wine differ
 * in how many U+FFFD an ill-formed sequence becomes).
 */

/* The code point of the well-formed sequence of a lead byte at s (n > 0
 * bytes left) and its length in *used; -1 when it is ill-formed. */
static int32_t DecodeSequence(const unsigned char *s, int n, int *used)
{
    unsigned c = s[0];
    int need;
    unsigned cp, lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        cp = c & 0x0F;
        if (c == 0xE0)
            lo = 0xA0;          /* no overlong forms */
        if (c == 0xED)
            hi = 0x9F;          /* no surrogates */
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        cp = c & 0x07;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;          /* nothing past U+10FFFF */
    } else {
        return -1;
    }
    if (need >= n)
        return -1;
    for (int i = 1; i <= need; i++) {
        if (s[i] < lo || s[i] > hi)
            return -1;
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    *used = need + 1;
    return (int32_t)cp;
}

/* Eight bytes at s into ascii, and whether all of them are ASCII. */
static bool EightAscii(const unsigned char *s, unsigned char *ascii)
{
    uint64_t w;
    memcpy(&w, s, sizeof w);
    memcpy(ascii, &w, sizeof w);
    return (w & 0x8080808080808080ull) == 0;
}

/* Whether 32 bytes from s are all ASCII. */
static bool ThirtyTwoAscii(const unsigned char *s)
{
    uint64_t w[4];
    memcpy(w, s, sizeof w);
    return ((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ull) == 0;
}

bool Utf8WellFormed(const char *bytes, int n)
{
    const unsigned char *s = (const unsigned char *)bytes;
    int i = 0;
    while (i < n) {
        if (i + 32 <= n && ThirtyTwoAscii(s + i)) {
            i += 32;
        } else if (s[i] < 0x80) {
            i++;
        } else {
            int used;
            if (DecodeSequence(s + i, n - i, &used) < 0)
                return false;
            i += used;
        }
    }
    return true;
}

/*
 * Decodes n well-formed bytes into out, which holds at least n units;
 * the count of units, or -1 at the first ill-formed sequence.  Each
 * sequence is read before its units are written, and a unit takes at
 * least a byte, so out may lie n or more bytes below s in one block.
 */
static int DecodeUtf8(const unsigned char *s, int n, wchar_t *out)
{
    unsigned char ascii[8];
    int i = 0, u = 0;
    while (i < n) {
        /* Files are mostly ASCII: eight bytes at a time while they are. */
        if (i + 8 <= n && EightAscii(s + i, ascii)) {
            for (int k = 0; k < 8; k++)
                out[u + k] = ascii[k];
            i += 8;
            u += 8;
            continue;
        }
        if (s[i] < 0x80) {
            out[u++] = s[i++];
            continue;
        }
        int used;
        int32_t cp = DecodeSequence(s + i, n - i, &used);
        if (cp < 0)
            return -1;
        i += used;
        if (cp >= 0x10000) {
            out[u++] = (wchar_t)(0xD800 + ((cp - 0x10000) >> 10));
            out[u++] = (wchar_t)(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out[u++] = (wchar_t)cp;
        }
    }
    return u;
}

static bool HasByteOrderMark(const unsigned char *s, int count)
{
    return count > 2 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF;
}

wchar_t *WideFromUtf8(const char *bytes, int count, int *units)
{
    const unsigned char *s = (const unsigned char *)bytes;
    if (HasByteOrderMark(s, count)) {
        s += 3;
        count -= 3;
    }
    if (count < 0)
        count = 0;
    /* A byte gives at most one unit; only four bytes give two. */
    wchar_t *out = (wchar_t *)MemAlloc(((size_t)count + 1) * sizeof(wchar_t));
    int n = DecodeUtf8(s, count, out);
    if (n < 0) {
        MemWipe(out, ((size_t)count + 1) * sizeof(wchar_t));
        n = PlatMultiByteToWide(PLAT_CP_UTF8, 0, (const char *)s, count, out, count);
    }
    if (units)
        *units = n;
    return out;
}

int Utf8DecodeWellFormed(const char *bytes, int n, wchar_t *out)
{
    return DecodeUtf8((const unsigned char *)bytes, n, out);
}

/* The UTF-8 of n characters without lone surrogates into out; -1 at the
 * first lone surrogate. */
static int EncodeUtf8(const wchar_t *text, int n, unsigned char *out)
{
    unsigned char *o = out;
    int i = 0;
    while (i < n) {
        unsigned c = (unsigned short)text[i++];
        if (c < 0x80) {
            *o++ = (unsigned char)c;
        } else if (c < 0x800) {
            *o++ = (unsigned char)(0xC0 | (c >> 6));
            *o++ = (unsigned char)(0x80 | (c & 0x3F));
        } else if (c < 0xD800 || c > 0xDFFF) {
            *o++ = (unsigned char)(0xE0 | (c >> 12));
            *o++ = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
            *o++ = (unsigned char)(0x80 | (c & 0x3F));
        } else {
            unsigned low = i < n ? (unsigned short)text[i] : 0;
            if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF)
                return -1;
            i++;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            *o++ = (unsigned char)(0xF0 | (c >> 18));
            *o++ = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
            *o++ = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
            *o++ = (unsigned char)(0x80 | (c & 0x3F));
        }
    }
    return (int)(o - out);
}

int Utf8Encode(const wchar_t *text, int n, char *out)
{
    int bytes = n > 0 ? EncodeUtf8(text, n, (unsigned char *)out) : 0;
    if (bytes < 0)
        bytes = PlatWideToMultiByte(PLAT_CP_UTF8, text, n, out, 3 * n);
    return bytes;
}

/* Bytes of the UTF-8 of n characters; -1 when there is a lone surrogate. */
static int Utf8Length(const wchar_t *text, int n)
{
    int bytes = 0;
    for (int i = 0; i < n; i++) {
        unsigned c = (unsigned short)text[i];
        if (c < 0x80) {
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if (c < 0xD800 || c > 0xDFFF) {
            bytes += 3;
        } else {
            unsigned low = i + 1 < n ? (unsigned short)text[i + 1] : 0;
            if (c > 0xDBFF || low < 0xDC00 || low > 0xDFFF)
                return -1;
            bytes += 4;
            i++;
        }
    }
    return bytes;
}

char *Utf8FromWide(const wchar_t *text, int *bytes)
{
    int len = StrLen(text);
    int n = Utf8Length(text, len);
    bool wellFormed = n >= 0;
    if (!wellFormed)
        n = PlatWideToMultiByte(PLAT_CP_UTF8, text, len, NULL, 0);
    char *out = (char *)MemAlloc((size_t)n + 1);
    if (wellFormed)
        EncodeUtf8(text, len, (unsigned char *)out);
    else if (n)
        n = PlatWideToMultiByte(PLAT_CP_UTF8, text, len, out, n);
    if (bytes)
        *bytes = n;
    return out;
}

/* Room for n more characters and the terminator: by draining when the
 * builder has a drain and a buffer, else (or then) by doubling from 64. */
static void MakeRoom(TextBuilder *b, int n)
{
    if (n < 0)
        n = 0;
    int need = b->Length + n + 1;
    if (b->Buffer && need <= b->Capacity)
        return;
    if (b->Drain && b->Buffer && b->Length > 0) {
        int taken = b->Drain(b, b->DrainContext);
        if (taken > 0) {
            b->Length -= taken;
            MemCopy(b->Buffer, b->Buffer + taken, ((size_t)b->Length + 1) * sizeof(wchar_t));
            need = b->Length + n + 1;
            if (need <= b->Capacity)
                return;
        }
    }
    int cap = b->Capacity ? b->Capacity : 64;
    while (cap < need)
        cap *= 2;
    /* A fresh block rather than a reallocation, so that the old one can
     * be wiped: builders compose texts that hold passwords. */
    wchar_t *grown = (wchar_t *)MemAlloc((size_t)cap * sizeof(wchar_t));
    if (b->Buffer) {
        MemCopy(grown, b->Buffer, ((size_t)b->Length + 1) * sizeof(wchar_t));
        MemWipe(b->Buffer, (size_t)b->Capacity * sizeof(wchar_t));
        MemFree(b->Buffer);
    }
    b->Buffer = grown;
    b->Capacity = cap;
}

void TextBuilder::Reserve(int n)
{
    MakeRoom(this, n);
}

void TextBuilder::AppendN(const wchar_t *s, int n)
{
    if (n < 0)
        n = 0;
    if (!Buffer || Length + n >= Capacity)
        MakeRoom(this, n);
    if (n)
        memcpy(Buffer + Length, s, (size_t)n * sizeof(wchar_t));
    Length += n;
    Buffer[Length] = 0;
}

void TextBuilder::Append(const wchar_t *s)
{
    if (s)
        AppendN(s, StrLen(s));
}

void TextBuilder::AppendChar(wchar_t c)
{
    if (!Buffer || Length + 1 >= Capacity)
        MakeRoom(this, 1);
    Buffer[Length++] = c;
    Buffer[Length] = 0;
}

void TextBuilder::AppendFormat(const wchar_t *format, ...)
{
    wchar_t scratch[1026];
    va_list ap;
    va_start(ap, format);
    int n = PlatFormatV(scratch, format, ap);
    va_end(ap);
    AppendN(scratch, n > 0 ? n : 0);
    MemWipe(scratch, sizeof scratch);
}

const wchar_t *TextBuilder::Text() const
{
    return Buffer ? Buffer : L"";
}

wchar_t *TextBuilder::Take()
{
    wchar_t *t = Buffer ? Buffer : (wchar_t *)MemAlloc(sizeof(wchar_t));
    Buffer = NULL;
    Length = Capacity = 0;
    return t;
}

void TextBuilder::Release()
{
    MemFree(Buffer);
    Buffer = NULL;
    Length = Capacity = 0;
}

void TextBuilder::Wipe()
{
    if (Buffer)
        MemWipe(Buffer, (size_t)Capacity * sizeof(wchar_t));
    Release();
}
