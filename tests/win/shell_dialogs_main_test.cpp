// The shell's dialogs under Wine on their real templates, driven through
// their controls: the message box, the About box, bwcc32.dll's classes, the
// file chooser over real files and the modem profile. The other settings
// dialogs are checked natively through the same procedures, the batch list
// end to end; each dialog costs Wine seconds to take down, so each run checks
// all it can.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "modem/modem_profile.h"
#include "modem/win/modem_dialogs.h"
#include "phonebook/service_entry.h"
#include "shell/dialog_ids.h"
#include "shell/win/about_dialog.h"
#include "shell/win/dialog_libraries.h"
#include "shell/win/message_dialog.h"
#include "shell_dialogs_driver.h"
#include "utils/win/file_chooser.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;
using DialogsTest = testing::ShellDialogTest;

TEST_F(DialogsTest, StyleChoosesButtonsAndIconAndEachButtonIsItsResult) {
    struct Case {
        unsigned style;
        int id;
        const char* extra;
        std::string text;
        std::vector<int> buttons;
        LPCSTR icon;  // nullptr: none shown
    } cases[] = {
        {0x2010, 1, " C:\\X.LOG", "File open error C:\\X.LOG", {1}, IDI_HAND},
        {0x2021, 0, "only the extra", "only the extra", {1, 2}, IDI_QUESTION},
        {0x2034, -4, nullptr, "", {6, 7}, IDI_EXCLAMATION},
    };
    for (const Case& c : cases) {
        for (int press : c.buttons) {
            SCOPED_TRACE(::testing::Message() << std::hex << c.style << " press " << std::dec << press);
            int result;
            {
                DialogScript script({{"bordlg_gray", "Message", [&](HWND d) {
                                          std::vector<int> shown;
                                          for (int id : {dlg::kMsgOk, dlg::kMsgCancel, dlg::kMsgYes, dlg::kMsgNo})
                                              if (GetWindowLongA(GetDlgItem(d, id), GWL_STYLE) & WS_VISIBLE)
                                                  shown.push_back(id);
                                          EXPECT_EQ(c.buttons, shown);
                                          EXPECT_EQ(c.buttons[0], LOWORD(SendMessageA(d, DM_GETDEFID, 0, 0)));
                                          HICON icon = nullptr;
                                          if (IsWindowVisible(GetDlgItem(d, dlg::kMsgIcon)))
                                              icon = reinterpret_cast<HICON>(
                                                  SendDlgItemMessageA(d, dlg::kMsgIcon, STM_GETICON, 0, 0));
                                          EXPECT_EQ(c.icon ? LoadIconA(nullptr, c.icon) : nullptr, icon);
                                          EXPECT_EQ(c.text, WindowText(GetDlgItem(d, dlg::kMsgText)));
                                          EXPECT_EQ(main_, GetWindow(d, GW_OWNER)) << "no owner given: the main window";
                                          Click(d, press);
                                      }}});
                result = ShowMessage(nullptr, c.id, c.extra, c.style);
            }
            EXPECT_EQ(press, result);
        }
    }
}

TEST_F(DialogsTest, EscapeAnswersALoneOkAndCancelButNotYesNo) {
    for (const auto& [style, answer] : {std::pair{0x2000u, 1}, std::pair{0x2001u, 2}, std::pair{0x2004u, 7}}) {
        int result;
        {
            // What IsDialogMessage makes of Escape; Yes/No must stay open for
            // the click on No that follows to count.
            DialogScript script({{"bordlg_gray", "Message", [](HWND d) {
                                      SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
                                      Click(d, dlg::kMsgNo);
                                  }}});
            result = ShowMessage(nullptr, 10, nullptr, style);
        }
        EXPECT_EQ(answer, result) << style;
    }
}

