/*
 * Paths, whole-file reading and the atomic write.
 */
#include <gtest/gtest.h>

#include <string.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/files.h"
#include "core/text.h"
#include "test_util.h"

TEST(Paths, DirectoryAndJoin)
{
    wchar_t out[KPATH];
    PathDirectory(L"D:\\a\\b.exe", out, KPATH);
    EXPECT_EQ(U8(out), "D:\\a");
    PathDirectory(L"b.exe", out, KPATH);
    EXPECT_EQ(U8(out), "");
    PathDirectory(L"D:\\abcdef\\x", out, 4);
    EXPECT_EQ(U8(out), "D:\\");
    PathJoin(out, KPATH, L"D:\\a", L"x.xml");
    EXPECT_EQ(U8(out), "D:\\a\\x.xml");
    PathJoin(out, KPATH, L"D:\\", L"x.xml");
    EXPECT_EQ(U8(out), "D:\\x.xml");
    PathJoin(out, KPATH, L"", L"x.xml");
    EXPECT_EQ(U8(out), "x.xml");
    PathJoin(out, KPATH, NULL, NULL);
    EXPECT_EQ(U8(out), "");
    PathJoin(out, 8, L"D:\\long", L"name.xml");
    EXPECT_EQ(U8(out), "D:\\long");
}

TEST(Paths, SuffixOnlyWhenItFitsWhole)
{
    wchar_t out[KPATH];
    for (int len = 250; len <= 260; len++) {
        std::string path = "C:\\" + std::string((size_t)len - 3, 'p');
        for (const char *suffix : { ".tmp", ".bak", ".broken" }) {
            bool fits = len + (int)strlen(suffix) <= KPATH - 1;
            EXPECT_EQ(PathWithSuffix(out, WText(path), WText(suffix)), fits) << len << suffix;
            EXPECT_EQ(U8(out), fits ? path + suffix : "") << len << suffix;
        }
    }
}

TEST(Files, ExistsIsFalseForDirectories)
{
    TempDir dir;
    EXPECT_FALSE(FileExists(WText(dir.path)));
    EXPECT_FALSE(FileExists(dir.File("none")));
    ASSERT_TRUE(WriteBytes(dir.File("f"), "x"));
    EXPECT_TRUE(FileExists(dir.File("f")));
    EXPECT_FALSE(FileExists(NULL));
}

TEST(Files, ReadWholeFileLimits)
{
    TempDir dir;
    char *data;
    int n;
    ASSERT_TRUE(WriteBytes(dir.File("empty"), ""));
    ASSERT_TRUE(ReadWholeFile(dir.File("empty"), &data, &n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(data[0], 0);
    EXPECT_EQ(data[1], 0);
    MemFree(data);

    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), &data, &n));
    EXPECT_EQ(data, nullptr);
    EXPECT_FALSE(ReadWholeFile(WText(dir.path), &data, &n));

    std::string big(READ_LIMIT, 'k');
    ASSERT_TRUE(WriteBytes(dir.File("limit"), big));
    ASSERT_TRUE(ReadWholeFile(dir.File("limit"), &data, &n));
    EXPECT_EQ(n, READ_LIMIT);
    EXPECT_EQ(data[READ_LIMIT - 1], 'k');
    EXPECT_EQ(data[READ_LIMIT], 0);
    EXPECT_EQ(data[READ_LIMIT + 1], 0);
    MemFree(data);
    big.push_back('k');
    ASSERT_TRUE(WriteBytes(dir.File("over"), big));
    EXPECT_FALSE(ReadWholeFile(dir.File("over"), &data, &n));
}

/* A file is seen whole with a zero after it, whether it is a view of
 * the file or (for a file that ends a page, where no zero follows in a
 * view) a copy; the limit and missing files are as ReadWholeFile's. */
TEST(Files, FileBytesWholeWithZeroAfter)
{
    TempDir dir;
    for (int size : { 0, 1, 4095, 4096, 4097, 8192, 70000 }) {
        std::string bytes;
        for (int i = 0; i < size; i++)
            bytes += (char)('a' + i % 26);
        ASSERT_TRUE(WriteBytes(dir.File("f"), bytes));
        FileBytes f;
        ASSERT_TRUE(FileBytesOpen(&f, dir.File("f"))) << size;
        ASSERT_EQ(f.Count, size);
        EXPECT_EQ(std::string(f.Data, (size_t)size), bytes);
        EXPECT_EQ(f.Data[size], 0) << size;
        FileBytesClose(&f);
        EXPECT_EQ(f.Data, nullptr);
    }
    FileBytes f;
    EXPECT_FALSE(FileBytesOpen(&f, dir.File("missing")));
    EXPECT_FALSE(FileBytesOpen(&f, WText(dir.path)));
    std::string big((size_t)READ_LIMIT + 1, 'k');
    ASSERT_TRUE(WriteBytes(dir.File("over"), big));
    EXPECT_FALSE(FileBytesOpen(&f, dir.File("over")));
}

