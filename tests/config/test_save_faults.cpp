/*
 * Saving while the file calls fail, one step at a time: the atomic
 * write and the configuration save, whose text goes out in pieces.
 * Whatever fails, the file keeps its old bytes, no ".tmp" is left, the
 * failure is reported, and the next save writes what memory holds.
 */
#include <gtest/gtest.h>

#include <string>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/files.h"
#include "core/text.h"
#include "ui/dialogs/config_warn.h"
#include "ui/dialogs/quick_rules.h"
#include "faulty_platform.h"
#include "test_util.h"

static const char *const StepNames[FAULT_STEP_COUNT] = {
    "create", "short write", "write error", "flush", "replace", "copy", "protect",
};

TEST(SaveFaults, AtomicWriteEachStep)
{
    TempDir dir;
    WText target = dir.File("data.xml");
    for (FaultStep step : { FAULT_CREATE, FAULT_SHORT_WRITE, FAULT_WRITE, FAULT_FLUSH, FAULT_REPLACE }) {
        SCOPED_TRACE(StepNames[step]);
        ASSERT_TRUE(WriteBytes(target, "old bytes"));
        FaultReset();
        FaultArm(step, 1);
        EXPECT_FALSE(WriteFileAtomic(target, "new bytes, more of them", 23));
        EXPECT_EQ(FaultCalls(step), 1);
        EXPECT_EQ(ReadBytes(target), "old bytes");
        EXPECT_FALSE(PathExists(dir.File("data.xml.tmp")));
        FaultReset();
        EXPECT_TRUE(WriteFileAtomic(target, "new bytes, more of them", 23));
        EXPECT_EQ(ReadBytes(target), "new bytes, more of them");
    }
    FaultReset();
}

/* Without the system's protection a password goes into the file in
 * plain; the save still succeeds and the next load has every password. */
TEST(SaveFaults, UnprotectedPasswordsAreSavedPlain)
{
    TempDir dir;
    ResetModel();
    StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    const char *const passwords[] = { "alpha", " 공백 앞뒤 ", "<&>\"'", "sealed before" };
    auto add = [](ServerNode *folder, int type, const char *name, const char *password) {
        ServerNode *n = NodeNew(type);
        StrAssign(&n->DisplayName, WText(name));
        if (password)
            NodeSetPassword(n, WText(password));
        NodeAppendChild(folder, n);
        return n;
    };
    ServerNode *a = add(ServersRoot, NODE_SERVER, "a", passwords[0]);
    ServerNode *outer = add(ServersRoot, NODE_FOLDER, "outer", nullptr);
    ServerNode *b = add(outer, NODE_SERVER, "b", passwords[1]);
    ServerNode *inner = add(outer, NODE_FOLDER, "inner", nullptr);
    ServerNode *c = add(inner, NODE_SERVER, "c", passwords[2]);
    add(inner, NODE_SERVER, "none", nullptr);
    add(ServersRoot, NODE_SERVER, "d", passwords[3]);
    ASSERT_TRUE(ConfigSave());

    /* a, b and c changed since, d's protected form still stands */
    ServerNode *changed[] = { a, b, c };
    for (int i = 0; i < 3; i++)
        NodeSetPassword(changed[i], WText(passwords[i]));
    FaultReset();
    FaultArm(FAULT_PROTECT, -1);
    EXPECT_TRUE(ConfigSave());
    EXPECT_EQ(FaultCalls(FAULT_PROTECT), 3);
    std::string saved = ReadBytes(ConfigFilePath);
    EXPECT_NE(saved.find("<Password enc=\"plain\">alpha</Password>"), std::string::npos);
    EXPECT_NE(saved.find("<Password enc=\"plain\">&lt;&amp;&gt;"), std::string::npos);
    size_t sealed = saved.find("enc=\"dpapi\"");
    EXPECT_NE(sealed, std::string::npos);
    EXPECT_EQ(saved.find("enc=\"dpapi\"", sealed + 1), std::string::npos);
    FaultReset();

    ResetModel();
    ASSERT_TRUE(ConfigLoad());
    EXPECT_EQ(TreeShape(ServersRoot), "a [outer: b [inner: c none]] d");
    b = ServersRoot->FirstChild->NextSibling->FirstChild;
    c = b->NextSibling->FirstChild;
    ServerNode *loaded[] = { ServersRoot->FirstChild, b, c, ServersRoot->FirstChild->NextSibling->NextSibling };
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(U8(NodePassword(loaded[i])), passwords[i]) << i;
    EXPECT_EQ(NodePassword(c->NextSibling), nullptr);
    ResetModel();
}

struct SaveFaultsConfig : ::testing::Test {
    TempDir dir;
    std::string expected;   /* what a save of the model writes */
    int writes = 0;         /* the pieces it is written in */
    const std::string old = "<?xml version=\"1.0\"?>\r\n<Kestrum><Servers><Node Type=\"1\">"
                            "<DisplayName>old</DisplayName></Node></Servers></Kestrum>\r\n";

