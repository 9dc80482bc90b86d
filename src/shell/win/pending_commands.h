// Entries of the main window into subsystems that are not written yet: one per
// command or event, each named after what it will do. Until a later change
// fills one in, it does nothing the user can see and reports nothing done.
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// Printing.
void OpenPrintSetup(App& app);        // 15
void PrintBuffer(App& app);           // 12
void PrintLogfile(App& app);          // 404
void PrintSelection(App& app);        // 111

// Scripts. `path` is null when the user is to pick the file.
void ExecuteScript(App& app, const char* path);   // 102
void CheckScriptSyntax(App& app);                 // 104
void StartScript(App& app);

// Utilities.
void Uuencode(App& app);              // 3008
void Uudecode(App& app);              // 3009
void ConvertUnixToDos(App& app);      // 2
void ConvertDosToUnix(App& app);      // 3

// Transparent print: prints the finished spool file (the file printer).
void PrintTransparentFile(App& app, const char* path);

}  // namespace palvex
