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

static bool IsPrintableAscii(const wchar_t *s)
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
    if (!IsPrintableAscii(a) || !IsPrintableAscii(b))
        return PlatCompareNoCase(a, b) == 0;
    for (;; a++, b++) {
        wchar_t x = *a >= 'A' && *a <= 'Z' ? *a + 32 : *a;
        wchar_t y = *b >= 'A' && *b <= 'Z' ? *b + 32 : *b;
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

const wchar_t *StrFindNoCase(const wchar_t *text, const wchar_t *pattern)
{
    if (!text || !pattern)
        return NULL;
    for (const wchar_t *t = text;; t++) {
        int i = 0;
        while (pattern[i] && t[i] && PlatCharLower(t[i]) == PlatCharLower(pattern[i]))
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

char *Utf8FromWide(const wchar_t *text, int *bytes)
{
    int len = StrLen(text);
    int n = len ? PlatWideToMultiByte(PLAT_CP_UTF8, text, len, NULL, 0) : 0;
    char *out = (char *)MemAlloc((size_t)n + 1);
    if (n)
        n = PlatWideToMultiByte(PLAT_CP_UTF8, text, len, out, n);
    if (bytes)
        *bytes = n;
    return out;
}

wchar_t *WideFromUtf8(const char *bytes, int count)
{
    if (count > 2 && (unsigned char)bytes[0] == 0xEF && (unsigned char)bytes[1] == 0xBB &&
        (unsigned char)bytes[2] == 0xBF) {
        bytes += 3;
        count -= 3;
    }
    int n = count > 0 ? PlatMultiByteToWide(PLAT_CP_UTF8, 0, bytes, count, NULL, 0) : 0;
    wchar_t *out = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    if (n)
        PlatMultiByteToWide(PLAT_CP_UTF8, 0, bytes, count, out, n);
    return out;
}

/* Room for n more characters and the terminator, by doubling from 64. */
static void Reserve(TextBuilder *b, int n)
{
    int need = b->Length + n + 1;
    if (b->Buffer && need <= b->Capacity)
        return;
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

void TextBuilder::AppendN(const wchar_t *s, int n)
{
    if (n < 0)
        n = 0;
    Reserve(this, n);
    if (n)
        MemCopy(Buffer + Length, s, (size_t)n * sizeof(wchar_t));
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
    AppendN(&c, 1);
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
