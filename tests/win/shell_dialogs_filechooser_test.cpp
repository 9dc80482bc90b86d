// The file chooser under Wine, driven through its controls over a folder of
// real files; what counts is the name handed back and the current directory
// left behind.
#include <windows.h>

#include <commdlg.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell_dialogs_driver.h"
#include "utils/win/file_chooser.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;

std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

std::vector<std::string> ListItems(HWND dialog, int id) {
    std::vector<std::string> items = testing::ListBoxTexts(dialog, id);
    std::sort(items.begin(), items.end());
    return items;
}

bool Lists(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

// A folder with files of two kinds, one with a long name, and a subfolder.
class FileChooserTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        other_ = temp;
        folder_.emplace("palvex-chooser-");
        dir_ = folder_->path();
        CreateDirectoryA((dir_ + "\\sub").c_str(), nullptr);
        for (const char* name : {"alpha.txt", "beta.scr", "long file name of a script.txt", "sub\\inner.txt"}) {
            HANDLE h = CreateFileA((*folder_ / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(h, "x", 1, &written, nullptr);
            CloseHandle(h);
        }
    }
    void TearDown() override {
        folder_.reset();
        ShellDialogTest::TearDown();
    }

    int Run(std::vector<testing::DialogStep> steps, DWORD flags = 0) {
        record_ = OPENFILENAMEA{};
        record_.lStructSize = sizeof record_;
        record_.hwndOwner = main_;
        record_.lpstrFilter = "(*.scr)\0*.scr\0(*.txt)\0*.txt\0";
        record_.lpstrTitle = "Open File";
        record_.lpstrFile = file_;
        record_.nMaxFile = sizeof file_;
        record_.Flags = flags;
        file_[0] = 0;
        int result;
        {
            DialogScript script(std::move(steps));
            result = ChooseFile(record_);
        }
        Pump();
        return result;
    }

    static void TypeAndOk(HWND d, const std::string& text) {
        SetDlgItemTextA(d, dlg::kFileName, text.c_str());
        Click(d, dlg::kOk);
    }

    std::optional<testing::ScratchFolder> folder_;
    std::string dir_, other_;
    OPENFILENAMEA record_{};
    char file_[MAX_PATH] = {};
};

testing::DialogStep Chooser(std::function<void(HWND)> act) { return {"bordlg_gray", "Open File", std::move(act)}; }

TEST_F(FileChooserTest, FullPathToAFileGivesItsBareNameAndMovesTheCurrentDirectory) {
    SetCurrentDirectoryA(other_.c_str());
    std::vector<std::string> dirsAtOpen;
    std::string pathShown;
    const int result = Run({Chooser([&](HWND d) {
        dirsAtOpen = ListItems(d, dlg::kFileDirList);
        pathShown = WindowText(GetDlgItem(d, dlg::kFilePath));
        TypeAndOk(d, dir_ + "\\long file name of a script.txt");
    })});
    EXPECT_EQ(1, result);
    EXPECT_STREQ("long file name of a script.txt", file_);
    EXPECT_EQ(0, lstrcmpiA(dir_.c_str(), CurrentDirectory().c_str()));
    EXPECT_TRUE(Lists(dirsAtOpen, "[-c-]"));  // drives as listed
    EXPECT_FALSE(pathShown.empty());
}

TEST_F(FileChooserTest, PatternRelistsAndKeepsTheDialogOpen) {
    std::vector<std::string> atOpen, afterPattern, dirs;
    std::string typed, patternShown;
    LRESULT extent = 0;
    const int result = Run({
        Chooser([&](HWND d) {
            atOpen = ListItems(d, dlg::kFileList);
            typed = WindowText(GetDlgItem(d, dlg::kFileName));
            dirs = ListItems(d, dlg::kFileDirList);
            TypeAndOk(d, "*.txt");
        }),
        Chooser([&](HWND d) {
            afterPattern = ListItems(d, dlg::kFileList);
            patternShown = WindowText(GetDlgItem(d, dlg::kFileName));
            extent = SendDlgItemMessageA(d, dlg::kFileList, LB_GETHORIZONTALEXTENT, 0, 0);
            Click(d, dlg::kCancel);
        }),
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ("*.scr", typed);
    EXPECT_EQ(std::vector<std::string>{"beta.scr"}, atOpen);
    EXPECT_EQ((std::vector<std::string>{"alpha.txt", "long file name of a script.txt"}), afterPattern);
    EXPECT_EQ("*.txt", patternShown);
    EXPECT_TRUE(Lists(dirs, "[sub]"));
    EXPECT_FALSE(Lists(dirs, "alpha.txt"));
    // Wide enough to scroll to the end of the long name.
    EXPECT_GT(extent, 100);
}

// A refused name shows its message and puts the pattern back for another try.
TEST_F(FileChooserTest, AMissingFileThatMustExistOrABadDirectoryIsRefused) {
    const struct {
        const char* typed;
        DWORD flags;
        const char* message;
    } cases[] = {
        {"missing.txt", OFN_FILEMUSTEXIST, "File does not exits, Check path"},
        {"\\no-such-folder-here\\*.txt", 0, "Check your path and directory"},
    };
    for (const auto& c : cases) {
        std::string message, backToPattern;
        const int result = Run(
            {
                Chooser([&c](HWND d) { TypeAndOk(d, c.typed); }),
                {"bordlg_gray", "Message",
                 [&](HWND m) {
                     message = WindowText(GetDlgItem(m, dlg::kMsgText));
                     Click(m, dlg::kMsgOk);
                 }},
                Chooser([&](HWND d) {
                    backToPattern = WindowText(GetDlgItem(d, dlg::kFileName));
                    Click(d, dlg::kCancel);
                }),
            },
            c.flags);
        EXPECT_EQ(0, result) << c.typed;
        EXPECT_EQ(c.message, message);
        EXPECT_EQ("*.scr", backToPattern);
        EXPECT_EQ(0, lstrcmpiA(dir_.c_str(), CurrentDirectory().c_str()));
    }

    // Saving may name a new file: it comes back as typed.
    EXPECT_EQ(1, Run({Chooser([](HWND d) { TypeAndOk(d, "missing.txt"); })}));
    EXPECT_STREQ("missing.txt", file_);
}

TEST_F(FileChooserTest, SecondFilterSwitchesThePatternAndDirectoriesOpenOnDoubleClick) {
    std::vector<std::string> afterFilter, inSub;
    std::string patternShown;
    const int result = Run({
        Chooser([&](HWND d) {
            SendDlgItemMessageA(d, dlg::kFileType, CB_SETCURSEL, 1, 0);
            testing::Notify(d, dlg::kFileType, CBN_SELCHANGE);
            afterFilter = ListItems(d, dlg::kFileList);
            patternShown = WindowText(GetDlgItem(d, dlg::kFileName));

            HWND dirs = GetDlgItem(d, dlg::kFileDirList);
            const LRESULT sub = SendMessageA(dirs, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>("[sub]"));
            SendMessageA(dirs, LB_SETCURSEL, static_cast<WPARAM>(sub), 0);
            testing::Notify(d, dlg::kFileDirList, LBN_DBLCLK);
            inSub = ListItems(d, dlg::kFileList);

            // Picking a file puts its name in the edit; a double click takes it.
            SendDlgItemMessageA(d, dlg::kFileList, LB_SETCURSEL, 0, 0);
            testing::Notify(d, dlg::kFileList, LBN_DBLCLK);
        }),
    });
    EXPECT_EQ((std::vector<std::string>{"alpha.txt", "long file name of a script.txt"}), afterFilter);
    EXPECT_EQ("*.txt", patternShown);
    EXPECT_EQ(std::vector<std::string>{"inner.txt"}, inSub);
    EXPECT_EQ(1, result);
    EXPECT_STREQ("inner.txt", file_);
    EXPECT_EQ(0, lstrcmpiA((dir_ + "\\sub").c_str(), CurrentDirectory().c_str()));
}

}  // namespace
}  // namespace palvex
