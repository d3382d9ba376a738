/*
 * Saving with the warning shown on failure.
 */
#include <gtest/gtest.h>

#include "config/config_file.h"
#include "config/settings.h"
#include "core/text.h"
#include "ui/dialogs/config_warn.h"
#include "stub_prompts.h"
#include "test_util.h"

TEST(ConfigWarn, FailureWarnsAndNextSaveWritesMemory)
{
    TempDir dir;
    ResetModel();
    StrCopyTo(ConfigFilePath, KPATH, dir.File("kestrum.xml"));
    ASSERT_TRUE(WriteBytes(ConfigFilePath, "old"));
    HANDLE lock = CreateFileW(ConfigFilePath, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Settings.TabCaption = 1;
    StubMessageCount = 0;
    ConfigSaveOrWarn();
    CloseHandle(lock);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(StubMessageFlags & MB_ICONMASK, (UINT)MB_ICONWARNING);
    EXPECT_EQ(U8(StubMessageText), "설정 파일을 저장하지 못했습니다:\n" + U8(ConfigFilePath));
    EXPECT_EQ(ReadBytes(ConfigFilePath), "old");
    EXPECT_FALSE(PathExists(dir.File("kestrum.xml.tmp")));

    ConfigSaveOrWarn();
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_NE(ReadBytes(ConfigFilePath).find("<TabCaption>1</TabCaption>"), std::string::npos);
    ResetModel();
}
