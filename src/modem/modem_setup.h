// The three dialogs that choose a manufacturer and edit its profile: "Modem"
// (the manufacturer list), "MODEMDLG" (the command strings) and
// "MODEMRESULTCODE" (the result texts), without the windows.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"
#include "platform/dialog_view.h"

namespace palvex {

inline constexpr unsigned kModemHelpContext = 230;
inline constexpr unsigned kProfileHelpContext = 460;
inline constexpr unsigned kResultHelpContext = 430;

// What these dialogs need from a window beyond the plain fields.
class ModemDialogView : public DialogView {
public:
    virtual void SetTitle(const std::string& title) = 0;
    virtual void AddListItem(int control, const std::string& text) = 0;
    virtual void SelectListItem(int control, int index) = 0;
    // The selected line; -1 when none is.
    virtual int ListSelection(int control) = 0;
};

// Keeps the extra state in memory for tests.
class RecordingModemDialogView : public RecordingDialogView, public ModemDialogView {
public:
    std::string title;
    std::vector<std::string> list;
    int selection = -1;

    void SetText(int control, const std::string& text) override { RecordingDialogView::SetText(control, text); }
    std::string GetText(int control) override { return RecordingDialogView::GetText(control); }
    void LimitText(int control, int maxChars) override { RecordingDialogView::LimitText(control, maxChars); }
    void SetChecked(int control, bool checked) override { RecordingDialogView::SetChecked(control, checked); }
    bool IsChecked(int control) override { return RecordingDialogView::IsChecked(control); }
    void Enable(int control, bool on) override { RecordingDialogView::Enable(control, on); }
    int ShowMessage(int stringId, const char* extra, unsigned style) override {
        return RecordingDialogView::ShowMessage(stringId, extra, style);
    }
    void ShowHelp(unsigned context) override { RecordingDialogView::ShowHelp(context); }
    void Close(int code) override { RecordingDialogView::Close(code); }

    void SetTitle(const std::string& text) override { title = text; }
    void AddListItem(int, const std::string& text) override { list.push_back(text); }
    void SelectListItem(int, int index) override { selection = index; }
    int ListSelection(int) override { return selection; }
};

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

    void Open(ModemDialogView& view);
    // Any notification from the list.
    void ListChanged(ModemDialogView& view);
    // A button; false when `control` is not one of this dialog's.
    bool Command(ModemDialogView& view, int control);

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

    void Open(ModemDialogView& view);
    // EN_UPDATE from an edit: its text (at most 78 characters) into its field.
    void TextChanged(ModemDialogView& view, int control);
    bool Command(ModemDialogView& view, int control);

private:
    void Fill(ModemDialogView& view);

    ModemSetup& setup_;
    Kind kind_;
    std::function<void()> openResults_;
    std::set<int> edited_;  // controls whose text went into the profile
};

}  // namespace palvex
