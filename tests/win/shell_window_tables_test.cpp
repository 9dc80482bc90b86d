// The shell's tables against the design and against the resources they name:
// a hint, a bitmap or a menu item missing from palvex32.rc shows up here
// rather than as an empty status line or a blank button.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shell/app_tables.h"
#include "shell/command_ids.h"

namespace palvex {
namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

std::string StringResource(int id) {
    char text[512] = {};
    const int n = LoadStringA(Module(), static_cast<UINT>(id), text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

TEST(Hints, EveryMenuItemWithAHintHasItsString) {
    HMENU menu = LoadMenuA(Module(), "File");
    ASSERT_NE(nullptr, menu);
    int checked = 0;
    for (int top = 0; top < GetMenuItemCount(menu); ++top) {
        HMENU sub = GetSubMenu(menu, top);
        for (int i = 0; sub && i < GetMenuItemCount(sub); ++i) {
            const int id = HintStringId(GetMenuItemID(sub, i));
            if (!id) continue;
            EXPECT_FALSE(StringResource(id).empty()) << "menu item " << GetMenuItemID(sub, i);
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
    DestroyMenu(menu);
}

// The order of the buttons is checked on the window itself.
TEST(ToolbarSets, EveryButtonsPictureIsLoadedAtCreationAndExists) {
    const std::set<std::string> loaded(ToolbarBitmapNames().begin(), ToolbarBitmapNames().end());
    for (const auto& set : {OfflineButtons(), OnlineButtons()})
        for (const ToolbarButton& b : set) {
            EXPECT_TRUE(loaded.count(b.bitmap)) << b.bitmap << " is not loaded at creation";
            HBITMAP bitmap = LoadBitmapA(Module(), b.bitmap);
            EXPECT_NE(nullptr, bitmap) << b.bitmap;
            DeleteObject(bitmap);
        }
}

TEST(MenuStates, OnlineAndOfflineItemsAreDisjointAndAllInTheMenu) {
    HMENU menu = LoadMenuA(Module(), "File");
    ASSERT_NE(nullptr, menu);
    const std::set<int> online(OnlineOnlyCommands().begin(), OnlineOnlyCommands().end());
    EXPECT_EQ(18u, online.size());
    for (int id : OfflineOnlyCommands()) EXPECT_FALSE(online.count(id)) << id;
    for (auto list : {OnlineOnlyCommands(), OfflineOnlyCommands()})
        for (int id : list) EXPECT_NE(static_cast<UINT>(-1), GetMenuState(menu, id, MF_BYCOMMAND)) << id;
    DestroyMenu(menu);
}

}  // namespace
}  // namespace palvex
