// The phone book dialog ("PHONEDIALOG") and the three dialogs it opens: the
// copy dialog ("COPYOPTION"), the dialing options ("DIALOPTION") and the
// service editor ("SERVICE"), without their windows. Every dialog works on the
// current service record; the files are those of the installation directory.
// What only the window system can do (other dialogs, the font, the port
// detection) goes through each dialog's Hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "modem/dialer.h"
#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"
#include "platform/dialog_view.h"
#include "platform/ui.h"
#include "shell/settings.h"

namespace palvex {

inline constexpr unsigned kPhoneBookHelpContext = 130;
inline constexpr unsigned kServiceHelpContext = 140;
inline constexpr unsigned kCopyHelpContext = 360;
inline constexpr unsigned kDialOptionsHelpContext = 420;

// Typed-text limits of the edit boxes.
inline constexpr int kNameTypedMax = 34;
inline constexpr int kNumberTypedMax = 39;
inline constexpr int kPrefixTypedMax = 6;

// The dialog's result, read by the main window.
enum PhoneBookResult : int {
    kPhoneBookNothing = 0,
    kPhoneBookDial = 1,
    kPhoneBookAutolog = 2,
};

// One line of the phone book list.
struct PhoneBookLine {
    std::string file;  // the file name as found in the directory
    std::string text;  // short name followed directly by the name tail
};

// The service files of `dir`: names matching "*.phn" in any case, in
// ascending name order (without regard to case, as a sorted list box orders
// them), those of exactly 2418 bytes, each giving its record's long name.
// Listing stops at the first such file that cannot be opened for reading and
// writing.
std::vector<PhoneBookLine> ListPhoneBook(const std::string& dir);

// The short name a list line stands for (up to the first blank, at most 8).
std::string LineShortName(const std::string& line);

// What the main window does once the phone book has closed.
struct PhoneBookFollowUp {
    bool startDial = false;      // main-window timer 3, 100 ms
    bool executeScript = false;  // WM_COMMAND 102 with scriptPath
    int scriptActive = -1;       // the new ScriptActive; -1 leaves it
    std::string scriptPath;      // short name + ".scr"
};
PhoneBookFollowUp FollowPhoneBook(int result, bool batchDial, const ServiceEntry& current,
                                  const std::function<bool(const std::string&)>& scriptExists);

// "PHONEDIALOG".
class PhoneBookDialog {
public:
    struct Hooks {
        std::function<bool()> portOpen;
        // The terminal font a new entry starts with.
        std::function<LogFont()> currentFont;
        // The service editor, modal, on the current service.
        std::function<void(bool newEntry)> openEditor;
        // The copy dialog; its result (1 when a copy was saved).
        std::function<int()> openCopy;
        std::function<void()> openDialOptions;
        // The loaded service's terminal type and protocol become the running
        // ones.
        std::function<void(const ServiceEntry&)> makeCurrent;
        // Whether a script file exists (short name + ".scr").
        std::function<bool(const std::string& path)> fileExists;
    };

    // `currentIndex` is the current line index, which outlives the dialog.
    PhoneBookDialog(ServiceEntry& current, ModemProfile& profile, ProgramSettings& settings, ProfileStore& store,
                    DialBatchList& batch, int& currentIndex, Ui& ui, Hooks hooks);

    // The window that owns the messages.
    void SetOwner(WindowRef owner) { owner_ = owner; }

    void Open(ListDialogView& view);
    // List 101 and list 110 notifications.
    void ListSelectionChanged(ListDialogView& view);
    void ListDoubleClicked(ListDialogView& view);
    void BatchSelectionChanged(ListDialogView& view);
    // A button; false when `control` is none of this dialog's.
    bool Command(ListDialogView& view, int control);

