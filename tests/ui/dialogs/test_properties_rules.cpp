/*
 * The server properties dialog's rules without a window: modes and
 * titles, enabling, reading the boxes into a node, what OK refuses and
 * writes back, and the command preview.
 */
#include <gtest/gtest.h>

#include <limits.h>

#include <string>

#include "config/server_tree.h"
#include "config/settings.h"
#include "core/protect.h"
#include "core/text.h"
#include "resources/resource.h"
#include "sessions/putty_sessions.h"
#include "ui/dialogs/properties_rules.h"
#include "test_util.h"

namespace {

const char NOTE_TYPED[] = "\r\n(비밀번호는 PuTTY 창이 뜬 뒤 직접 입력합니다)";
const char NOTE_FILE[] = "\r\n(비밀번호는 잠시 쓰고 지우는 임시 파일로 전달합니다)";
const char NOTE_EXPOSED[] = "\r\n(주의: 비밀번호가 명령줄에 노출됩니다)";

wchar_t *Dup(const char *utf8)
{
    return StrDup(WText(utf8));
}

/* What the boxes of a freshly opened new-server dialog would hold, with
 * the texts given; the other boxes empty, SSH and "follow the settings". */
struct Boxes {
    const char *name = "", *host = "", *session = "Default Settings", *user = "", *password = "", *args = "",
               *script = "";
    int port = 0, passwordDelay = 0, scriptDelay = 0, protocol = CON_SSH, passwordMode = PWMODE_DEFAULT;
    bool custom = false;

    PropertiesValues Values() const
    {
        PropertiesValues v = {};
        v.DisplayName = Dup(name);
        v.ServerName = Dup(host);
        v.SavedSession = Dup(session);
        v.UserName = Dup(user);
        v.Password = Dup(password);
        v.CLParams = Dup(args);
        v.Script = Dup(script);
        v.Port = port;
        v.PasswordDelay = passwordDelay;
        v.ScriptDelay = scriptDelay;
        v.Protocol = protocol;
        v.PasswordMode = passwordMode;
        v.CustomCmd = custom;
        return v;
    }
};

struct PropertiesRules : ::testing::Test {
    ServerNode *node;

    void SetUp() override
    {
        node = BeginServerTest();
        StrAssign(&node->DisplayName, L"새 서버");
    }
    void TearDown() override { EndServerTest(node); }
    /* A temporary copy of node holding what the boxes say, as the dialog
     * makes one; NodeFree it. */
    ServerNode *Read(const Boxes &b)
    {
        ServerNode *copy = NodeCopy(node, false);
        PropertiesValues v = b.Values();
        ReadValuesIntoNode(&v, copy);
        ReleasePropertiesValues(&v);
        return copy;
    }
    std::string Preview(const Boxes &b)
    {
        ServerNode *copy = Read(b);
        wchar_t *text = PropertiesPreview(copy);
        std::string s = U8(text);
        StrFreeSecret(text);
        NodeFree(copy);
        return s;
    }
    int Problem(const Boxes &b)
    {
        ServerNode *copy = Read(b);
        int p = ValidateProperties(copy);
        NodeFree(copy);
        return p;
    }
    /* OK with these boxes: the problem found, and only without one the
     * node written. */
    int Ok(const Boxes &b)
    {
        ServerNode *copy = Read(b);
        int p = ValidateProperties(copy);
        if (p == PROPS_VALID)
            ApplyProperties(node, copy);
        NodeFree(copy);
        return p;
    }
};

std::string Title(const ServerNode *n, int mode)
{
    wchar_t *t = PropertiesTitle(n, mode);
    std::string s = t ? U8(t) : "<template>";
    MemFree(t);
    return s;
}

}  // namespace

TEST_F(PropertiesRules, ModeFollowsTheNodeBeforeTheFlag)
{
    EXPECT_EQ(PropertiesMode(node, false), PROPS_EDIT);
    EXPECT_EQ(PropertiesMode(node, true), PROPS_NEW);
    node->IsPuttySession = true;
    EXPECT_EQ(PropertiesMode(node, false), PROPS_SAVED_SESSION);
    EXPECT_EQ(PropertiesMode(node, true), PROPS_SAVED_SESSION);
}