    void SetUp() override
    {
        ResetModel();
        Settings.TabCaption = 1;
        AddRecent(L"root@example");
        /* far longer than one piece, so that every piece can fail */
        for (int i = 0; i < 600; i++) {
            ServerNode *s = NodeNew(NODE_SERVER);
            StrAssign(&s->UID, WText("{" + std::to_string(i) + "}"));
            StrAssign(&s->DisplayName, WText("서버 " + std::to_string(i) + std::string(120, 'x')));
            StrAssign(&s->ServerName, WText("host" + std::to_string(i) + ".example"));
            NodeAppendChild(ServersRoot, s);
        }
        StrCopyTo(ConfigFilePath, KPATH, dir.File("reference.xml"));
        FaultReset();
        EXPECT_TRUE(ConfigSave());
        writes = FaultCalls(FAULT_WRITE);
        expected = ReadBytes(ConfigFilePath);
        StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    }
    void TearDown() override
    {
        FaultReset();
        ResetModel();
    }
    /* The old file in place, as at the start of a run. */
    void Restore()
    {
        ASSERT_TRUE(WriteBytes(ConfigFilePath, old));
        RemovePath(dir.File("kestrum.xml.bak"));
        BackupMade = false;
        FaultReset();
    }
};

TEST_F(SaveFaultsConfig, EveryStepAndPieceKeepsTheFile)
{
    ASSERT_GT(writes, 3);
    ASSERT_GT(expected.size(), 70000u);
    struct Trial {
        FaultStep Step;
        int Calls;
    } trials[] = { { FAULT_CREATE, 1 }, { FAULT_SHORT_WRITE, writes }, { FAULT_WRITE, writes },
                   { FAULT_FLUSH, 1 }, { FAULT_REPLACE, 1 } };
    int count = 0;
    for (const Trial &t : trials) {
        for (int nth = 1; nth <= t.Calls; nth++) {
            SCOPED_TRACE(std::string(StepNames[t.Step]) + " #" + std::to_string(nth));
            Restore();
            FaultArm(t.Step, nth);
            EXPECT_FALSE(ConfigSave());
            EXPECT_GE(FaultCalls(t.Step), nth);
            EXPECT_EQ(ReadBytes(ConfigFilePath), old);
            EXPECT_EQ(ReadBytes(dir.File("kestrum.xml.bak")), old);
            EXPECT_FALSE(PathExists(dir.File("kestrum.xml.tmp")));

            FaultReset();
            EXPECT_TRUE(ConfigSave());
            EXPECT_TRUE(ReadBytes(ConfigFilePath) == expected);
            EXPECT_EQ(ReadBytes(dir.File("kestrum.xml.bak")), old);     /* one copy per run */
            count++;
        }
    }
    EXPECT_EQ(count, 3 + 2 * writes);
}

/* The copy is a keepsake: when it fails the save goes on, and it is not
 * tried again in the same run. */
TEST_F(SaveFaultsConfig, FailedBackupDoesNotStopTheSave)
{
    Restore();
    FaultArm(FAULT_COPY, 1);
    EXPECT_TRUE(ConfigSave());
    EXPECT_EQ(FaultCalls(FAULT_COPY), 1);
    EXPECT_TRUE(ReadBytes(ConfigFilePath) == expected);
    EXPECT_FALSE(PathExists(dir.File("kestrum.xml.tmp")));
    EXPECT_TRUE(BackupMade);
    FaultReset();
    EXPECT_TRUE(ConfigSave());
    EXPECT_EQ(FaultCalls(FAULT_COPY), 0);
}

#ifdef _WIN32
#include <windows.h>

#include "stub_prompts.h"

/* The warning of a failed save, once, and nothing else changed. */
static void ExpectWarnedAndKept(const TempDir &dir, const std::string &old)
{
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(StubMessageFlags & MB_ICONMASK, (UINT)MB_ICONWARNING);
    EXPECT_EQ(U8(StubMessageText), "설정 파일을 저장하지 못했습니다:\n" + U8(ConfigFilePath));
    EXPECT_EQ(ReadBytes(ConfigFilePath), old);
    EXPECT_FALSE(PathExists(dir.File("kestrum.xml.tmp")));
}

TEST_F(SaveFaultsConfig, EveryStepWarns)
{
    struct Trial {
        FaultStep Step;
        int Nth;
    } trials[] = { { FAULT_CREATE, 1 }, { FAULT_SHORT_WRITE, 1 }, { FAULT_SHORT_WRITE, writes },
                   { FAULT_WRITE, 2 }, { FAULT_FLUSH, 1 }, { FAULT_REPLACE, 1 } };
    for (const Trial &t : trials) {
        SCOPED_TRACE(std::string(StepNames[t.Step]) + " #" + std::to_string(t.Nth));
        Restore();
        FaultArm(t.Step, t.Nth);
        StubPromptsReset();
        StubMessageCount = 0;
        ConfigSaveOrWarn();
        ExpectWarnedAndKept(dir, old);
        FaultReset();
        ConfigSaveOrWarn();
        EXPECT_EQ(StubMessageCount, 1);
        EXPECT_TRUE(ReadBytes(ConfigFilePath) == expected);
    }
}

/* Files that Windows itself refuses to replace: read-only, and held open
 * by another program without sharing. */
TEST_F(SaveFaultsConfig, ReadOnlyAndLockedFiles)
{
    Restore();
    ASSERT_TRUE(MakeReadOnly(ConfigFilePath));
    StubMessageCount = 0;
    ConfigSaveOrWarn();
    ExpectWarnedAndKept(dir, old);
    SetFileAttributesW(ConfigFilePath, FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(dir.File("kestrum.xml.bak"), FILE_ATTRIBUTE_NORMAL);
    ConfigSaveOrWarn();
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_TRUE(ReadBytes(ConfigFilePath) == expected);

    Restore();
    HANDLE lock = CreateFileW(ConfigFilePath, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    StubMessageCount = 0;
    ConfigSaveOrWarn();
    CloseHandle(lock);
    ExpectWarnedAndKept(dir, old);
    ConfigSaveOrWarn();
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_TRUE(ReadBytes(ConfigFilePath) == expected);
}
#endif
