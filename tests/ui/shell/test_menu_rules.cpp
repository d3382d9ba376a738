/*
 * Menu contents and the enable and check rules, without windows.
 */
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/server_tree.h"
#include "core/text.h"
#include "ui/commands/command_ids.h"
#include "ui/hotkeys/hotkey_actions.h"
#include "ui/shell/menu_rules.h"
#include "test_util.h"

/* "G" grayed, "E" enabled, "-" no enable rule; then "C" checked, "c"
 * unchecked, "-" no check rule. */
static std::string Rule(const MenuState &st, int id)
{
    MenuItemRule r;
    bool has = MenuItemRuleOf(&st, id, &r);
    std::string out;
    out += r.Enables ? (r.Grayed ? "G" : "E") : "-";
    out += r.Checks ? (r.Checked ? "C" : "c") : "-";
    if (!has && out != "--")
        out += "?";
    return out;
}

static std::string Rows(const MenuState &st)
{
    MenuRow rows[TAB_MENU_MAX];
    int n = TabContextMenuRows(&st, rows);
    std::string out;
    for (int i = 0; i < n; i++) {
        if (i)
            out += " | ";
        switch (rows[i].Kind) {
        case MENU_ROW_SEPARATOR: out += "-"; break;
        case MENU_ROW_SPECIAL_KEYS: out += "[" + U8(rows[i].Label) + "]"; break;
        case MENU_ROW_PUTTY_MENU: out += "[" + U8(rows[i].Label) + "]"; break;
        default: out += U8(rows[i].Label) + "=" + std::to_string(rows[i].Command); break;
        }
    }
    return out;
}

TEST(MenuRules, PaneTogglesAndRadioGroups)
{
    MenuState st = {};
    EXPECT_EQ(Rule(st, CMD_TOGGLE_TREE), "-C");
    EXPECT_EQ(Rule(st, CMD_TOGGLE_SESSION_LIST), "-C");
    EXPECT_EQ(Rule(st, CMD_TOGGLE_TOOLBAR), "-C");
    EXPECT_EQ(Rule(st, CMD_TOGGLE_MENU), "-C");
    st.HideTree = st.HideMenu = true;
    EXPECT_EQ(Rule(st, CMD_TOGGLE_TREE), "-c");
    EXPECT_EQ(Rule(st, CMD_TOGGLE_SESSION_LIST), "-C");     /* each item reads its own flag */
    EXPECT_EQ(Rule(st, CMD_TOGGLE_MENU), "-c");

    /* one chosen item per group, the group named for CheckMenuRadioItem */
    for (int mode = 0; mode < 4; mode++) {
        st.ViewMode = mode;
        for (int id = CMD_VIEW_SINGLE; id <= CMD_VIEW_GRID; id++) {
            MenuItemRule r;
            ASSERT_TRUE(MenuItemRuleOf(&st, id, &r));
            EXPECT_EQ(r.Checked, id == CMD_VIEW_SINGLE + mode) << mode << " " << id;
            EXPECT_EQ(r.RadioFirst, CMD_VIEW_SINGLE);
            EXPECT_EQ(r.RadioLast, CMD_VIEW_GRID);
        }
    }
    MenuItemRule top, bottom;
    MenuItemRuleOf(&st, CMD_TABS_TOP, &top);
    MenuItemRuleOf(&st, CMD_TABS_BOTTOM, &bottom);
    EXPECT_TRUE(top.Checked);
    EXPECT_FALSE(bottom.Checked);
    EXPECT_EQ(top.RadioFirst, CMD_TABS_TOP);
    EXPECT_EQ(bottom.RadioLast, CMD_TABS_BOTTOM);
    st.TabBottom = true;
    MenuItemRuleOf(&st, CMD_TABS_TOP, &top);
    MenuItemRuleOf(&st, CMD_TABS_BOTTOM, &bottom);
    EXPECT_FALSE(top.Checked);
    EXPECT_TRUE(bottom.Checked);
}