TEST_F(PropertiesRules, TitlePerMode)
{
    EXPECT_EQ(Title(node, PROPS_EDIT), "<template>");
    EXPECT_EQ(Title(node, PROPS_NEW), "서버 추가");
    StrAssign(&node->SavedSession, L"router");
    EXPECT_EQ(Title(node, PROPS_SAVED_SESSION), "PuTTY 세션 로그인 정보 - router");
    StrAssign(&node->SavedSession, NULL);
    EXPECT_EQ(Title(node, PROPS_SAVED_SESSION), "PuTTY 세션 로그인 정보 - ");
    /* a name with a percent sign, and one longer than any format buffer */
    std::string longName = "100% " + std::string(1500, 'x');
    StrAssign(&node->SavedSession, WText(longName));
    EXPECT_EQ(Title(node, PROPS_SAVED_SESSION), "PuTTY 세션 로그인 정보 - " + longName);
}

TEST_F(PropertiesRules, EnablingRules)
{
    const int ids[] = { IDC_SRV_NAME, IDC_SRV_HOST, IDC_SRV_PORT, IDC_SRV_PROTOCOL, IDC_SRV_SESSION,
                        IDC_SRV_USER, IDC_SRV_CUSTOM_CMD };
    auto enabled = [&](int mode, bool custom) {
        std::string s;
        for (int id : ids)
            s += PropertiesControlEnabled(id, mode, custom) ? '1' : '0';
        return s;
    };
    /* name host port protocol session user custom */
    EXPECT_EQ(enabled(PROPS_EDIT, false), "1111111");
    EXPECT_EQ(enabled(PROPS_NEW, false), "1111111");
    EXPECT_EQ(enabled(PROPS_EDIT, true), "1000001");
    EXPECT_EQ(enabled(PROPS_SAVED_SESSION, false), "0000010");
    EXPECT_EQ(enabled(PROPS_SAVED_SESSION, true), "0000000");
    const int always[] = { IDC_SRV_PASSWORD, IDC_SRV_PASSWORD_DELAY, IDC_SRV_PASSWORD_MODE, IDC_SRV_ARGS,
                           IDC_SRV_SCRIPT, IDC_SRV_SCRIPT_DELAY, IDC_SRV_SHOW_PASSWORD };
    for (int id : always)
        for (int mode = PROPS_EDIT; mode <= PROPS_SAVED_SESSION; mode++) {
            EXPECT_TRUE(PropertiesControlEnabled(id, mode, false)) << id;
            EXPECT_TRUE(PropertiesControlEnabled(id, mode, true)) << id;
        }
}

TEST_F(PropertiesRules, SavedSessionBox)
{
    EXPECT_EQ(U8(SavedSessionBoxText(node)), "Default Settings");
    StrAssign(&node->SavedSession, NULL);
    EXPECT_EQ(U8(SavedSessionBoxText(node)), "Default Settings");
    StrAssign(&node->SavedSession, L"router");
    EXPECT_EQ(U8(SavedSessionBoxText(node)), "router");

    ServerNode *child = NodeNew(NODE_SERVER);
    StrAssign(&child->SavedSession, L"router");
    EXPECT_TRUE(OffersSavedSession(child));
    /* "Default Settings" heads the list already, in whatever case PuTTY
     * stored it */
    StrAssign(&child->SavedSession, L"DEFAULT settings");
    EXPECT_FALSE(OffersSavedSession(child));
    StrAssign(&child->SavedSession, NULL);
    EXPECT_FALSE(OffersSavedSession(child));
    NodeFree(child);
}

