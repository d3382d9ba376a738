/*
 * Kestrum.exe started on a damaged kestrum.xml: it starts, keeps a
 * ".broken" copy exactly when the file does not read as its own, and
 * after it saved, every server that could be read from the file is
 * still in it.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "config/config_file.h"
#include "config/server_tree.h"
#include "core/text.h"
#include "program_util.h"
#include "test_util.h"

static void CollectServers(const ServerNode *folder, std::multiset<std::string> *out)
{
    for (const ServerNode *n = folder->FirstChild; n; n = n->NextSibling) {
        if (n->Type == NODE_SERVER)
            out->insert(U8(n->DisplayName) + "|" + U8(n->ServerName) + "|" + U8(n->UserName) + "|" +
                        std::to_string(n->Port));
        CollectServers(n, out);
    }
}

/* The servers that loading these bytes gives, and whether they load. */
static std::multiset<std::string> Readable(const std::string &bytes, bool *applied)
{
    ResetModel();
    std::multiset<std::string> servers;
    *applied = ConfigApply(bytes.data(), (int)bytes.size()) == CONFIG_APPLIED;
    CollectServers(ServersRoot, &servers);
    ResetModel();
    return servers;
}

struct BrokenConfig : ::testing::Test {
    TempDir dir;

    /* Runs Kestrum on content, closes it, and checks what it left. */
    void Run(const std::string &content)
    {
        WText config = dir.File("kestrum.xml");
        ASSERT_TRUE(WriteBytes(config, content));
        /* found first, so that no question about PuTTY comes */
        ASSERT_TRUE(CopyFileW(WText(ProgramDir() + "\\putty_double.exe"), dir.File("putty.exe"), FALSE));
        bool applied = false;
        std::multiset<std::string> before = Readable(content, &applied);

        KestrumProcess k;
        ASSERT_TRUE(k.Start(dir.path)) << k.Describe();
        PostMessageW(k.Main, WM_CLOSE, 0, 0);
        ASSERT_EQ(k.WaitExit(15000), 0) << k.Describe();

        if (applied)
            EXPECT_FALSE(PathExists(dir.File("kestrum.xml.broken")));
        else
            EXPECT_EQ(ReadBytes(dir.File("kestrum.xml.broken")), content);
        EXPECT_EQ(ReadBytes(dir.File("kestrum.xml.bak")), content);
        EXPECT_FALSE(PathExists(dir.File("kestrum.xml.tmp")));
        std::string saved = ReadBytes(config);
        bool savedApplied = false;
        std::multiset<std::string> after = Readable(saved, &savedApplied);
        EXPECT_TRUE(savedApplied) << saved.substr(0, 200);
        for (const std::string &server : before)
            EXPECT_TRUE(after.count(server) >= before.count(server)) << "lost: " << server;
        RecordProperty("servers", (int)before.size());
    }
};

static std::string Server(int i)
{
    return "<Node Type=\"1\"><DisplayName>서버 " + std::to_string(i) + "</DisplayName><ServerName>h" +
           std::to_string(i) + ".example</ServerName><UserName>u</UserName><Port>22</Port></Node>\r\n";
}

TEST_F(BrokenConfig, TruncatedFile)
{
    std::string whole = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n<Settings>"
                        "<TabCaption>1</TabCaption></Settings>\r\n<Servers>\r\n";
    for (int i = 0; i < 8; i++)
        whole += i == 4 ? "<Node Type=\"0\"><DisplayName>폴더</DisplayName>\r\n" + Server(i) + "</Node>\r\n"
                        : Server(i);
    whole += "</Servers>\r\n<PuttySessions>\r\n</PuttySessions>\r\n</Kestrum>\r\n";
    /* cut inside the folder's server, in the middle of a UTF-8 character */
    size_t cut = whole.find("서버 4") + 4;
    Run(whole.substr(0, cut));
}

TEST_F(BrokenConfig, RandomBytes)
{
    std::string bytes;
    uint32_t x = 12345;
    for (int i = 0; i < 4096; i++) {
        x = x * 1103515245u + 12345u;
        bytes += (char)(x >> 24);
    }
    Run(bytes);
}

TEST_F(BrokenConfig, EmptyFile)
{
    Run("");
}

/* The right root, with sections of the wrong shape and stray content. */
TEST_F(BrokenConfig, GarbageSections)
{
    Run("<?xml version=\"1.0\"?>\r\n<Kestrum version=\"x\">stray text<Settings>garbage<TabCaption>yes</TabCaption>"
        "<Layout><Window show=\"zz\" left=\"q\"/><TreeWidth>-99999999999</TreeWidth></Layout>"
        "<Hotkeys><NextTab>abc</NextTab><Nonsense>5</Nonsense></Hotkeys><Recents>text<R></R><Q>x</Q></Recents>"
        "<SendScript Target=\"99\"><Text><b>bold</b></Text></SendScript></Settings>"
        "<Servers>junk<Node Type=\"7\"><DisplayName>odd type</DisplayName></Node>" + Server(1) +
        "<Unknown>" + Server(2) + "</Unknown><Node Type=\"0\"><DisplayName>폴더</DisplayName>junk" + Server(3) +
        "<Node Type=\"0\"/></Node><Node>no type</Node><Node Type=\"1\"><Port>65536x</Port></Node></Servers>"
        "<Servers>" + Server(4) + "</Servers><PuttySessions>%%%<Node Type=\"1\"/></PuttySessions>"
        "<OpenSessions>garbage<Nothing/></OpenSessions><Trailing/></Kestrum>");
}
