#include "phonebook/phone_book.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "phonebook/validate_service.h"
#include "shell/dialog_buttons.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"

namespace palvex {

namespace {

namespace fs = std::filesystem;

constexpr unsigned kBusyStyle = kStyleTaskModal | kStyleInformation;         // 0x2040
constexpr unsigned kNoBatchStyle = kStyleTaskModal | kStyleStop;             // 0x2010
constexpr unsigned kConfirmDeleteStyle = kStyleTaskModal | kStyleQuestion | 4;  // 0x2024, Yes/No
constexpr int kAnswerYes = 6;
constexpr int kPortCount = 8;
constexpr int kBaudCount = 11;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

template <std::size_t N>
std::string Field(const char (&field)[N]) {
    const void* nul = std::memchr(field, '\0', N);
    return std::string(field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N);
}

template <std::size_t N>
void Store(char (&field)[N], const std::string& text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

}  // namespace

// ---------------------------------------------------------------------------
// Listing

std::vector<PhoneBookLine> ListPhoneBook(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    const fs::path base = dir.empty() ? fs::path(".") : fs::path(dir);
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() >= 4 && Lower(name.substr(name.size() - 4)) == ".phn") names.push_back(name);
    }
    // The order of a sorted list box: case does not count, and only breaks ties.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lower(a), lb = Lower(b);
        return la != lb ? la < lb : a < b;
    });

    std::vector<PhoneBookLine> lines;
    for (const std::string& name : names) {
        const std::string path = (base / name).string();
        if (!IsServiceFile(path)) continue;
        std::FILE* f = std::fopen(path.c_str(), "r+b");
        if (!f) break;
        ServiceEntry scratch;
        const std::size_t n = std::fread(&scratch, 1, sizeof scratch, f);
        std::fclose(f);
        if (n != sizeof scratch) continue;
        lines.push_back({name, LongServiceName(scratch)});
    }
    return lines;
}

std::string LineShortName(const std::string& line) {
    char shortName[10];
    char tail[26];
    SplitServiceName(line.c_str(), shortName, tail);
    return shortName;
}

PhoneBookFollowUp FollowPhoneBook(int result, bool batchDial, const ServiceEntry& current,
                                  const std::function<bool(const std::string&)>& scriptExists) {
    PhoneBookFollowUp f;
    if (result == kPhoneBookDial) {
        f.startDial = true;
        f.scriptActive = 0;
    } else if (result == kPhoneBookAutolog) {
        f.scriptPath = Field(current.ShortName) + ".scr";
        if (batchDial) {
            // Each answering service of the batch runs its own script, if it
            // has one; the first one's absence is no reason not to dial.
            f.scriptActive = 1;
            if (scriptExists && scriptExists(f.scriptPath))
                f.executeScript = true;
            else
                f.startDial = true;
        } else {
            f.executeScript = true;
        }
    }
    return f;
}

// ---------------------------------------------------------------------------
// The phone book

PhoneBookDialog::PhoneBookDialog(ServiceEntry& current, ModemProfile& profile, ProgramSettings& settings,
                                 ProfileStore& store, DialBatchList& batch, int& currentIndex, Ui& ui, Hooks hooks)
    : current_(current),
      profile_(profile),
      settings_(settings),
      store_(store),
      batch_(batch),
      currentIndex_(currentIndex),
      ui_(ui),
      hooks_(std::move(hooks)) {}

bool PhoneBookDialog::Busy() {
    if (!hooks_.portOpen || !hooks_.portOpen()) return false;
    ui_.ShowMessage(owner_, str::kStrHangUpFirst, nullptr, kBusyStyle);
    return true;
}

bool PhoneBookDialog::BusyUnlessConnected(const std::string& shortName) {
    if (!hooks_.portOpen || !hooks_.portOpen()) return false;
    if (shortName == Field(current_.ShortName)) return false;
    ui_.ShowMessage(owner_, str::kStrHangUpFirst, nullptr, kBusyStyle);
    return true;
}

