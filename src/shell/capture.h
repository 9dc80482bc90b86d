// The session capture log and the transparent-print spool: received bytes are
// gathered in memory and appended to their file 512 at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "comm/pump_hooks.h"
#include "phonebook/service_entry.h"
#include "platform/ui.h"

namespace palvex {

inline constexpr int kLogBufferSize = 1024;
inline constexpr int kLogBlockSize = 512;

// The overwrite (yes) or append (no) question: task-modal, question icon, Yes/No.
inline constexpr unsigned kStyleLogExists = 0x2044;
inline constexpr const char* kCaptureNoMemoryText = "Failed to allocate memory for capture session";
inline constexpr const char* kSpoolFileName = "temp.txt";

// A file fed a byte at a time through a 1024-byte buffer that is appended to
// the file in blocks. The file is opened and closed around every block, so a
// crash loses at most what is buffered and other programs can read the file
// while it grows.
class BlockedFile {
public:
    std::string path;

    bool Exists() const { return buffer_ != nullptr; }  // the buffer is there
    int Count() const { return count_; }                 // bytes held
    // A zero-filled buffer unless there is one; false when memory is short.
    bool Allocate();
    // Held bytes are dropped; callers flush first.
    void Release();
    void SetCount(int count) { count_ = count; }
    // Buffers `b`; once a block's worth is held it goes to the file. While the
    // file cannot be opened the bytes stay held and every later byte tries
    // again; a full buffer drops what comes after it, so the oldest bytes --
    // the ones the log lacks -- are kept.
    void Add(uint8_t b);
    // Appends what is held; true when the file took it (or nothing was held).
    bool Flush();
    // Creates the file empty (truncating it); false when it cannot be made.
    bool CreateEmpty() const;

private:
    std::unique_ptr<uint8_t[]> buffer_;
    int count_ = 0;
};

// Capture as the receive path sees it: bytes go to the log while it runs.
class CaptureState : public CaptureLog {
public:
    int CaptureOn = 0;  // capture wanted
    BlockedFile log;    // its path is CapturePath

    const std::string& CapturePath() const { return log.path; }
    bool On() const override { return CaptureOn != 0; }
    void Byte(uint8_t b) override { CaptureByte(b); }

    // Nothing while no buffer exists.
    void CaptureByte(uint8_t b) {
        if (log.Exists()) log.Add(b);
    }
    // Writes what is buffered and frees the buffer.
    void CloseCapture();
};

// "%s\%s.log": the service's session directory (InstallDir when it is empty)
// and the service's name.
std::string CaptureFilePath(const ServiceEntry& service, const std::string& installDir);

// What ApplyCapture needs from the window: the check mark of "Capture
// &Session" and the memory failure box (a plain message box titled "Error").
struct CaptureWindow {
    WindowRef owner = nullptr;
    std::function<void(bool checked)> checkMenu;
    std::function<void()> noMemory;
};

// Applies CaptureOn: off stores 0 as the service's capture option and unchecks
// the item; on makes or keeps the log file (asking whether an existing one is
// overwritten), checks the item, sets up the buffer and stores 1. Returns 0,
// or -1 when capture could not be started (a message was shown and capture is
// off).
int ApplyCapture(CaptureState& capture, ServiceEntry& service, const std::string& installDir, Ui& ui,
                 const CaptureWindow& window);

// The printer controller's spool ("temp.txt" in the current directory).
class SpoolState : public PrintSpool {
public:
    SpoolState() { file.path = kSpoolFileName; }

    BlockedFile file;
    // Prints the finished spool file; set by the shell, empty: not printed.
    std::function<void(const std::string& path)> printFile;

    void Start() override { StartSpool(); }
    void Byte(uint8_t b) override { SpoolByte(b); }
    void End() override { EndSpool(); }

    bool Active() const { return file.Exists(); }
    // A new, empty "temp.txt" and an empty buffer.
    void StartSpool();
    void SpoolByte(uint8_t b) {
        if (file.Exists()) file.Add(b);
    }
    // When a spool exists: the rest to the file, the buffer freed, the file
    // printed. Without one nothing happens, so every end of a session may call it.
    void EndSpool();
};

}  // namespace palvex
