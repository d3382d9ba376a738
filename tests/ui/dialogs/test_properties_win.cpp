/*
 * The server properties dialog opened in this process, modelessly, in
 * each of its modes: what it shows, what typing and clicking change in
 * it, and what OK and Cancel leave in the node.  Message boxes are the
 * recorder of stub_prompts.
 */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "resources/resource.h"
#include "sessions/putty_sessions.h"
#include "ui/dialogs/properties_rules.h"
#include "ui/dialogs/server_properties.h"
#include "dialog_driver.h"
#include "main_window_util.h"
#include "program_util.h"
#include "stub_prompts.h"
#include "test_util.h"
#include "win_shot.h"

namespace {

const char NOTE_EXPOSED[] = "\r\n(주의: 비밀번호가 명령줄에 노출됩니다)";
const char NOTE_FILE[] = "\r\n(비밀번호는 잠시 쓰고 지우는 임시 파일로 전달합니다)";

void AddSession(const char *name)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    StrAssign(&n->DisplayName, WText(name));
    StrAssign(&n->SavedSession, WText(name));
    n->IsPuttySession = true;
    NodeAppendChild(PuttySessionsFolder, n);
}

/* The node in its configuration form, password in clear: two equal
 * pictures mean an unchanged node. */
std::string Picture(const ServerNode *n)
{
    TextBuilder b = {};
    NodeWrite(&b, n, 0, true, false);
    std::string s = U8(b.Text());
    b.Release();
    return s;
}

struct ServerProperties : ::testing::Test, DialogDriver {
    ServerNode *node = nullptr;
    ServerPropertiesRequest request = {};

    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES };
        InitCommonControlsEx(&icc);
    }
    void SetUp() override
    {
        ResetModel();
        StubPromptsReset();
        PuttyVersionMajor = 0;
        PuttyVersionMinor = 78;
        ResetPuttySessionsFolder();
        AddSession("router");
        AddSession("default settings");
        AddSession("web proxy");
        node = NodeNew(NODE_SERVER);
    }
    void TearDown() override
    {
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        NodeFree(node);
        ResetModel();
        PuttyVersionMajor = PuttyVersionMinor = 0;
    }
    void Open(bool isNew = false)
    {
        request.Node = node;
        request.IsNew = isNew;
        dialog = OpenTestDialog(IDD_SERVER_PROPERTIES, ServerPropertiesProc, (LPARAM)&request);
        ASSERT_NE(dialog, nullptr);
    }
    /* An ordinary server with every field filled in. */
    void FillNode()
    {
        StrAssign(&node->DisplayName, L"웹 서버");
        StrAssign(&node->ServerName, L"web.example");
        StrAssign(&node->UserName, L"ops");
        NodeSetPassword(node, L"s3cret");
        StrAssign(&node->SavedSession, L"router");
        StrAssign(&node->CLParams, L"-C");
        StrAssign(&node->Script, L"cd /srv\r\nls");
        node->Port = 2222;
        node->PasswordDelay = 800;
        node->ScriptDelay = 400;
        node->PasswordMode = PWMODE_PWFILE;
    }
    std::string Title() { return WindowText(dialog); }
    std::string Preview() { return Text(IDC_SRV_PREVIEW); }
    void Choose(int id, int index)
    {
        SendMessageW(Item(id), CB_SETCURSEL, (WPARAM)index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)Item(id));
    }
    int Selected(int id) { return (int)SendMessageW(Item(id), CB_GETCURSEL, 0, 0); }
    std::string ListItem(int id, int index)
    {
        wchar_t text[256];
        text[0] = 0;
        SendMessageW(Item(id), CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
        return U8(text);
    }
    int ListCount(int id) { return (int)SendMessageW(Item(id), CB_GETCOUNT, 0, 0); }
    /* Which of the boxes the rules govern take input, as 0/1 in the order
     * name host port protocol session user custom. */
    std::string Enabled()
    {
        const int ids[] = { IDC_SRV_NAME, IDC_SRV_HOST, IDC_SRV_PORT, IDC_SRV_PROTOCOL, IDC_SRV_SESSION,
                            IDC_SRV_USER, IDC_SRV_CUSTOM_CMD };
        std::string s;
        for (int id : ids)
            s += IsWindowEnabled(Item(id)) ? '1' : '0';
        return s;
    }
    bool Focused(int id, HWND f = GetFocus()) { return f && (f == Item(id) || GetParent(f) == Item(id)); }
    /* The opening set the focus itself, so the dialog manager did not. */
    bool OpenedWithFocus(int id) { return InitReturned == FALSE && Focused(id, FocusAfterOpening); }
    /* As a click does: the button takes the focus first. */
    void Ok()
    {
        SetFocus(Item(IDOK));
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    bool Ended() { return !(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_VISIBLE); }
};

}  // namespace

