/*
 * Finding PuTTY, its version resource and saved sessions, against the
 * real file system, environment and registry of the Wine prefix.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/putty_discovery.h"
#include "sessions/putty_sessions.h"
#include "test_util.h"

static std::string Located(const wchar_t *programDir)
{
    wchar_t out[KPATH];
    LocatePuttyFrom(programDir, out, KPATH);
    return U8(out);
}

/* The variables that the search reads, cleared for each test; PATH
 * names the test's own empty folder. */
struct SearchEnv : ::testing::Test {
    TempDir root;
    ScopedEnv w6432{ "ProgramW6432", nullptr }, files{ "ProgramFiles", nullptr },
        x86{ "ProgramFiles(x86)", nullptr }, path{ "PATH", root.path.c_str() };
    std::string Make(const std::string &rel)
    {
        std::string path = root.path;
        size_t start = 0;
        for (size_t slash; (slash = rel.find('\\', start)) != std::string::npos; start = slash + 1) {
            path += "\\" + rel.substr(start, slash - start);
            CreateDirectoryW(WText(path), NULL);
        }
        path += "\\" + rel.substr(start);
        WriteBytes(WText(path), "MZ");
        return path;
    }
    void Dir(const std::string &rel) { CreateDirectoryW(WText(root.path + "\\" + rel), NULL); }
};

TEST_F(SearchEnv, FirstHitWins)
{
    std::string prog = root.path + "\\prog";
    Dir("prog");
    std::string w6432 = Make("w6432\\PuTTY\\putty.exe");
    std::string pf = Make("pf\\PuTTY\\putty.exe");
    std::string pf86 = Make("pf86\\PuTTY\\putty.exe");
    std::string onPath = Make("path\\kitty.exe");
    SetEnv("ProgramW6432", (root.path + "\\w6432").c_str());
    SetEnv("ProgramFiles", (root.path + "\\pf\\").c_str());   /* trailing backslash not doubled */
    SetEnv("ProgramFiles(x86)", (root.path + "\\pf86").c_str());
    SetEnv("PATH", (root.path + "\\path").c_str());

    std::string beside = Make("prog\\putty.exe");
    EXPECT_EQ(Located(WText(prog)), beside);
    DeleteFileW(WText(beside));
    Dir("prog\\putty.exe");                         /* a directory does not count */
    EXPECT_EQ(Located(WText(prog)), w6432);
    DeleteFileW(WText(w6432));
    EXPECT_EQ(Located(WText(prog)), pf);
    SetEnv("ProgramFiles", nullptr);
    EXPECT_EQ(Located(WText(prog)), pf86);
    DeleteFileW(WText(pf86));
    /* only the search path knows kitty.exe */
    EXPECT_EQ(Located(WText(prog)), onPath);
    std::string puttyOnPath = Make("path\\putty.exe");
    EXPECT_EQ(Located(WText(prog)), puttyOnPath);
    DeleteFileW(WText(puttyOnPath));
    DeleteFileW(WText(onPath));
    EXPECT_EQ(Located(WText(prog)), "");
    EXPECT_EQ(Located(L""), "");
}

/* Helper programs built beside this one with version resources. */

TEST(Discovery, VersionResource)
{
    int major = -1, minor = -1;
    EXPECT_TRUE(ReadFileVersion(WText(Beside("version_0_78.exe")), &major, &minor));
    EXPECT_EQ(major, 0);
    EXPECT_EQ(minor, 78);
    EXPECT_TRUE(ReadFileVersion(WText(Beside("version_1_0.exe")), &major, &minor));
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 0);

    /* no version resource, or no file: 0.0 */
    major = minor = -1;
    wchar_t self[KPATH];
    GetModuleFileNameW(NULL, self, KPATH);
    EXPECT_FALSE(ReadFileVersion(self, &major, &minor));
    EXPECT_EQ(major, 0);
    EXPECT_EQ(minor, 0);
    EXPECT_FALSE(ReadFileVersion(L"C:\\no\\such\\putty.exe", &major, &minor));

    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_0_76.exe")));
    ReadPuttyVersion();
    EXPECT_EQ(PuttyVersionMinor, 76);
    EXPECT_FALSE(PuttySupportsPwfile());
    StrCopyTo(Settings.PuttyPath, KPATH, WText(Beside("version_1_0.exe")));
    ReadPuttyVersion();
    EXPECT_TRUE(PuttySupportsPwfile());
    StrCopyTo(Settings.PuttyPath, KPATH, self);
    ReadPuttyVersion();
    EXPECT_FALSE(PuttySupportsPwfile());
    Settings.PuttyPath[0] = 0;
}

