/*
 * Main-window geometry and tab texts.
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sessions/session_rules.h"
#include "ui/shell/layout_rules.h"
#include "ui/shell/tab_rules.h"
#include "test_util.h"

static std::string R(LayoutRect r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

static PaneInput Input(int w, int h, int dpi = 96)
{
    PaneInput in = {};
    in.Width = w;
    in.Height = h;
    in.Dpi = dpi;
    in.ToolbarRow = 30;
    in.TreeWidth = 230;
    in.SessionsHeight = 140;
    return in;
}

TEST(Layout, TreeWidthLimits)
{
    PaneLayout p;
    PaneInput in = Input(300, 600);
    LayoutPanes(&in, &p);
    EXPECT_EQ(p.Tree.Right, 120);          /* upper limit 100, the lower one wins */
    EXPECT_EQ(R(p.Tab), "125,30,300,600");
    in = Input(450, 600, 144);             /* 300 scaled at 150% */
    LayoutPanes(&in, &p);
    EXPECT_EQ(p.Tree.Right, 180);
    EXPECT_EQ(p.Tab.Right - p.Tab.Left, 450 - 180 - 8);
    in = Input(1000, 600);
    in.TreeWidth = 2000;
    LayoutPanes(&in, &p);
    EXPECT_EQ(p.Tree.Right, 800);
    EXPECT_EQ(R(p.TreeSplitter), "800,30,805,600");
}

TEST(Layout, SessionListLimits)
{
    PaneLayout p;
    /* a = H - 22 - top = 200: l limited to 80 */
    PaneInput in = Input(800, 252);
    LayoutPanes(&in, &p);
    EXPECT_EQ(R(p.List), "0,172,230,252");
    EXPECT_EQ(R(p.Label), "4,152,230,172");
    EXPECT_EQ(R(p.ListSplitter), "0,147,230,152");
    EXPECT_EQ(R(p.Find), "0,30,230,52");
    EXPECT_EQ(R(p.Tree), "0,54,230,147");
    /* a = 150: a - 120 = 30, the floor of 40 wins */
    in = Input(800, 202);
    LayoutPanes(&in, &p);
    EXPECT_EQ(p.List.Bottom - p.List.Top, 40);
    /* a very short window: the tree is still 10 high */
    in = Input(800, 100);
    LayoutPanes(&in, &p);
    EXPECT_EQ(p.Tree.Bottom - p.Tree.Top, 10);
}

TEST(Layout, HiddenPanes)
{
    PaneLayout p;
    PaneInput in = Input(800, 600);
    in.HideTree = true;
    LayoutPanes(&in, &p);
    EXPECT_FALSE(p.ShowTree);
    EXPECT_FALSE(p.ShowList);              /* hidden with the tree */
    EXPECT_EQ(R(p.Tab), "0,30,800,600");
    EXPECT_EQ(R(p.TreeSplitter), "0,0,0,0");
    in = Input(800, 600);
    in.HideSessions = true;
    in.HideToolbar = true;
    LayoutPanes(&in, &p);
    EXPECT_FALSE(p.ShowList);
    EXPECT_EQ(R(p.ListSplitter), "0,0,0,0");
    EXPECT_EQ(R(p.Find), "0,0,230,22");
    EXPECT_EQ(R(p.Tree), "0,24,230,600");
    EXPECT_EQ(p.Tab.Top, 0);
}

static std::vector<std::string> Cells(int mode, int n, int active, LayoutRect area, const char *in = nullptr)
{
    std::vector<std::string> out;
    for (int i = 0; i < n; i++) {
        LayoutRect c;
        bool taking[16];
        for (int k = 0; k < n; k++)
            taking[k] = in && in[k] == '1';
        bool shown = in ? SessionCellAmong(mode, taking, n, i, active, area, &c)
                        : SessionCell(mode, n, i, active, area, &c);
        out.push_back((shown ? "" : "-") + R(c));
    }
    return out;
}

