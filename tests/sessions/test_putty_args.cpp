/*
 * PuTTY arguments, password delivery modes and the CLParams tools.
 */
#include <gtest/gtest.h>

#include "config/server_params.h"
#include "config/server_tree.h"
#include "config/settings.h"
#include "core/text.h"
#include "sessions/putty_args.h"
#include "sessions/putty_sessions.h"
#include "test_util.h"

struct PuttyArgs : ::testing::Test {
    ServerNode *n;
    void SetUp() override
    {
        n = BeginServerTest();
        StrAssign(&n->ServerName, L"example.net");
    }
    void TearDown() override { EndServerTest(n); }
    std::string Args(bool masked = false, const wchar_t *file = NULL, int *mode = NULL, const wchar_t *log = NULL)
    {
        wchar_t *t = BuildPuttyArguments(n, file, log, masked, mode);
        std::string s = U8(t);
        StrFreeSecret(t);
        return s;
    }
    void Set(wchar_t **field, const char *value) { StrAssign(field, WText(value)); }
};

static std::string Quoted(const char *arg, const char *before = "")
{
    TextBuilder b = {};
    b.Append(WText(before));
    AppendQuotedArgument(&b, WText(arg));
    std::string s = U8(b.Text());
    b.Release();
    return s;
}

TEST(ArgQuoting, WindowsCommandLineRules)
{
    EXPECT_EQ(Quoted("plain"), "plain");
    EXPECT_EQ(Quoted(""), "\"\"");
    EXPECT_EQ(Quoted("C:\\a b\\"), "\"C:\\a b\\\\\"");
    EXPECT_EQ(Quoted("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(Quoted("a\\\\\"b"), "\"a\\\\\\\\\\\"b\"");      /* a\\"b -> "a\\\\\"b" */
    EXPECT_EQ(Quoted("tab\there"), "\"tab\there\"");
    EXPECT_EQ(Quoted("C:\\no\\spaces\\"), "C:\\no\\spaces\\");
    EXPECT_EQ(Quoted("line\nbreak"), "line\nbreak");
    EXPECT_EQ(Quoted("x", "-P"), "-P x");
    TextBuilder b = {};
    AppendRawArguments(&b, L"");
    EXPECT_EQ(b.Length, 0);
    AppendRawArguments(&b, L"-v \"a b\"");
    AppendRawArguments(&b, L"-C");
    EXPECT_EQ(U8(b.Text()), "-v \"a b\" -C");
    b.Release();
}

TEST_F(PuttyArgs, FixedOrder)
{
    Set(&n->SavedSession, "My host");
    n->PuttyConType = CON_TELNET;
    n->Port = 2323;
    Set(&n->UserName, "root");
    Set(&n->Password, "pw");
    n->PasswordMode = PWMODE_CMDLINE;
    Set(&n->CLParams, "-v -L 80:x:80");
    int mode = -1;
    EXPECT_EQ(Args(false, NULL, &mode),
              "-load \"My host\" -telnet -P 2323 -l root -pw pw -v -L 80:x:80 example.net");
    EXPECT_EQ(mode, DELIVER_CMDLINE);
    EXPECT_EQ(Args(true), "-load \"My host\" -telnet -P 2323 -l root -pw ******** -v -L 80:x:80 example.net");
    /* the session log before the host, "&" kept from PuTTY's name patterns */
    EXPECT_EQ(Args(false, NULL, NULL, L"C:\\Logs & more\\a&T.log"),
              "-load \"My host\" -telnet -P 2323 -l root -pw pw -v -L 80:x:80 "
              "-sessionlog \"C:\\Logs && more\\a&&T.log\" -logoverwrite example.net");
}

TEST_F(PuttyArgs, SessionProtocolPortRules)
{
    Set(&n->SavedSession, "default settings");
    EXPECT_EQ(Args(), "-ssh example.net");
    n->PuttyConType = CON_SERIAL;
    n->Port = 9600;
    EXPECT_EQ(Args(), "-serial example.net");
    n->PuttyConType = CON_FROM_SESSION;
    n->Port = 0;
    EXPECT_EQ(Args(), "example.net");
    n->Port = -5;
    n->PuttyConType = 9;
    EXPECT_EQ(Args(), "example.net");
    StrAssign(&n->ServerName, NULL);
    EXPECT_EQ(Args(), "");
    Set(&n->ServerName, "has space");
    EXPECT_EQ(Args(), "\"has space\"");
}

TEST_F(PuttyArgs, PasswordOnTheCommandLine)
{
    n->PasswordMode = PWMODE_CMDLINE;
    Set(&n->Password, "a b\\");
    EXPECT_EQ(Args(), "-ssh -pw \"a b\\\\\" example.net");
    Set(&n->Password, "x");
    EXPECT_EQ(Args(true), "-ssh -pw ******** example.net");
}

