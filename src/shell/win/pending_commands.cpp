// Empty until the subsystems arrive; see pending_commands.h.
#include "shell/win/pending_commands.h"

namespace palvex {
void OpenPrintSetup(App&) {}
void PrintBuffer(App&) {}
void PrintLogfile(App&) {}
void PrintSelection(App&) {}
void ExecuteScript(App&, const char*) {}
void CheckScriptSyntax(App&) {}
void StartScript(App&) {}
void Uuencode(App&) {}
void Uudecode(App&) {}
void ConvertUnixToDos(App&) {}
void ConvertDosToUnix(App&) {}
void PrintTransparentFile(App&, const char*) {}

}  // namespace palvex