void PhoneBookDialog::Fill(ListDialogView& view) {
    view.ClearItems(dlg::kPhoneList);
    view.SetText(dlg::kPhoneNumber, "");
    view.SetText(dlg::kPhonePortSummary, "");
    const std::vector<PhoneBookLine> lines = ListPhoneBook(settings_.InstallDir);
    for (const PhoneBookLine& line : lines) view.AddItem(dlg::kPhoneList, line.text);
    entryCount_ = static_cast<int>(lines.size());
}

void PhoneBookDialog::ShowDetails(ListDialogView& view, int line) {
    const std::string shortName = LineShortName(view.ItemText(dlg::kPhoneList, line));
    ServiceEntry scratch;
    if (ReadServiceEntry(settings_.InstallDir, shortName.c_str(), scratch) != 0) return;
    view.SetText(dlg::kPhoneNumber, Field(scratch.PhoneNumber));
    view.SetText(dlg::kPhonePortSummary, FormatPortSummary(scratch));
}

void PhoneBookDialog::Reselect(ListDialogView& view) {
    if (entryCount_ <= 0) return;
    // The line may have gone (a delete, or a file removed behind our back).
    currentIndex_ = std::clamp(currentIndex_, 0, entryCount_ - 1);
    view.SelectItem(dlg::kPhoneList, currentIndex_);
    ShowDetails(view, currentIndex_);
}

void PhoneBookDialog::EnableEntryButtons(ListDialogView& view, bool on) {
    for (int id : {dlg::kPhoneDelete, dlg::kPhoneOptions, dlg::kPhoneEdit, dlg::kPhoneCopy, dlg::kPhoneAutolog,
                   dlg::kPhoneDial})
        view.Enable(id, on);
}

bool PhoneBookDialog::SelectedLine(ListDialogView& view, std::string& line) {
    const int selected = view.Selection(dlg::kPhoneList);
    if (selected < 0) return false;
    line = view.ItemText(dlg::kPhoneList, selected);
    return true;
}

void PhoneBookDialog::Open(ListDialogView& view) {
    batchCount_ = 0;
    batchSelection_ = 0;
    Fill(view);
    if (entryCount_ == 0) {
        EnableEntryButtons(view, false);
    } else {
        view.SelectItem(dlg::kPhoneList, 0);
        ShowDetails(view, 0);
        view.SetChecked(dlg::kPhoneBatchDial, settings_.BatchDial != 0);
    }
    view.Enable(dlg::kPhoneRemove, false);
}

void PhoneBookDialog::ListSelectionChanged(ListDialogView& view) {
    const int selected = view.Selection(dlg::kPhoneList);
    if (selected < 0) return;
    currentIndex_ = selected;
    ShowDetails(view, selected);
}

void PhoneBookDialog::ListDoubleClicked(ListDialogView& view) {
    if (!settings_.BatchDial) {
        Dial(view, kPhoneBookDial);
        return;
    }
    std::string line;
    if (!SelectedLine(view, line)) return;
    view.AddItem(dlg::kPhoneBatchList, line);
    ++batchCount_;
    view.Enable(dlg::kPhoneRemove, true);
    view.SelectItem(dlg::kPhoneBatchList, 0);
    batchSelection_ = 0;
}

void PhoneBookDialog::BatchSelectionChanged(ListDialogView& view) {
    const int selected = view.Selection(dlg::kPhoneBatchList);
    if (selected >= 0) batchSelection_ = selected;
}

bool PhoneBookDialog::Command(ListDialogView& view, int control) {
    switch (control) {
    case dlg::kPhoneBatchDial: ToggleBatch(view); return true;
    case dlg::kPhoneRemove: Remove(view); return true;
    case dlg::kPhoneNew: New(view); return true;
    case dlg::kPhoneEdit: Edit(view); return true;
    case dlg::kPhoneCopy: Copy(view); return true;
    case dlg::kPhoneDelete: Delete(view); return true;
    case dlg::kPhoneOptions: Options(view); return true;
    case dlg::kPhoneAutolog: Autolog(view); return true;
    case dlg::kPhoneDial: Dial(view, kPhoneBookDial); return true;
    case dlg::kCancel:
    case dlg::kEscape:
        batch_.Free();
        view.Close(kPhoneBookNothing);
        return true;
    case dlg::kHelp: view.ShowHelp(kPhoneBookHelpContext); return true;
    default: return false;
    }
}