TEST_F(PuttyArgs, PasswordFileForms)
{
    n->PasswordMode = PWMODE_PWFILE;
    Set(&n->Password, "secret");
    int mode = 0;
    EXPECT_EQ(Args(true, NULL, &mode), "-ssh -pwfile <임시 파일> example.net");
    EXPECT_EQ(mode, DELIVER_PWFILE);
    EXPECT_EQ(Args(false, L"C:\\Temp Dir\\ksw1.tmp"), "-ssh -pwfile \"C:\\Temp Dir\\ksw1.tmp\" example.net");
    EXPECT_EQ(Args(true, L"C:\\t\\ksw1.tmp"), "-ssh -pwfile C:\\t\\ksw1.tmp example.net");
    EXPECT_EQ(Args(false).find("secret"), std::string::npos);
}

TEST_F(PuttyArgs, EffectiveModes)
{
    Set(&n->Password, "pw");
    struct { int major, minor, con, nodeMode, globalMode, expect; } cases[] = {
        { 0, 76, CON_SSH, PWMODE_AUTO, 1, DELIVER_TYPE },
        { 0, 77, CON_TELNET, PWMODE_AUTO, 1, DELIVER_TYPE },
        { 0, 77, CON_SSH, PWMODE_AUTO, 1, DELIVER_PWFILE },
        { 0, 77, CON_FROM_SESSION, PWMODE_AUTO, 1, DELIVER_PWFILE },
        { 0, 76, CON_SSH, PWMODE_PWFILE, 1, DELIVER_TYPE },
        { 1, 0, CON_SSH, PWMODE_PWFILE, 1, DELIVER_PWFILE },
        { 0, 0, CON_SSH, PWMODE_DEFAULT, 4, DELIVER_CMDLINE },
        { 0, 78, CON_SSH, PWMODE_DEFAULT, 2, DELIVER_TYPE },
        { 0, 78, CON_SSH, 9, 4, DELIVER_PWFILE },            /* odd node values are automatic */
        { 0, 78, CON_RAW, PWMODE_TYPE, 3, DELIVER_TYPE },
    };
    for (auto &c : cases) {
        PuttyVersionMajor = c.major;
        PuttyVersionMinor = c.minor;
        n->PuttyConType = c.con;
        n->PasswordMode = c.nodeMode;
        Settings.PasswordMode = c.globalMode;
        EXPECT_EQ(EffectivePasswordMode(n), c.expect)
            << c.major << "." << c.minor << " con " << c.con << " mode " << c.nodeMode;
    }
    StrAssign(&n->Password, NULL);
    n->PuttyConType = CON_SSH;
    n->PasswordMode = PWMODE_CMDLINE;
    int mode = -1;
    EXPECT_EQ(Args(false, NULL, &mode), "-ssh example.net");
    EXPECT_EQ(mode, DELIVER_NONE);
}

TEST_F(PuttyArgs, Delay)
{
    EXPECT_EQ(EffectivePasswordDelay(n), 1500);
    n->PasswordDelay = 300;
    EXPECT_EQ(EffectivePasswordDelay(n), 300);
    n->PasswordDelay = -1;
    Settings.PasswordDelay = 900;
    EXPECT_EQ(EffectivePasswordDelay(n), 900);
}

TEST_F(PuttyArgs, CustomCommand)
{
    n->CustomCmd = 1;
    Set(&n->SavedSession, "s");
    n->Port = 22;
    Set(&n->UserName, "u");
    Set(&n->CLParams, "-ssh -PW mine host");
    Set(&n->Password, "pw");
    n->PasswordMode = PWMODE_CMDLINE;
    int mode = -1;
    EXPECT_EQ(Args(false, NULL, &mode), "-ssh -PW mine host");
    EXPECT_EQ(mode, DELIVER_NONE);
    Set(&n->CLParams, "-ssh u@host");
    EXPECT_EQ(Args(false, NULL, &mode), "-ssh u@host -pw pw");
    EXPECT_EQ(mode, DELIVER_CMDLINE);
    EXPECT_EQ(Args(false, NULL, NULL, L"C:\\t.log"), "-sessionlog C:\\t.log -logoverwrite -ssh u@host -pw pw");
}

