/*
 * The script language, key queues and the queue player, driven through
 * the player's hooks: a fake session lookup, a poster that records the
 * messages and a clock the tests set.
 */
#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "config/server_tree.h"
#include "core/protect.h"
#include "core/text.h"
#include "sessions/key_script.h"
#include "sessions/output_watch.h"
#include "test_util.h"

namespace {

struct Target {
    int State;
    void *Window;
};
struct Posted {
    void *Window;
    unsigned Message;
    uintptr_t WParam, LParam;
};

std::map<int, Target> Targets;     /* sessions absent here are gone */
std::vector<Posted> Log;
uint32_t Clock;
uint32_t ClockPerPost;              /* ms that each post takes */

int FakeLookup(int sessionId, void **window)
{
    auto it = Targets.find(sessionId);
    if (it == Targets.end())
        return KEY_TARGET_GONE;
    *window = it->second.Window;
    return it->second.State;
}

void FakePost(void *window, unsigned message, uintptr_t wParam, uintptr_t lParam)
{
    Log.push_back({ window, message, wParam, lParam });
    Clock += ClockPerPost;
}

/* Scan codes that differ from the key codes. */
unsigned FakeScanCode(unsigned vk)
{
    return vk + 0x10;
}

uint32_t FakeClock()
{
    return Clock;
}

void *const WINDOW_A = (void *)0x1000;
void *const WINDOW_B = (void *)0x2000;

}  // namespace

/* Every queue is released at the end, through the player, so that the
 * leak checker sees what a forgotten queue would cost. */
struct KeyTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(KeyQueueList, nullptr);
        Targets.clear();
        Log.clear();
        Clock = 1000;
        ClockPerPost = 0;
        KeyTargetLookup = FakeLookup;
        KeyMessagePost = FakePost;
        KeyScanCode = FakeScanCode;
        KeyTickCount = FakeClock;
    }
    void TearDown() override
    {
        Targets.clear();
        PumpKeyQueues();
        EXPECT_EQ(KeyQueueList, nullptr);
        KeyTargetLookup = NULL;
        KeyMessagePost = NULL;
        KeyScanCode = NULL;
        KeyTickCount = NULL;
        KeyOutputWatched = NULL;
        KeyNotice = NULL;
    }

    /* Events in a compact form: printable ASCII as itself, other
     * characters as <code>, keys as [Khex], waits as [Wms]. */
    static std::string Show(const KeyQueue *q)
    {
        std::string s;
        char buf[32];
        for (int i = 0; i < q->Count; i++) {
            const KeyEvent &e = q->Events[i];
            if (e.Kind == KEY_CHAR && e.Value >= 32 && e.Value < 127 && e.Value != '<' && e.Value != '[')
                s += (char)e.Value;
            else if (e.Kind == KEY_CHAR)
                snprintf(buf, sizeof buf, "<%d>", e.Value), s += buf;
            else if (e.Kind == KEY_KEY)
                snprintf(buf, sizeof buf, "[K%X]", e.Value), s += buf;
            else if (e.Kind == KEY_WAIT)
                snprintf(buf, sizeof buf, "[W%d]", e.Value), s += buf;
            else if (e.Kind == KEY_TIMEOUT)
                snprintf(buf, sizeof buf, "[T%d]", e.Value), s += buf;
            else if (e.Kind == KEY_WAIT_FOR) {
                s += "[F:";
                for (int k = 1; k <= e.Value && i + 1 < q->Count && q->Events[i + 1].Kind == KEY_WAIT_TEXT; k++)
                    s += (char)q->Events[++i].Value;
                s += "]";
            } else
                s += "[?]";
        }
        return s;
    }
    static std::string Parse(const std::string &script, const ServerNode *node = NULL)
    {
        KeyQueue *q = NewKeyQueue(1, 0, 0);
        ParseScript(q, WText(script), node);
        return Show(q);
    }

    /* What the poster saw, in the same compact form; keys as
     * [D..]/[U..] with their lParam. */
    static std::string Typed()
    {
        std::string s;
        char buf[48];
        for (const Posted &p : Log) {
            if (p.Message == KEY_MSG_CHAR && p.LParam == 1 && p.WParam >= 32 && p.WParam < 127 &&
                p.WParam != '<' && p.WParam != '[')
                s += (char)p.WParam;
            else if (p.Message == KEY_MSG_CHAR)
                snprintf(buf, sizeof buf, "<%u/%X>", (unsigned)p.WParam, (unsigned)p.LParam), s += buf;
            else
                snprintf(buf, sizeof buf, "[%c%X/%08X]", p.Message == KEY_MSG_KEYDOWN ? 'D' : 'U',
                         (unsigned)p.WParam, (unsigned)p.LParam), s += buf;
        }
        Log.clear();
        return s;
    }
    static int QueueCount()
    {
        int n = 0;
        for (KeyQueue *q = KeyQueueList; q; q = q->Next)
            n++;
        return n;
    }
};

