#include "shell/win/settings_link.h"

#include "shell/settings.h"
#include "shell/win/defdir_dialog.h"
#include "shell/win/profile_store.h"

namespace palvex {

namespace {

ProgramSettings ToProgramSettings(const ShellSettings& s) {
    ProgramSettings p;
    p.InstallDir = s.InstallDir;
    p.DefaultSessionDir = s.SessionDir;
    p.DefaultDownloadDir = s.DownloadDir;
    p.HelpFile = s.HelpFile;
    p.TransPrint = s.TransPrint;
    p.BatchDial = s.BatchDial;
    p.ScrollLines = s.ScrollLines;
    return p;
}

}  // namespace

ShellSettings ReadShellSettings() {
    WinProfileStore store;
    const ProgramSettings p = ReadProgramSettings(store, CurrentStartDirectory());
    ShellSettings s;
    s.InstallDir = p.InstallDir;
    s.SessionDir = p.DefaultSessionDir;
    s.DownloadDir = p.DefaultDownloadDir;
    s.HelpFile = p.HelpFile;
    s.TransPrint = p.TransPrint;
    s.BatchDial = p.BatchDial;
    s.ScrollLines = p.ScrollLines;
    return s;
}

void WriteTransPrintSetting(unsigned transPrint) {
    WinProfileStore store;
    WriteTransPrint(store, transPrint);
}

void RereadSessionDirs(const std::string& installDir, std::string& session, std::string& download) {
    WinProfileStore store;
    session = ReadSessionDir(store, installDir);
    download = ReadDownloadDir(store, installDir);
}

int ShowDefaultDirectories(HWND mainWindow, ServiceEntry& service, const ShellSettings& settings,
                           std::function<bool()> portOpen) {
    return ShowDefaultDirDialog(mainWindow, service, ToProgramSettings(settings), std::move(portOpen));
}

}  // namespace palvex