TEST_F(PropertiesRules, ReadingTheBoxes)
{
    node->IsPuttySession = false;
    node->Expanded = 1;
    node->NeedsPassword = true;
    std::string uid = U8(node->UID);
    Boxes b;
    b.name = "web";
    b.host = "web.example";
    b.session = "router";
    b.user = "ops";
    b.password = "s3cret";
    b.args = "-v";
    b.script = "ls\r\n";
    b.port = 822;
    b.passwordDelay = 700;
    b.scriptDelay = -5;
    b.protocol = CON_TELNET;
    b.passwordMode = PWMODE_CMDLINE;
    b.custom = true;
    ServerNode *c = Read(b);
    EXPECT_EQ(U8(c->DisplayName), "web");
    EXPECT_EQ(U8(c->ServerName), "web.example");
    EXPECT_EQ(U8(c->SavedSession), "router");
    EXPECT_EQ(U8(c->UserName), "ops");
    EXPECT_EQ(U8(NodePassword(c)), "s3cret");
    EXPECT_EQ(U8(c->CLParams), "-v");
    EXPECT_EQ(U8(c->Script), "ls\r\n");
    EXPECT_EQ(c->Port, 822);
    EXPECT_EQ(c->PasswordDelay, 700);
    EXPECT_EQ(c->ScriptDelay, 0);       /* a negative delay (pasted) is none */
    EXPECT_EQ(c->PuttyConType, CON_TELNET);
    EXPECT_EQ(c->PasswordMode, PWMODE_CMDLINE);
    EXPECT_EQ(c->CustomCmd, 1);
    /* what the boxes do not show stays */
    EXPECT_EQ(U8(c->UID), uid);
    EXPECT_EQ(c->Type, NODE_SERVER);
    EXPECT_EQ(c->Expanded, 1);
    EXPECT_TRUE(c->NeedsPassword);
    NodeFree(c);

    /* empty boxes give no texts; no selection gives SSH and the settings'
     * password mode */
    StrAssign(&node->UserName, L"old");
    NodeSetPassword(node, L"old");
    Boxes empty;
    empty.session = "";
    empty.protocol = -1;
    empty.passwordMode = -1;
    c = Read(empty);
    EXPECT_EQ(c->DisplayName, nullptr);
    EXPECT_EQ(c->ServerName, nullptr);
    EXPECT_EQ(c->SavedSession, nullptr);
    EXPECT_EQ(c->UserName, nullptr);
    EXPECT_EQ(NodePassword(c), nullptr);
    EXPECT_EQ(c->CLParams, nullptr);
    EXPECT_EQ(c->Script, nullptr);
    EXPECT_EQ(c->PuttyConType, CON_SSH);
    EXPECT_EQ(c->PasswordMode, PWMODE_DEFAULT);
    EXPECT_EQ(c->CustomCmd, 0);
    NodeFree(c);

    /* delays beyond nine digits are cut, so that their sum fits an int */
    Boxes big;
    big.passwordDelay = INT_MAX;
    big.scriptDelay = 999999999;
    c = Read(big);
    EXPECT_EQ(c->PasswordDelay, 999999999);
    EXPECT_EQ(c->ScriptDelay, 999999999);
    NodeFree(c);
}

TEST_F(PropertiesRules, HostOrSavedSessionRequired)
{
    Boxes b;
    EXPECT_EQ(Problem(b), PROPS_NEED_HOST);
    b.session = "default SETTINGS";
    EXPECT_EQ(Problem(b), PROPS_NEED_HOST);
    b.session = "";
    EXPECT_EQ(Problem(b), PROPS_NEED_HOST);
    b.session = "router";
    EXPECT_EQ(Problem(b), PROPS_VALID);
    b.session = "Default Settings";
    b.host = "h";
    EXPECT_EQ(Problem(b), PROPS_VALID);

    /* the login data of a saved session has no host of its own */
    node->IsPuttySession = true;
    EXPECT_EQ(Problem(Boxes()), PROPS_VALID);

    EXPECT_EQ(U8(PropertiesProblemText(PROPS_NEED_HOST)), "호스트를 입력하거나 PuTTY 세션을 고르세요.");
    EXPECT_EQ(PropertiesProblemControl(PROPS_NEED_HOST), IDC_SRV_HOST);
}