struct KeyScript : KeyTest {};
struct KeyQueues : KeyTest {};
struct KeyPlayer : KeyTest {};

/* Sessions whose output is read: session 1's and 2's through watches
 * the test feeds; the notices the player gives are recorded. */
struct ScriptWaits : KeyTest {
    static OutputWatch Watch[3];
    static std::vector<std::pair<int, int>> Notices;
    static bool Watched;
    void SetUp() override
    {
        KeyTest::SetUp();
        for (OutputWatch &w : Watch) {
            memset(&w, 0, sizeof w);
            WatchSkip(&w);
        }
        Notices.clear();
        Watched = true;
        KeyOutputWatched = [](int) { return Watched; };
        KeyNotice = [](int id, int notice) { Notices.push_back({ id, notice }); };
        Targets[1] = { KEY_TARGET_READY, WINDOW_A };
        Targets[2] = { KEY_TARGET_READY, WINDOW_B };
    }
    static void Output(int id, const std::string &bytes)
    {
        WatchFeed(&Watch[id], (const unsigned char *)bytes.data(), (int)bytes.size());
        KeyOutputArrived(id, &Watch[id]);
    }
};
OutputWatch ScriptWaits::Watch[3];
std::vector<std::pair<int, int>> ScriptWaits::Notices;
bool ScriptWaits::Watched;

TEST_F(KeyScript, LineBreaksAreEnter)
{
    EXPECT_EQ(Parse("ls\r\n"), "ls<13>");
    EXPECT_EQ(Parse("ls\n"), "ls<13>");
    EXPECT_EQ(Parse("ls\r"), "ls<13>");
    EXPECT_EQ(Parse("ls{ENTER}"), "ls<13>");
    EXPECT_EQ(Parse("ls"), "ls");
    EXPECT_EQ(Parse("a\r\r\nb\n\n\rc"), "a<13><13>b<13><13><13>c");
    EXPECT_EQ(Parse("\n\r"), "<13><13>");
    EXPECT_EQ(Parse(""), "");
    EXPECT_EQ(Parse("한 😀"), "<54620> <55357><56832>");
}

TEST_F(KeyScript, BracesTypedAsText)
{
    EXPECT_EQ(Parse("{{"), "{");
    EXPECT_EQ(Parse("{{}"), "{}");
    EXPECT_EQ(Parse("{{UP}"), "{UP}");
    EXPECT_EQ(Parse("{"), "{");
    EXPECT_EQ(Parse("x{"), "x{");
    EXPECT_EQ(Parse("{}"), "{}");
    EXPECT_EQ(Parse("}"), "}");
    EXPECT_EQ(Parse("{UP"), "{UP");
    EXPECT_EQ(Parse("{ UP}"), "{ UP}");
    EXPECT_EQ(Parse("{nope}{UP}"), "{nope}[K26]");
    /* after a failed word the parser goes on right after its brace */
    EXPECT_EQ(Parse("{x{UP}}"), "{x[K26]}");
    EXPECT_EQ(Parse("{{{UP}"), "{[K26]");

    /* a word may be 39 characters: the closing brace within 40 */
    std::string word39 = "WAIT " + std::string(31, ' ') + "500";
    ASSERT_EQ(word39.size(), 39u);
    EXPECT_EQ(Parse("{" + word39 + "}"), "[W500]");
    EXPECT_EQ(Parse("{ " + word39 + "}"), "{ " + word39 + "}");
    EXPECT_EQ(Parse("{" + word39 + " }x"), "{" + word39 + " }x");

    /* a line feed before the closing brace breaks the word */
    EXPECT_EQ(Parse("{WAIT\n500}"), "{WAIT<13>500}");
    EXPECT_EQ(Parse("{UP\r\n}"), "{UP<13>}");
    EXPECT_EQ(Parse("{WAIT 500"), "{WAIT 500");
}

