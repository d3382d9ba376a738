/*
 * platform_posix.cpp: the platform seam on Linux, for the native test
 * and fuzz builds of the pure modules.  It mirrors the Windows calls'
 * behaviour closely enough for the modules above it to run unchanged;
 * it is never part of the product.
 */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform.h"

/*
 * Memory.  The block size is kept in front of the block so that a
 * reallocation can zero what it adds, as HEAP_ZERO_MEMORY does.
 */
typedef struct { size_t size; size_t pad; } BlockHead;

void *PlatHeapAlloc(size_t bytes)
{
    if (bytes > (size_t)-1 / 2)
        return NULL;
    BlockHead *h = (BlockHead *)calloc(1, sizeof(BlockHead) + bytes);
    if (!h)
        return NULL;
    h->size = bytes;
    return h + 1;
}

void *PlatHeapRealloc(void *block, size_t bytes)
{
    if (bytes > (size_t)-1 / 2)
        return NULL;
    BlockHead *h = (BlockHead *)block - 1;
    size_t old = h->size;
    BlockHead *n = (BlockHead *)realloc(h, sizeof(BlockHead) + bytes);
    if (!n)
        return NULL;
    if (bytes > old)
        memset((char *)(n + 1) + old, 0, bytes - old);
    n->size = bytes;
    return n + 1;
}

void PlatHeapFree(void *block)
{
    if (block)
        free((BlockHead *)block - 1);
}

static int WideLen(const wchar_t *s)
{
    int n = 0;
    while (s && s[n])
        n++;
    return n;
}

void PlatFatalError(const wchar_t *text, int exitCode)
{
    char buf[1024];
    int n = PlatWideToMultiByte(PLAT_CP_UTF8, text, WideLen(text), buf, (int)sizeof buf - 1);
    buf[n > 0 ? n : 0] = 0;
    fprintf(stderr, "Kestrum: %s\n", buf);
    exit(exitCode);
}

/* Lower case for the scripts a server name is likely to use. */
wchar_t PlatCharLower(wchar_t c)
{
    unsigned u = c;
    if (u >= 'A' && u <= 'Z')
        return (wchar_t)(u + 32);
    if ((u >= 0xC0 && u <= 0xDE && u != 0xD7) || (u >= 0x391 && u <= 0x3AB && u != 0x3A2) ||
        (u >= 0x410 && u <= 0x42F) || (u >= 0xFF21 && u <= 0xFF3A))
        return (wchar_t)(u + 32);
    if (u >= 0x400 && u <= 0x40F)
        return (wchar_t)(u + 80);
    if (u >= 0x100 && u <= 0x17F && u != 0x130 && u != 0x138 && u != 0x149 && u != 0x17F) {
        bool oddUpper = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
        if (oddUpper ? (u & 1) : !(u & 1))
            return (wchar_t)(u + 1);
    }
    return c;
}