TEST_F(DialogsTest, AboutShowsTheTotalPhysicalMemoryWithPercentDOnGrey) {
    EXPECT_EQ("16777216 bytes total memory", TotalMemoryText(16777216));
    // Beyond what "%d" holds: the largest it can show, never negative.
    EXPECT_EQ("2147483647 bytes total memory", TotalMemoryText(17179869184ull));
    std::string memory;
    COLORREF erased = 0;
    {
        DialogScript script({{"bordlg_gray", "About Palvex32-Dialup", [&](HWND d) {
                                  memory = WindowText(GetDlgItem(d, dlg::kAboutMemory));
                                  // The dialog class of bwcc32.dll paints grey.
                                  HDC screen = GetDC(nullptr);
                                  HDC dc = CreateCompatibleDC(screen);
                                  HGDIOBJ old = SelectObject(dc, CreateCompatibleBitmap(screen, 8, 8));
                                  SendMessageA(d, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
                                  erased = GetPixel(dc, 2, 2);
                                  DeleteObject(SelectObject(dc, old));
                                  DeleteDC(dc);
                                  ReleaseDC(nullptr, screen);
                                  Click(d, dlg::kOk);
                              }}});
        ShowAboutDialog(main_);
    }
    EXPECT_EQ(RGB(192, 192, 192), erased);
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    EXPECT_EQ(TotalMemoryText(status.dwTotalPhys), memory);
}

TEST_F(DialogsTest, TheFourGlobalClassesComeAndGoWithTheLibrary) {
    for (int round = 0; round < 2; ++round) {
        for (const char* name : {"bordlg_gray", "BorShade", "BorCheck", "BorRadio"}) {
            WNDCLASSA wc{};
            ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) << name << " round " << round;
            EXPECT_NE(0u, wc.style & CS_GLOBALCLASS) << name;
        }
        // Group frames lie over the controls they surround: clicks go through.
        HWND shade = CreateWindowA("BorShade", "", WS_CHILD | 1, 0, 0, 50, 50, main_, nullptr, nullptr, nullptr);
        EXPECT_EQ(HTTRANSPARENT, SendMessageA(shade, WM_NCHITTEST, 0, 0));
        DestroyWindow(shade);

        UnloadDialogLibraries();
        // Classes left behind would point into the unloaded library.
        WNDCLASSA wc{};
        EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "BorCheck", &wc));
        EXPECT_EQ(nullptr, GetModuleHandleA("bwcc32.dll"));
        ASSERT_TRUE(LoadDialogLibraries(main_));
    }
}


std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

std::vector<std::string> Sorted(HWND dialog, int id) {
    std::vector<std::string> items = testing::ListBoxTexts(dialog, id);
    std::sort(items.begin(), items.end());
    return items;
}

void TypeAndOk(HWND d, const std::string& text) {
    SetDlgItemTextA(d, dlg::kFileName, text.c_str());
    Click(d, dlg::kOk);
}

testing::DialogStep Chooser(std::function<void(HWND)> act) { return {"bordlg_gray", "Open File", std::move(act)}; }

class FileChooserTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        folder_.emplace("palvex-chooser-");
        dir_ = folder_->path();
        CreateDirectoryA((dir_ + "\\sub").c_str(), nullptr);
        for (const char* name : {"alpha.txt", "beta.scr", "long file name of a script.txt", "sub\\inner.txt"})
            CloseHandle(CreateFileA((*folder_ / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    void TearDown() override {
        folder_.reset();
        ShellDialogTest::TearDown();
    }

    int Run(std::vector<testing::DialogStep> steps, DWORD flags = 0) {
        OPENFILENAMEA record{};
        record.lStructSize = sizeof record;
        record.hwndOwner = main_;
        record.lpstrFilter = "(*.scr)\0*.scr\0(*.txt)\0*.txt\0";
        record.lpstrTitle = "Open File";
        record.lpstrFile = file_;
        record.nMaxFile = sizeof file_;
        record.Flags = flags;
        file_[0] = 0;
        int result;
        {
            testing::DialogScript script(std::move(steps));
            result = ChooseFile(record);
        }
        Pump();
        return result;
    }

    std::optional<testing::ScratchFolder> folder_;
    std::string dir_;
    char file_[MAX_PATH] = {};
};

TEST_F(FileChooserTest, FullPathToAFileGivesItsBareNameAndMovesTheCurrentDirectory) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);
    EXPECT_EQ(1, Run({Chooser([&](HWND d) {
                  const auto dirs = Sorted(d, dlg::kFileDirList);
                  EXPECT_NE(dirs.end(), std::find(dirs.begin(), dirs.end(), "[-c-]")) << "drives as listed";
                  TypeAndOk(d, dir_ + "\\long file name of a script.txt");
              })}));
    EXPECT_STREQ("long file name of a script.txt", file_);
    EXPECT_EQ(0, lstrcmpiA(dir_.c_str(), CurrentDirectory().c_str()));
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
        SCOPED_TRACE(c.typed);
        const int result = Run({Chooser([&c](HWND d) { TypeAndOk(d, c.typed); }),
                                {"bordlg_gray", "Message",
                                 [&c](HWND m) {
                                     EXPECT_EQ(c.message, WindowText(GetDlgItem(m, dlg::kMsgText)));
                                     Click(m, dlg::kMsgOk);
                                 }},
                                Chooser([](HWND d) {
                                    EXPECT_EQ("*.scr", WindowText(GetDlgItem(d, dlg::kFileName)));
                                    Click(d, dlg::kCancel);
                                })},
                               c.flags);
        EXPECT_EQ(0, result);
        EXPECT_EQ(0, lstrcmpiA(dir_.c_str(), CurrentDirectory().c_str()));
    }
    // Saving may name a new file: it comes back as typed.
    EXPECT_EQ(1, Run({Chooser([](HWND d) { TypeAndOk(d, "missing.txt"); })}));
    EXPECT_STREQ("missing.txt", file_);
}