static void DeleteKeyTree(HKEY parent, const wchar_t *path)
{
    HKEY key;
    if (RegOpenKeyExW(parent, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        wchar_t name[512];
        DWORD len = 512;
        while (RegEnumKeyExW(key, 0, name, &len, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
            DeleteKeyTree(key, name);
            len = 512;
        }
        RegCloseKey(key);
    }
    RegDeleteKeyW(parent, path);
}

static void AddKey(const wchar_t *base, const char *name)
{
    std::string path = U8(base) + "\\" + name;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, WText(path), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

/* As PuTTY itself would have left it: written with reg.exe. */
static void RegAdd(const wchar_t *base, const char *name)
{
    std::string cmd = "reg.exe add \"HKCU\\" + U8(base) + "\\" + name + "\" /f";
    WText line(cmd);
    std::vector<wchar_t> buf(line.chars);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcessW(NULL, buf.data(), NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &si, &pi));
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

struct SavedSessions : SearchEnv {
    void SetUp() override
    {
        SearchEnv::SetUp();
        ResetModel();
        DeleteKeyTree(HKEY_CURRENT_USER, PuttySessionsKey);
        DeleteKeyTree(HKEY_CURRENT_USER, KittySessionsKey);
    }
    void TearDown() override
    {
        DeleteKeyTree(HKEY_CURRENT_USER, PuttySessionsKey);
        DeleteKeyTree(HKEY_CURRENT_USER, KittySessionsKey);
        ResetModel();
        SearchEnv::TearDown();
    }
};

TEST_F(SavedSessions, PuttyKittyAndPortableFolder)
{
    /* nothing stored anywhere: an empty folder, no message */
    LoadPuttySessions();
    ASSERT_NE(PuttySessionsFolder, nullptr);
    EXPECT_EQ(TreeShape(PuttySessionsFolder), "");

    RegAdd(PuttySessionsKey, "Default%20Settings");
    AddKey(PuttySessionsKey, "zeta");
    AddKey(PuttySessionsKey, "Alpha");
    AddKey(PuttySessionsKey, "100%");
    AddKey(KittySessionsKey, "ALPHA");
    AddKey(KittySessionsKey, "kitty%20only");
    Make("tools\\KiTTY_portable.exe");
    Make("tools\\Sessions\\portable%20one");
    Dir("tools\\Sessions\\subfolder");

    ServerNode *login = NodeNew(NODE_SERVER);
    StrAssign(&login->SavedSession, L"alpha");
    StrAssign(&login->UserName, L"root");
    NodeAppendChild(PuttyLoginRoot, login);

    StrCopyTo(Settings.PuttyPath, KPATH, WText(root.path + "\\tools\\putty.exe"));
    LoadPuttySessions();
    EXPECT_EQ(TreeShape(PuttySessionsFolder), "100% Alpha Default Settings zeta");
    EXPECT_EQ(U8(PuttySessionsFolder->FirstChild->NextSibling->UserName), "root");

    StrCopyTo(Settings.PuttyPath, KPATH, WText(root.path + "\\tools\\KiTTY_portable.exe"));
    LoadPuttySessions();
    EXPECT_EQ(TreeShape(PuttySessionsFolder), "100% Alpha Default Settings kitty only portable one zeta");
    EXPECT_EQ(U8(PuttySessionsFolder->FirstChild->NextSibling->SavedSession), "Alpha");
    Settings.PuttyPath[0] = 0;
}