TEST(Layout, ViewModes)
{
    LayoutRect area = { 0, 0, 100, 90 };
    EXPECT_EQ(Cells(1, 3, 0, area), (std::vector<std::string>{ "0,0,33,90", "33,0,66,90", "66,0,100,90" }));
    EXPECT_EQ(Cells(2, 3, 0, area), (std::vector<std::string>{ "0,0,100,30", "0,30,100,60", "0,60,100,90" }));
    /* grid of 3: two on top, one bottom left, the last quarter empty */
    EXPECT_EQ(Cells(3, 3, 0, area), (std::vector<std::string>{ "0,0,50,45", "50,0,100,45", "0,45,50,90" }));
    /* one tab at a time: all on the same rectangle, only the active shown */
    EXPECT_EQ(Cells(0, 3, 1, area),
              (std::vector<std::string>{ "-0,0,100,90", "0,0,100,90", "-0,0,100,90" }));
    /* any mode with one session: it fills the area */
    for (int mode = 0; mode < 4; mode++)
        EXPECT_EQ(Cells(mode, 1, 0, area), (std::vector<std::string>{ "0,0,100,90" }));
    /* the broadcast group alone in the tiled modes */
    EXPECT_EQ(Cells(1, 3, 0, area, "101"), (std::vector<std::string>{ "0,0,50,90", "-0,0,100,90", "50,0,100,90" }));
    EXPECT_EQ(Cells(2, 3, 0, area, "010"), (std::vector<std::string>{ "-0,0,100,90", "0,0,100,90", "-0,0,100,90" }));
    EXPECT_EQ(Cells(0, 3, 2, area, "110"), Cells(0, 3, 2, area));
    EXPECT_EQ(Cells(3, 3, 0, area, "000"), Cells(3, 3, 0, area));
    LayoutRect offset = { 10, 20, 110, 120 };
    EXPECT_EQ(Cells(1, 2, 0, offset), (std::vector<std::string>{ "10,20,60,120", "60,20,110,120" }));

    int columns[] = { 2, 2, 2, 2, 3, 3, 3, 3, 3, 4 };
    for (int n = 1; n <= 10; n++)
        EXPECT_EQ(GridColumns(n), columns[n - 1]) << n;
    std::vector<std::string> ten = Cells(3, 10, 0, area);
    EXPECT_EQ(ten[9], "25,60,50,90");       /* 4 columns by 3 rows */
}

TEST(Layout, PlacementOnScreen)
{
    /* virtual screen 0,0 1280x800 */
    EXPECT_TRUE(PlacementOnScreen(100, 100, 900, 700, 0, 0, 1280, 800));
    EXPECT_FALSE(PlacementOnScreen(-900, 100, 50, 700, 0, 0, 1280, 800));   /* right = x0 + 50 */
    EXPECT_TRUE(PlacementOnScreen(-900, 100, 51, 700, 0, 0, 1280, 800));
    EXPECT_FALSE(PlacementOnScreen(100, 750, 900, 1400, 0, 0, 1280, 800));  /* top = y0 + cy - 50 */
    EXPECT_FALSE(PlacementOnScreen(100, -500, 900, 20, 0, 0, 1280, 800));   /* bottom = y0 + 20 */
    EXPECT_FALSE(PlacementOnScreen(1230, 100, 1900, 700, 0, 0, 1280, 800));
    EXPECT_TRUE(PlacementOnScreen(-1500, 100, -1000, 700, -1920, 0, 3200, 1080));   /* a left monitor */
    /* only maximised stays; hidden, minimised or unknown commands from a
     * damaged file start a normal window */
    EXPECT_EQ(RestoredShowCommand(3), 3);
    for (int cmd : { 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, -1, 12, 1000 })
        EXPECT_EQ(RestoredShowCommand(cmd), 1) << cmd;
}

static std::string Tab(int state, bool disc, const char *caption, bool close, int marks = 0)
{
    wchar_t out[TAB_TEXT_MAX];
    ComposeTabText(out, state, disc, WText(caption), close, marks);
    return U8(out);
}

static std::string List(int state, bool disc, const char *caption, int marks = 0)
{
    wchar_t out[TAB_TEXT_MAX];
    ComposeListText(out, state, disc, WText(caption), marks);
    return U8(out);
}