void PhoneBookDialog::ToggleBatch(ListDialogView& view) {
    settings_.BatchDial = settings_.BatchDial ? 0 : 1;
    if (settings_.BatchDial) {
        batchSelection_ = 0;
        view.SetChecked(dlg::kPhoneBatchDial, true);
    } else {
        view.Enable(dlg::kPhoneRemove, false);
        view.SetChecked(dlg::kPhoneBatchDial, false);
        view.ClearItems(dlg::kPhoneBatchList);
        batchCount_ = 0;
    }
    WriteBatchDial(store_, settings_.BatchDial);
}

void PhoneBookDialog::Remove(ListDialogView& view) {
    if (batchCount_ < 1) return;
    view.DeleteItem(dlg::kPhoneBatchList, batchSelection_);
    --batchCount_;
    if (batchSelection_ > 0) --batchSelection_;
    if (batchCount_ > 0)
        view.SelectItem(dlg::kPhoneBatchList, batchSelection_);
    else
        view.Enable(dlg::kPhoneRemove, false);
}

void PhoneBookDialog::New(ListDialogView& view) {
    if (Busy()) return;
    current_ = DefaultServiceEntry();
    if (hooks_.currentFont) current_.TerminalFont = hooks_.currentFont();
    if (hooks_.openEditor) hooks_.openEditor(true);
    Fill(view);
    if (entryCount_ <= 0) return;
    view.SelectItem(dlg::kPhoneList, 0);
    ShowDetails(view, 0);
    for (int id : {dlg::kPhoneDelete, dlg::kPhoneOptions, dlg::kPhoneEdit, dlg::kPhoneCopy, dlg::kPhoneDial})
        view.Enable(id, true);
    if (!settings_.BatchDial) view.Enable(dlg::kPhoneAutolog, true);
}

void PhoneBookDialog::Edit(ListDialogView& view) {
    std::string line;
    if (!SelectedLine(view, line)) return;
    const std::string shortName = LineShortName(line);
    if (BusyUnlessConnected(shortName)) return;
    if (ReadServiceEntry(settings_.InstallDir, shortName.c_str(), current_) != 0) return;
    LoadModemProfile(profile_, settings_.InstallDir, current_.ModemIndex);
    if (hooks_.openEditor) hooks_.openEditor(false);
    Fill(view);
    Reselect(view);
}

void PhoneBookDialog::Copy(ListDialogView& view) {
    std::string line;
    if (!SelectedLine(view, line)) return;
    if (Busy()) return;
    if (ReadServiceEntry(settings_.InstallDir, LineShortName(line).c_str(), current_) != 0) return;
    if (!hooks_.openCopy || hooks_.openCopy() != 1) return;
    Fill(view);
    Reselect(view);
}

void PhoneBookDialog::Delete(ListDialogView& view) {
    std::string line;
    if (!SelectedLine(view, line)) return;
    const std::string shortName = LineShortName(line);
    if (shortName.empty()) return;
    ui_.MessageBeep(kBeepDefault);
    if (ui_.ShowMessage(owner_, str::kStrConfirmDelete, nullptr, kConfirmDeleteStyle) != kAnswerYes) return;
    std::error_code ignored;
    fs::remove(ServiceFilePath(settings_.InstallDir, shortName.c_str(), ".phn"), ignored);
    Fill(view);
    if (entryCount_ > 0) {
        Reselect(view);
    } else {
        EnableEntryButtons(view, false);
        view.Enable(dlg::kPhoneRemove, false);
    }
}

void PhoneBookDialog::Options(ListDialogView& view) {
    std::string line;
    if (!SelectedLine(view, line)) return;
    const std::string shortName = LineShortName(line);
    if (BusyUnlessConnected(shortName)) return;
    if (ReadServiceEntry(settings_.InstallDir, shortName.c_str(), current_) != 0) return;
    if (hooks_.openDialOptions) hooks_.openDialOptions();
    Reselect(view);
}