TEST_F(ServerProperties, EditModeShowsEveryField)
{
    FillNode();
    Open();
    EXPECT_EQ(Title(), "서버 속성");
    EXPECT_EQ(Text(IDC_SRV_NAME), "웹 서버");
    EXPECT_EQ(Text(IDC_SRV_HOST), "web.example");
    EXPECT_EQ(Text(IDC_SRV_PORT), "2222");
    EXPECT_EQ(Text(IDC_SRV_USER), "ops");
    EXPECT_EQ(Text(IDC_SRV_PASSWORD), "s3cret");
    EXPECT_EQ(Text(IDC_SRV_PASSWORD_DELAY), "800");
    EXPECT_EQ(Text(IDC_SRV_ARGS), "-C");
    EXPECT_EQ(Text(IDC_SRV_SCRIPT), "cd /srv\r\nls");
    EXPECT_EQ(Text(IDC_SRV_SCRIPT_DELAY), "400");
    EXPECT_EQ(Text(IDC_SRV_SESSION), "router");

    /* list index is the code */
    ASSERT_EQ(ListCount(IDC_SRV_PROTOCOL), CON_COUNT);
    EXPECT_EQ(ListItem(IDC_SRV_PROTOCOL, 0), "세션 설정 따름");
    EXPECT_EQ(ListItem(IDC_SRV_PROTOCOL, CON_SSH), "SSH");
    EXPECT_EQ(Selected(IDC_SRV_PROTOCOL), CON_SSH);
    ASSERT_EQ(ListCount(IDC_SRV_PASSWORD_MODE), PWMODE_COUNT);
    EXPECT_EQ(ListItem(IDC_SRV_PASSWORD_MODE, PWMODE_DEFAULT), "기본 설정 따름");
    EXPECT_EQ(Selected(IDC_SRV_PASSWORD_MODE), PWMODE_PWFILE);

    /* "Default Settings" first, then PuTTY's sessions in their order,
     * without a second "Default Settings" */
    ASSERT_EQ(ListCount(IDC_SRV_SESSION), 3);
    EXPECT_EQ(ListItem(IDC_SRV_SESSION, 0), "Default Settings");
    EXPECT_EQ(ListItem(IDC_SRV_SESSION, 1), "router");
    EXPECT_EQ(ListItem(IDC_SRV_SESSION, 2), "web proxy");

    EXPECT_EQ(SendMessageW(Item(IDC_SRV_PASSWORD), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
    EXPECT_FALSE(Checked(IDC_SRV_SHOW_PASSWORD));
    EXPECT_FALSE(Checked(IDC_SRV_CUSTOM_CMD));
    EXPECT_EQ(Enabled(), "1111111");
    EXPECT_TRUE(OpenedWithFocus(IDC_SRV_NAME));
    EXPECT_EQ(Preview(), std::string("putty.exe -load router -ssh -P 2222 -l ops -pwfile <임시 파일> -C web.example") +
                             NOTE_FILE);
    SaveWindowShot(dialog, "properties-edit");
}

TEST_F(ServerProperties, NewServerMode)
{
    StrAssign(&node->DisplayName, L"새 서버");
    Open(true);
    EXPECT_EQ(Title(), "서버 추가");
    EXPECT_EQ(Text(IDC_SRV_NAME), "새 서버");
    EXPECT_TRUE(OpenedWithFocus(IDC_SRV_HOST));
    DWORD start = 0, end = 0;
    SendMessageW(Item(IDC_SRV_NAME), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u);
    EXPECT_EQ(Text(IDC_SRV_SESSION), "Default Settings");
    EXPECT_EQ(Enabled(), "1111111");
    EXPECT_EQ(Preview(), "putty.exe -ssh");

    Type(IDC_SRV_HOST, "db.example");
    Type(IDC_SRV_USER, "admin");
    Type(IDC_SRV_PASSWORD, "pw");
    Choose(IDC_SRV_PASSWORD_MODE, PWMODE_CMDLINE);
    SaveWindowShot(dialog, "properties-new");
    Ok();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_EQ(U8(node->DisplayName), "새 서버");
    EXPECT_EQ(U8(node->ServerName), "db.example");
    EXPECT_EQ(U8(node->UserName), "admin");
    EXPECT_EQ(U8(NodePassword(node)), "pw");
    EXPECT_EQ(node->PasswordMode, PWMODE_CMDLINE);
    EXPECT_EQ(U8(node->SavedSession), "Default Settings");
}

TEST_F(ServerProperties, SavedSessionMode)
{
    ServerNode *saved = PuttySessionsFolder->FirstChild;
    ServerNode *work = NodeCopy(saved, false);
    NodeFree(node);
    node = work;
    Open(false);
    EXPECT_EQ(Title(), "PuTTY 세션 로그인 정보 - router");
    /* only the login data: user, password, arguments, script */
    EXPECT_EQ(Enabled(), "0000010");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SRV_PASSWORD)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SRV_ARGS)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SRV_SCRIPT)));
    EXPECT_TRUE(OpenedWithFocus(IDC_SRV_USER));
    EXPECT_EQ(Preview(), "putty.exe -load router -ssh");

    Type(IDC_SRV_USER, "root");
    Type(IDC_SRV_PASSWORD, "toor");
    Type(IDC_SRV_SCRIPT, "uptime");
    Choose(IDC_SRV_PASSWORD_MODE, PWMODE_TYPE);
    EXPECT_EQ(Preview(), "putty.exe -load router -ssh -l root\r\n(비밀번호는 PuTTY 창이 뜬 뒤 직접 입력합니다)");
    SaveWindowShot(dialog, "properties-saved-session");
    /* no host needed */
    Ok();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StubMessageCount, 0);
    EXPECT_EQ(U8(node->UserName), "root");
    EXPECT_EQ(U8(NodePassword(node)), "toor");
    EXPECT_EQ(U8(node->Script), "uptime");
    EXPECT_EQ(U8(node->SavedSession), "router");
    EXPECT_TRUE(node->IsPuttySession);
    /* the folder's own node is untouched */
    EXPECT_EQ(saved->UserName, nullptr);
}