TEST_F(PropertiesRules, CustomCommandNeedsArgumentsNotHost)
{
    Boxes b;
    b.custom = true;
    EXPECT_EQ(Problem(b), PROPS_NEED_ARGS);
    b.args = "-load router";
    EXPECT_EQ(Problem(b), PROPS_VALID);
    /* a saved-session node that carries a custom command line is held to
     * it too */
    node->IsPuttySession = true;
    b.args = "";
    EXPECT_EQ(Problem(b), PROPS_NEED_ARGS);

    EXPECT_EQ(U8(PropertiesProblemText(PROPS_NEED_ARGS)), "'명령줄 직접 지정'을 쓰려면 명령줄 인자를 입력하세요.");
    EXPECT_EQ(PropertiesProblemControl(PROPS_NEED_ARGS), IDC_SRV_ARGS);
}

TEST_F(PropertiesRules, RefusedOkLeavesTheNodeAlone)
{
    StrAssign(&node->ServerName, L"keep.example");
    node->Port = 22;
    Boxes b;
    b.name = "changed";
    b.port = 23;
    EXPECT_EQ(Ok(b), PROPS_NEED_HOST);
    b.custom = true;
    EXPECT_EQ(Ok(b), PROPS_NEED_ARGS);
    EXPECT_EQ(U8(node->DisplayName), "새 서버");
    EXPECT_EQ(U8(node->ServerName), "keep.example");
    EXPECT_EQ(node->Port, 22);
    EXPECT_EQ(node->CustomCmd, 0);
}

TEST_F(PropertiesRules, EmptyDisplayNameIsFilledIn)
{
    Boxes b;
    b.host = "h.example";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(U8(node->DisplayName), "h.example");

    b.host = "";
    b.session = "router";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(U8(node->DisplayName), "router");

    /* without host, a custom command line takes the saved session's name */
    b.session = "Default Settings";
    b.custom = true;
    b.args = "-load x";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(U8(node->DisplayName), "Default Settings");

    b.name = "mine";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(U8(node->DisplayName), "mine");
}

TEST_F(PropertiesRules, OkWritesEveryFieldAndNothingElse)
{
    ServerNode *folder = NodeNew(NODE_FOLDER);
    NodeAppendChild(folder, node);
    ServerNode *next = NodeNew(NODE_SERVER);
    NodeAppendChild(folder, next);
    std::string uid = U8(node->UID);
    node->Port = 22;
    node->ScriptDelay = 300;
    StrAssign(&node->Script, L"old");

    Boxes b;
    b.name = "db";
    b.host = "db.example";
    b.session = "router";
    b.user = "admin";
    b.password = "pw";
    b.args = "-C";
    b.port = 0;          /* an emptied port box */
    b.passwordDelay = 900;
    b.protocol = CON_RLOGIN;
    b.passwordMode = PWMODE_TYPE;
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(U8(node->DisplayName), "db");
    EXPECT_EQ(U8(node->ServerName), "db.example");
    EXPECT_EQ(U8(node->SavedSession), "router");
    EXPECT_EQ(U8(node->UserName), "admin");
    EXPECT_EQ(U8(NodePassword(node)), "pw");
    EXPECT_EQ(U8(node->CLParams), "-C");
    EXPECT_EQ(node->Script, nullptr);
    EXPECT_EQ(node->Port, 0);
    EXPECT_EQ(node->PasswordDelay, 900);
    EXPECT_EQ(node->ScriptDelay, 0);
    EXPECT_EQ(node->PuttyConType, CON_RLOGIN);
    EXPECT_EQ(node->PasswordMode, PWMODE_TYPE);
    EXPECT_EQ(node->CustomCmd, 0);
    EXPECT_EQ(U8(node->UID), uid);
    EXPECT_EQ(node->Parent, folder);
    EXPECT_EQ(node->NextSibling, next);
    EXPECT_EQ(folder->FirstChild, node);

    NodeUnlink(node);
    NodeFreeTree(folder);
}

