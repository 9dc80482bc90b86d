// The shell's tables against the design and against the resources they name:
// a hint, a bitmap or a menu item missing from palvex32.rc shows up here
// rather than as an empty status line or a blank button.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "shell/app_tables.h"
#include "shell/command_ids.h"

namespace palvex {

bool operator==(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

std::string StringResource(int id) {
    char text[512] = {};
    const int n = LoadStringA(Module(), static_cast<UINT>(id), text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

TEST(Hints, CommandsAndSystemCommandsFindTheirDesignedText) {
    const struct {
        unsigned command;
        const char* text;
    } cases[] = {
        {kCmdPhonebook, "Open phonebook"},
        {kCmdHelpContents, "Display context sensitive help"},
        {kCmdExit, "Exit from this program"},
        {kCmdAnswer, "Wait for ring and then connect"},
        {kCmdCommParameters, "Set Communication parameters"},
        {kCmdPrintTransparent, "Enable/disable transparent print"},
        {kCmdUnixToDos, "Convert Unix text file to DOS format"},
        {kScClose, "Exit from this program"},
        {kScTaskList, "Switch to another task"},
        {kScMove, "Change Palvex window position"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, StringResource(HintStringId(c.command))) << c.command;
}

TEST(Hints, UnknownIdsHaveNone) {
    for (unsigned id : {0u, 5u, 400u + 1, 998u, 0xF100u}) EXPECT_EQ(0, HintStringId(id)) << id;
}

TEST(Hints, EveryMenuItemWithAHintHasItsStringInTheTable) {
    HMENU menu = LoadMenuA(Module(), "File");
    ASSERT_NE(nullptr, menu);
    int checked = 0;
    for (int top = 0; top < GetMenuItemCount(menu); ++top) {
        HMENU sub = GetSubMenu(menu, top);
        for (int i = 0; sub && i < GetMenuItemCount(sub); ++i) {
            const UINT id = GetMenuItemID(sub, i);
            if (id == 0 || id == static_cast<UINT>(-1) || !HintStringId(id)) continue;
            EXPECT_FALSE(StringResource(HintStringId(id)).empty()) << "menu item " << id;
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
    DestroyMenu(menu);
}

TEST(ToolbarSets, OfflineAndOnlineButtonsInTheirDesignedOrder) {
    const int offline[] = {400, 1001, 1009, 3009, 3008, 11, 5006};
    const int online[] = {2003, 2000, 1001, 1009, 3009, 3008, 1000, 5006};
    ASSERT_EQ(std::size(offline), OfflineButtons().size());
    ASSERT_EQ(std::size(online), OnlineButtons().size());
    for (size_t i = 0; i < std::size(offline); ++i) EXPECT_EQ(offline[i], OfflineButtons()[i].id) << i;
    for (size_t i = 0; i < std::size(online); ++i) EXPECT_EQ(online[i], OnlineButtons()[i].id) << i;
}

TEST(ToolbarSets, EveryButtonBitmapIsLoadedAtCreationAndExists) {
    std::set<std::string> loaded(ToolbarBitmapNames().begin(), ToolbarBitmapNames().end());
    for (auto set : {OfflineButtons(), OnlineButtons()}) {
        for (const ToolbarButton& b : set) {
            EXPECT_TRUE(loaded.count(b.bitmap)) << b.bitmap;
            HBITMAP bitmap = LoadBitmapA(Module(), b.bitmap);
            EXPECT_NE(nullptr, bitmap) << b.bitmap;
            if (bitmap) DeleteObject(bitmap);
        }
    }
}

TEST(MenuStates, OnlineAndOfflineItemsAreDisjointAndAllInTheMenu) {
    HMENU menu = LoadMenuA(Module(), "File");
    ASSERT_NE(nullptr, menu);
    std::set<int> online(OnlineOnlyCommands().begin(), OnlineOnlyCommands().end());
    for (int id : OfflineOnlyCommands()) EXPECT_FALSE(online.count(id)) << id;
    for (auto list : {OnlineOnlyCommands(), OfflineOnlyCommands()})
        for (int id : list) EXPECT_NE(static_cast<UINT>(-1), GetMenuState(menu, id, MF_BYCOMMAND)) << id;
    EXPECT_EQ(18u, online.size());
    DestroyMenu(menu);
}

TEST(Layout, ChildrenTileTheBandsAroundTheText) {
    for (auto [w, h] : {std::pair{1024, 600}, std::pair{640, 480}, std::pair{300, 200}}) {
        const ShellLayout l = LayoutChildren(w, h);
        EXPECT_EQ((PixelRect{0, 0, w, 54}), l.toolbar);
        EXPECT_EQ((PixelRect{w - 16, 54, w, h - 32}), l.vscroll);
        EXPECT_EQ((PixelRect{0, h - 32, w - 16, h - 16}), l.hscroll);
        EXPECT_EQ((PixelRect{w - 16, h - 32, w, h - 16}), l.sizeBox);
        EXPECT_EQ((PixelRect{0, h - 16, w, h}), l.status);
    }
}

TEST(OnlineClock, HoursMinutesSecondsOfTwoDigits) {
    const struct {
        uint32_t ms;
        const char* text;
    } cases[] = {
        {0, "00:00:00"},         {999, "00:00:00"},      {1000, "00:00:01"},
        {59999, "00:00:59"},     {60000, "00:01:00"},    {3723000, "01:02:03"},
        {99u * 3600000, "99:00:00"}, {100u * 3600000 + 5000, "100:00:05"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, FormatOnlineClock(c.ms)) << c.ms;
}

TEST(ConnectionText, NameAndPortSummary) {
    ServiceEntry s = DefaultServiceEntry();
    std::memcpy(s.ShortName, "BBS", 4);
    s.PortIndex = 1;
    s.BaudIndex = 5;
    EXPECT_EQ("BBS is connected to COM2:9600,8,N,1", FormatConnectionText(s));
    // A name filling the whole field has no terminator of its own.
    std::memcpy(s.ShortName, "ABCDEFGHIJ", 10);
    EXPECT_EQ("ABCDEFGHIJ is connected to COM2:9600,8,N,1", FormatConnectionText(s));
}

}  // namespace
}  // namespace palvex