void PhoneBookDialog::Autolog(ListDialogView& view) {
    if (Busy()) return;
    if (!settings_.BatchDial) {
        std::string line;
        if (!SelectedLine(view, line)) return;
        const std::string shortName = LineShortName(line);
        if (shortName.empty()) return;
        const std::string script = (fs::path(settings_.InstallDir.empty() ? "." : settings_.InstallDir) /
                                    (shortName + ".scr")).string();
        if (!hooks_.fileExists || !hooks_.fileExists(script)) {
            ui_.ShowMessage(owner_, str::kStrScriptFileNotFound, nullptr, kBusyStyle);
            return;
        }
    }
    Dial(view, kPhoneBookAutolog);
}

void PhoneBookDialog::Dial(ListDialogView& view, int result) {
    std::string shortName;
    if (settings_.BatchDial) {
        if (batchCount_ == 0) {
            ui_.ShowMessage(owner_, str::kStrBatchDialEmpty, nullptr, kNoBatchStyle);
            return;
        }
        batch_.Free();
        for (int i = 0; i < batchCount_; ++i)
            batch_.Add(LineShortName(view.ItemText(dlg::kPhoneBatchList, i)).c_str());
        shortName = batch_.slots.front().data();
    } else {
        std::string line;
        if (!SelectedLine(view, line)) return;
        shortName = LineShortName(line);
        if (shortName.empty()) return;
    }
    if (BusyUnlessConnected(shortName)) {
        batch_.Free();
        return;
    }
    if (ReadServiceEntry(settings_.InstallDir, shortName.c_str(), current_) == 0)
        LoadModemProfile(profile_, settings_.InstallDir, current_.ModemIndex);
    if (hooks_.makeCurrent) hooks_.makeCurrent(current_);
    view.Close(result);
}

// ---------------------------------------------------------------------------
// Copy

CopyServiceDialog::CopyServiceDialog(ServiceEntry& current, ModemProfile& profile, std::string installDir, Ui& ui)
    : current_(current), profile_(profile), installDir_(std::move(installDir)), ui_(ui) {}

void CopyServiceDialog::Open(DialogView& view) {
    kept_ = current_;
    // The boxes stay empty: writing them would already replace the copied
    // service's name and number.
    view.LimitText(dlg::kCopyName, kNameTypedMax);
    view.LimitText(dlg::kCopyPhone, kNumberTypedMax);
    view.LimitText(dlg::kCopyPrefix, kPrefixTypedMax);
}

void CopyServiceDialog::TextChanged(DialogView& view, int control) {
    if (control == dlg::kCopyName)
        SplitServiceName(view.GetText(control).c_str(), current_.ShortName, current_.NameTail);
    else if (control == dlg::kCopyPhone)
        Store(current_.PhoneNumber, view.GetText(control));
    else if (control == dlg::kCopyPrefix)
        Store(current_.PhonePrefix, view.GetText(control));
}

bool CopyServiceDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kOk:
        if (ValidateService(current_, profile_, installDir_, ui_, owner_) != 0) return true;
        SaveServiceEntry(installDir_, current_);
        view.Close(1);
        return true;
    case dlg::kCancel:
    case dlg::kEscape:
        current_ = kept_;
        view.Close(0);
        return true;
    case dlg::kHelp: view.ShowHelp(kCopyHelpContext); return true;
    default: return false;
    }
}

// ---------------------------------------------------------------------------
// Dialing options

int ParseDialOption(const std::string& text) {
    std::size_t i = 0, end = text.size();
    while (i < end && text[i] == ' ') ++i;
    while (end > i && text[end - 1] == ' ') --end;
    if (i == end) return -1;
    int value = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
        if (value > 255) return -1;
    }
    return value;
}

DialOptionsDialog::DialOptionsDialog(ServiceEntry& current, std::string installDir, Ui& ui)
    : current_(current), installDir_(std::move(installDir)), ui_(ui) {}