int PlatCompareNoCase(const wchar_t *a, const wchar_t *b)
{
    for (;; a++, b++) {
        unsigned x = PlatCharLower(*a), y = PlatCharLower(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
}

bool PlatEqualInvariantNoCase(const wchar_t *a, int aLen, const wchar_t *b, int bLen)
{
    if (aLen != bLen)
        return false;
    for (int i = 0; i < aLen; i++)
        if (PlatCharLower(a[i]) != PlatCharLower(b[i]))
            return false;
    return true;
}

/* The subset of wvsprintfW that the program uses: flags - 0 #, width,
 * precision, the l and h prefixes, and c d i u x X s %. */
int PlatFormatV(wchar_t *out, const wchar_t *f, va_list ap)
{
    const int limit = 1024;
    int n = 0;
#define PUT(ch) do { if (n < limit) out[n++] = (wchar_t)(ch); } while (0)
    while (*f) {
        if (*f != '%') {
            PUT(*f++);
            continue;
        }
        f++;
        bool left = false, zero = false, alt = false;
        for (;; f++) {
            if (*f == '-') left = true;
            else if (*f == '0') zero = true;
            else if (*f == '#') alt = true;
            else break;
        }
        int width = 0, prec = -1;
        while (*f >= '0' && *f <= '9')
            width = width * 10 + (*f++ - '0');
        if (*f == '.') {
            f++;
            prec = 0;
            while (*f >= '0' && *f <= '9')
                prec = prec * 10 + (*f++ - '0');
        }
        if (*f == 'l' || *f == 'h')
            f++;
        wchar_t conv = *f ? *f++ : 0;
        wchar_t tmp[40];
        const wchar_t *s = tmp;
        int len = 0;
        const char *prefix = "";
        switch (conv) {
        case 'c':
            tmp[0] = (wchar_t)va_arg(ap, int);
            len = 1;
            break;
        case 's':
            s = va_arg(ap, const wchar_t *);
            if (!s)
                s = L"(null)";
            len = WideLen(s);
            if (prec >= 0 && len > prec)
                len = prec;
            break;
        case 'd': case 'i': case 'u': case 'x': case 'X': {
            unsigned v;
            bool neg = false;
            if (conv == 'd' || conv == 'i') {
                int iv = va_arg(ap, int);
                neg = iv < 0;
                v = neg ? 0u - (unsigned)iv : (unsigned)iv;
            } else {
                v = va_arg(ap, unsigned);
            }
            unsigned base = (conv == 'x' || conv == 'X') ? 16 : 10;
            const char *digits = conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            wchar_t rev[16];
            int r = 0;
            do { rev[r++] = (wchar_t)digits[v % base]; v /= base; } while (v);
            int pad = prec > r ? prec - r : 0;
            if (neg) prefix = "-";
            else if (alt && base == 16) prefix = conv == 'X' ? "0X" : "0x";
            for (int i = 0; i < pad; i++) tmp[len++] = '0';
            while (r) tmp[len++] = rev[--r];
            break;
        }
        case '%':
            tmp[0] = '%';
            len = 1;
            break;
        default:
            if (conv) tmp[len++] = conv;
            break;
        }
        int plen = (int)strlen(prefix);
        int fill = width > len + plen ? width - len - plen : 0;
        if (!left && !zero) for (int i = 0; i < fill; i++) PUT(' ');
        for (int i = 0; i < plen; i++) PUT(prefix[i]);
        if (!left && zero) for (int i = 0; i < fill; i++) PUT('0');
        for (int i = 0; i < len; i++) PUT(s[i]);
        if (left) for (int i = 0; i < fill; i++) PUT(' ');
    }
#undef PUT
    out[n] = 0;
    return n;
}

/*
 * UTF-8 as Windows decodes it: every maximal ill-formed subsequence
 * becomes one U+FFFD, or fails the call with MB_ERR_INVALID_CHARS.
 */
static int DecodeUtf8(const unsigned char *s, int n, int *used)
{
    unsigned c = s[0];
    *used = 1;
    if (c < 0x80)
        return (int)c;
    int need;
    unsigned cp, lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) { need = 1; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) {
        need = 2; cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3; cp = c & 0x07;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else
        return -1;
    for (int i = 1; i <= need; i++) {
        if (i >= n)
            return -1;
        unsigned b = s[i];
        if (b < lo || b > hi)
            return -1;
        lo = 0x80; hi = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        *used = i + 1;
    }
    return (int)cp;
}

int PlatMultiByteToWide(int codePage, int flags, const char *src, int srcBytes,
                        wchar_t *dst, int dstChars)
{
    if (srcBytes < 0)
        srcBytes = (int)strlen(src) + 1;
    const unsigned char *s = (const unsigned char *)src;
    int out = 0;
    for (int i = 0; i < srcBytes;) {
        unsigned units[2];
        int count = 1, used = 1;
        if (codePage == PLAT_CP_UTF8) {
            int cp = DecodeUtf8(s + i, srcBytes - i, &used);
            if (cp < 0) {
                if (flags & PLAT_MB_ERR_INVALID_CHARS)
                    return 0;
                cp = 0xFFFD;
            }
            if (cp >= 0x10000) {
                units[0] = 0xD800 + ((unsigned)(cp - 0x10000) >> 10);
                units[1] = 0xDC00 + ((unsigned)(cp - 0x10000) & 0x3FF);
                count = 2;
            } else
                units[0] = (unsigned)cp;
        } else {
            units[0] = s[i];    /* the native ANSI code page is Latin-1 */
        }
        i += used;
        if (dstChars > 0) {
            if (out + count > dstChars)
                return 0;
            for (int k = 0; k < count; k++)
                dst[out + k] = (wchar_t)units[k];
        }
        out += count;
    }
    return out;
}

int PlatWideToMultiByte(int codePage, const wchar_t *src, int srcChars,
                        char *dst, int dstBytes)
{
    if (srcChars < 0)
        srcChars = WideLen(src) + 1;
    int out = 0;
    for (int i = 0; i < srcChars; i++) {
        unsigned c = (unsigned short)src[i];
        unsigned char b[4];
        int count;
        if (codePage != PLAT_CP_UTF8) {
            b[0] = (unsigned char)(c < 256 ? c : '?');
            count = 1;
        } else {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < srcChars &&
                (unsigned short)src[i + 1] >= 0xDC00 && (unsigned short)src[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + ((unsigned short)src[i + 1] - 0xDC00);
                i++;
            } else if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            if (c < 0x80) { b[0] = (unsigned char)c; count = 1; }
            else if (c < 0x800) { b[0] = (unsigned char)(0xC0 | (c >> 6)); b[1] = (unsigned char)(0x80 | (c & 0x3F)); count = 2; }
            else if (c < 0x10000) { b[0] = (unsigned char)(0xE0 | (c >> 12)); b[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F)); b[2] = (unsigned char)(0x80 | (c & 0x3F)); count = 3; }
            else { b[0] = (unsigned char)(0xF0 | (c >> 18)); b[1] = (unsigned char)(0x80 | ((c >> 12) & 0x3F)); b[2] = (unsigned char)(0x80 | ((c >> 6) & 0x3F)); b[3] = (unsigned char)(0x80 | (c & 0x3F)); count = 4; }
        }
        if (dstBytes > 0) {
            if (out + count > dstBytes)
                return 0;
            memcpy(dst + out, b, (size_t)count);
        }
        out += count;
    }
    return out;
}

/* Paths keep backslashes in memory; the file system gets slashes. */
static char *NarrowPath(const wchar_t *path)
{
    int len = WideLen(path);
    int n = PlatWideToMultiByte(PLAT_CP_UTF8, path, len, NULL, 0);
    char *p = (char *)malloc((size_t)n + 1);
    PlatWideToMultiByte(PLAT_CP_UTF8, path, len, p, n);
    p[n] = 0;
    for (char *q = p; *q; q++)
        if (*q == '\\')
            *q = '/';
    return p;
}

struct PlatFileRec { int fd; };

static PlatFile OpenWith(const wchar_t *path, int flags)
{
    char *p = NarrowPath(path);
    int fd = open(p, flags | O_CLOEXEC, 0644);
    free(p);
    if (fd < 0)
        return NULL;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        return NULL;
    }
    PlatFile f = (PlatFile)malloc(sizeof *f);
    f->fd = fd;
    return f;
}

