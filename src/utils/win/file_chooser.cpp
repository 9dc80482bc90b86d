#include "utils/win/file_chooser.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win/dialog_proc.h"
#include "shell/win/message_dialog.h"
#include "utils/file_choice.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "FILEDLG";

constexpr int kOk = 400;
constexpr int kCancel = 300;
constexpr int kFileName = 108;
constexpr int kFileType = 103;
constexpr int kFileList = 105;
constexpr int kDirList = 106;
constexpr int kPathText = 104;
constexpr int kRawFiles = 107;
constexpr int kRawDirs = 109;

constexpr int kStrCheckPath = 12;
constexpr int kStrFileMissing = 13;
constexpr unsigned kWarningStyle = 0x2030;  // task-modal, exclamation

constexpr char kAllFiles[] = "*.*";

struct ChooserRun {
    OPENFILENAMEA& record;
    std::vector<FilterPair> filters;
    std::string pattern;  // what the file list shows
};

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1);
    const int n = GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

std::string LongName(const std::string& name) {
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA(name.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return {};
    FindClose(h);
    return found.cFileName;
}

// Lets a list box scroll sideways as far as its longest line.
void FitHorizontalExtent(HWND list) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::vector<char> text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1);
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        SIZE size{};
        GetTextExtentPoint32A(dc, text.data(), lstrlenA(text.data()), &size);
        widest = std::max(widest, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // A few pixels for the item's own margin.
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 6), 0);
}