void DialOptionsDialog::Open(DialogView& view) {
    retries_ = current_.DialRetries;
    timeout_ = current_.DialTimeout;
    view.SetText(dlg::kDialOptRetries, std::to_string(retries_));
    view.SetText(dlg::kDialOptTimeout, std::to_string(timeout_));
}

void DialOptionsDialog::TextChanged(DialogView& view, int control) {
    if (control != dlg::kDialOptRetries && control != dlg::kDialOptTimeout) return;
    const int value = ParseDialOption(view.GetText(control));
    if (value < 0) {
        ui_.MessageBeep(kBeepDefault);
        return;
    }
    (control == dlg::kDialOptRetries ? retries_ : timeout_) = value;
}

bool DialOptionsDialog::Command(DialogView& view, int control) {
    switch (control) {
    case dlg::kOk:
        current_.DialRetries = static_cast<int16_t>(retries_);
        current_.DialTimeout = static_cast<int16_t>(timeout_);
        SaveServiceEntry(installDir_, current_);
        view.Close(1);
        return true;
    default: return StandardButton(view, control, kDialOptionsHelpContext);
    }
}

// ---------------------------------------------------------------------------
// The service editor

ServiceEditor::ServiceEditor(ServiceEntry& current, ModemProfile& profile, std::string installDir, Ui& ui,
                             bool newEntry, Hooks hooks)
    : current_(current),
      profile_(profile),
      installDir_(std::move(installDir)),
      ui_(ui),
      newEntry_(newEntry),
      hooks_(std::move(hooks)) {}

void ServiceEditor::Open(ListDialogView& view) {
    // Taken before the boxes are filled, as filling them writes their text
    // back into the record.
    std::memcpy(head_, &current_, kServiceHeadSize);
    view.Enable(dlg::kServiceName, newEntry_);
    view.LimitText(dlg::kServiceName, kNameTypedMax);
    view.LimitText(dlg::kServiceNumber, kNumberTypedMax);
    view.LimitText(dlg::kServicePrefix, kPrefixTypedMax);
    view.ClearItems(dlg::kServicePort);
    for (int port = 1; port <= kPortCount; ++port) view.AddItem(dlg::kServicePort, "COM " + std::to_string(port));
    view.ClearItems(dlg::kServiceBaud);
    for (int i = 0; i < kBaudCount; ++i) view.AddItem(dlg::kServiceBaud, BaudRateText(i));
    Show(view);
}

void ServiceEditor::Show(ListDialogView& view) {
    // Read everything first: each box written stores itself back at once.
    const ServiceEntry shown = current_;
    view.SetText(dlg::kServiceNumber, Field(shown.PhoneNumber));
    view.SetText(dlg::kServiceName, LongServiceName(shown));
    view.SetText(dlg::kServicePrefix, Field(shown.PhonePrefix));
    view.SelectItem(dlg::kServicePort, shown.PortIndex >= 0 && shown.PortIndex < kPortCount ? shown.PortIndex : -1);
    view.SelectItem(dlg::kServiceBaud, shown.BaudIndex >= 0 && shown.BaudIndex < kBaudCount ? shown.BaudIndex : -1);
    view.SetChecked(dlg::kStopBitsBase, shown.StopBits == 0);
    view.SetChecked(dlg::kStopBitsBase + 2, shown.StopBits == 2);
    for (int p = 0; p < 3; ++p) view.SetChecked(dlg::kParityBase + p, shown.Parity == p);
    for (int d = 0; d < 2; ++d) view.SetChecked(dlg::kDataBitsBase + d, shown.DataBitsIndex == d);
    for (int t = 0; t < 3; ++t) view.SetChecked(dlg::kPhoneTypeBase + t, shown.PhoneType == t);
}

void ServiceEditor::TextChanged(ListDialogView& view, int control) {
    if (control == dlg::kServiceNumber)
        Store(current_.PhoneNumber, view.GetText(control));
    else if (control == dlg::kServicePrefix)
        Store(current_.PhonePrefix, view.GetText(control));
    else if (control == dlg::kServiceName)
        SplitServiceName(view.GetText(control).c_str(), current_.ShortName, current_.NameTail);
}