TEST_F(KeyScript, SpecialKeysInAnyCase)
{
    EXPECT_EQ(Parse("{enter}{Enter}{ENTER}{eNtEr}"), "<13><13><13><13>");
    EXPECT_EQ(Parse("{Esc}{tab}{bs}{Space}{up}{DOWN}{left}{right}{home}{end}{pgup}{pgdn}{ins}{del}"),
              "<27><9>[K8] [K26][K28][K25][K27][K24][K23][K21][K22][K2D][K2E]");
    EXPECT_EQ(Parse("{ctrl+c}{CTRL+D}{Ctrl+z}{ctrl+l}{ctrl+a}{ctrl+e}{ctrl+r}{ctrl+u}{ctrl+w}{ctrl+x}"),
              "<3><4><26><12><1><5><18><21><23><24>");
    EXPECT_EQ(Parse("{f1}{F5}{F10}{f12}"), "[K70][K74][K79][K7B]");
    EXPECT_EQ(Parse("{F13}{F0}"), "{F13}{F0}");
    EXPECT_EQ(Parse("{ENTER\xC2\xAD}"), "{ENTER<173>}");

    /* every row is reachable by its name, upper or lower case */
    for (int row = 0; row < SPECIAL_KEY_COUNT; row++) {
        const SpecialKeyRow &r = SpecialKeyTable[row];
        std::string name = U8(r.Name), lower = name;
        for (char &c : lower)
            c = (char)tolower((unsigned char)c);
        for (const std::string &n : { name, lower }) {
            KeyQueue *q = NewKeyQueue(1, 0, 0);
            ParseScript(q, WText("{" + n + "}"), NULL);
            ASSERT_EQ(q->Count, 1) << n;
            EXPECT_EQ(q->Events[0].Kind, r.Char ? KEY_CHAR : KEY_KEY) << n;
            EXPECT_EQ(q->Events[0].Value, r.Char ? r.Char : r.VirtualKey) << n;
        }
    }
}

#ifdef _WIN32
/* The locales the text comparison asks for, seen by a stand-in put into
 * this program's import table in place of CompareStringW. */
static std::vector<LCID> ComparedLocales;
static decltype(&CompareStringW) RealCompare;

static int WINAPI RecordingCompare(LCID locale, DWORD flags, LPCWSTR a, int aLen, LPCWSTR b, int bLen)
{
    ComparedLocales.push_back(locale);
    return RealCompare(locale, flags, a, aLen, b, bLen);
}

/* The import table slot of a function of kernel32, or null. */
static FARPROC *KernelImportSlot(const char *name)
{
    BYTE *base = (BYTE *)GetModuleHandleW(NULL);
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR *d = (IMAGE_IMPORT_DESCRIPTOR *)(base + dir.VirtualAddress); d->Name; d++) {
        if (lstrcmpiA((const char *)(base + d->Name), "kernel32.dll") != 0)
            continue;
        IMAGE_THUNK_DATA *names = (IMAGE_THUNK_DATA *)(base + d->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots = (IMAGE_THUNK_DATA *)(base + d->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++)
            if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) &&
                strcmp((const char *)((IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData))->Name, name) == 0)
                return (FARPROC *)&slots->u1.Function;
    }
    return NULL;
}

static void SetImportSlot(FARPROC *slot, FARPROC function)
{
    DWORD old;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = function;
    VirtualProtect(slot, sizeof *slot, old, &old);
}
#endif

/* Script words are English in every locale: under a Turkish one a
 * linguistic "i" is no "I", and {wait 500}, {right} and {ins} were typed
 * as text. */
TEST_F(KeyScript, WordsMatchUnderATurkishLocale)
{
#ifdef _WIN32
    FARPROC *slot = KernelImportSlot("CompareStringW");
    ASSERT_NE(slot, nullptr);
    RealCompare = (decltype(&CompareStringW))*slot;
    SetImportSlot(slot, (FARPROC)RecordingCompare);
    ComparedLocales.clear();
    LCID before = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_TURKISH, SUBLANG_TURKISH_TURKEY), SORT_DEFAULT));
#endif
    std::string parsed = Parse("{WAIT 500}{wait 500}{Wait 500}{RIGHT}{right}{INS}{ins}{Ins}");
#ifdef _WIN32
    SetThreadLocale(before);
    SetImportSlot(slot, (FARPROC)RealCompare);
    /* Wine matches i and I in every locale: the locale asked for is what
     * shows the fault there */
    ASSERT_FALSE(ComparedLocales.empty());
    const LCID invariant = LOCALE_INVARIANT;
    for (LCID locale : ComparedLocales)
        EXPECT_EQ(locale, invariant);
#endif
    EXPECT_EQ(parsed, "[W500][W500][W500][K27][K27][K2D][K2D][K2D]");
}