PlatFile PlatFileOpenRead(const wchar_t *path)
{
    return OpenWith(path, O_RDONLY);
}

PlatFile PlatFileCreate(const wchar_t *path)
{
    return OpenWith(path, O_WRONLY | O_CREAT | O_TRUNC);
}

bool PlatFileSize(PlatFile f, uint32_t *size)
{
    struct stat st;
    if (fstat(f->fd, &st) != 0 || (uint64_t)st.st_size > 0xFFFFFFFEu)
        return false;
    *size = (uint32_t)st.st_size;
    return true;
}

const char *PlatFileMapView(PlatFile f, uint32_t size)
{
    long page = sysconf(_SC_PAGESIZE);
    if (size == 0 || page <= 0 || size % (uint32_t)page == 0)
        return NULL;
    char *view = (char *)mmap(NULL, size, PROT_READ, MAP_PRIVATE, f->fd, 0);
    if (view == MAP_FAILED)
        return NULL;
    /* a file grown since its size was read has no zero there */
    if (view[size] != 0) {
        munmap(view, size);
        return NULL;
    }
    return view;
}

void PlatFileUnmapView(const char *view, uint32_t size)
{
    munmap((void *)view, size);
}

bool PlatFileRead(PlatFile f, void *buf, uint32_t bytes, uint32_t *got)
{
    uint32_t total = 0;
    while (total < bytes) {
        ssize_t r = read(f->fd, (char *)buf + total, bytes - total);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            *got = total;
            return false;
        }
        if (r == 0)
            break;
        total += (uint32_t)r;
    }
    *got = total;
    return true;
}

