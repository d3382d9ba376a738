/*
 * The temporary password file.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include "core/text.h"
#include "sessions/password_file.h"
#include "test_util.h"

/* Wine keeps DOS attributes only where the file system has extended
 * attributes; Windows always does. */
static bool KeepsAttribute(DWORD attr)
{
    TempDir dir;
    WText probe = dir.File("probe");
    WriteBytes(probe, "");
    SetFileAttributesW(probe, attr);
    bool kept = (GetFileAttributesW(probe) & attr) != 0;
    SetFileAttributesW(probe, FILE_ATTRIBUTE_NORMAL);
    return kept;
}

TEST(PasswordFile, HoldsExactlyThePassword)
{
    wchar_t path[KPATH];
    ASSERT_TRUE(WritePasswordFile(WText("비밀 p@ss\"word"), path));
    std::string name = U8(path);
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    EXPECT_EQ(name.find(U8(tmp)), 0u);
    EXPECT_EQ(name.substr(U8(tmp).size(), 3), "ksw");
    DWORD attrs = GetFileAttributesW(path);
    for (DWORD attr : { (DWORD)FILE_ATTRIBUTE_HIDDEN, (DWORD)FILE_ATTRIBUTE_TEMPORARY })
        if (KeepsAttribute(attr))
            EXPECT_TRUE(attrs & attr) << attr;
    EXPECT_EQ(ReadBytes(path), "비밀 p@ss\"word");
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);

    ASSERT_TRUE(WritePasswordFile(L"", path));
    EXPECT_EQ(ReadBytes(path), "");
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);
}

TEST(PasswordFile, FailureLeavesNothing)
{
    TempDir dir;
    wchar_t old[MAX_PATH];
    GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
    std::string missing = dir.path + "\\gone";
    SetEnv("TMP", missing.c_str());
    SetEnv("TEMP", missing.c_str());
    SetEnv("USERPROFILE", missing.c_str());
    wchar_t path[KPATH] = L"stale";
    EXPECT_FALSE(WritePasswordFile(L"pw", path));
    EXPECT_EQ(path[0], 0);
    SetEnv("TMP", U8(old).c_str());
    SetEnv("TEMP", U8(old).c_str());
}

TEST(PasswordFile, DistinctNames)
{
    wchar_t a[KPATH], b[KPATH];
    ASSERT_TRUE(WritePasswordFile(L"1", a));
    ASSERT_TRUE(WritePasswordFile(L"2", b));
    EXPECT_NE(U8(a), U8(b));
    EXPECT_EQ(ReadBytes(a), "1");
    EXPECT_EQ(ReadBytes(b), "2");
    for (wchar_t *p : { a, b }) {
        SetFileAttributesW(p, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(p);
    }
}