void ServiceEditor::SelectionChanged(ListDialogView& view, int control) {
    const int selected = view.Selection(control);
    if (selected < 0) return;
    if (control == dlg::kServicePort)
        current_.PortIndex = static_cast<int16_t>(selected);
    else if (control == dlg::kServiceBaud)
        current_.BaudIndex = static_cast<int16_t>(selected);
}

bool ServiceEditor::Command(ListDialogView& view, int control) {
    auto radio = [&view](int base, int count, int chosen) {
        for (int i = 0; i < count; ++i) view.SetChecked(base + i, i == chosen);
    };
    switch (control) {
    case dlg::kParityBase:
    case dlg::kParityBase + 1:
    case dlg::kParityBase + 2:
        current_.Parity = static_cast<int16_t>(control - dlg::kParityBase);
        radio(dlg::kParityBase, 3, current_.Parity);
        return true;
    case dlg::kStopBitsBase:
    case dlg::kStopBitsBase + 2:
        current_.StopBits = static_cast<int16_t>(control - dlg::kStopBitsBase);
        view.SetChecked(dlg::kStopBitsBase, current_.StopBits == 0);
        view.SetChecked(dlg::kStopBitsBase + 2, current_.StopBits == 2);
        return true;
    case dlg::kDataBitsBase:
    case dlg::kDataBitsBase + 1:
        current_.DataBitsIndex = static_cast<int16_t>(control - dlg::kDataBitsBase);
        radio(dlg::kDataBitsBase, 2, current_.DataBitsIndex);
        return true;
    case dlg::kPhoneTypeBase:
    case dlg::kPhoneTypeBase + 1:
    case dlg::kPhoneTypeBase + 2:
        current_.PhoneType = static_cast<int16_t>(control - dlg::kPhoneTypeBase);
        radio(dlg::kPhoneTypeBase, 3, current_.PhoneType);
        return true;
    case dlg::kServiceDefaults: Defaults(view); return true;
    case dlg::kServiceModem:
        if (hooks_.openModem) hooks_.openModem();
        return true;
    case dlg::kServiceTerm:
        if (hooks_.openTerminal) hooks_.openTerminal();
        return true;
    case dlg::kServiceProtocol:
        if (hooks_.openProtocol) hooks_.openProtocol();
        return true;
    case dlg::kOk:
        if (ValidateService(current_, profile_, installDir_, ui_, owner_) != 0) return true;
        CreateServiceFile(installDir_, current_, ui_, owner_);
        view.Close(1);
        return true;
    case dlg::kCancel:
    case dlg::kEscape:
        std::memcpy(static_cast<void*>(&current_), head_, kServiceHeadSize);
        // What the Modem, Term and Protocol dialogs changed is kept and
        // written; only the editor's own fields go back.
        if (!newEntry_ && current_.ShortName[0] != '\0') CreateServiceFile(installDir_, current_, ui_, owner_);
        view.Close(0);
        return true;
    case dlg::kHelp: view.ShowHelp(kServiceHelpContext); return true;
    default: return false;
    }
}

void ServiceEditor::Defaults(ListDialogView& view) {
    const ServiceEntry before = current_;
    current_ = DefaultServiceEntry();
    std::memcpy(current_.ShortName, before.ShortName, sizeof current_.ShortName);
    std::memcpy(current_.PhoneNumber, before.PhoneNumber, sizeof current_.PhoneNumber);
    if (hooks_.currentFont) current_.TerminalFont = hooks_.currentFont();
    const int port = hooks_.detectPort ? hooks_.detectPort() : 0;
    // Without a modem found the entry keeps the port it had.
    if (port >= 1 && port <= kPortCount)
        current_.PortIndex = static_cast<int16_t>(port - 1);
    else
        current_.PortIndex = static_cast<int16_t>(std::clamp<int>(before.PortIndex, 0, kPortCount - 1));
    Show(view);
}

}  // namespace palvex