bool PlatFileWrite(PlatFile f, const void *buf, uint32_t bytes, uint32_t *written)
{
    uint32_t total = 0;
    while (total < bytes) {
        ssize_t r = write(f->fd, (const char *)buf + total, bytes - total);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        total += (uint32_t)r;
    }
    *written = total;
    return total == bytes;
}

bool PlatFileFlush(PlatFile f)
{
    return fsync(f->fd) == 0;
}

void PlatFileClose(PlatFile f)
{
    close(f->fd);
    free(f);
}

bool PlatPathInfo(const wchar_t *path, bool *isDirectory)
{
    char *p = NarrowPath(path);
    struct stat st;
    bool ok = *p && stat(p, &st) == 0;
    free(p);
    if (ok)
        *isDirectory = S_ISDIR(st.st_mode);
    return ok;
}

bool PlatFileReplace(const wchar_t *from, const wchar_t *to)
{
    char *a = NarrowPath(from), *b = NarrowPath(to);
    struct stat st;
    /* rename(2) would happily replace a read-only file; Windows refuses. */
    bool ok = !(stat(b, &st) == 0 && !(st.st_mode & S_IWUSR)) && rename(a, b) == 0;
    free(a);
    free(b);
    return ok;
}

bool PlatFileDelete(const wchar_t *path)
{
    char *p = NarrowPath(path);
    bool ok = unlink(p) == 0;
    free(p);
    return ok;
}

bool PlatFileCopy(const wchar_t *from, const wchar_t *to)
{
    PlatFile in = PlatFileOpenRead(from);
    if (!in)
        return false;
    PlatFile out = PlatFileCreate(to);
    bool ok = out != NULL;
    char buf[65536];
    while (ok) {
        ssize_t r = read(in->fd, buf, sizeof buf);
        if (r <= 0) {
            ok = r == 0;
            break;
        }
        uint32_t w;
        ok = PlatFileWrite(out, buf, (uint32_t)r, &w);
    }
    PlatFileClose(in);
    if (out)
        PlatFileClose(out);
    return ok;
}

bool PlatCreateDirectory(const wchar_t *path)
{
    char *p = NarrowPath(path);
    bool ok = mkdir(p, 0755) == 0;
    free(p);
    return ok;
}

static int WideFromNarrow(const char *s, wchar_t *buf, int cap, bool slashes)
{
    int len = (int)strlen(s);
    int n = PlatMultiByteToWide(PLAT_CP_UTF8, 0, s, len, NULL, 0);
    if (cap <= 0)
        return 0;
    if (n >= cap) {
        buf[0] = 0;
        return 0;
    }
    PlatMultiByteToWide(PLAT_CP_UTF8, 0, s, len, buf, cap);
    buf[n] = 0;
    if (slashes)
        for (int i = 0; i < n; i++)
            if (buf[i] == '/')
                buf[i] = '\\';
    return n;
}

int PlatModulePath(wchar_t *buf, int cap)
{
    char p[4096];
    ssize_t n = readlink("/proc/self/exe", p, sizeof p - 1);
    if (n <= 0)
        return 0;
    p[n] = 0;
    return WideFromNarrow(p, buf, cap, true);
}

int PlatGetEnv(const wchar_t *name, wchar_t *buf, int cap)
{
    char n[256];
    int len = PlatWideToMultiByte(PLAT_CP_UTF8, name, WideLen(name), n, (int)sizeof n - 1);
    n[len > 0 ? len : 0] = 0;
    const char *v = getenv(n);
    if (!v || !*v) {
        if (cap > 0)
            buf[0] = 0;
        return 0;
    }
    return WideFromNarrow(v, buf, cap, true);
}

uint32_t PlatTickCount(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)((uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u);
}

