#include "shell/win/keymap_dialogs.h"

#include <cstdio>
#include <vector>

#include "platform/win/dialog_proc.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "shell/win/app.h"
#include "terminal/term_prefs.h"

namespace palvex {

namespace {

constexpr const char* kEditorTemplate = "KEYMAP";
constexpr const char* kFunctionTemplate = "KEYFUNCTION";
constexpr const char* kCodeTemplate = "KEYCODE";
// Room for 15 bytes written as "\hh" each, and some to spare for the cut.
constexpr int kDefinitionChars = 64;

struct EditorRun {
    Keymap& live;
    std::string path;
    int type;
    std::string helpFile;
};

struct FunctionRun {
    uint8_t* slot;
    std::string keyName;
};

struct CodeRun {
    int virtualKey;
};

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1);
    const int n = GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

std::string LoadText(int id) {
    char text[512] = {};
    LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), text, sizeof text);
    return text;
}

void EditSlot(HWND editor, Keymap& live, int slot) {
    const std::string name = SlotKeyName(slot);
    char button[32] = {};
    GetDlgItemTextA(editor, dlg::kKeySlotBase + slot, button, sizeof button);
    FunctionRun run{live.slot[slot], name.empty() ? std::string(button) : name};
    DialogBoxParamA(GetModuleHandleA(nullptr), kFunctionTemplate, editor, KeyFunctionDlgFunc,
                    reinterpret_cast<LPARAM>(&run));
}

void ShowKeyCode(HWND editor, int virtualKey) {
    CodeRun run{virtualKey};
    DialogBoxParamA(GetModuleHandleA(nullptr), kCodeTemplate, editor, KeycodeDlgFunc, reinterpret_cast<LPARAM>(&run));
}

void ShowCodeFor(HWND dialog, const CodeRun& run) {
    const bool shift = IsDlgButtonChecked(dialog, dlg::kKeyCodeShifted) == BST_CHECKED;
    const bool control = IsDlgButtonChecked(dialog, dlg::kKeyCodeControl) == BST_CHECKED;
    const KeyCodeText shown = KeyCodeFor(run.virtualKey, shift, control);
    SetDlgItemTextA(dialog, dlg::kKeyCodeChar, shown.character.c_str());
    SetDlgItemTextA(dialog, dlg::kKeyCodeValue, shown.code.c_str());
}

}  // namespace

std::string SlotKeyName(int slot) {
    if (slot < 0 || slot >= kKeymapSlots) return std::string();
    int vk = slot < 15 ? slot + 33 : slot + 81;
    // The grey navigation block and the keypad's "/" and Enter carry the
    // extended flag; without it the driver names the keypad twin instead.
    bool extended = (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE;
    if (slot == kSlotKeypadEnter) {
        vk = VK_RETURN;
        extended = true;
    }
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), 0);
    if (scan == 0) return std::string();
    const LONG lParam = static_cast<LONG>((scan << 16) | (extended ? 1u << 24 : 0u));
    char name[64] = {};
    const int n = GetKeyNameTextA(lParam, name, sizeof name);
    return std::string(name, n > 0 ? static_cast<size_t>(n) : 0);
}

KeyCodeText KeyCodeFor(int virtualKey, bool shift, bool control) {
    // A table of our own: the real keyboard state stays as the user has it.
    BYTE keys[256] = {};
    if (shift) keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    if (control) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    WORD out = 0;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), 0);
    if (ToAscii(static_cast<UINT>(virtualKey), scan, keys, &out, 0) < 1) return {};
    const unsigned ch = out & 0xFF;
    char code[8];
    std::snprintf(code, sizeof code, "%x", ch);
    std::string character;
    if (ch < 0x20 || ch == 0x7F) {
        character = "^";
        character += static_cast<char>(ch == 0x7F ? '?' : ch + 0x40);
    } else {
        character = std::string(1, static_cast<char>(ch));
    }
    return {character, code};
}

