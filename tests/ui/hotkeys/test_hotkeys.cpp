/*
 * Assigning hotkeys: what is refused, a key moving between actions, and
 * the hotkey control's encoding.
 */
#include <gtest/gtest.h>

#include "ui/hotkeys/hotkey_actions.h"

enum { VK_A = 'A', VK_TAB = 9, VK_F5 = 0x74, VK_F24 = 0x87, VK_APPS = 0x5D };

TEST(HotkeyRules, KeysWithoutCtrlOrAltAreRefused)
{
    EXPECT_TRUE(HotkeyRefused(HK_SHIFT | VK_A));
    EXPECT_TRUE(HotkeyRefused(VK_A));
    EXPECT_FALSE(HotkeyRefused(VK_F5));
    EXPECT_FALSE(HotkeyRefused(HK_SHIFT | VK_F24));
    EXPECT_FALSE(HotkeyRefused(VK_APPS));
    EXPECT_FALSE(HotkeyRefused(HK_ALT | VK_A));
    EXPECT_FALSE(HotkeyRefused(HK_CTRL | VK_TAB));
    EXPECT_FALSE(HotkeyRefused(0));             /* none is always allowed */
}

TEST(HotkeyRules, AKeyBelongsToOneAction)
{
    int values[HOTKEY_COUNT];
    for (int i = 0; i < HOTKEY_COUNT; i++)
        values[i] = HotkeySettings[i].Default;
    const int settings = 5, toolbar = 7;
    ASSERT_EQ(values[toolbar], 0x6054);
    EXPECT_EQ(AssignHotkey(values, settings, 0x6054), toolbar);
    EXPECT_EQ(values[settings], 0x6054);
    EXPECT_EQ(values[toolbar], 0);
    /* none takes nothing from the others */
    values[3] = 0;
    EXPECT_EQ(AssignHotkey(values, settings, 0), -1);
    EXPECT_EQ(values[3], 0);
    EXPECT_EQ(values[4], 0);
    /* the same key again on its own row */
    EXPECT_EQ(AssignHotkey(values, 0, values[0]), -1);
    EXPECT_EQ(values[0], 0x4009);
}

TEST(HotkeyRules, ControlEncodingRoundTrips)
{
    /* HOTKEYF_SHIFT 1, CONTROL 2, ALT 4, EXT 8 in the high byte */
    EXPECT_EQ(HotkeyFromControl(0x0300 | VK_TAB), HK_CTRL | HK_SHIFT | VK_TAB);
    EXPECT_EQ(HotkeyFromControl(0x0C00 | VK_A), HK_ALT | VK_A);     /* extended dropped */
    EXPECT_EQ(HotkeyFromControl(0x0200), 0);                         /* no key: none */
    for (int i = 0; i < HOTKEY_COUNT; i++)
        EXPECT_EQ(HotkeyFromControl(HotkeyToControl(HotkeySettings[i].Default)), HotkeySettings[i].Default);
    /* RegisterHotKey's MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4 */
    EXPECT_EQ(HotkeyModifiers(HK_CTRL | HK_SHIFT | VK_A), 6u);
    EXPECT_EQ(HotkeyModifiers(HK_ALT | VK_A), 1u);
}