TEST(MenuRules, SessionCommands)
{
    MenuState st = {};
    /* nothing open: every session command but the unruled ones is grayed */
    for (int id : { CMD_SEND_SCRIPT, CMD_RENAME_TAB, CMD_DUPLICATE_SESSION, CMD_RECONNECT, CMD_DETACH,
                    CMD_PUTTY_MENU, CMD_CLOSE_TAB, CMD_CLOSE_OTHER_TABS, CMD_CLOSE_ALL_TABS })
        EXPECT_EQ(Rule(st, id), "G-") << id;

    /* one session, still starting: no PuTTY window yet */
    st.SessionCount = 1;
    st.HasActive = st.ActiveHasNode = true;
    EXPECT_EQ(Rule(st, CMD_SEND_SCRIPT), "E-");
    EXPECT_EQ(Rule(st, CMD_RENAME_TAB), "E-");
    EXPECT_EQ(Rule(st, CMD_DUPLICATE_SESSION), "E-");
    EXPECT_EQ(Rule(st, CMD_RECONNECT), "E-");
    EXPECT_EQ(Rule(st, CMD_DETACH), "G-");
    EXPECT_EQ(Rule(st, CMD_PUTTY_MENU), "G-");
    EXPECT_EQ(Rule(st, CMD_CLOSE_TAB), "E-");
    EXPECT_EQ(Rule(st, CMD_CLOSE_OTHER_TABS), "G-");
    EXPECT_EQ(Rule(st, CMD_CLOSE_ALL_TABS), "E-");
    st.SessionCount = 2;
    EXPECT_EQ(Rule(st, CMD_CLOSE_OTHER_TABS), "E-");

    /* an attached window: captured, but nothing to duplicate or restart */
    st.ActiveHasNode = false;
    st.ActiveHasWindow = true;
    EXPECT_EQ(Rule(st, CMD_DUPLICATE_SESSION), "G-");
    EXPECT_EQ(Rule(st, CMD_RECONNECT), "G-");
    EXPECT_EQ(Rule(st, CMD_DETACH), "E-");
    EXPECT_EQ(Rule(st, CMD_PUTTY_MENU), "E-");

    /* sessions open but the active index points nowhere */
    st.HasActive = false;
    EXPECT_EQ(Rule(st, CMD_SEND_SCRIPT), "E-");
    EXPECT_EQ(Rule(st, CMD_CLOSE_ALL_TABS), "E-");
    EXPECT_EQ(Rule(st, CMD_RENAME_TAB), "G-");
    EXPECT_EQ(Rule(st, CMD_CLOSE_TAB), "G-");
    EXPECT_EQ(Rule(st, CMD_DETACH), "G-");
}

TEST(MenuRules, BroadcastGroup)
{
    MenuState st = {};
    for (int id : { CMD_BROADCAST_MEMBER, CMD_BROADCAST_ALL, CMD_BROADCAST_NONE, CMD_RECONNECT_ENDED })
        EXPECT_EQ(Rule(st, id).substr(0, 1), "G") << id;
    EXPECT_EQ(Rule(st, CMD_TOGGLE_BROADCAST_BAR), "-c");
    EXPECT_EQ(Rule(st, CMD_VIEW_MEMBERS_ONLY), "-c");
    st.SessionCount = 2;
    st.HasActive = true;
    EXPECT_EQ(Rule(st, CMD_BROADCAST_MEMBER), "Ec");
    EXPECT_EQ(Rule(st, CMD_BROADCAST_ALL), "E-");
    EXPECT_EQ(Rule(st, CMD_BROADCAST_NONE), "G-");
    st.ActiveIsMember = true;
    st.MemberCount = 1;
    st.AnyEnded = st.BroadcastBar = st.MembersOnly = true;
    EXPECT_EQ(Rule(st, CMD_BROADCAST_MEMBER), "EC");
    EXPECT_EQ(Rule(st, CMD_BROADCAST_NONE), "E-");
    EXPECT_EQ(Rule(st, CMD_RECONNECT_ENDED), "E-");
    EXPECT_EQ(Rule(st, CMD_TOGGLE_BROADCAST_BAR), "-C");
    EXPECT_EQ(Rule(st, CMD_VIEW_MEMBERS_ONLY), "-C");
}

TEST(MenuRules, ColourLabels)
{
    MenuState st = {};
    EXPECT_EQ(Rule(st, CMD_COLOR_FIRST), "GC");
    st.Node = MENU_NODE_FOLDER;
    st.NodeColor = NODE_COLOR_BLUE;
    for (int c = 0; c < NODE_COLOR_COUNT; c++)
        EXPECT_EQ(Rule(st, CMD_COLOR_FIRST + c), c == NODE_COLOR_BLUE ? "EC" : "Ec") << c;
    MenuItemRule r;
    MenuItemRuleOf(&st, CMD_COLOR_LAST, &r);
    EXPECT_EQ(r.RadioFirst, CMD_COLOR_FIRST);
    EXPECT_EQ(r.RadioLast, CMD_COLOR_LAST);
    /* PuTTY's saved sessions and their folder have none to choose */
    st.NodePutty = MENU_PUTTY_ENTRY;
    EXPECT_EQ(Rule(st, CMD_COLOR_FIRST + 1).substr(0, 1), "G");
    st.NodePutty = MENU_PUTTY_FOLDER;
    EXPECT_EQ(Rule(st, CMD_COLOR_FIRST + 1).substr(0, 1), "G");
    EXPECT_EQ(U8(ColorLabels[0]), "없음 (상위 폴더를 따름)");
    EXPECT_EQ(U8(ColorLabels[NODE_COLOR_GREY]), "회색");
}

