#include "shell/win/commands.h"

#include "comm/pump.h"
#include "shell/command_ids.h"
#include "shell/string_ids.h"
#include "shell/win/app.h"
#include "shell/win/about_dialog.h"
#include "shell/win/connection.h"
#include "shell/win/defdir_dialog.h"
#include "shell/win/capture_commands.h"
#include "shell/win/clipboard_commands.h"
#include "shell/win/comm_commands.h"
#include "shell/win/keyboard_input.h"
#include "shell/win/keymap_dialogs.h"
#include "shell/win/modem_commands.h"
#include "shell/win/pending_commands.h"
#include "shell/win/transfer_commands.h"
#include "shell/win/phone_book_commands.h"
#include "shell/win/term_prefs_dialog.h"
#include "terminal/win/terminal_view.h"
#include "shell/win/toolbar.h"

namespace palvex {

namespace {

void Check(App& app, int id, bool on) {
    CheckMenuItem(app.Menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Enable(HMENU menu, int id, bool on) {
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void WriteModem(App& app, const char* text) {
    WritePort(app.port, reinterpret_cast<const uint8_t*>(text), lstrlenA(text));
}

void ToggleChat(App& app) {
    PumpState& pump = app.pump;
    pump.ChatMode = !pump.ChatMode;
    if (pump.ChatMode) {
        pump.chat = ChatState{};
        DrawChatDivider(app.view);
    } else {
        InvalidateRect(app.MainWindow, nullptr, TRUE);
    }
    Check(app, kCmdChat, pump.ChatMode != 0);
    EnableWindow(app.VScroll, !pump.ChatMode);
    EnableWindow(app.HScroll, !pump.ChatMode);
}

void ToggleAnswer(App& app) {
    app.port.AutoAnswer = !app.port.AutoAnswer;
    WriteModem(app, app.port.AutoAnswer ? "ATS0=1\r" : "ATS0=0\r");
    Check(app, kCmdAnswer, app.port.AutoAnswer != 0);
}

void Launch(const char* commandLine) { WinExec(commandLine, SW_SHOW); }

}  // namespace

bool MayClose(App& app) {
    if (!app.port.PortOpen) return true;
    app.ui.MessageBeep(kBeepIconHand);
    app.ui.ShowMessage(app.MainWindow, str::kStrHangUpFirst, nullptr, kStyleTaskModal | kStyleInformation);
    return false;
}

void ResetTerminal(App& app) {
    ResetTerminalState(app.screen);
    const int type = app.CurrentService.TerminalType;
    if (type != kTypeVt220 && type != kTypeVt320) app.modes.c1Answers = 0;
    app.modes.reverse = 0;
    if (app.pump.PrintControllerActive) {
        if (app.session.spool) app.session.spool->End();
        app.pump.PrintControllerActive = 0;
    }
}

void PrepareMenu(App& app, HMENU menu) {
    Enable(menu, kCmdTransmit, IsClipboardFormatAvailable(CF_TEXT) && app.port.PortOpen);
    Enable(menu, kCmdCopy, app.selection.SelectionExists);
}

void RunCommand(App& app, int id, LPARAM lParam) {
    if (app.commandFilter && app.commandFilter(id)) return;
    switch (id) {
    case kCmdPhonebook: OpenPhoneBook(app); break;
    case kCmdPrintSetup: OpenPrintSetup(app); break;
    case kCmdPrintBuffer: PrintBuffer(app); break;
    case kCmdPrintLogfile: PrintLogfile(app); break;
    case kCmdPrintTransparent:
        app.settings.TransPrint = app.settings.TransPrint ? 0 : 1;
        app.modes.transparentPrint = static_cast<int>(app.settings.TransPrint);
        Check(app, kCmdPrintTransparent, app.settings.TransPrint != 0);
        break;
    case kCmdExit:
        if (MayClose(app)) DestroyWindow(app.MainWindow);
        break;
    case kCmdCopy: CopySelection(app); break;
    case kCmdTransmit: TransmitClipboard(app); break;
    case kCmdCopyPrinter: PrintSelection(app); break;
    case kCmdSelectAll: SelectAll(app); break;
    case kCmdClearBuffer: ClearBuffer(app.screen); break;
    case kCmdModemSetting: OpenModemSettings(app); break;
    case kCmdCommParameters: OpenCommParameters(app); break;
    case kCmdTerminalPrefs: OpenTerminalPrefs(app); break;
    case kCmdFonts: OnFontsCommand(app.view, app.MainWindow); break;
    case kCmdProtocol: OpenProtocolSettings(app); break;
    case kCmdKeyboard: OpenKeymapEditor(app); break;
    case kCmdColor: OnColorCommand(app.view, app.MainWindow); break;
    case kCmdDefaultDir:
        ShowDefaultDirDialog(app.MainWindow, app.CurrentService, app.settings,
                             [&app] { return app.port.PortOpen != 0; });
        break;
    case kCmdResetTerm: ResetTerminal(app); break;
    case kCmdViewRealtime:
        app.CurrentService.RealtimeView = app.CurrentService.RealtimeView ? 0 : 1;
        Check(app, kCmdViewRealtime, app.CurrentService.RealtimeView != 0);
        break;
    case kCmdViewOffline: Launch("imgshow32.exe 0"); break;
    case kCmdUuencode: Uuencode(app); break;
    case kCmdUudecode: Uudecode(app); break;
    case kCmdUnixToDos: ConvertUnixToDos(app); break;
    case kCmdDosToUnix: ConvertDosToUnix(app); break;
    case kCmdReceive: StartReceive(app); break;
    case kCmdSend: StartSend(app); break;
    case kCmdScriptEdit: Launch("notepad.exe"); break;
    case kCmdScriptExecute: ExecuteScript(app, reinterpret_cast<const char*>(lParam)); break;
    case kCmdScriptCheck: CheckScriptSyntax(app); break;
    case kCmdModemPort: OpenModemPort(app); break;
    case kCmdCommStatus: OpenCommStatus(app); break;
    case kCmdBreak: SendBreak(app.session); break;
    case kCmdToMsDos: Launch("command.com"); break;
    case kCmdAnswer: ToggleAnswer(app); break;
    case kCmdChat: ToggleChat(app); break;
    case kCmdCaptureSession: ToggleCapture(app); break;
    case kCmdHangup: HangUpCommand(app); break;
    case kCmdHelpContents: WinHelpA(app.MainWindow, app.settings.HelpFile.c_str(), HELP_CONTENTS, 0); break;
    case kCmdAbout: ShowAboutDialog(app.MainWindow); break;
    default: break;
    }
}

}  // namespace palvex
