/*
 * Saved-session names and the "PuTTY 세션" folder.
 */
#include <gtest/gtest.h>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/putty_sessions.h"
#include "test_util.h"

static std::string Decoded(const char *stored)
{
    wchar_t *d = DecodeSessionName(WText(stored));
    std::string s = U8(d);
    MemFree(d);
    return s;
}

TEST(SessionNames, Escapes)
{
    EXPECT_EQ(Decoded("Default%20Settings"), "Default Settings");
    EXPECT_EQ(Decoded("web%2fprod%2F1"), "web/prod/1");
    /* a percent sign without two hexadecimal digits stays */
    EXPECT_EQ(Decoded("a%2"), "a%2");
    EXPECT_EQ(Decoded("100%"), "100%");
    EXPECT_EQ(Decoded("%zz"), "%zz");
    EXPECT_EQ(Decoded("%%41"), "%A");
    /* a stored zero byte would end the name early */
    EXPECT_EQ(Decoded("a%00b"), "a%00b");
    EXPECT_EQ(Decoded(""), "");
    /* escapes are bytes of the ANSI code page: Latin-1 here */
    EXPECT_EQ(Decoded("caf%E9"), "café");
}

TEST(SessionNames, FolderMergesLoginData)
{
    ResetModel();
    Settings.PuttySessionsExpanded = 1;
    ServerNode *login = NodeNew(NODE_SERVER);
    StrAssign(&login->SavedSession, L"Web");
    StrAssign(&login->UserName, L"deploy");
    NodeSetPassword(login, L"pw");
    StrAssign(&login->Script, L"sudo -i");
    login->PasswordMode = 2;
    login->ScriptDelay = 700;
    NodeAppendChild(PuttyLoginRoot, login);

    ResetPuttySessionsFolder();
    EXPECT_EQ(U8(PuttySessionsFolder->DisplayName), "PuTTY 세션");
    EXPECT_TRUE(PuttySessionsFolder->IsPuttySession);
    EXPECT_EQ(PuttySessionsFolder->Expanded, 1);
    EXPECT_TRUE(AddPuttySession(L"zeta"));
    EXPECT_TRUE(AddPuttySession(L"web"));
    EXPECT_FALSE(AddPuttySession(L"WEB"));      /* listed once, as first seen */
    EXPECT_FALSE(AddPuttySession(L""));
    EXPECT_TRUE(AddPuttySession(L"Alpha"));
    SortPuttySessionsFolder();
    EXPECT_EQ(TreeShape(PuttySessionsFolder), "Alpha web zeta");

    const ServerNode *web = PuttySessionsFolder->FirstChild->NextSibling;
    EXPECT_TRUE(web->IsPuttySession);
    EXPECT_EQ(web->UID, nullptr);
    EXPECT_EQ(web->PuttyConType, 0);
    EXPECT_EQ(web->Port, 0);
    EXPECT_EQ(web->ServerName, nullptr);
    EXPECT_EQ(U8(web->SavedSession), "web");
    EXPECT_EQ(U8(web->UserName), "deploy");
    EXPECT_EQ(U8(NodePassword((ServerNode *)web)), "pw");
    EXPECT_EQ(U8(web->Script), "sudo -i");
    EXPECT_EQ(web->PasswordMode, 2);
    EXPECT_EQ(web->ScriptDelay, 700);
    EXPECT_EQ(PuttySessionsFolder->FirstChild->UserName, nullptr);

    /* re-reading shows login data stored since */
    StrAssign(&login->UserName, L"admin");
    ResetPuttySessionsFolder();
    AddPuttySession(L"web");
    EXPECT_EQ(U8(PuttySessionsFolder->FirstChild->UserName), "admin");
    ResetModel();
}

TEST(SessionNames, KittyByFileName)
{
    EXPECT_TRUE(PuttyPathIsKitty(L"C:\\Tools\\KiTTY_portable.exe"));
    EXPECT_TRUE(PuttyPathIsKitty(L"kitty.exe"));
    EXPECT_FALSE(PuttyPathIsKitty(L"C:\\kitty\\putty.exe"));
    EXPECT_FALSE(PuttyPathIsKitty(L""));
}

TEST(SessionNames, PwfileFromVersion)
{
    int major = PuttyVersionMajor, minor = PuttyVersionMinor;
    PuttyVersionMajor = 0, PuttyVersionMinor = 76;
    EXPECT_FALSE(PuttySupportsPwfile());
    PuttyVersionMinor = 77;
    EXPECT_TRUE(PuttySupportsPwfile());
    PuttyVersionMajor = 1, PuttyVersionMinor = 0;
    EXPECT_TRUE(PuttySupportsPwfile());
    PuttyVersionMajor = 0, PuttyVersionMinor = 0;
    EXPECT_FALSE(PuttySupportsPwfile());
    PuttyVersionMajor = major, PuttyVersionMinor = minor;
}