TEST_F(KeyScript, Waits)
{
    EXPECT_EQ(Parse("{WAIT 500}{wait:500}{SLEEP 500}{Sleep:500}"), "[W500][W500][W500][W500]");
    EXPECT_EQ(Parse("a{WAIT  \t12ms}b"), "a[W12]b");
    EXPECT_EQ(Parse("{WAIT +7}{WAIT 0}"), "[W7][W0]");
    EXPECT_EQ(Parse("{WAIT x}{WAIT -5}{SLEEP: -}"), "[W0][W0][W0]");
    EXPECT_EQ(Parse("{WAIT }"), "{WAIT }");
    EXPECT_EQ(Parse("{SLEEP}"), "{SLEEP}");
    EXPECT_EQ(Parse("{SLEEP }"), "{SLEEP }");
    EXPECT_EQ(Parse("{WAIT}{WAIT500}{WAITS 5}"), "{WAIT}{WAIT500}{WAITS 5}");
}

TEST_F(KeyScript, WaitForTextAndTimeout)
{
    EXPECT_EQ(Parse("{WAITFOR Token:}{waitfor:$ }{WaitFor  x}"), "[F:Token:][F:$ ][F: x]");
    std::string text31(31, 'a');
    EXPECT_EQ(Parse("{WAITFOR " + text31 + "}"), "[F:" + text31 + "]");
    EXPECT_EQ(Parse("{WAITFOR " + text31 + "b}"), "{WAITFOR " + text31 + "b}");
    EXPECT_EQ(Parse("{WAITFOR }{WAITFOR}{WAITFORx}"), "{WAITFOR }{WAITFOR}{WAITFORx}");
    EXPECT_EQ(Parse("{TIMEOUT 60}{timeout:1}{TIMEOUT 0}{TIMEOUT 3601}{TIMEOUT 99999999999999}"),
              "[T60][T1][T1][T3600][T3600]");
    EXPECT_EQ(Parse("{TIMEOUT x}{TIMEOUT 5s}{TIMEOUT }{TIMEOUT -5}"), "{TIMEOUT x}{TIMEOUT 5s}{TIMEOUT }{TIMEOUT -5}");

    EXPECT_TRUE(ScriptWaitsForText(L"su -\n{WAITFOR assword:}{PASSWORD}\n"));
    EXPECT_FALSE(ScriptWaitsForText(L"{WAIT 500}{TIMEOUT 5}{{WAITFOR x}"));
    EXPECT_FALSE(ScriptWaitsForText(NULL));
}

TEST_F(KeyScript, CtrlAndAlt)
{
    EXPECT_EQ(Parse("{CTRL+q}{ctrl+Q}"), "<17><17>");
    EXPECT_EQ(Parse("{CTRL+@}{CTRL+_}{CTRL+[}{ctrl+^}"), "<0><31><27><30>");
    EXPECT_EQ(Parse("{CTRL+1}"), "{CTRL+1}");
    EXPECT_EQ(Parse("{CTRL+ab}"), "{CTRL+ab}");
    EXPECT_EQ(Parse("{CTRL+`}{CTRL+}{CTRL+ }"), "{CTRL+`}{CTRL+}{CTRL+ }");
    EXPECT_EQ(Parse("{ALT+f}"), "<27>f");
    EXPECT_EQ(Parse("{alt+F}{Alt+1}{ALT+{}"), "<27>F<27>1<27>{");
    EXPECT_EQ(Parse("{ALT+}"), "{ALT+}");
    EXPECT_EQ(Parse("{ALT+xy}"), "{ALT+xy}");
}

TEST_F(KeyScript, ServerValues)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    NodeSetPassword(n, L"pw!");
    StrAssign(&n->UserName, L"root");
    StrAssign(&n->ServerName, L"host.example");
    EXPECT_EQ(Parse("{USER}@{host}\n{WAIT 800}{Password}\n", n), "root@host.example<13>[W800]pw!<13>");
    EXPECT_EQ(Parse("{PASSWORDS}{USERS}", n), "{PASSWORDS}{USERS}");

    /* an attached window has no node: the words are typed */
    EXPECT_EQ(Parse("{PASSWORD}{USER}{HOST}"), "{PASSWORD}{USER}{HOST}");

    StrAssign(&n->UserName, L"");
    StrAssign(&n->ServerName, NULL);
    NodeSetPassword(n, NULL);
    EXPECT_EQ(Parse("a{USER}{HOST}{PASSWORD}b", n), "ab");
    NodeFree(n);
}

/* A password read from the configuration is sealed until first used;
 * typing it must open it, not type nothing. */