/* A file name that makes the whole path exactly len characters. */
static WText PathOfLength(const TempDir &dir, int len)
{
    int room = len - (int)WText(dir.path).chars.size();   /* size counts the zero: room for "\" */
    return dir.File(std::string((size_t)room, 'p'));
}

TEST(Files, AtomicWriteReplacesAndLeavesNoTemporary)
{
    TempDir dir;
    WText target = dir.File("k.xml");
    ASSERT_TRUE(WriteFileAtomic(target, "first", 5));
    EXPECT_EQ(ReadBytes(target), "first");
    ASSERT_TRUE(WriteFileAtomic(target, "second!", 7));
    EXPECT_EQ(ReadBytes(target), "second!");
    EXPECT_FALSE(PathExists(dir.File("k.xml.tmp")));
    ASSERT_TRUE(WriteFileAtomic(target, "", 0));
    EXPECT_EQ(ReadBytes(target), "");
}

TEST(Files, AtomicWritePathLength)
{
    TempDir dir;
    WText ok = PathOfLength(dir, 255);
    ASSERT_EQ(StrLen(ok), 255);
    EXPECT_TRUE(WriteFileAtomic(ok, "x", 1));
    EXPECT_EQ(ReadBytes(ok), "x");
    WText tooLong = PathOfLength(dir, 256);
    ASSERT_EQ(StrLen(tooLong), 256);
    EXPECT_FALSE(WriteFileAtomic(tooLong, "x", 1));
    EXPECT_FALSE(PathExists(tooLong));
    std::string tmp = U8(tooLong) + ".tmp";
    EXPECT_FALSE(PathExists(WText(tmp)));
}

TEST(Files, AtomicWriteIntoMissingDirectoryFails)
{
    TempDir dir;
    EXPECT_FALSE(WriteFileAtomic(dir.File("no\\such.xml"), "x", 1));
}

TEST(Files, ReadOnlyTargetKeepsItsContent)
{
    TempDir dir;
    WText target = dir.File("ro.xml");
    ASSERT_TRUE(WriteBytes(target, "old bytes"));
    ASSERT_TRUE(MakeReadOnly(target));
    EXPECT_FALSE(WriteFileAtomic(target, "new", 3));
    EXPECT_EQ(ReadBytes(target), "old bytes");
    EXPECT_FALSE(PathExists(dir.File("ro.xml.tmp")));
}

#ifdef _WIN32
TEST(Files, LockedTargetKeepsItsContent)
{
    TempDir dir;
    WText target = dir.File("locked.xml");
    ASSERT_TRUE(WriteBytes(target, "old bytes"));
    HANDLE h = CreateFileW(target, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteFileAtomic(target, "new", 3));
    CloseHandle(h);
    EXPECT_EQ(ReadBytes(target), "old bytes");
    EXPECT_FALSE(PathExists(dir.File("locked.xml.tmp")));
}

TEST(Files, LockedTemporaryFailsBeforeTouchingTarget)
{
    TempDir dir;
    WText target = dir.File("t.xml");
    ASSERT_TRUE(WriteBytes(target, "old"));
    ASSERT_TRUE(WriteBytes(dir.File("t.xml.tmp"), "someone's"));
    HANDLE h = CreateFileW(dir.File("t.xml.tmp"), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteFileAtomic(target, "new", 3));
    CloseHandle(h);
    EXPECT_EQ(ReadBytes(target), "old");
}

TEST(Files, ReadsFileOpenForWritingByOthers)
{
    TempDir dir;
    WText path = dir.File("shared.xml");
    ASSERT_TRUE(WriteBytes(path, "abc"));
    HANDLE h = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char *data;
    int n;
    EXPECT_TRUE(ReadWholeFile(path, &data, &n));
    EXPECT_EQ(n, 3);
    MemFree(data);
    CloseHandle(h);
}
#endif