TEST_F(ServerProperties, PreviewFollowsTyping)
{
    Open(true);
    Type(IDC_SRV_HOST, "h");
    EXPECT_EQ(Preview(), "putty.exe -ssh h");
    Type(IDC_SRV_PORT, "822");
    Type(IDC_SRV_USER, "u");
    Type(IDC_SRV_PASSWORD, "secret");
    Choose(IDC_SRV_PASSWORD_MODE, PWMODE_CMDLINE);
    EXPECT_EQ(Preview(), std::string("putty.exe -ssh -P 822 -l u -pw ******** h") + NOTE_EXPOSED);
    Type(IDC_SRV_PASSWORD, "");
    Choose(IDC_SRV_PROTOCOL, CON_TELNET);
    Type(IDC_SRV_ARGS, "-v");
    EXPECT_EQ(Preview(), "putty.exe -telnet -P 822 -l u -v h");

    /* a typed saved-session name, one not in the list */
    Type(IDC_SRV_SESSION, "My host");
    EXPECT_EQ(Preview(), "putty.exe -load \"My host\" -telnet -P 822 -l u -v h");
    /* a choice from the list counts even before the edit part shows it */
    SendMessageW(Item(IDC_SRV_SESSION), CB_SETCURSEL, 2, 0);
    SetWindowTextW(Item(IDC_SRV_SESSION), L"stale");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SRV_SESSION, CBN_SELCHANGE), (LPARAM)Item(IDC_SRV_SESSION));
    EXPECT_EQ(Preview(), "putty.exe -load \"web proxy\" -telnet -P 822 -l u -v h");
    EXPECT_EQ(Text(IDC_SRV_SESSION), "web proxy");
}