TEST_F(KeyScript, SealedPassword)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    n->SealedPassword = ProtectPassword(L"sealed pw");
    ASSERT_NE(n->SealedPassword, nullptr);
    ASSERT_EQ(n->Password, nullptr);
    EXPECT_EQ(Parse("{PASSWORD}", n), "sealed pw");

    ServerNode *m = NodeNew(NODE_SERVER);
    m->SealedPassword = ProtectPassword(L"other");
    KeyQueue *q = QueuePasswordTyping(3, m, 0);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(Show(q), "other<13>");
    NodeFree(n);
    NodeFree(m);
}

TEST_F(KeyQueues, GrowthKeepsEvents)
{
    KeyQueue *q = NewKeyQueue(1, 0, 0);
    EXPECT_EQ(q->Capacity, 0);
    EXPECT_EQ(q->Events, nullptr);
    const int steps[][2] = { { 1, 64 },    { 64, 64 },   { 65, 128 },
                             { 128, 128 }, { 129, 256 }, { 1000, 1024 } };
    int pushed = 0;
    for (auto &s : steps) {
        while (pushed < s[0]) {
            PushKeyEvent(q, pushed % 3, pushed);
            pushed++;
        }
        EXPECT_EQ(q->Count, s[0]);
        EXPECT_EQ(q->Capacity, s[1]) << s[0];
    }
    for (int i = 0; i < q->Count; i++)
        ASSERT_TRUE(q->Events[i].Kind == i % 3 && q->Events[i].Value == i) << i;

    PushKeyEvent(NULL, KEY_CHAR, 'x');
    KeyQueue *t = NewKeyQueue(1, 0, 0);
    PushText(t, NULL);
    PushText(t, L"");
    EXPECT_EQ(t->Count, 0);
    PushText(t, L"a\r\n{UP}");
    EXPECT_EQ(Show(t), "a<13><10>{UP}");
    ParseScript(t, NULL, NULL);
    ParseScript(NULL, L"x", NULL);
    EXPECT_EQ(t->Count, 7);
}

TEST_F(KeyQueues, NewQueuesAppendAndStartDue)
{
    KeyQueue *a = NewKeyQueue(1, 0, 0);
    Clock = 5000;
    KeyQueue *b = NewKeyQueue(2, 250, 1000);
    KeyQueue *c = NewKeyQueue(1, -3, -1);
    ASSERT_EQ(KeyQueueList, a);
    EXPECT_EQ(a->Next, b);
    EXPECT_EQ(b->Next, c);
    EXPECT_EQ(c->Next, nullptr);
    EXPECT_EQ(a->DueTick, 1000u);
    EXPECT_EQ(b->DueTick, 5250u);
    EXPECT_EQ(c->DueTick, 5000u);
    EXPECT_EQ(b->SessionId, 2);
    EXPECT_EQ(b->LineDelay, 1000);
    EXPECT_EQ(a->Position, 0);
}

TEST_F(KeyQueues, SendScriptSpecialKeyAndPassword)
{
    EXPECT_EQ(SendScript(0, NULL, L"ls", 0, 0), nullptr);
    EXPECT_EQ(SendScript(1, NULL, L"", 0, 0), nullptr);
    EXPECT_EQ(SendScript(1, NULL, NULL, 0, 0), nullptr);
    EXPECT_EQ(KeyQueueList, nullptr);

    KeyQueue *s = SendScript(4, NULL, L"ls\n{PASSWORD}", 300, 200);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Show(s), "ls<13>{PASSWORD}");
    EXPECT_EQ(s->SessionId, 4);
    EXPECT_EQ(s->LineDelay, 300);
    EXPECT_EQ(s->DueTick, 1200u);

    for (int row : { -1, 37, 1000 })
        EXPECT_EQ(SendSpecialKey(4, row), nullptr) << row;
    EXPECT_EQ(SendSpecialKey(0, 0), nullptr);
    EXPECT_EQ(QueueCount(), 1);
    KeyQueue *enter = SendSpecialKey(4, 0);
    KeyQueue *up = SendSpecialKey(4, 5);
    KeyQueue *f12 = SendSpecialKey(4, 36);
    ASSERT_TRUE(enter && up && f12);
    EXPECT_EQ(Show(enter), "<13>");
    EXPECT_EQ(Show(up), "[K26]");
    EXPECT_EQ(Show(f12), "[K7B]");
    EXPECT_EQ(up->DueTick, 1000u);
    EXPECT_EQ(up->LineDelay, 0);

    ServerNode *n = NodeNew(NODE_SERVER);
    NodeSetPassword(n, L"p{UP}\n");
    KeyQueue *pw = QueuePasswordTyping(4, n, 1500);
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(Show(pw), "p{UP}<10><13>");
    EXPECT_EQ(pw->DueTick, 2500u);
    EXPECT_EQ(pw->LineDelay, 0);
    NodeSetPassword(n, NULL);
    KeyQueue *none = QueuePasswordTyping(4, n, 0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(Show(none), "<13>");
    EXPECT_EQ(QueuePasswordTyping(4, NULL, 0), nullptr);
    EXPECT_EQ(QueuePasswordTyping(0, n, 0), nullptr);
    NodeFree(n);
}

