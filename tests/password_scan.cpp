/*
 * password_scan.cpp: looking for passwords left in clear in files.
 */
#include "password_scan.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "../config/config_file.h"
#include "test_util.h"

static std::vector<std::string> Passwords;
static std::set<std::string> Allowed;       /* lower-case paths */
static std::vector<std::string> Folders;
static ULONGLONG Since;                     /* FILETIME units */

static std::string Lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return s;
}

static ULONGLONG Value(const FILETIME &t)
{
    return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime;
}

void WatchPasswords(const std::vector<std::string> &passwords)
{
    if (Passwords.empty()) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        Since = Value(now) - 2 * 10000000ULL;     /* time stamps may be coarse */
    }
    for (const std::string &p : passwords)
        if (!p.empty())
            Passwords.push_back(p);
}

void AllowClearFile(const std::string &path)
{
    Allowed.insert(Lower(path));
}

void WatchFolder(const std::string &path)
{
    Folders.push_back(path);
}

static std::string Utf16(const std::string &utf8)
{
    WText w(utf8);
    return std::string((const char *)w.c_str(), (w.chars.size() - 1) * sizeof(wchar_t));
}

/* The password at pos of a command line follows "-pw " (quoted or not). */
static bool AfterPw(const std::string &line, size_t pos)
{
    for (const char *head : { "-pw ", "-pw \"" }) {
        size_t n = strlen(head);
        if (pos >= n && line.compare(pos - n, n, head) == 0)
            return true;
    }
    return false;
}

/* The double logs its command line first ("cmdline ..."), then one line
 * per event; "pwfile ..." is what it read from the password file. */
static void CheckDoubleLog(const std::string &path, const std::string &text, const std::string &pw,
                           std::vector<std::string> &found)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        bool cmdline = line.rfind("cmdline ", 0) == 0;
        if (line.rfind("pwfile ", 0) == 0)
            continue;
        for (size_t at = line.find(pw); at != std::string::npos; at = line.find(pw, at + 1))
            if (!cmdline || !AfterPw(line, at))
                found.push_back(path + ": " + pw + " (UTF-8, " +
                                (cmdline ? "PuTTY's command line without -pw" : "the double's log") + ": " +
                                line + ")");
    }
}

static void CheckFile(const std::string &path, std::vector<std::string> &found)
{
    std::string text = ReadBytes(WText(path));
    bool doubleLog = text.rfind("cmdline ", 0) == 0;
    for (const std::string &pw : Passwords) {
        if (doubleLog)
            CheckDoubleLog(path, text, pw, found);
        else if (text.find(pw) != std::string::npos)
            found.push_back(path + ": " + pw + " (UTF-8)");
        if (text.find(Utf16(pw)) != std::string::npos)
            found.push_back(path + ": " + pw + " (UTF-16LE)");
    }
}

static void Walk(const std::string &dir, std::set<std::string> &seen, std::vector<std::string> &found)
{
    if (!seen.insert(Lower(dir)).second)
        return;
    ForEachEntry(dir, [&](const std::string &path, const WIN32_FIND_DATAW &fd) {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(path, seen, found);
            return;
        }
        ULONGLONG written = Value(fd.ftLastWriteTime), created = Value(fd.ftCreationTime);
        bool recent = written >= Since || created >= Since;
        bool small = fd.nFileSizeHigh == 0 && fd.nFileSizeLow < (16u << 20);
        if (recent && small && !Allowed.count(Lower(path)) && seen.insert(Lower(path)).second)
            CheckFile(path, found);
    });
}

static std::string WithoutSlash(std::string path)
{
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

std::vector<std::string> ClearPasswordsFound(const std::vector<std::string> &alsoAllowed)
{
    std::vector<std::string> found;
    if (Passwords.empty())
        return found;
    std::set<std::string> seen;
    for (const std::string &f : alsoAllowed)
        seen.insert(Lower(f));
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    std::vector<std::string> roots = Folders;
    if (n > 0 && n < MAX_PATH)
        roots.push_back(U8(temp));
    std::string config = U8(ConfigFilePath);
    if (config.find('\\') != std::string::npos)
        roots.push_back(config.substr(0, config.rfind('\\')));
    for (const std::string &root : roots)
        Walk(WithoutSlash(root), seen, found);
    return found;
}

void ExpectNoClearPasswords()
{
    for (const std::string &f : ClearPasswordsFound())
        ADD_FAILURE() << "a password in clear: " << f;
    Passwords.clear();
    Allowed.clear();
    Folders.clear();
}
