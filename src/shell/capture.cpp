#include "shell/capture.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "shell/string_ids.h"

namespace palvex {

namespace {

constexpr int kAnswerYes = 6;

std::string FieldText(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

bool BlockedFile::Allocate() {
    if (buffer_) return true;
    buffer_.reset(new (std::nothrow) uint8_t[kLogBufferSize]());
    count_ = 0;
    return buffer_ != nullptr;
}

void BlockedFile::Release() {
    buffer_.reset();
    count_ = 0;
}

void BlockedFile::Add(uint8_t b) {
    if (!buffer_) return;
    if (count_ < kLogBufferSize) buffer_[count_++] = b;
    if (count_ >= kLogBlockSize) Flush();
}

bool BlockedFile::Flush() {
    if (!buffer_ || count_ == 0) return true;
    // Opened for update rather than append: a log removed behind our back is
    // not silently started again half-way through the session.
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return false;
    if (std::fseek(f, 0, SEEK_END) != 0) {
        std::fclose(f);
        return false;
    }
    const std::size_t written = std::fwrite(buffer_.get(), 1, static_cast<std::size_t>(count_), f);
    const bool closed = std::fclose(f) == 0;
    // What did reach the file is not written a second time.
    const int done = closed ? static_cast<int>(written) : 0;
    if (done > 0 && done < count_) std::memmove(buffer_.get(), buffer_.get() + done, static_cast<std::size_t>(count_ - done));
    count_ -= done;
    return count_ == 0;
}

bool BlockedFile::CreateEmpty() const {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    return std::fclose(f) == 0;
}

void CaptureState::CloseCapture() {
    if (!log.Exists()) return;
    log.Flush();
    log.Release();
}

std::string CaptureFilePath(const ServiceEntry& service, const std::string& installDir) {
    namespace fs = std::filesystem;
    std::string dir = FieldText(service.SessionLogDir, sizeof service.SessionLogDir);
    if (dir.empty()) dir = installDir;
    const std::string file = FieldText(service.ShortName, sizeof service.ShortName) + ".log";
    return (fs::path(dir) / file).string();
}

int ApplyCapture(CaptureState& capture, ServiceEntry& service, const std::string& installDir, Ui& ui,
                 const CaptureWindow& window) {
    auto check = [&window](bool on) {
        if (window.checkMenu) window.checkMenu(on);
    };
    auto stayOff = [&] {
        capture.CaptureOn = 0;
        service.SessionCapture = 0;
        check(false);
        return -1;
    };
    if (!capture.CaptureOn) {
        check(false);
        service.SessionCapture = 0;
        return 0;
    }

    // Bytes still held for a log that is being replaced belong to that log.
    capture.CloseCapture();
    capture.log.path = CaptureFilePath(service, installDir);

    std::error_code ec;
    bool create = !std::filesystem::exists(capture.log.path, ec);
    if (!create) {
        ui.MessageBeep(kBeepDefault);
        create = ui.ShowMessage(window.owner, str::kStrOverwriteLog, nullptr, kStyleLogExists) == kAnswerYes;
    }
    if (create && !capture.log.CreateEmpty()) {
        ui.MessageBeep(kBeepDefault);
        ui.ShowMessage(window.owner, str::kStrFileOpenError, nullptr, kStyleTaskModal);
        return stayOff();
    }

    check(true);
    if (!capture.log.Allocate()) {
        if (window.noMemory) window.noMemory();
        return stayOff();
    }
    capture.log.SetCount(0);
    service.SessionCapture = 1;
    return 0;
}

void SpoolState::StartSpool() {
    // A controller switched on again starts a new print job; what the old one
    // held goes with its file, which is made empty now.
    file.Allocate();
    file.SetCount(0);
    file.CreateEmpty();
}

void SpoolState::EndSpool() {
    if (!file.Exists()) return;
    file.Flush();
    file.Release();
    if (printFile) printFile(file.path);
}

}  // namespace palvex