// The raw listing in `from`, under long names, into `to`.
void CopyListing(HWND dialog, int from, int to) {
    HWND source = GetDlgItem(dialog, from);
    HWND target = GetDlgItem(dialog, to);
    SendMessageA(target, WM_SETREDRAW, FALSE, 0);
    SendMessageA(target, LB_RESETCONTENT, 0, 0);
    const LRESULT count = SendMessageA(source, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::vector<char> text(static_cast<size_t>(SendMessageA(source, LB_GETTEXTLEN, i, 0)) + 1);
        SendMessageA(source, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        const std::string shown = DisplayListingLine(text.data(), LongName);
        SendMessageA(target, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
    SendMessageA(target, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(target, nullptr, TRUE);
    FitHorizontalExtent(target);
}

// Subdirectories and drives of `directory` ("" for the current one). The
// listing makes that directory current. False when it cannot be listed.
bool ListDirectories(HWND dialog, const std::string& directory) {
    char spec[MAX_PATH + 8] = {};
    std::string text = directory;
    if (!text.empty() && text.back() != '\\' && text.back() != '/' && text.back() != ':') text += '\\';
    text += kAllFiles;
    lstrcpynA(spec, text.c_str(), sizeof spec);
    if (!DlgDirListA(dialog, spec, kRawDirs, kPathText, DDL_DIRECTORY | DDL_DRIVES | DDL_EXCLUSIVE)) return false;
    CopyListing(dialog, kRawDirs, kDirList);
    return true;
}

// The files of the current directory matching `pattern`.
bool ListFiles(HWND dialog, const std::string& pattern) {
    char spec[MAX_PATH + 8] = {};
    lstrcpynA(spec, pattern.c_str(), sizeof spec);
    const bool listed = DlgDirListA(dialog, spec, kRawFiles, 0, DDL_READWRITE | DDL_READONLY | DDL_ARCHIVE) != 0;
    if (!listed) SendDlgItemMessageA(dialog, kRawFiles, LB_RESETCONTENT, 0, 0);
    CopyListing(dialog, kRawFiles, kFileList);
    return listed;
}

void Refuse(HWND dialog, ChooserRun& run, int stringId) {
    MessageBeep(0);
    ShowMessage(dialog, stringId, nullptr, kWarningStyle);
    SetDlgItemTextA(dialog, kFileName, run.pattern.c_str());
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void StoreResult(OPENFILENAMEA& record, const std::string& text) {
    if (record.lpstrFile && record.nMaxFile > 0)
        lstrcpynA(record.lpstrFile, text.c_str(), static_cast<int>(record.nMaxFile));
}

void Open(HWND dialog, ChooserRun& run) {
    if (run.record.lpstrTitle) SetWindowTextA(dialog, run.record.lpstrTitle);
    run.filters = ParseFilterPairs(run.record.lpstrFilter);
    for (const FilterPair& f : run.filters)
        SendDlgItemMessageA(dialog, kFileType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.description.c_str()));
    run.pattern = run.filters.empty() ? kAllFiles : run.filters.front().pattern;
    SendDlgItemMessageA(dialog, kFileType, CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(dialog, kFileName, run.pattern.c_str());
    ListDirectories(dialog, "");
    ListFiles(dialog, run.pattern);
}

void OpenDirectoryItem(HWND dialog, ChooserRun& run) {
    char chosen[MAX_PATH] = {};
    if (!DlgDirSelectExA(dialog, chosen, sizeof chosen, kDirList)) return;
    std::string directory = chosen;
    // A bare drive ("c:") goes to its root.
    if (directory.size() == 2 && directory[1] == ':') directory += '\\';
    if (!ListDirectories(dialog, directory)) {
        Refuse(dialog, run, kStrCheckPath);
        return;
    }
    ListFiles(dialog, run.pattern);
}

void Ok(HWND dialog, ChooserRun& run) {
    const std::string text = ItemText(dialog, kFileName);
    if (text.empty()) return;

    if (IsFilePattern(text)) {
        const SplitPath split = SplitFilePath(text);
        if (!ListDirectories(dialog, split.directory.empty() ? split.drive : split.directory)) {
            Refuse(dialog, run, kStrCheckPath);
            return;
        }
        run.pattern = split.name;
        ListFiles(dialog, run.pattern);
        SetDlgItemTextA(dialog, kFileName, run.pattern.c_str());
        return;
    }

    // A directory typed in is opened, as a double click on it would.
    if (DirectoryExists(text)) {
        if (ListDirectories(dialog, text)) ListFiles(dialog, run.pattern);
        SetDlgItemTextA(dialog, kFileName, run.pattern.c_str());
        return;
    }

    if ((run.record.Flags & OFN_FILEMUSTEXIST) && !FileExists(text)) {
        Refuse(dialog, run, kStrFileMissing);
        return;
    }

    if (NamesDriveOrRootedDirectory(text)) {
        const SplitPath split = SplitFilePath(text);
        StoreResult(run.record, split.name);
        if (!split.drive.empty() && !SetCurrentDirectoryA(split.drive.c_str())) {
            Refuse(dialog, run, kStrCheckPath);
            return;
        }
        if (!split.directory.empty() && !SetCurrentDirectoryA(split.directory.c_str())) {
            Refuse(dialog, run, kStrCheckPath);
            return;
        }
    } else {
        StoreResult(run.record, text);
    }
    EndDialog(dialog, 1);
}

void FileListCommand(HWND dialog, ChooserRun& run, int code) {
    if (code != LBN_SELCHANGE && code != LBN_DBLCLK) return;
    HWND list = GetDlgItem(dialog, kFileList);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    std::vector<char> text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, selected, 0)) + 1);
    SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    SetDlgItemTextA(dialog, kFileName, text.data());
    if (code == LBN_DBLCLK) Ok(dialog, run);
}

void FilterChanged(HWND dialog, ChooserRun& run) {
    const LRESULT selected = SendDlgItemMessageA(dialog, kFileType, CB_GETCURSEL, 0, 0);
    if (selected < 0 || static_cast<size_t>(selected) >= run.filters.size()) return;
    run.pattern = run.filters[static_cast<size_t>(selected)].pattern;
    SetDlgItemTextA(dialog, kFileName, run.pattern.c_str());
    ListFiles(dialog, run.pattern);
}

}  // namespace

int ChooseFile(OPENFILENAMEA& record) {
    HINSTANCE instance =
        record.hwndOwner ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(record.hwndOwner, GWLP_HINSTANCE)) : nullptr;
    if (!instance) instance = GetModuleHandleA(nullptr);
    ChooserRun run{record, {}, {}};
    const INT_PTR result =
        DialogBoxParamA(instance, kTemplate, record.hwndOwner, OpenDlgFunc, reinterpret_cast<LPARAM>(&run));
    return result == 1 ? 1 : 0;
}

INT_PTR CALLBACK OpenDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<ChooserRun>(dialog, message, lParam);
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog, *run);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        switch (id) {
        case kDirList:
            if (code == LBN_DBLCLK) OpenDirectoryItem(dialog, *run);
            return TRUE;
        case kFileList: FileListCommand(dialog, *run, code); return TRUE;
        case kFileType:
            if (code == CBN_SELCHANGE) FilterChanged(dialog, *run);
            return TRUE;
        case kOk: Ok(dialog, *run); return TRUE;
        case kCancel:
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
        }
    }
    default: return FALSE;
    }
}

}  // namespace palvex
