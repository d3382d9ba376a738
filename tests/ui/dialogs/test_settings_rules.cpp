/*
 * The settings dialog's rules: the version line for the executable in
 * the path box, the configuration-file line, the password-mode list and
 * the numbers OK stores.
 */
#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "ui/dialogs/settings_rules.h"
#include "test_util.h"

static std::string Taken(wchar_t *text)
{
    std::string s = U8(text);
    MemFree(text);
    return s;
}

static std::string Version(bool exists, int major, int minor)
{
    return Taken(VersionLineText(exists, major, minor));
}

TEST(SettingsRules, VersionLine)
{
    EXPECT_EQ(Version(false, 0, 78), "이 경로에 실행 파일이 없습니다.");
    EXPECT_EQ(Version(true, 0, 0), "버전 정보를 읽지 못했습니다.");
    /* -pwfile arrived with 0.77; any later major takes it too */
    const std::string no = "미지원 (0.77 이상 필요, 비밀번호는 창에 입력)";
    const std::string yes = "지원 (비밀번호를 명령줄에 노출하지 않음)";
    EXPECT_EQ(Version(true, 0, 76), "버전 0.76  ·  -pwfile " + no);
    EXPECT_EQ(Version(true, 0, 77), "버전 0.77  ·  -pwfile " + yes);
    EXPECT_EQ(Version(true, 0, 81), "버전 0.81  ·  -pwfile " + yes);
    EXPECT_EQ(Version(true, 1, 0), "버전 1.0  ·  -pwfile " + yes);
    EXPECT_EQ(Version(true, 0, 5), "버전 0.5  ·  -pwfile " + no);
    EXPECT_EQ(Version(true, 65535, 65535), "버전 65535.65535  ·  -pwfile " + yes);
}

TEST(SettingsRules, ConfigFileLine)
{
    EXPECT_EQ(Taken(ConfigFileLineText(WText("C:\\설정\\kestrum.xml"))), "설정 파일: C:\\설정\\kestrum.xml");
    /* a percent sign in a folder name is not a format */
    EXPECT_EQ(Taken(ConfigFileLineText(WText("C:\\100%s%d\\kestrum.xml"))), "설정 파일: C:\\100%s%d\\kestrum.xml");
    /* a path longer than any format buffer arrives whole */
    std::string longPath = "C:\\" + std::string(2000, 'a');
    EXPECT_EQ(Taken(ConfigFileLineText(WText(longPath))), "설정 파일: " + longPath);
    EXPECT_EQ(Taken(ConfigFileLineText(nullptr)), "설정 파일: ");
}

TEST(SettingsRules, PasswordModeList)
{
    /* the list starts at mode 1: "follow the settings" is no default */
    for (int mode = 1; mode <= 4; mode++) {
        EXPECT_EQ(PasswordModeListIndex(mode), mode - 1);
        EXPECT_EQ(PasswordModeFromList(PasswordModeListIndex(mode)), mode);
    }
    EXPECT_EQ(PasswordModeListIndex(3), 2);    /* -pwfile, third entry */
    /* what cannot be shown shows what OK would store */
    EXPECT_EQ(PasswordModeListIndex(0), 0);
    EXPECT_EQ(PasswordModeListIndex(5), 0);
    EXPECT_EQ(PasswordModeListIndex(-7), 0);
    /* no selection or a stray index stores 1 */
    EXPECT_EQ(PasswordModeFromList(-1), 1);
    EXPECT_EQ(PasswordModeFromList(4), 1);
    EXPECT_EQ(PasswordModeFromList(1000), 1);
}

TEST(SettingsRules, ReconnectDelay)
{
    EXPECT_EQ(ReconnectDelayFromBox(0), 1);     /* an empty box reads 0 */
    EXPECT_EQ(ReconnectDelayFromBox(-3), 1);
    EXPECT_EQ(ReconnectDelayFromBox(1), 1);
    EXPECT_EQ(ReconnectDelayFromBox(30), 30);
    EXPECT_EQ(ReconnectDelayFromBox(999999999), 999999999);
}