    int EntryCount() const { return entryCount_; }
    int BatchCount() const { return batchCount_; }
    int BatchSelection() const { return batchSelection_; }

private:
    bool Busy();
    // Busy unless `shortName` is the connected service itself.
    bool BusyUnlessConnected(const std::string& shortName);
    void Fill(ListDialogView& view);
    void ShowDetails(ListDialogView& view, int line);
    void Reselect(ListDialogView& view);
    void EnableEntryButtons(ListDialogView& view, bool on);
    // The selected line of list 101; false when there is none.
    bool SelectedLine(ListDialogView& view, std::string& line);

    void ToggleBatch(ListDialogView& view);
    void Remove(ListDialogView& view);
    void New(ListDialogView& view);
    void Edit(ListDialogView& view);
    void Copy(ListDialogView& view);
    void Delete(ListDialogView& view);
    void Options(ListDialogView& view);
    void Autolog(ListDialogView& view);
    void Dial(ListDialogView& view, int result);

    ServiceEntry& current_;
    ModemProfile& profile_;
    ProgramSettings& settings_;
    ProfileStore& store_;
    DialBatchList& batch_;
    int& currentIndex_;
    Ui& ui_;
    Hooks hooks_;
    WindowRef owner_ = nullptr;
    int entryCount_ = 0;
    int batchCount_ = 0;
    int batchSelection_ = 0;
};

// "COPYOPTION": the current service saved under a new name.
class CopyServiceDialog {
public:
    CopyServiceDialog(ServiceEntry& current, ModemProfile& profile, std::string installDir, Ui& ui);
    void SetOwner(WindowRef owner) { owner_ = owner; }

    void Open(DialogView& view);
    // Every update of boxes 101, 102 and 103.
    void TextChanged(DialogView& view, int control);
    bool Command(DialogView& view, int control);

private:
    ServiceEntry& current_;
    ModemProfile& profile_;
    std::string installDir_;
    Ui& ui_;
    WindowRef owner_ = nullptr;
    ServiceEntry kept_{};
};

// A box of the dialing options as a number 0..255; -1 when it is not one.
int ParseDialOption(const std::string& text);

// "DIALOPTION": retry count and time-out of the current service.
class DialOptionsDialog {
public:
    DialOptionsDialog(ServiceEntry& current, std::string installDir, Ui& ui);

    void Open(DialogView& view);
    // A box that does not hold a number below 256 beeps and keeps its value.
    void TextChanged(DialogView& view, int control);
    bool Command(DialogView& view, int control);

    int Retries() const { return retries_; }
    int Timeout() const { return timeout_; }

private:
    ServiceEntry& current_;
    std::string installDir_;
    Ui& ui_;
    int retries_ = 0;
    int timeout_ = 0;
};

// The bytes of the record the service editor's Cancel puts back: number,
// prefix, short name, line settings, phone type and manufacturer.
inline constexpr std::size_t kServiceHeadSize = 112;

// "SERVICE", the service editor.
class ServiceEditor {
public:
    struct Hooks {
        std::function<LogFont()> currentFont;
        // The automatic modem port detection: the port found (1..8), 0 for none.
        std::function<int()> detectPort;
        std::function<void()> openModem;
        std::function<void()> openTerminal;
        std::function<void()> openProtocol;
    };

    ServiceEditor(ServiceEntry& current, ModemProfile& profile, std::string installDir, Ui& ui, bool newEntry,
                  Hooks hooks);
    void SetOwner(WindowRef owner) { owner_ = owner; }

    void Open(ListDialogView& view);
    // Every update of the edit boxes 100, 200 and 15.
    void TextChanged(ListDialogView& view, int control);
    // A new selection in combo 170 (port) or 160 (baud).
    void SelectionChanged(ListDialogView& view, int control);
    // A button or radio button; false when `control` is none of this dialog's.
    bool Command(ListDialogView& view, int control);

private:
    void Show(ListDialogView& view);
    void Defaults(ListDialogView& view);

    ServiceEntry& current_;
    ModemProfile& profile_;
    std::string installDir_;
    Ui& ui_;
    bool newEntry_;
    Hooks hooks_;
    WindowRef owner_ = nullptr;
    uint8_t head_[kServiceHeadSize] = {};
};

}  // namespace palvex
