/*
 * test_util.h: helpers shared by the unit tests of both flavours.
 *
 * Wide strings are compared as UTF-8 std::string: with -fshort-wchar the
 * C library's wcs* functions (and std::wstring) assume 32-bit wchar_t.
 */
#ifndef KESTRUM_TESTS_TEST_UTIL_H
#define KESTRUM_TESTS_TEST_UTIL_H

#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

/* UTF-8 of a UTF-16 text; "<null>" for null. */
std::string U8(const wchar_t *s);

/* A zero-terminated wide text made from UTF-8. */
struct WText {
    std::vector<wchar_t> chars;
    explicit WText(const std::string &utf8);
    const wchar_t *c_str() const { return chars.data(); }
    operator const wchar_t *() const { return chars.data(); }
};

/* A new empty directory for one test, removed with all it holds at the end. */
struct TempDir {
    std::string path;           /* UTF-8, backslashes */
    TempDir();
    ~TempDir();
    WText File(const std::string &name) const;   /* path + "\" + name */
};

bool WriteBytes(const wchar_t *path, const std::string &bytes);
/* The content, or "<missing>" when the file cannot be read. */
std::string ReadBytes(const wchar_t *path);
bool PathExists(const wchar_t *path);
bool MakeReadOnly(const wchar_t *path);
/* Removes a file or an empty directory. */
void RemovePath(const wchar_t *path);
/* Sets (or with null removes) an environment variable of this process. */
void SetEnv(const char *name, const char *value);
/* Sets a variable (null: removes it) for its own lifetime; the old value,
 * or its absence, comes back at the end. */
struct ScopedEnv {
    std::string name, old;
    bool had;
    ScopedEnv(const char *name, const char *value);
    ~ScopedEnv();
};
#ifdef _WIN32
/* Calls visit with the path and data of every entry of dir that matches
 * pattern, "." and ".." left out. */
void ForEachEntry(const std::string &dir, const std::function<void(const std::string &path, const WIN32_FIND_DATAW &fd)> &visit,
                  const char *pattern = "*");
#endif
/* The directory of the running test program, backslashes. */
std::string ProgramDir();



struct ServerNode;
/* Frees the trees, the pending sessions and the settings' texts; sets
 * the defaults; empty roots. */
void ResetModel();
/* A compact picture of a subtree: names, with folders in brackets. */
std::string TreeShape(const ServerNode *folder);
#endif
