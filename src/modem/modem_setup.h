// The three dialogs that choose a manufacturer and edit its profile: "Modem"
// (the manufacturer list), "MODEMDLG" (the command strings) and
// "MODEMRESULTCODE" (the result texts), without the windows.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"
#include "platform/dialog_view.h"

namespace palvex {

inline constexpr unsigned kModemHelpContext = 230;
inline constexpr unsigned kProfileHelpContext = 460;
inline constexpr unsigned kResultHelpContext = 430;

// What the three dialogs share while the manufacturer list is open.
struct ModemSetup {
    ServiceEntry& service;  // CurrentService: its ModemIndex is what OK stores
    ModemProfile& profile;  // WorkingProfile
    std::string installDir; // where the profile files are
    int pending = 0;        // the manufacturer chosen in the list
};

// "Modem": the sixteen manufacturers; Select opens the profile dialog.
class ModemSelectDialog {
public:
    ModemSelectDialog(ModemSetup& setup, std::function<void()> openProfile)
        : setup_(setup), openProfile_(std::move(openProfile)) {}

    void Open(ListDialogView& view);
    // Any notification from the list.
    void ListChanged(ListDialogView& view);
    // A button; false when `control` is not one of this dialog's.
    bool Command(ListDialogView& view, int control);

private:
    ModemSetup& setup_;
    std::function<void()> openProfile_;
};

// A profile dialog: edit controls bound to fields of the working profile.
struct ProfileBinding {
    int control;
    ProfileField ModemProfile::* field;
};

// "MODEMDLG" (the command strings) and "MODEMRESULTCODE" (the result texts).
class ProfileFieldsDialog {
public:
    enum class Kind { Commands, Results };
    // `openResults` is the "Result Code >>" button of the command dialog.
    ProfileFieldsDialog(ModemSetup& setup, Kind kind, std::function<void()> openResults = {})
        : setup_(setup), kind_(kind), openResults_(std::move(openResults)) {}

    void Open(ListDialogView& view);
    // EN_UPDATE from an edit: its text (at most 78 characters) into its field.
    void TextChanged(ListDialogView& view, int control);
    bool Command(ListDialogView& view, int control);

private:
    void Fill(ListDialogView& view);

    ModemSetup& setup_;
    Kind kind_;
    std::function<void()> openResults_;
    std::set<int> edited_;  // controls whose text went into the profile
};

}  // namespace palvex