TEST_F(FileChooserTest, PatternsRelistAndDirectoriesAndFilesOpenOnDoubleClick) {
    const std::vector<std::string> texts{"alpha.txt", "long file name of a script.txt"};
    auto txtFilter = [](HWND d) {
        SendDlgItemMessageA(d, dlg::kFileType, CB_SETCURSEL, 1, 0);
        testing::Notify(d, dlg::kFileType, CBN_SELCHANGE);
    };
    const int result = Run({
        Chooser([&](HWND d) {
            EXPECT_EQ(std::vector<std::string>{"beta.scr"}, Sorted(d, dlg::kFileList));
            txtFilter(d);
            EXPECT_EQ(texts, Sorted(d, dlg::kFileList));
            EXPECT_GT(SendDlgItemMessageA(d, dlg::kFileList, LB_GETHORIZONTALEXTENT, 0, 0), 100)
                << "wide enough to scroll to the end of the long name";
            TypeAndOk(d, "*.scr");  // a typed pattern relists and stays open
        }),
        Chooser([&](HWND d) {
            EXPECT_EQ(std::vector<std::string>{"beta.scr"}, Sorted(d, dlg::kFileList));
            txtFilter(d);
            HWND dirs = GetDlgItem(d, dlg::kFileDirList);
            SendMessageA(dirs, LB_SETCURSEL,
                         SendMessageA(dirs, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("[sub]")),
                         0);
            testing::Notify(d, dlg::kFileDirList, LBN_DBLCLK);
            EXPECT_EQ(std::vector<std::string>{"inner.txt"}, Sorted(d, dlg::kFileList));
            // Picking a file puts its name in the edit; a double click takes it.
            SendDlgItemMessageA(d, dlg::kFileList, LB_SETCURSEL, 0, 0);
            testing::Notify(d, dlg::kFileList, LBN_DBLCLK);
        }),
    });
    EXPECT_EQ(1, result);
    EXPECT_STREQ("inner.txt", file_);
    EXPECT_EQ(0, lstrcmpiA((dir_ + "\\sub").c_str(), CurrentDirectory().c_str()));
}

TEST_F(DialogsTest, UsRoboticsChosenWithItsResetStringAndResultCodeWritesItsFile) {
    // The dialog makes the installation directory current: it has to start
    // elsewhere for that to show.
    testing::ScratchFolder folder("palvex-modem-");
    const std::string dir = folder.path();
    ModemProfile old;
    StoreField(old.ResultCarrier, "NO CARRIER");
    ASSERT_TRUE(SaveModemProfile(old, dir, kUsRoboticsIndex));
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);

    ServiceEntry service = DefaultServiceEntry();
    ModemProfile profile;
    int result;
    {
        testing::DialogScript script({
            {"bordlg_gray", "Modem Setting",
             [](HWND d) {
                 EXPECT_EQ(16, SendDlgItemMessageA(d, dlg::kModemList, LB_GETCOUNT, 0, 0));
                 EXPECT_EQ(kHayesIndex, SendDlgItemMessageA(d, dlg::kModemList, LB_GETCURSEL, 0, 0))
                     << "the default service's manufacturer";
                 EXPECT_EQ("USRobotics", testing::ListBoxTexts(d, dlg::kModemList).at(kUsRoboticsIndex));
                 testing::SelectLine(d, dlg::kModemList, kUsRoboticsIndex);
                 Click(d, dlg::kModemSelect);
             }},
            {"bordlg_gray", "USRobotics",
             [](HWND d) {
                 EXPECT_EQ(kProfileTextLimit, SendDlgItemMessageA(d, dlg::kProfileReset, EM_GETLIMITTEXT, 0, 0));
                 SetDlgItemTextA(d, dlg::kProfileReset, "ATZ^M");
                 Click(d, dlg::kProfileResultCodes);
             }},
            {"bordlg_gray", "USRobotics Result code",
             [](HWND d) {
                 EXPECT_EQ("NO CARRIER", WindowText(GetDlgItem(d, dlg::kResultCarrier)));
                 SetDlgItemTextA(d, dlg::kResultBusy, "LINE BUSY");
                 Click(d, dlg::kOk);
             }},
            {"bordlg_gray", "USRobotics", [](HWND d) { Click(d, dlg::kOk); }},
            {"bordlg_gray", "Modem Setting", [](HWND d) { Click(d, dlg::kOk); }},
        });
        result = ShowModemDialog(main_, service, profile, dir, "PALVEX.HLP");
    }
    Pump();
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof path, path);
    EXPECT_EQ(0, lstrcmpiA(dir.c_str(), path));
    EXPECT_EQ(1, result);
    EXPECT_EQ(kUsRoboticsIndex, service.ModemIndex);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    ASSERT_TRUE(GetFileAttributesExA((dir + "\\USRoboti.mdm").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(kModemProfileSize, info.nFileSizeLow);
    ModemProfile saved;
    ASSERT_TRUE(LoadModemProfile(saved, dir, kUsRoboticsIndex));
    EXPECT_EQ("ATZ^M", FieldText(saved.ResetString));
    EXPECT_EQ("LINE BUSY", FieldText(saved.ResultBusy));
    EXPECT_EQ("NO CARRIER", FieldText(saved.ResultCarrier));
}

}  // namespace
}  // namespace palvex
