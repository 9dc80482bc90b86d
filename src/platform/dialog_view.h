// The fields of one open dialog as the platform-free dialog logic sees them.
// The Win32 side forwards to the dialog's controls; tests use the recording
// view below and drive the logic without a window.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace palvex {

class DialogView {
public:
    virtual ~DialogView() = default;

    virtual void SetText(int control, const std::string& text) = 0;
    virtual std::string GetText(int control) = 0;
    // The most characters the user may type into an edit control.
    virtual void LimitText(int control, int maxChars) = 0;
    virtual void SetChecked(int control, bool checked) = 0;
    virtual bool IsChecked(int control) = 0;
    virtual void Enable(int control, bool enabled) = 0;
    // The shared message box, owned by this dialog; returns the button code.
    virtual int ShowMessage(int stringId, const char* extra, unsigned style) = 0;
    // The help file at the given context.
    virtual void ShowHelp(unsigned context) = 0;
    // Ends the dialog with `result`.
    virtual void Close(int result) = 0;
};

// A dialog with list boxes or drop-down lists besides its plain fields, whose
// caption the logic may set.
class ListDialogView : public DialogView {
public:
    virtual void SetTitle(const std::string& title) = 0;
    virtual void ClearItems(int control) = 0;
    virtual void AddItem(int control, const std::string& text) = 0;
    virtual void DeleteItem(int control, int index) = 0;
    // -1 selects nothing.
    virtual void SelectItem(int control, int index) = 0;
    // -1 when nothing is selected.
    virtual int Selection(int control) = 0;
    virtual std::string ItemText(int control, int index) = 0;
    virtual int ItemCount(int control) = 0;
};

// Keeps the fields and lists in memory and records what the logic asked for.
class RecordingDialogView : public ListDialogView {
public:
    struct Message {
        int stringId;
        std::string extra;
        unsigned style;
    };

    std::string title;
    std::map<int, std::string> texts;
    std::map<int, int> limits;
    std::map<int, bool> checks;
    std::map<int, bool> enabled;
    std::map<int, std::vector<std::string>> items;
    std::map<int, int> selections;
    std::vector<Message> messages;
    std::vector<unsigned> helpContexts;
    bool closed = false;
    int result = 0;
    int answer = 1;  // what ShowMessage returns

    void SetText(int control, const std::string& text) override { texts[control] = text; }
    std::string GetText(int control) override {
        auto it = texts.find(control);
        return it == texts.end() ? std::string() : it->second;
    }
    void LimitText(int control, int maxChars) override { limits[control] = maxChars; }
    void SetChecked(int control, bool checked) override { checks[control] = checked; }
    bool IsChecked(int control) override {
        auto it = checks.find(control);
        return it != checks.end() && it->second;
    }
    void Enable(int control, bool on) override { enabled[control] = on; }
    // Controls start enabled, as in a dialog template.
    bool IsEnabled(int control) const {
        auto it = enabled.find(control);
        return it == enabled.end() || it->second;
    }
    int ShowMessage(int stringId, const char* extra, unsigned style) override {
        messages.push_back({stringId, extra ? extra : "", style});
        return answer;
    }
    void ShowHelp(unsigned context) override { helpContexts.push_back(context); }
    void Close(int code) override {
        closed = true;
        result = code;
    }

    void SetTitle(const std::string& text) override { title = text; }
    void ClearItems(int control) override {
        items[control].clear();
        selections[control] = -1;
    }
    void AddItem(int control, const std::string& text) override { items[control].push_back(text); }
    void DeleteItem(int control, int index) override {
        auto& list = items[control];
        if (index >= 0 && index < static_cast<int>(list.size())) list.erase(list.begin() + index);
        if (Selection(control) >= static_cast<int>(list.size())) selections[control] = -1;
    }
    void SelectItem(int control, int index) override {
        selections[control] = index >= 0 && index < ItemCount(control) ? index : -1;
    }
    int Selection(int control) override {
        auto it = selections.find(control);
        return it == selections.end() ? -1 : it->second;
    }
    std::string ItemText(int control, int index) override {
        auto it = items.find(control);
        if (it == items.end() || index < 0 || index >= static_cast<int>(it->second.size())) return std::string();
        return it->second[static_cast<size_t>(index)];
    }
    int ItemCount(int control) override {
        auto it = items.find(control);
        return it == items.end() ? 0 : static_cast<int>(it->second.size());
    }
};

}  // namespace palvex