TEST_F(ServerProperties, CustomCommandSwitchesBoxesAndPreview)
{
    FillNode();
    Open();
    Click(IDC_SRV_CUSTOM_CMD);
    ASSERT_TRUE(Checked(IDC_SRV_CUSTOM_CMD));
    EXPECT_EQ(Enabled(), "1000001");
    /* only the extra arguments and the password pair */
    EXPECT_EQ(Preview(), std::string("putty.exe -C -pwfile <임시 파일>") + NOTE_FILE);
    Type(IDC_SRV_ARGS, "-load router -pw given");
    EXPECT_EQ(Preview(), "putty.exe -load router -pw given");
    Click(IDC_SRV_CUSTOM_CMD);
    EXPECT_FALSE(Checked(IDC_SRV_CUSTOM_CMD));
    EXPECT_EQ(Enabled(), "1111111");
    EXPECT_EQ(Preview(), std::string("putty.exe -load router -ssh -P 2222 -l ops -pwfile <임시 파일> "
                                     "-load router -pw given web.example") +
                             NOTE_FILE);
}

TEST_F(ServerProperties, ShowPasswordToggles)
{
    FillNode();
    Open();
    HWND box = Item(IDC_SRV_PASSWORD);
    Click(IDC_SRV_SHOW_PASSWORD);
    EXPECT_EQ(SendMessageW(box, EM_GETPASSWORDCHAR, 0, 0), 0);
    SaveWindowShot(dialog, "properties-password-shown");
    Click(IDC_SRV_SHOW_PASSWORD);
    EXPECT_EQ(SendMessageW(box, EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
    EXPECT_EQ(Text(IDC_SRV_PASSWORD), "s3cret");
    /* the box is not a field: OK stores nothing of it */
    Ok();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(U8(NodePassword(node)), "s3cret");
}

TEST_F(ServerProperties, HostWarningKeepsTheDialogAndTheTyping)
{
    StrAssign(&node->DisplayName, L"새 서버");
    std::string before = Picture(node);
    Open(true);
    Type(IDC_SRV_NAME, "");
    Type(IDC_SRV_USER, "admin");
    Type(IDC_SRV_PORT, "2200");
    Ok();
    EXPECT_FALSE(Ended());
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "호스트를 입력하거나 PuTTY 세션을 고르세요.");
    EXPECT_TRUE(StubMessageFlags & MB_ICONEXCLAMATION);
    EXPECT_TRUE(Focused(IDC_SRV_HOST));
    EXPECT_EQ(Picture(node), before);
    EXPECT_EQ(Text(IDC_SRV_USER), "admin");
    EXPECT_EQ(Text(IDC_SRV_PORT), "2200");

    /* a saved session in any case of "Default Settings" is no choice */
    Type(IDC_SRV_SESSION, "DEFAULT SETTINGS");
    Ok();
    EXPECT_FALSE(Ended());
    EXPECT_EQ(StubMessageCount, 2);

    /* a real one is, and names the server when the name box is empty */
    Choose(IDC_SRV_SESSION, 1);
    Ok();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StubMessageCount, 2);
    EXPECT_EQ(U8(node->DisplayName), "router");
    EXPECT_EQ(U8(node->SavedSession), "router");
    EXPECT_EQ(node->ServerName, nullptr);
    EXPECT_EQ(U8(node->UserName), "admin");
    EXPECT_EQ(node->Port, 2200);
}

