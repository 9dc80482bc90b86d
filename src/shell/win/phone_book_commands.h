// The phone book command of the main window.
#pragma once

namespace palvex {

struct App;

// "&Phonebook" (400): the dialog, then on Dial timer 3, on Autolog the
// service's script (WM_COMMAND 102) or, in batch dial without one, timer 3.
void OpenPhoneBook(App& app);

}  // namespace palvex
