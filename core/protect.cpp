/*
 * protect.cpp: base64, password protection and identifiers.
 */
#include "platform.h"
#include "protect.h"
#include "text.h"

static const char Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

wchar_t *Base64Encode(const uint8_t *data, int bytes)
{
    if (bytes < 0)
        bytes = 0;
    wchar_t *out = (wchar_t *)MemAlloc(((size_t)(bytes + 2) / 3 * 4 + 1) * sizeof(wchar_t));
    int n = 0;
    for (int i = 0; i < bytes; i += 3) {
        uint32_t v = (uint32_t)data[i] << 16;
        if (i + 1 < bytes)
            v |= (uint32_t)data[i + 1] << 8;
        if (i + 2 < bytes)
            v |= data[i + 2];
        out[n++] = (wchar_t)Alphabet[(v >> 18) & 63];
        out[n++] = (wchar_t)Alphabet[(v >> 12) & 63];
        out[n++] = i + 1 < bytes ? (wchar_t)Alphabet[(v >> 6) & 63] : '=';
        out[n++] = i + 2 < bytes ? (wchar_t)Alphabet[v & 63] : '=';
    }
    out[n] = 0;
    return out;
}

static int Sextet(wchar_t c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

uint8_t *Base64Decode(const wchar_t *text, int *bytes)
{
    int len = StrLen(text);
    uint8_t *out = (uint8_t *)MemAlloc((size_t)len * 3 / 4 + 3);
    uint32_t acc = 0;
    int bits = 0, n = 0;
    for (int i = 0; i < len; i++) {
        int v = Sextet(text[i]);
        if (v < 0)
            continue;
        acc = (acc << 6) | (uint32_t)v;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out[n++] = (uint8_t)(acc >> bits);
        }
    }
    *bytes = n;
    return out;
}

wchar_t *ProtectPassword(const wchar_t *password)
{
    if (StrIsEmpty(password))
        return NULL;
    /* wchar_t is UTF-16 little-endian on every target: the bytes as they lie. */
    uint8_t *blob = NULL;
    uint32_t n = 0;
    if (!PlatProtect(password, (uint32_t)StrLen(password) * 2, &blob, &n))
        return NULL;
    wchar_t *text = Base64Encode(blob, (int)n);
    PlatBlobFree(blob);
    return text;
}

wchar_t *UnprotectPassword(const wchar_t *text)
{
    if (StrIsEmpty(text))
        return NULL;
    int n = 0;
    uint8_t *data = Base64Decode(text, &n);
    uint8_t *plain = NULL;
    uint32_t plainBytes = 0;
    bool ok = PlatUnprotect(data, (uint32_t)n, &plain, &plainBytes);
    MemFree(data);
    if (!ok)
        return NULL;
    int chars = (int)(plainBytes / 2);
    wchar_t *password = (wchar_t *)MemAlloc(((size_t)chars + 1) * sizeof(wchar_t));
    MemCopy(password, plain, (size_t)chars * 2);
    MemWipe(plain, plainBytes);
    PlatBlobFree(plain);
    return password;
}

wchar_t *NewUid(void)
{
    static uint32_t counter;
    wchar_t buf[1025];
    if (!PlatNewGuid(buf, 64))
        StrFormat(buf, L"{%08X-%08X}", PlatTickCount(), ++counter);
    return StrDup(buf);
}
