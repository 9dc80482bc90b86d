// The keymap editor under Wine, through its buttons: a key's definition typed
// in the text form and written to the file by OK, the refused hex escape, the
// default half, Cancel, and the character codes of ordinary keys. The text form
// and the file's halves are checked natively.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/win/keymap_dialogs.h"
#include "shell_dialogs_driver.h"
#include "terminal/keymap.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;

constexpr int kSlotF1 = 31;
constexpr int kSlotUp = 5;

class KeymapEditorTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "palvex-keymap-" + std::to_string(GetCurrentProcessId()) + ".kbd";
        DeleteFileA(path_.c_str());
    }
    void TearDown() override {
        DeleteFileA(path_.c_str());
        ShellDialogTest::TearDown();
    }

    std::vector<uint8_t> File() const {
        std::ifstream in(path_, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    void WriteFile(const std::vector<uint8_t>& bytes) const {
        std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
    }
    static size_t Offset(int type, int slot, bool defaultHalf = false) {
        return static_cast<size_t>((type - 1) * kKeymapRecordBytes + (defaultHalf ? kKeymapBytes : 0) + slot * 16);
    }
    int Run(int type) { return RunKeymapEditor(main_, live_, path_, type, "PALVEX.HLP"); }

    // The editor's step that opens the Key Definition of `slot`.
    static testing::DialogStep Editor(const char* title, int button) {
        return {"bordlg_gray", title, [button](HWND d) { Click(d, button); }};
    }
    // Types `text` into the Key Definition and presses `button`.
    testing::DialogStep Define(const std::string& text, int button) {
        return {"bordlg_gray", "Key Definition", [this, text, button](HWND d) {
                    shownName_ = WindowText(GetDlgItem(d, dlg::kKeyFuncName));
                    shownText_ = WindowText(GetDlgItem(d, dlg::kKeyFuncText));
                    SetDlgItemTextA(d, dlg::kKeyFuncText, text.c_str());
                    Click(d, button);
                }};
    }

    std::string path_;
    Keymap live_;
    std::string shownName_, shownText_;
};

TEST_F(KeymapEditorTest, ADefinitionTypedWithCaretAndHexIsStoredInTheCurrentHalfByOk) {
    int result;
    {
        DialogScript script({
            {"bordlg_gray", "Keymap Editor VT220",
             [&](HWND d) {
                 EXPECT_EQ(UINT{BST_CHECKED}, IsDlgButtonChecked(d, dlg::kKeymapNumLock));
                 EXPECT_EQ(UINT{BST_CHECKED}, IsDlgButtonChecked(d, dlg::kKeymapAppMode));
                 EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, dlg::kKeymapAppMode)));
                 Click(d, dlg::kKeySlotBase + kSlotF1);
             }},
            Define("^[[A\\41", dlg::kOk),
            Editor("Keymap Editor VT220", dlg::kOk),
        });
        result = Run(6);
    }
    EXPECT_EQ(1, result);
    EXPECT_EQ("F1", shownName_);
    EXPECT_EQ("", shownText_) << "a missing file starts empty";
    const std::vector<uint8_t> file = File();
    ASSERT_EQ(static_cast<size_t>(kKeymapFileBytes), file.size()) << "created as 18 empty keymaps";
    const uint8_t want[16] = {0x1B, '[', 'A', 'A'};
    EXPECT_EQ(0, std::memcmp(want, &file[Offset(6, kSlotF1)], 16));
    EXPECT_EQ(0, std::memcmp(want, live_.slot[kSlotF1], 16)) << "the keys in use have it at once";
    EXPECT_EQ(static_cast<long>(file.size()) - 4, std::count(file.begin(), file.end(), 0));
}

