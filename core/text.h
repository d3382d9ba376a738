/*
 * text.h: memory that never fails to its caller, wide strings, the
 * growable TextBuilder, the lenient integer parser and UTF-8 conversion.
 *
 * Strings are zero-terminated UTF-16, owned by whoever allocated them
 * with MemAlloc; a missing value is null, and readers take null as "".
 */
#ifndef KESTRUM_CORE_TEXT_H
#define KESTRUM_CORE_TEXT_H

#include <stddef.h>
#include <stdint.h>

/* Zero-filled; 0 bytes gives 1.  On exhaustion the program shows
 * "메모리가 부족합니다." and ends with exit code 3. */
void *MemAlloc(size_t bytes);
/* Null behaves as MemAlloc; new bytes are zero; 0 is taken as 1. */
void *MemRealloc(void *block, size_t bytes);
void MemFree(void *block);
/* -1, 0 or 1, bytes compared as unsigned. */
int MemCompare(const void *a, const void *b, size_t bytes);
void MemCopy(void *dst, const void *src, size_t bytes);   /* overlap-safe */
void MemFill(void *dst, int value, size_t bytes);
/* Overwrites with zeros in a way the compiler may not drop; for every
 * buffer that held a password. */
void MemWipe(void *dst, size_t bytes);

int StrLen(const wchar_t *s);
bool StrIsEmpty(const wchar_t *s);
wchar_t *StrDup(const wchar_t *s);
wchar_t *StrDupN(const wchar_t *s, int n);
/* Replaces *field by a copy of value; empty or null values store null. */
void StrAssign(wchar_t **field, const wchar_t *value);
/* Overwrites the characters with zeros, then frees. */
void StrFreeSecret(wchar_t *s);
int StrCompareNoCase(const wchar_t *a, const wchar_t *b);
/* Only characters 32 to 126: where folding A-Z alone gives the system's
 * case-free answers. */
bool StrIsPrintableAscii(const wchar_t *s);
inline wchar_t AsciiLower(wchar_t c)
{
    return c >= 'A' && c <= 'Z' ? (wchar_t)(c + 32) : c;
}
/* StrCompareNoCase(a, b) == 0, without the locale for printable ASCII:
 * for matching names, where it is the hot path of loading. */
bool StrEqualNoCase(const wchar_t *a, const wchar_t *b);
/* The same characters, compared as they are (no locale, nothing ignored);
 * null counts as empty. */
bool StrEqual(const wchar_t *a, const wchar_t *b);
const wchar_t *StrFindNoCase(const wchar_t *text, const wchar_t *pattern);
const wchar_t *StrFindChar(const wchar_t *s, wchar_t c);
const wchar_t *StrFindLastChar(const wchar_t *s, wchar_t c);
/* Copies at most cap - 1 characters and terminates (cap > 0). */
void StrCopyTo(wchar_t *dst, int cap, const wchar_t *src);
/* wvsprintfW into dst of at least 1025 characters; the count written. */
int StrFormat(wchar_t *dst, const wchar_t *format, ...);
/* Decimal text of value into buf of at least 12 characters. */
void StrFromInt(wchar_t *buf, int value);
int ParseInt(const wchar_t *s);

/* UTF-8 without byte-order mark; *bytes (optional) excludes the zero. */
char *Utf8FromWide(const wchar_t *text, int *bytes);
/* UTF-16 of exactly these bytes; a leading EF BB BF is skipped when
 * there are more than 2 bytes.  Invalid input becomes U+FFFD.  *units
 * (optional) gets the count of characters before the terminator, zeros
 * in the bytes included. */
wchar_t *WideFromUtf8(const char *bytes, int count, int *units = NULL);
/* Converts n bytes of well-formed UTF-8 into out, which holds at least
 * n units; the count of units written. */
int Utf8DecodeWellFormed(const char *bytes, int n, wchar_t *out);
/* Well-formed UTF-8: no overlong forms, no surrogates, nothing above
 * U+10FFFF, no sequence cut short.  Empty input is well-formed. */
bool Utf8WellFormed(const char *bytes, int count);
/* Utf8FromWide of n characters into out, which holds at least 3 * n
 * bytes; the count of bytes.  A high surrogate that ends the n
 * characters counts as one without its partner. */
int Utf8Encode(const wchar_t *text, int n, char *out);

/*
 * A growable text buffer; an all-zero record is a valid empty builder.
 * Once the buffer exists, Buffer[Length] is zero.
 *
 * With a Drain, a full buffer is emptied instead of grown: Drain takes
 * text from the start of Buffer and returns how many characters it
 * took; what it left moves to the front.  The buffer grows only when
 * that still leaves no room.  This composes a long text through a
 * buffer of fixed size.
 */
struct TextBuilder {
    wchar_t *Buffer;
    int Length;
    int Capacity;
    int (*Drain)(TextBuilder *b, void *context);
    void *DrainContext;

    /* Makes room for n more characters, draining or growing as an
     * append would; the appends that then follow do neither. */
    void Reserve(int n);
    void Append(const wchar_t *s);
    void AppendN(const wchar_t *s, int n);
    void AppendChar(wchar_t c);
    /* One call appends at most 1024 characters. */
    void AppendFormat(const wchar_t *format, ...);
    const wchar_t *Text() const;
    wchar_t *Take();
    void Release();
    /* Zeros the whole capacity, then releases: for composed texts that
     * held passwords. */
    void Wipe();
};

#endif