TEST(Tokens, SplitKeepsQuotes)
{
    ParamToken t[MAX_PARAM_TOKENS];
    const wchar_t *text = L"  a \"b c\"\td  ";
    ASSERT_EQ(TokenizeParams(text, t, MAX_PARAM_TOKENS), 3);
    EXPECT_EQ(t[1].Start, 4);
    EXPECT_EQ(t[1].Length, 5);
    wchar_t *u = UnquoteToken(text, t[1]);
    EXPECT_EQ(U8(u), "b c");
    MemFree(u);
    const wchar_t *lone = L"x \"rest of it";
    ASSERT_EQ(TokenizeParams(lone, t, MAX_PARAM_TOKENS), 2);
    EXPECT_EQ(t[1].Length, 11);
    EXPECT_EQ(TokenizeParams(NULL, t, 4), 0);
    EXPECT_EQ(TokenizeParams(L"   ", t, 4), 0);
    EXPECT_EQ(TokenizeParams(L"a b c d e", t, 3), 3);
    const wchar_t *esc = L"\"a\\\"b\\c\"";
    ASSERT_EQ(TokenizeParams(esc, t, 4), 1);
    u = UnquoteToken(esc, t[0]);
    EXPECT_EQ(U8(u), "a\"b\\c");
    MemFree(u);
    EXPECT_TRUE(ParamsContainToken(L"-ssh -PW x", L"-pw"));
    EXPECT_FALSE(ParamsContainToken(L"-pwx \"-pw\"", L"-pw"));
    EXPECT_FALSE(ParamsContainToken(NULL, L"-pw"));
}

static int Extract(ServerNode *n, const char *params)
{
    StrAssign(&n->CLParams, WText(params));
    return ExtractPasswordFromParams(n);
}

TEST(ExtractPassword, Outcomes)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    EXPECT_EQ(Extract(n, ""), EXTRACT_NONE);
    EXPECT_EQ(Extract(n, "-pw"), EXTRACT_NONE);
    EXPECT_EQ(U8(n->CLParams), "-pw");
    EXPECT_EQ(Extract(n, "-v -pw \"p w\" -C"), EXTRACT_TAKEN);
    EXPECT_EQ(U8(n->Password), "p w");
    EXPECT_EQ(U8(n->CLParams), "-v -C");
    EXPECT_EQ(Extract(n, "-pw ******"), EXTRACT_MASKED);
    EXPECT_EQ(n->CLParams, nullptr);
    EXPECT_EQ(U8(n->Password), "p w");                 /* a masked value leaves it */
    EXPECT_EQ(Extract(n, "-pw \"\" -x"), EXTRACT_MASKED);
    EXPECT_EQ(U8(n->CLParams), "-x");
    EXPECT_EQ(Extract(n, "-pw one  -pw two\t-P 22"), EXTRACT_TAKEN);
    EXPECT_EQ(U8(n->Password), "one");
    EXPECT_EQ(U8(n->CLParams), "-pw two -P 22");
    EXPECT_EQ(Extract(n, "-PW upper"), EXTRACT_NONE);   /* the pair is matched with case */
    EXPECT_EQ(U8(n->CLParams), "-PW upper");
    NodeFree(n);
}

TEST(ExtractPassword, TokensBeyondTheLimitAreKept)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    std::string params = "-pw secret";
    for (int i = 0; i < 200; i++)
        params += " t" + std::to_string(i);
    EXPECT_EQ(Extract(n, params.c_str()), EXTRACT_TAKEN);
    std::string rest = U8(n->CLParams);
    EXPECT_EQ(rest.substr(0, 6), "t0 t1 ");
    EXPECT_NE(rest.find(" t199"), std::string::npos);
    EXPECT_EQ(rest.find("secret"), std::string::npos);
    NodeFree(n);
}

TEST(ExtractPassword, MarkPasswordlessServers)
{
    ServerNode *root = NodeNew(NODE_FOLDER), *sub = NodeNew(NODE_FOLDER);
    ServerNode *taken = NodeNew(NODE_SERVER), *masked = NodeNew(NODE_SERVER);
    ServerNode *marked = NodeNew(NODE_SERVER), *fine = NodeNew(NODE_SERVER);
    StrAssign(&taken->CLParams, L"-ssh -pw real -P 22");
    StrAssign(&masked->CLParams, L"-pw *****");
    marked->NeedsPassword = true;
    StrAssign(&fine->Password, L"kept");
    fine->NeedsPassword = true;
    NodeAppendChild(root, taken);
    NodeAppendChild(root, sub);
    NodeAppendChild(sub, masked);
    NodeAppendChild(sub, marked);
    NodeAppendChild(root, fine);
    int count = 0;
    MarkPasswordlessServers(root, &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(U8(taken->Password), "real");
    EXPECT_EQ(U8(taken->CLParams), "-ssh -P 22");
    EXPECT_FALSE(taken->NeedsPassword);
    EXPECT_TRUE(masked->NeedsPassword);
    EXPECT_EQ(masked->CLParams, nullptr);
    EXPECT_TRUE(marked->NeedsPassword);
    EXPECT_FALSE(fine->NeedsPassword);
    NodeFreeTree(root);
}