TEST_F(KeymapEditorTest, DefaultLoadsTheDefaultHalfAndCancelOrARefusedHexEscapeWritesNothing) {
    std::vector<uint8_t> bytes(kKeymapFileBytes, 0);
    std::memcpy(&bytes[Offset(8, kSlotF1)], "cur", 3);
    std::memcpy(&bytes[Offset(8, kSlotF1, true)], "\x01@\r", 3);
    std::memcpy(&bytes[Offset(8, kSlotUp, true)], "\x1b" "A", 2);
    WriteFile(bytes);
    int result;
    {
        DialogScript script({
            Editor("Keymap Editor Wyse50", dlg::kKeymapDefault),
            Editor("Keymap Editor Wyse50", dlg::kKeySlotBase + kSlotF1),
            Define("changed", dlg::kOk),
            Editor("Keymap Editor Wyse50", dlg::kCancel),
        });
        result = Run(8);
    }
    EXPECT_EQ(0, result);
    EXPECT_EQ("^A@^M", shownText_) << "the default half, shown in the text form";
    EXPECT_EQ(0, std::memcmp("\x1b" "A", live_.slot[kSlotUp], 3));
    EXPECT_EQ(0, std::memcmp("changed", live_.slot[kSlotF1], 8)) << "edits stay in memory";
    EXPECT_EQ(bytes, File());

    // A bad hex escape is refused with the system box and the text stays for
    // correcting; Cancel in the Key Definition then stores nothing either.
    std::vector<std::string> errorTexts;
    std::string afterError;
    {
        DialogScript script({
            Editor("Keymap Editor Wyse50", dlg::kKeySlotBase + kSlotF1),
            Define("\\4g", dlg::kOk),
            {"#32770", "Error",
             [&](HWND m) {
                 errorTexts = testing::ChildTexts(m);
                 Click(m, IDOK);
             }},
            {"bordlg_gray", "Key Definition",
             [&](HWND d) {
                 afterError = WindowText(GetDlgItem(d, dlg::kKeyFuncText));
                 Click(d, dlg::kCancel);
             }},
            Editor("Keymap Editor Wyse50", dlg::kOk),
        });
        Run(8);
    }
    EXPECT_EQ("cur", shownText_) << "opening reads the current half again";
    EXPECT_NE(errorTexts.end(), std::find(errorTexts.begin(), errorTexts.end(), "Invalid hex string"));
    EXPECT_EQ("\\4g", afterError);
    EXPECT_EQ(0, std::memcmp("cur", live_.slot[kSlotF1], 4));
    EXPECT_EQ(0, std::memcmp("cur", &File()[Offset(8, kSlotF1)], 4));
}

TEST_F(KeymapEditorTest, KeycodeShowsTheCharacterAndItsHexCodeForEachModifier) {
    std::vector<std::string> seen;  // character, then code
    auto read = [&](HWND d) {
        seen.push_back(WindowText(GetDlgItem(d, dlg::kKeyCodeChar)) + " " +
                       WindowText(GetDlgItem(d, dlg::kKeyCodeValue)));
    };
    {
        DialogScript script({
            Editor("Keymap Editor TTY", dlg::kKeyCodeBase + 'A'),
            {"bordlg_gray", "Keycode",
             [&](HWND d) {
                 read(d);
                 SendMessageA(GetDlgItem(d, dlg::kKeyCodeShifted), BM_CLICK, 0, 0);
                 read(d);
                 SendMessageA(GetDlgItem(d, dlg::kKeyCodeControl), BM_CLICK, 0, 0);
                 read(d);
                 Click(d, dlg::kOk);
             }},
            Editor("Keymap Editor TTY", dlg::kKeyCodeBase + '2'),
            {"bordlg_gray", "Keycode",
             [&](HWND d) {
                 SendMessageA(GetDlgItem(d, dlg::kKeyCodeShifted), BM_CLICK, 0, 0);
                 read(d);
                 Click(d, dlg::kOk);
             }},
            Editor("Keymap Editor TTY", dlg::kCancel),
        });
        Run(1);
    }
    EXPECT_EQ((std::vector<std::string>{"a 61", "A 41", "^A 1", "@ 40"}), seen);
}

}  // namespace
}  // namespace palvex
