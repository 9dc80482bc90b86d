#include "shell/win/phone_book_commands.h"

#include <windows.h>

#include <string>

#include "phonebook/phone_book.h"
#include "phonebook/win/phone_book_dialog.h"
#include "shell/command_ids.h"
#include "shell/win/app.h"

namespace palvex {

namespace {

constexpr UINT kTimerConnect = 3;
constexpr UINT kConnectDelayMs = 100;

// The script path travels with the posted command, so it must outlive this
// call; it is replaced only by the next phone book.
std::string scriptPath;

}  // namespace

void OpenPhoneBook(App& app) {
    const int result = RunPhoneBookDialog(app);
    const PhoneBookFollowUp next =
        FollowPhoneBook(result, app.settings.BatchDial != 0, app.CurrentService, [](const std::string& path) {
            return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        });
    if (next.scriptActive >= 0) app.ScriptActive = next.scriptActive;
    if (next.startDial) SetTimer(app.MainWindow, kTimerConnect, kConnectDelayMs, nullptr);
    if (next.executeScript) {
        scriptPath = next.scriptPath;
        PostMessageA(app.MainWindow, WM_COMMAND, kCmdScriptExecute, reinterpret_cast<LPARAM>(scriptPath.c_str()));
    }
}

}  // namespace palvex