int RunKeymapEditor(HWND owner, Keymap& live, const std::string& path, int type, const std::string& helpFile) {
    EditorRun run{live, path, type, helpFile};
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), kEditorTemplate, owner, KbdDlgFunc,
                                            reinterpret_cast<LPARAM>(&run)));
}

void OpenKeymapEditor(App& app, HWND owner, int type) {
    BYTE saved[256] = {};
    const bool haveState = GetKeyboardState(saved) != FALSE;
    RunKeymapEditor(owner, app.keymap, KeymapPath(app.settings.InstallDir), type, app.settings.HelpFile);
    if (haveState) SetKeyboardState(saved);
}

void OpenKeymapEditor(App& app) { OpenKeymapEditor(app, app.MainWindow, app.CurrentService.TerminalType); }

INT_PTR CALLBACK KbdDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<EditorRun>(dialog, message, lParam);
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG: {
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        SetWindowTextA(dialog, (std::string(caption) + TerminalTypeName(run->type)).c_str());
        EnsureKeymapFile(run->path);
        LoadKeymap(run->live, run->path, run->type);
        CheckDlgButton(dialog, dlg::kKeymapNumLock, BST_CHECKED);
        CheckDlgButton(dialog, dlg::kKeymapAppMode, BST_CHECKED);
        EnableWindow(GetDlgItem(dialog, dlg::kKeymapAppMode), FALSE);
        return TRUE;
    }
    case WM_COMMAND: {
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        const int id = LOWORD(wParam);
        if (id >= dlg::kKeySlotBase && id < dlg::kKeySlotBase + kKeymapSlots) {
            EditSlot(dialog, run->live, id - dlg::kKeySlotBase);
            return TRUE;
        }
        if (id > dlg::kKeyCodeBase && id < dlg::kKeyCodeBase + 256) {
            ShowKeyCode(dialog, id - dlg::kKeyCodeBase);
            return TRUE;
        }
        switch (id) {
        case dlg::kOk:
            // A failed write is not reported; the keys in use have the edits anyway.
            WriteKeymapCurrent(run->live, run->path, run->type);
            EndDialog(dialog, 1);
            return TRUE;
        case dlg::kKeymapDefault:
            ReadKeymapHalf(run->live, run->path, run->type, true);
            return TRUE;
        case dlg::kCancel:
        case dlg::kEscape:
            EndDialog(dialog, 0);
            return TRUE;
        case dlg::kHelp:
            WinHelpA(dialog, run->helpFile.c_str(), HELP_CONTEXT, kKeymapHelpContext);
            return TRUE;
        default:
            return FALSE;
        }
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK KeyFunctionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<FunctionRun>(dialog, message, lParam);
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, dlg::kKeyFuncName, run->keyName.c_str());
        SendDlgItemMessageA(dialog, dlg::kKeyFuncText, EM_LIMITTEXT, kDefinitionChars, 0);
        SetDlgItemTextA(dialog, dlg::kKeyFuncText, FormatKeyDefinition(run->slot).c_str());
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case dlg::kOk:
            if (!ParseKeyDefinition(ItemText(dialog, dlg::kKeyFuncText), run->slot)) {
                MessageBoxA(dialog, LoadText(str::kStrInvalidHexString).c_str(), "Error", MB_OK | MB_ICONEXCLAMATION);
                SetFocus(GetDlgItem(dialog, dlg::kKeyFuncText));
                return TRUE;
            }
            EndDialog(dialog, 1);
            return TRUE;
        case dlg::kCancel:
        case dlg::kEscape:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK KeycodeDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<CodeRun>(dialog, message, lParam);
    if (!run) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        CheckRadioButton(dialog, dlg::kKeyCodeUnshifted, dlg::kKeyCodeControl, dlg::kKeyCodeUnshifted);
        ShowCodeFor(dialog, *run);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case dlg::kKeyCodeUnshifted:
        case dlg::kKeyCodeShifted:
        case dlg::kKeyCodeControl:
            ShowCodeFor(dialog, *run);
            return TRUE;
        case dlg::kOk:
        case dlg::kEscape:
            EndDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace palvex