TEST(KeyStroke, LParamFlags)
{
    EXPECT_EQ(KeyStrokeLParam(0x41, 0x1E), 0x001E0001u);
    EXPECT_EQ(KeyStrokeLParam(0x08, 0x0E), 0x000E0001u);
    EXPECT_EQ(KeyStrokeLParam(0x70, 0), 0x00000001u);
    for (unsigned vk : { 0x21u, 0x22u, 0x23u, 0x24u, 0x25u, 0x26u, 0x27u, 0x28u, 0x2Du, 0x2Eu })
        EXPECT_EQ(KeyStrokeLParam(vk, 0x48), 0x01480001u) << vk;
    for (unsigned vk : { 0x20u, 0x29u, 0x2Cu, 0x2Fu, 0x70u, 0x7Bu })
        EXPECT_EQ(KeyStrokeLParam(vk, 0x48), 0x00480001u) << vk;
    /* the scan code stays in bits 16-23 */
    EXPECT_EQ(KeyStrokeLParam(0x41, 0x1FF), 0x00FF0001u);
    EXPECT_EQ(KeyStrokeLParam(0x26, 0x48) | KEY_UP_FLAGS, 0xC1480001u);
}

TEST(KeyStroke, MatchName)
{
    EXPECT_TRUE(MatchName(L"enterX", 5, L"ENTER"));
    EXPECT_FALSE(MatchName(L"enterX", 6, L"ENTER"));
    EXPECT_FALSE(MatchName(L"ente", 4, L"ENTER"));
    EXPECT_TRUE(MatchName(L"", 0, L""));
    EXPECT_FALSE(MatchName(NULL, 0, L""));
    EXPECT_FALSE(MatchName(L"x", -1, L"x"));
    /* characters a linguistic comparison ignores still count */
    EXPECT_FALSE(MatchName(L"ENTER\x00AD", 6, L"ENTER"));
    EXPECT_FALSE(MatchName(L"EN\x200BTER", 6, L"ENTER"));
    EXPECT_FALSE(MatchName(L"ENTER\x0001", 6, L"ENTER"));
}

TEST_F(KeyPlayer, SixtyFourEventsPerTick)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    std::string text(200, 'x');
    SendScript(1, NULL, WText(text), 0, 0);
    const size_t expect[] = { 64, 64, 64, 8, 0 };
    for (size_t n : expect) {
        PumpKeyQueues();
        EXPECT_EQ(Log.size(), n);
        for (const Posted &p : Log)
            ASSERT_TRUE(p.Window == WINDOW_A && p.Message == KEY_MSG_CHAR && p.WParam == 'x' &&
                        p.LParam == 1);
        Log.clear();
    }
    EXPECT_EQ(KeyQueueList, nullptr);
}

TEST_F(KeyPlayer, KeysAndCharacters)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    SendScript(1, NULL, L"a{UP}{F5}{BS}{CTRL+x}{ALT+x}{{\n", 0, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "a[D26/01360001][U26/C1360001][D74/00840001][U74/C0840001]"
                       "[D8/00180001][U8/C0180001]<24/1><27/1>x{<13/1>");
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 0);

    /* without a scan-code mapper the scan code is 0 */
    KeyScanCode = NULL;
    SendSpecialKey(1, 14);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "[D2E/01000001][U2E/C1000001]");
}

TEST_F(KeyPlayer, WaitsAndInitialDelay)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    SendScript(1, NULL, L"ab{WAIT 100}cd{WAIT 0}e{WAIT -5}f", 0, 50);
    PumpKeyQueues();
    Clock = 1049;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    Clock = 1050;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "ab");
    Clock = 1149;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    Clock = 1150;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "cd");
    /* a pause of 0 still ends the tick */
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "e");
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "f");
    EXPECT_EQ(QueueCount(), 1);
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 0);
}