TEST(MenuRules, SessionLogs)
{
    MenuState st = {};
    /* greyed, and never checked, while no folder is chosen */
    st.SessionLog = true;
    EXPECT_EQ(Rule(st, CMD_SESSION_LOG), "Gc");
    st.LogFolderChosen = true;
    EXPECT_EQ(Rule(st, CMD_SESSION_LOG), "EC");
    st.SessionLog = false;
    EXPECT_EQ(Rule(st, CMD_SESSION_LOG), "Ec");
    EXPECT_EQ(Rule(st, CMD_SESSION_LOG_FOLDER), "--");
}

/* The tree commands for each kind of selected node, in the order
 * connect, connect folder, properties, rename, duplicate, copy, delete. */
static std::string TreeRules(const ServerNode *node, const ServerNode *puttyFolder)
{
    MenuState st = {};
    MenuStateSetNode(&st, node, puttyFolder);
    std::string out;
    for (int id : { CMD_CONNECT, CMD_CONNECT_FOLDER, CMD_PROPERTIES, CMD_RENAME, CMD_DUPLICATE_NODE, CMD_COPY,
                    CMD_DELETE })
        out += Rule(st, id).substr(0, 1);
    return out;
}

TEST(MenuRules, SelectedNode)
{
    ServerNode *root = NodeNew(NODE_FOLDER);
    ServerNode *folder = NodeNew(NODE_FOLDER);
    ServerNode *server = NodeNew(NODE_SERVER);
    ServerNode *empty = NodeNew(NODE_FOLDER);
    NodeAppendChild(root, folder);
    NodeAppendChild(folder, server);
    NodeAppendChild(root, empty);
    ServerNode *putty = NodeNew(NODE_FOLDER);
    StrAssign(&putty->DisplayName, L"PuTTY 세션");
    putty->IsPuttySession = true;

    EXPECT_EQ(TreeRules(nullptr, putty), "GGGGGGG");
    EXPECT_EQ(TreeRules(server, putty), "EGEEEEE");
    EXPECT_EQ(TreeRules(folder, putty), "GEEEEEE");
    EXPECT_EQ(TreeRules(empty, putty), "GGEEEEE");
    /* the folder of saved sessions: only connecting its entries, when it has any */
    EXPECT_EQ(TreeRules(putty, putty), "GGGGGGG");
    ServerNode *entry = NodeNew(NODE_SERVER);
    StrAssign(&entry->SavedSession, L"web");
    entry->IsPuttySession = true;
    NodeAppendChild(putty, entry);
    EXPECT_EQ(TreeRules(putty, putty), "GEGGGGG");
    /* an entry: connect, login data, copy, and delete of the login data */
    EXPECT_EQ(TreeRules(entry, putty), "EGEGGEE");
    /* the folder is known by identity, not by its flag or name: a copy
     * pasted into the user's tree is an ordinary folder */
    ServerNode *copy = NodeCopy(putty, true);
    copy->IsPuttySession = false;
    EXPECT_EQ(TreeRules(copy, putty), "GEEEEEE");

    MenuState st = {};
    EXPECT_EQ(Rule(st, CMD_PASTE), "G-");
    st.ClipboardFull = true;
    EXPECT_EQ(Rule(st, CMD_PASTE), "E-");
    NodeFreeTree(copy);
    NodeFreeTree(putty);
    NodeFreeTree(root);
}

TEST(MenuRules, CommandsWithoutRules)
{
    MenuState st = {};
    for (int id : { CMD_QUICK_CONNECT, CMD_EXIT, CMD_ADD_SERVER, CMD_ADD_FOLDER, CMD_SORT_BY_NAME, CMD_FIND,
                    CMD_FIND_NEXT, CMD_NEXT_TAB, CMD_SWITCH_FOCUS, CMD_HOTKEYS, CMD_SPECIAL_KEY_FIRST,
                    CMD_PUTTY_SYSMENU_FIRST }) {
        MenuItemRule r;
        EXPECT_FALSE(MenuItemRuleOf(&st, id, &r)) << id;
        EXPECT_EQ(Rule(st, id), "--");
    }
}

