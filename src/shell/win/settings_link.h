// The shell's way to the program settings and the Default Directory dialog.
// The settings header cannot share a translation unit with the screen buffer's
// (both name the scrollback limit), and the window procedure needs the latter,
// so the settings are reached through here and kept in a plain copy.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "phonebook/service_entry.h"

namespace palvex {

// The six keys of the profile section "palvex32", as read at window creation.
struct ShellSettings {
    std::string InstallDir;
    std::string SessionDir;   // "SESSION", the default session-log directory
    std::string DownloadDir;  // "DOWNLOAD"
    std::string HelpFile;     // InstallDir + "\PALVEX.HLP"
    unsigned TransPrint = 0;
    int BatchDial = 0;        // "seqdial"
    int ScrollLines = 1000;   // "scroll", at least 24
};

// The start-up read, in the documented order; the install directory defaults
// to the current directory.
ShellSettings ReadShellSettings();
// "TransPrint" as "%u", at window destruction.
void WriteTransPrintSetting(unsigned transPrint);
// "SESSION" and "DOWNLOAD" again, for a connection coming up.
void RereadSessionDirs(const std::string& installDir, std::string& session, std::string& download);

// "&Default Dir" (3000) on the current service.
int ShowDefaultDirectories(HWND mainWindow, ServiceEntry& service, const ShellSettings& settings,
                           std::function<bool()> portOpen);

}  // namespace palvex