TEST_F(KeyPlayer, LineDelayAfterEnter)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    KeyQueue *q = SendScript(1, NULL, L"l1\r\nl2\nl3", 1000, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "l1<13/1>");
    Clock = 1999;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    Clock = 2000;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "l2<13/1>");
    Clock = 3000;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "l3");
    EXPECT_EQ(q->DueTick, 3000u);
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 0);

    /* the last line's break pauses too, and {ENTER} is an Enter */
    q = SendScript(1, NULL, L"a{ENTER}b\n", 1000, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "a<13/1>");
    Clock += 1000;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "b<13/1>");
    EXPECT_EQ(q->DueTick, Clock + 1000);
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 0);

    /* no line delay: no pause */
    SendScript(1, NULL, L"a\nb\nc\n", -1, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "a<13/1>b<13/1>c<13/1>");
}

TEST_F(KeyPlayer, WaitingSessionsKeepTheirQueues)
{
    Targets[1] = { KEY_TARGET_WAITING, WINDOW_A };
    Targets[2] = { KEY_TARGET_READY, WINDOW_B };
    SendScript(1, NULL, L"one{WAIT 10}more", 0, 0);
    SendScript(2, NULL, L"two", 0, 0);
    PumpKeyQueues();
    ASSERT_EQ(Log.size(), 3u);
    EXPECT_EQ(Log[0].Window, WINDOW_B);
    EXPECT_EQ(Typed(), "two");
    Clock += 3600000;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    EXPECT_EQ(QueueCount(), 1);

    /* ready but without a window, or no poster: still waiting */
    Targets[1] = { KEY_TARGET_READY, NULL };
    PumpKeyQueues();
    KeyMessagePost = NULL;
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    PumpKeyQueues();
    KeyMessagePost = FakePost;
    EXPECT_EQ(Typed(), "");
    EXPECT_EQ(QueueCount(), 1);

    PumpKeyQueues();
    ASSERT_EQ(Log.size(), 3u);
    EXPECT_EQ(Log[0].Window, WINDOW_A);
    EXPECT_EQ(Typed(), "one");
    /* waiting again (a reconnect) in the middle of the script */
    Targets[1] = { KEY_TARGET_WAITING, NULL };
    Clock += 10;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    Targets[1] = { KEY_TARGET_READY, WINDOW_B };
    PumpKeyQueues();
    EXPECT_EQ(Log[0].Window, WINDOW_B);
    EXPECT_EQ(Typed(), "more");
}

/* Keys typed live keep their order behind what is still to go, and are
 * dropped, not kept, while their session cannot take them. */
TEST_F(KeyPlayer, LiveQueuesKeepOrderAndDropWhileWaiting)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    KeyQueue *q = LiveKeyQueue(1);
    for (int i = 0; i < 70; i++)
        PushKeyEvent(q, KEY_CHAR, 'a');
    PumpKeyQueues();
    EXPECT_EQ(Typed(), std::string(64, 'a'));
    EXPECT_EQ(LiveKeyQueue(1), q);              /* unfinished: the next key goes behind */
    PushKeyEvent(LiveKeyQueue(1), KEY_CHAR, 'b');
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "aaaaaab");
    EXPECT_NE(LiveKeyQueue(1), q);              /* done with: a new one */
    PushKeyEvent(LiveKeyQueue(1), KEY_CHAR, 'c');
    Targets[1] = { KEY_TARGET_WAITING, NULL };
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 0);
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
}

/* Slow posts: a pump stops once its time is spent, and the queues it did
 * not reach go first at the next one. */
TEST_F(KeyPlayer, PumpStopsAfterItsTime)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    Targets[2] = { KEY_TARGET_READY, WINDOW_B };
    Targets[3] = { KEY_TARGET_READY, WINDOW_A };
    SendScript(1, NULL, L"aaaa", 0, 0);
    SendScript(2, NULL, L"bbbb", 0, 0);
    SendScript(3, NULL, L"cccc", 0, 0);
    ClockPerPost = 10;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "aaaa");
    ClockPerPost = 0;
    SendScript(1, NULL, L"dd", 0, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "bbbbccccdd");
    PumpKeyQueues();
    EXPECT_EQ(KeyQueueList, nullptr);
}

TEST_F(KeyPlayer, QueuesOfGoneSessionsAreReleased)
{
    Targets[2] = { KEY_TARGET_READY, WINDOW_B };
    SendScript(1, NULL, L"never", 0, 0);
    SendScript(2, NULL, L"x{WAIT 100}y", 0, 0);
    SendScript(3, NULL, L"never", 0, 500);
    SendScript(1, NULL, L"again", 0, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "x");
    EXPECT_EQ(QueueCount(), 1);
    EXPECT_EQ(KeyQueueList->SessionId, 2);

    /* without a lookup every session counts as gone */
    KeyTargetLookup = NULL;
    PumpKeyQueues();
    EXPECT_EQ(KeyQueueList, nullptr);
    EXPECT_EQ(Typed(), "");
}