TEST(MenuRules, TabContextMenu)
{
    MenuState st = {};
    EXPECT_EQ(Rows(st), "빠른 연결…=40001");
    /* the toolbar hidden, no session: no separator leads */
    st.HideToolbar = true;
    EXPECT_EQ(Rows(st), "도구 모음 보이기=40036");
    st.HideMenu = true;
    EXPECT_EQ(Rows(st), "메뉴 표시줄 보이기=40037 | 도구 모음 보이기=40036");
    st.HideToolbar = false;
    EXPECT_EQ(Rows(st), "메뉴 표시줄 보이기=40037");

    /* a session whose window is not captured yet: no PuTTY menu */
    st = MenuState();
    st.HasActive = true;
    EXPECT_EQ(Rows(st), "탭 이름 바꾸기…=40023 | 세션 복제=40024 | 다시 연결=40025 | 스크립트 보내기…=40022 | "
                        "[특수 키 보내기] | 분리 - 별도 창으로=40026 | - | 닫기=40027 | "
                        "다른 탭 모두 닫기=40028 | 모두 닫기=40029 | - | 동시 입력에 포함=40051");
    st.ActiveHasWindow = true;
    st.HideMenu = st.HideToolbar = true;
    EXPECT_EQ(Rows(st), "탭 이름 바꾸기…=40023 | 세션 복제=40024 | 다시 연결=40025 | 스크립트 보내기…=40022 | "
                        "[특수 키 보내기] | 분리 - 별도 창으로=40026 | [PuTTY 메뉴] | - | 닫기=40027 | "
                        "다른 탭 모두 닫기=40028 | 모두 닫기=40029 | - | 동시 입력에 포함=40051 | - | "
                        "메뉴 표시줄 보이기=40037 | 도구 모음 보이기=40036");
}

/* The text after '&' in a label, or "" without one. */
static std::string Mnemonic(const wchar_t *label)
{
    const wchar_t *amp = StrFindChar(label, L'&');
    wchar_t key[2] = { amp ? amp[1] : L'\0', 0 };
    return U8(key);
}

TEST(MenuRules, MenuBarTable)
{
    ASSERT_GT(MenuBarRowCount, 0);
    ASSERT_EQ(MenuBarRows[0].Kind, MENU_ROW_POPUP);
    std::set<int> commands;
    std::set<std::string> titleKeys, keys;
    int popups = 0;
    for (int i = 0; i < MenuBarRowCount; i++) {
        const MenuRow &r = MenuBarRows[i];
        std::string label = r.Label ? U8(r.Label) : "";
        SCOPED_TRACE(label);
        if (r.Kind == MENU_ROW_POPUP) {
            popups++;
            EXPECT_TRUE(titleKeys.insert(Mnemonic(r.Label)).second) << "two popups share a key";
            keys.clear();
            continue;
        }
        /* an ellipsis is the one character, never three dots */
        EXPECT_EQ(label.find("..."), std::string::npos);
        if (r.Kind == MENU_ROW_SEPARATOR) {
            EXPECT_NE(MenuBarRows[i - 1].Kind, MENU_ROW_POPUP) << "a popup starts with a separator";
            continue;
        }
        std::string key = Mnemonic(r.Label);
        if (!key.empty())
            EXPECT_TRUE(keys.insert(key).second) << "key " << key << " used twice in a popup";
        if (r.Kind == MENU_ROW_ITEM) {
            EXPECT_TRUE(commands.insert(r.Command).second) << "command twice: " << r.Command;
            EXPECT_GE(r.Command, CMD_QUICK_CONNECT);
            EXPECT_LE(r.Command, CMD_LAST);
            EXPECT_NE(r.Command, CMD_QUICK_CONNECT_BOX);
            EXPECT_NE(r.Command, CMD_HOST_RECONNECT_BUTTON);
        }
    }
    EXPECT_EQ(popups, 6);
    /* every named command but the quick-connect box's Enter and the host
     * window's own button has an item */
    EXPECT_EQ(commands.size(), (size_t)(CMD_LAST - CMD_QUICK_CONNECT + 1 - 2));
    /* and so every hotkey can show its key in a label */
    for (int i = 0; i < HOTKEY_COUNT; i++)
        EXPECT_TRUE(commands.count(HotkeyActions[i].Command)) << U8(HotkeySettings[i].Name);
}