TEST_F(ServerProperties, CustomCommandNeedsArguments)
{
    Open(true);
    Click(IDC_SRV_CUSTOM_CMD);
    std::string before = Picture(node);
    Ok();
    EXPECT_FALSE(Ended());
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_EQ(U8(StubMessageText), "'명령줄 직접 지정'을 쓰려면 명령줄 인자를 입력하세요.");
    EXPECT_TRUE(StubMessageFlags & MB_ICONEXCLAMATION);
    EXPECT_TRUE(Focused(IDC_SRV_ARGS));
    EXPECT_EQ(Picture(node), before);

    /* the host may stay empty */
    Type(IDC_SRV_ARGS, "-load router");
    Ok();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(node->CustomCmd, 1);
    EXPECT_EQ(U8(node->CLParams), "-load router");
    EXPECT_EQ(node->ServerName, nullptr);
}

TEST_F(ServerProperties, CancelChangesNothing)
{
    FillNode();
    std::string before = Picture(node);
    Open();
    Type(IDC_SRV_NAME, "other");
    Type(IDC_SRV_HOST, "other.example");
    Type(IDC_SRV_PASSWORD, "changed");
    Type(IDC_SRV_PORT, "");
    Choose(IDC_SRV_PROTOCOL, CON_RAW);
    Click(IDC_SRV_CUSTOM_CMD);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(Picture(node), before);
    EXPECT_EQ(StubMessageCount, 0);
}

TEST_F(ServerProperties, OkWritesBackAndEmptyPortStaysEmpty)
{
    FillNode();
    std::string uid = U8(node->UID);
    Open();
    Type(IDC_SRV_PORT, "");
    Type(IDC_SRV_SCRIPT_DELAY, "");
    Type(IDC_SRV_SCRIPT, "");
    Choose(IDC_SRV_PROTOCOL, CON_SERIAL);
    Choose(IDC_SRV_PASSWORD_MODE, PWMODE_DEFAULT);
    Ok();
    ASSERT_TRUE(Ended());
    EXPECT_EQ(node->Port, 0);
    EXPECT_EQ(node->ScriptDelay, 0);
    EXPECT_EQ(node->Script, nullptr);
    EXPECT_EQ(node->PuttyConType, CON_SERIAL);
    EXPECT_EQ(node->PasswordMode, PWMODE_DEFAULT);
    EXPECT_EQ(node->PasswordDelay, 800);
    EXPECT_EQ(U8(node->UID), uid);
    DestroyWindow(dialog);

    /* zero shows as an empty box again */
    Open();
    EXPECT_EQ(Text(IDC_SRV_PORT), "");
    EXPECT_EQ(Text(IDC_SRV_SCRIPT_DELAY), "");
    EXPECT_EQ(Text(IDC_SRV_PASSWORD_DELAY), "800");
    EXPECT_EQ(Selected(IDC_SRV_PROTOCOL), CON_SERIAL);
}

TEST_F(ServerProperties, NumberBoxesHoldOnlyWhatFits)
{
    StrAssign(&node->ServerName, L"h");
    Open();
    /* more digits than a port has: the box stops taking them rather than
     * wrapping to another port */
    Type(IDC_SRV_PORT, "12345678901");
    EXPECT_EQ(Text(IDC_SRV_PORT), "12345");
    Type(IDC_SRV_PASSWORD_DELAY, "99999999999999");
    EXPECT_EQ(Text(IDC_SRV_PASSWORD_DELAY), "999999999");
    Ok();
    EXPECT_EQ(node->Port, 12345);
    EXPECT_EQ(node->PasswordDelay, 999999999);
}

TEST_F(ServerProperties, SyntaxButtonShowsHelp)
{
    StrAssign(&node->ServerName, L"h");
    Open();
    Click(IDC_SCRIPT_SYNTAX);
    EXPECT_EQ(StubMessageCount, 1);
    EXPECT_TRUE(StubMessageFlags & MB_ICONINFORMATION);
    EXPECT_FALSE(Ended());
}