TEST_F(KeyPlayer, QueuesOfOneSessionRunSideBySide)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    SendScript(1, NULL, L"a{WAIT 100}b", 0, 0);
    SendScript(1, NULL, L"c{WAIT 50}d", 0, 0);
    SendSpecialKey(1, 1);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "ac<27/1>");
    Clock += 50;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "d");
    Clock += 50;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "b");
}

/* Due ticks compare by signed difference, so the 49.7-day wrap of the
 * tick count neither stalls nor rushes a queue. */
TEST_F(KeyPlayer, TickWrapAround)
{
    Targets[1] = { KEY_TARGET_READY, WINDOW_A };
    Clock = 0xFFFFFFF0u;
    KeyQueue *q = SendScript(1, NULL, L"a{WAIT 100}b", 0, 0x20);
    EXPECT_EQ(q->DueTick, 0x10u);
    PumpKeyQueues();
    Clock = 0xFFFFFFFFu;
    PumpKeyQueues();
    Clock = 0x0Fu;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    Clock = 0x10u;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "a");
    Clock = 0x74u;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "b");

    Clock = 0xFFFFFFC0u;
    SendScript(1, NULL, L"c{WAIT 100}d", 0, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "c");
    Clock = 0;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    Clock = 0x24u;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "d");
}

/* A wait met late lets the rest go at once; text that came before the
 * queue was made does not count; each wait looks after the one before. */
TEST_F(ScriptWaits, MetWaitsLetTheRestGo)
{
    ServerNode *n = NodeNew(NODE_SERVER);
    NodeSetPassword(n, L"pw");
    Output(1, "Token: ");
    SendScript(1, n, L"{WAITFOR Token:}{PASSWORD}{ENTER}{WAITFOR $}ls{ENTER}", 0, 0);
    NodeFreeTree(n);
    EXPECT_EQ(Notices, (std::vector<std::pair<int, int>>{ { 1, KEY_NOTICE_SCRIPT_WAITS } }));
    EXPECT_TRUE(KeyWaitPending(1));
    EXPECT_FALSE(KeyWaitPending(2));
    PumpKeyQueues();
    Output(1, "welcome $ ");       /* the prompt before the token counts for nothing */
    Clock += 29000;
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "");
    Output(1, "TOK");
    Output(1, "EN: $ ");
    EXPECT_FALSE(KeyWaitPending(1));
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "pw<13/1>ls<13/1>");
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 0);

    /* two sessions waiting on different texts, each on its own output */
    SendScript(1, NULL, L"{WAITFOR alpha}1", 0, 0);
    SendScript(2, NULL, L"{WAITFOR beta}2", 0, 0);
    PumpKeyQueues();
    Output(1, "beta");
    Output(2, "alpha beta");
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "2");
    Output(1, "alpha");
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "1");
    EXPECT_EQ(Notices.size(), 3u);
}

/* A wait that runs out drops the rest of its queue and says so;
 * {TIMEOUT} sets the limit of the waits after it. */
TEST_F(ScriptWaits, TimeoutsDropTheRest)
{
    SendScript(1, NULL, L"a{WAITFOR never}b{ENTER}", 0, 0);
    SendScript(2, NULL, L"{TIMEOUT 2}c{WAITFOR never}d", 0, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "ac");
    Clock += 1999;
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 2);
    Clock += 1;
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 1);
    EXPECT_EQ(Notices.back(), std::make_pair(2, (int)KEY_NOTICE_STOPPED));
    Clock += 27999;
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 1);
    Clock += 1;
    PumpKeyQueues();
    EXPECT_EQ(QueueCount(), 0);
    EXPECT_EQ(Notices.back(), std::make_pair(1, (int)KEY_NOTICE_STOPPED));
    EXPECT_EQ(Typed(), "");

    /* without its output read a queue stops at its wait at once */
    Watched = false;
    SendScript(1, NULL, L"x{WAITFOR y}z", 0, 0);
    PumpKeyQueues();
    EXPECT_EQ(Typed(), "x");
    EXPECT_EQ(QueueCount(), 0);
    EXPECT_EQ(Notices.back(), std::make_pair(1, (int)KEY_NOTICE_STOPPED));
}