TEST_F(PropertiesRules, UnchangedPasswordKeepsItsProtectedForm)
{
    /* as loaded from the configuration: sealed, opened when first used */
    wchar_t *sealed = ProtectPassword(L"pw");
    ASSERT_NE(sealed, nullptr);
    node->SealedPassword = sealed;
    StrAssign(&node->ServerName, L"h");
    Boxes b;
    b.host = "h";
    b.password = "pw";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(node->SealedPassword, sealed);
    EXPECT_EQ(U8(NodePassword(node)), "pw");

    b.password = "new";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(node->SealedPassword, nullptr);
    EXPECT_EQ(U8(NodePassword(node)), "new");

    /* a shorter new password, the start of the old one: compared whole */
    b.password = "ne";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(U8(NodePassword(node)), "ne");
    NodeSetPassword(node, L"a much longer old password");
    b.password = "a";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(U8(NodePassword(node)), "a");

    b.password = "";
    ASSERT_EQ(Ok(b), PROPS_VALID);
    EXPECT_EQ(NodePassword(node), nullptr);
}

TEST_F(PropertiesRules, PreviewOfAnSshServer)
{
    Boxes b;
    b.host = "h";
    b.port = 822;
    b.user = "u";
    b.password = "secret";
    b.passwordMode = PWMODE_CMDLINE;
    EXPECT_EQ(Preview(b), std::string("putty.exe -ssh -P 822 -l u -pw ******** h") + NOTE_EXPOSED);
    b.password = "";
    EXPECT_EQ(Preview(b), "putty.exe -ssh -P 822 -l u h");
}

TEST_F(PropertiesRules, PreviewNotesTheDelivery)
{
    Boxes b;
    b.host = "h";
    b.password = "secret";
    b.passwordMode = PWMODE_PWFILE;
    EXPECT_EQ(Preview(b), std::string("putty.exe -ssh -pwfile <임시 파일> h") + NOTE_FILE);
    b.passwordMode = PWMODE_TYPE;
    EXPECT_EQ(Preview(b), std::string("putty.exe -ssh h") + NOTE_TYPED);
    /* automatic with a PuTTY too old for -pwfile */
    PuttyVersionMinor = 76;
    b.passwordMode = PWMODE_AUTO;
    EXPECT_EQ(Preview(b), std::string("putty.exe -ssh h") + NOTE_TYPED);
    /* "follow the settings" asks Settings.PasswordMode */
    PuttyVersionMinor = 78;
    Settings.PasswordMode = PWMODE_CMDLINE;
    b.passwordMode = PWMODE_DEFAULT;
    EXPECT_EQ(Preview(b), std::string("putty.exe -ssh -pw ******** h") + NOTE_EXPOSED);
}

TEST_F(PropertiesRules, PreviewOfSessionsAndCustomCommands)
{
    Boxes b;
    b.session = "My host";
    b.protocol = CON_FROM_SESSION;
    EXPECT_EQ(Preview(b), "putty.exe -load \"My host\"");
    b.session = "default settings";
    b.host = "h";
    EXPECT_EQ(Preview(b), "putty.exe h");

    /* the custom command line drops host, port, protocol, session, user */
    b.custom = true;
    b.args = "-load router -P 2200";
    b.user = "u";
    b.port = 22;
    b.password = "secret";
    b.passwordMode = PWMODE_CMDLINE;
    EXPECT_EQ(Preview(b), std::string("putty.exe -load router -P 2200 -pw ********") + NOTE_EXPOSED);
    /* its own -pw stands, in any case, and the preview shows it as typed */
    b.args = "-load router -PW given";
    EXPECT_EQ(Preview(b), "putty.exe -load router -PW given");
}

TEST_F(PropertiesRules, PreviewNeverShowsThePassword)
{
    Boxes b;
    b.host = "h";
    b.password = "p@ss word\\";
    for (int mode = PWMODE_DEFAULT; mode < PWMODE_COUNT; mode++) {
        b.passwordMode = mode;
        EXPECT_EQ(Preview(b).find("ss word"), std::string::npos) << mode;
    }
}
