// The user-facing seam of the core: message boxes and beeps. The shell puts the
// string table and the "MSGDIALOG" dialog behind it; tests record the calls.
#pragma once

#include <string>
#include <vector>

namespace palvex {

// An opaque window handle (an HWND in the Win32 shell, null elsewhere).
using WindowRef = void*;

// MessageBeep types the core asks for.
inline constexpr unsigned kBeepDefault = 0;
inline constexpr unsigned kBeepIconHand = 0x10;

// Styles passed with messages: button bits, icon bits and task-modal.
inline constexpr unsigned kStyleTaskModal = 0x2000;
inline constexpr unsigned kStyleStop = 0x10;
inline constexpr unsigned kStyleQuestion = 0x20;
inline constexpr unsigned kStyleExclamation = 0x30;
inline constexpr unsigned kStyleInformation = 0x40;

class Ui {
public:
    virtual ~Ui() = default;
    // Shows string `stringId` of the string table with `extra` appended; returns
    // the button code (1 OK, 2 Cancel, 6 Yes, 7 No).
    virtual int ShowMessage(WindowRef owner, int stringId, const char* extra, unsigned style) = 0;
    // A message whose text is not in the string table.
    virtual int ShowText(WindowRef owner, const char* text, unsigned style) = 0;
    virtual void MessageBeep(unsigned type) = 0;
};

// Says nothing and answers OK; for command-line tools.
class SilentUi : public Ui {
public:
    int ShowMessage(WindowRef, int, const char*, unsigned) override { return 1; }
    int ShowText(WindowRef, const char*, unsigned) override { return 1; }
    void MessageBeep(unsigned) override {}
};

// Keeps every call, for tests.
class RecordingUi : public Ui {
public:
    struct Message {
        int stringId;  // 0 for ShowText
        std::string text;
        std::string extra;
        unsigned style;
    };
    std::vector<Message> messages;
    std::vector<unsigned> beeps;
    int answer = 1;

    int ShowMessage(WindowRef, int stringId, const char* extra, unsigned style) override {
        messages.push_back({stringId, "", extra ? extra : "", style});
        return answer;
    }
    int ShowText(WindowRef, const char* text, unsigned style) override {
        messages.push_back({0, text ? text : "", "", style});
        return answer;
    }
    void MessageBeep(unsigned type) override { beeps.push_back(type); }
};

}  // namespace palvex
