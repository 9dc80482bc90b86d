// The program's own file chooser ("FILEDLG"): list boxes filled by the
// directory listing rather than the common dialog. On OK it leaves the current
// drive and directory at the chosen file's and hands back its bare name, so
// callers build full paths from the current directory.
#pragma once

#include <windows.h>

#include <commdlg.h>

namespace palvex {

// Reads hwndOwner, lpstrFilter, lpstrTitle and the OFN_FILEMUSTEXIST flag;
// writes lpstrFile (at most nMaxFile bytes with its NUL). 1 on OK, 0 on Cancel.
int ChooseFile(OPENFILENAMEA& record);

INT_PTR CALLBACK OpenDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