TEST(TabTexts, PrefixesAndSuffixes)
{
    EXPECT_EQ(Tab(SESSION_RUNNING, false, "web", false), "web");
    EXPECT_EQ(Tab(SESSION_RUNNING, true, "web", false), "[끊김] web");
    EXPECT_EQ(Tab(SESSION_STARTING, false, "web", true), "web      ");
    EXPECT_EQ(Tab(SESSION_RECONNECT_WAIT, true, "web", false), "[재연결] web");
    EXPECT_EQ(Tab(SESSION_ENDED, true, "web", false), "[종료] web");
    EXPECT_EQ(Tab(SESSION_FAILED, false, "web", false), "[종료] web");
    EXPECT_EQ(List(SESSION_RUNNING, false, "web"), "web");
    EXPECT_EQ(List(SESSION_RUNNING, true, "web"), "web (끊김)");
    EXPECT_EQ(List(SESSION_STARTING, true, "web"), "web (연결 중)");
    EXPECT_EQ(List(SESSION_RECONNECT_WAIT, false, "web"), "web (재연결 대기)");
    EXPECT_EQ(List(SESSION_ENDED, false, "web"), "web (종료)");
    EXPECT_EQ(List(SESSION_FAILED, false, "web"), "web (종료)");
    /* PuTTY asks something in a box of its own */
    EXPECT_EQ(Tab(SESSION_STARTING, false, "web", true, TAB_MARK_ASKS), "web (PuTTY 확인 필요)      ");
    EXPECT_EQ(Tab(SESSION_RUNNING, true, "web", false, TAB_MARK_ASKS), "[끊김] web (PuTTY 확인 필요)");
    EXPECT_EQ(List(SESSION_STARTING, false, "web", TAB_MARK_ASKS), "web (연결 중) (PuTTY 확인 필요)");
    EXPECT_EQ(List(SESSION_RUNNING, false, "web", TAB_MARK_ASKS), "web (PuTTY 확인 필요)");
    /* a member of the broadcast group: the mark before everything */
    EXPECT_EQ(Tab(SESSION_ENDED, false, "web", true, TAB_MARK_MEMBER), "● [종료] web      ");
    EXPECT_EQ(Tab(SESSION_RUNNING, false, "web", false, TAB_MARK_MEMBER), "● web");
    EXPECT_EQ(List(SESSION_RECONNECT_WAIT, false, "web", TAB_MARK_MEMBER), "● web (재연결 대기)");
    /* a script that gave up at a wait, with every other mark */
    EXPECT_EQ(Tab(SESSION_RUNNING, true, "web", true, TAB_MARK_MEMBER | TAB_MARK_STOPPED | TAB_MARK_ASKS),
              "● [끊김] web (스크립트 멈춤) (PuTTY 확인 필요)      ");
    EXPECT_EQ(List(SESSION_RUNNING, false, "web", TAB_MARK_STOPPED), "web (스크립트 멈춤)");
    wchar_t tip[600];
    ComposeTabTip(tip, 600, L"web", L"Network error: Connection reset by peer");
    EXPECT_EQ(U8(tip), "web\nNetwork error: Connection reset by peer");
    ComposeTabTip(tip, 600, L"web", nullptr);
    EXPECT_EQ(U8(tip), "web");
    /* a caption of 255 characters: the tab text stops at 299 */
    std::string longCaption(255, 'x');
    EXPECT_EQ(Tab(SESSION_ENDED, false, longCaption.c_str(), true).size(), 255u + 9u + 6u);
}

TEST(TabTexts, CloseMarkAndDrag)
{
    LayoutRect item = { 100, 2, 200, 22 };
    EXPECT_EQ(R(CloseMarkRect(item, 12, 5)), "183,7,195,19");
    EXPECT_TRUE(CloseMarkHit(item, 12, 5, 181, 5));
    EXPECT_TRUE(CloseMarkHit(item, 12, 5, 196, 20));
    EXPECT_FALSE(CloseMarkHit(item, 12, 5, 197, 10));
    EXPECT_FALSE(CloseMarkHit(item, 12, 5, 180, 10));
    EXPECT_FALSE(CloseMarkHit(item, 12, 5, 190, 21));
    EXPECT_FALSE(DragStarted(4, 3, 4, 4));
    EXPECT_TRUE(DragStarted(5, 0, 4, 4));
    EXPECT_TRUE(DragStarted(0, -5, 4, 4));
}

static std::string Order(std::vector<int> v, int source, int target)
{
    std::vector<void *> items;
    for (int &x : v)
        items.push_back(&x);
    MoveEntry(items.data(), (int)items.size(), source, target);
    std::string s;
    for (void *p : items)
        s += std::to_string(*(int *)p);
    return s;
}

TEST(TabTexts, Reorder)
{
    EXPECT_EQ(Order({ 0, 1, 2, 3, 4 }, 0, 3), "12304");
    EXPECT_EQ(Order({ 0, 1, 2, 3, 4 }, 3, 0), "30124");
    EXPECT_EQ(Order({ 0, 1, 2, 3, 4 }, 2, 2), "01234");
    EXPECT_EQ(Order({ 0, 1, 2, 3, 4 }, -1, 2), "01234");
    EXPECT_EQ(Order({ 0, 1, 2, 3, 4 }, 1, 5), "01234");
    EXPECT_EQ(Order({ 0, 1 }, 1, 0), "10");
}