static bool RandomBytes(void *buf, size_t n)
{
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = read(fd, buf, n) == (ssize_t)n;
    close(fd);
    return ok;
}

/*
 * Data protection stand-in: a key of the user's own (a file under HOME,
 * made on first use) drives a keyed stream and a tag.  Good enough to
 * show that the stored form is opaque and bound to the key; the product
 * uses the Windows data-protection interface instead.
 */
static bool UserKey(uint64_t key[4])
{
    const char *home = getenv("HOME");
    char path[4096];
    snprintf(path, sizeof path, "%s/.kestrum-native-key", home && *home ? home : "/tmp");
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        bool ok = read(fd, key, 32) == 32;
        close(fd);
        return ok;
    }
    if (!RandomBytes(key, 32))
        return false;
    fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = write(fd, key, 32) == 32;
    close(fd);
    return ok;
}

static uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

static uint64_t Tag(const uint64_t key[4], uint64_t nonce, const uint8_t *p, uint32_t n)
{
    uint64_t h = Mix(key[2] ^ nonce);
    for (uint32_t i = 0; i < n; i++)
        h = Mix(h ^ p[i] ^ key[3]);
    return Mix(h ^ n);
}

static void Stream(const uint64_t key[4], uint64_t nonce, uint8_t *p, uint32_t n)
{
    for (uint32_t i = 0; i < n; i++)
        p[i] ^= (uint8_t)(Mix(key[0] ^ Mix(nonce ^ key[1] ^ (i / 8))) >> (8 * (i % 8)));
}

enum { BLOB_HEAD = 12, BLOB_TAG = 8 };

bool PlatProtect(const void *data, uint32_t bytes, uint8_t **out, uint32_t *outBytes)
{
    uint64_t key[4], nonce;
    if (!UserKey(key) || !RandomBytes(&nonce, sizeof nonce))
        return false;
    uint32_t total = BLOB_HEAD + bytes + BLOB_TAG;
    uint8_t *b = (uint8_t *)malloc(total);
    memcpy(b, "KSP1", 4);
    memcpy(b + 4, &nonce, 8);
    memcpy(b + BLOB_HEAD, data, bytes);
    Stream(key, nonce, b + BLOB_HEAD, bytes);
    uint64_t t = Tag(key, nonce, b + BLOB_HEAD, bytes);
    memcpy(b + BLOB_HEAD + bytes, &t, 8);
    *out = b;
    *outBytes = total;
    return true;
}

bool PlatUnprotect(const void *data, uint32_t bytes, uint8_t **out, uint32_t *outBytes)
{
    const uint8_t *d = (const uint8_t *)data;
    uint64_t key[4], nonce, t;
    if (bytes < BLOB_HEAD + BLOB_TAG || memcmp(d, "KSP1", 4) != 0 || !UserKey(key))
        return false;
    uint32_t n = bytes - BLOB_HEAD - BLOB_TAG;
    memcpy(&nonce, d + 4, 8);
    memcpy(&t, d + BLOB_HEAD + n, 8);
    if (Tag(key, nonce, d + BLOB_HEAD, n) != t)
        return false;
    uint8_t *b = (uint8_t *)malloc(n ? n : 1);
    memcpy(b, d + BLOB_HEAD, n);
    Stream(key, nonce, b, n);
    *out = b;
    *outBytes = n;
    return true;
}

void PlatBlobFree(void *blob)
{
    free(blob);
}

bool PlatNewGuid(wchar_t *buf, int cap)
{
    unsigned char g[16];
    if (cap < 39 || !RandomBytes(g, sizeof g))
        return false;
    g[6] = (unsigned char)((g[6] & 0x0F) | 0x40);
    g[8] = (unsigned char)((g[8] & 0x3F) | 0x80);
    static const char hex[] = "0123456789ABCDEF";
    int n = 0;
    buf[n++] = '{';
    for (int i = 0; i < 16; i++) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            buf[n++] = '-';
        buf[n++] = (wchar_t)hex[g[i] >> 4];
        buf[n++] = (wchar_t)hex[g[i] & 15];
    }
    buf[n++] = '}';
    buf[n] = 0;
    return true;
}
