/*
 * test_util.cpp: test helpers, independent of the code under test.
 */
#include "test_util.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::string U8(const wchar_t *s)
{
    if (!s)
        return "<null>";
    std::string out;
    for (size_t i = 0; s[i]; i++) {
        unsigned c = (unsigned short)s[i];
        if (c >= 0xD800 && c <= 0xDBFF && (unsigned short)s[i + 1] >= 0xDC00 &&
            (unsigned short)s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + ((unsigned short)s[i + 1] - 0xDC00);
            i++;
        }
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xF0 | (c >> 18));
            out += (char)(0x80 | ((c >> 12) & 0x3F));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

WText::WText(const std::string &s)
{
    for (size_t i = 0; i < s.size();) {
        unsigned char b = (unsigned char)s[i];
        unsigned c;
        int n;
        if (b < 0x80) { c = b; n = 1; }
        else if (b < 0xE0) { c = b & 0x1F; n = 2; }
        else if (b < 0xF0) { c = b & 0x0F; n = 3; }
        else { c = b & 0x07; n = 4; }
        for (int k = 1; k < n && i + k < s.size(); k++)
            c = (c << 6) | ((unsigned char)s[i + k] & 0x3F);
        i += n;
        if (c >= 0x10000) {
            chars.push_back((wchar_t)(0xD800 + ((c - 0x10000) >> 10)));
            chars.push_back((wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            chars.push_back((wchar_t)c);
        }
    }
    chars.push_back(0);
}

#ifdef _WIN32
static std::string Native(const std::string &p) { return p; }
#else
static std::string Native(const std::string &p)
{
    std::string n = p;
    for (char &c : n)
        if (c == '\\')
            c = '/';
    return n;
}
#endif

static FILE *Open(const wchar_t *path, const char *mode)
{
#ifdef _WIN32
    wchar_t m[8];
    for (int i = 0; i < 8; i++)
        if (!(m[i] = (wchar_t)mode[i]))
            break;
    return _wfopen(path, m);
#else
    return fopen(Native(U8(path)).c_str(), mode);
#endif
}

bool WriteBytes(const wchar_t *path, const std::string &bytes)
{
    FILE *f = Open(path, "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::string ReadBytes(const wchar_t *path)
{
#ifdef _WIN32
    /* every share mode: a test polling a file must not make the
     * program's replace of it fail */
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string data;
    char chunk[65536];
    DWORD got;
    while (ReadFile(h, chunk, sizeof chunk, &got, NULL) && got > 0)
        data.append(chunk, got);
    CloseHandle(h);
    return data;
#else
    FILE *f = Open(path, "rb");
    if (!f)
        return "<missing>";
    std::string out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    fclose(f);
    return out;
#endif
}

bool PathExists(const wchar_t *path)
{
#ifdef _WIN32
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return stat(Native(U8(path)).c_str(), &st) == 0;
#endif
}

bool MakeReadOnly(const wchar_t *path)
{
#ifdef _WIN32
    return SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY) != 0;
#else
    return chmod(Native(U8(path)).c_str(), 0444) == 0;
#endif
}

void SetEnv(const char *name, const char *value)
{
#ifdef _WIN32
    SetEnvironmentVariableW(WText(name), value ? (const wchar_t *)WText(value) : NULL);
#else
    if (value)
        setenv(name, Native(value).c_str(), 1);
    else
        unsetenv(name);
#endif
}

ScopedEnv::ScopedEnv(const char *n, const char *value) : name(n)
{
#ifdef _WIN32
    wchar_t buf[32768];
    DWORD got = GetEnvironmentVariableW(WText(n), buf, 32768);
    had = got > 0 && got < 32768;
    old = had ? U8(buf) : "";
#else
    const char *v = getenv(n);
    had = v != nullptr;
    old = v ? v : "";
#endif
    SetEnv(n, value);
}

ScopedEnv::~ScopedEnv()
{
#ifdef _WIN32
    SetEnv(name.c_str(), had ? old.c_str() : nullptr);
#else
    if (had)
        setenv(name.c_str(), old.c_str(), 1);      /* as it was, not made native again */
    else
        unsetenv(name.c_str());
#endif
}

std::string ProgramDir()
{
#ifdef _WIN32
    wchar_t p[MAX_PATH];
    GetModuleFileNameW(NULL, p, MAX_PATH);
    std::string s = U8(p);
#else
    char p[4096];
    ssize_t n = readlink("/proc/self/exe", p, sizeof p - 1);
    p[n > 0 ? n : 0] = 0;
    std::string s = p;
    for (char &c : s)
        if (c == '/')
            c = '\\';
#endif
    return s.substr(0, s.rfind('\\'));
}

void RemovePath(const wchar_t *path)
{
#ifdef _WIN32
    if (!DeleteFileW(path))
        RemoveDirectoryW(path);
#else
    remove(Native(U8(path)).c_str());
#endif
}

#ifdef _WIN32
static int counter;
#endif

TempDir::TempDir()
{
#ifdef _WIN32
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path = U8(base) + "kt" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    CreateDirectoryW(WText(path), NULL);
#else
    char tmpl[] = "/tmp/kestrum-test-XXXXXX";
    path = mkdtemp(tmpl);
    for (char &c : path)
        if (c == '/')
            c = '\\';
#endif
}

#ifdef _WIN32
void ForEachEntry(const std::string &dir, const std::function<void(const std::string &path, const WIN32_FIND_DATAW &fd)> &visit,
                  const char *pattern)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(WText(dir + "\\" + pattern), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = U8(fd.cFileName);
        if (name != "." && name != "..")        /* never touch the parent */
            visit(dir + "\\" + name, fd);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

static void RemoveTree(const std::string &dir)
{
    ForEachEntry(dir, [](const std::string &path, const WIN32_FIND_DATAW &fd) {
        WText f(path);
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            RemoveTree(path);
            return;
        }
        SetFileAttributesW(f, FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(f))
            RemoveDirectoryW(f);
    });
    RemoveDirectoryW(WText(dir));
}
#else
static void RemoveTree(const std::string &n)
{
    if (DIR *d = opendir(n.c_str())) {
        while (struct dirent *e = readdir(d)) {
            if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, ".."))
                continue;           /* ".." is /tmp itself */
            std::string f = n + "/" + e->d_name;
            struct stat st;
            if (lstat(f.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                RemoveTree(f);
                continue;
            }
            chmod(f.c_str(), 0644);
            unlink(f.c_str());
        }
        closedir(d);
    }
    rmdir(n.c_str());
}
#endif

TempDir::~TempDir()
{
#ifdef _WIN32
    RemoveTree(path);
#else
    RemoveTree(Native(path));
#endif
}

WText TempDir::File(const std::string &name) const
{
    return WText(path + "\\" + name);
}

#include "../config/config_file.h"
#include "../config/server_tree.h"
#include "../config/settings.h"

void ResetModel()
{
    NodeFreeTree(ServersRoot);
    NodeFreeTree(PuttyLoginRoot);
    NodeFreeTree(PuttySessionsFolder);
    PuttySessionsFolder = NULL;
    FreePendingOpenSessions();
    SettingsSetDefaults();
    ServersRoot = NodeNew(NODE_FOLDER);
    PuttyLoginRoot = NodeNew(NODE_FOLDER);
    BackupMade = false;
    ConfigOpenSessionAt = NULL;
}

std::string TreeShape(const ServerNode *folder)
{
    std::string out;
    for (const ServerNode *n = folder->FirstChild; n; n = n->NextSibling) {
        if (!out.empty())
            out += " ";
        if (n->Type == NODE_FOLDER)
            out += "[" + U8(n->DisplayName) + (n->FirstChild ? ": " + TreeShape(n) : "") + "]";
        else
            out += U8(n->DisplayName);
    }
    return out;
}
