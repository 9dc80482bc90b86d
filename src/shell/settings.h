// The program settings that outlive a run: six keys of the profile section
// "palvex32". Everything per connection lives in the service entry instead.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/dialog_view.h"

namespace palvex {

inline constexpr const char* kProfileSection = "palvex32";

inline constexpr const char* kKeyInstallDir = "INSTALLDIR";
inline constexpr const char* kKeySessionDir = "SESSION";
inline constexpr const char* kKeyDownloadDir = "DOWNLOAD";
inline constexpr const char* kKeyTransPrint = "TransPrint";
inline constexpr const char* kKeyBatchDial = "seqdial";
inline constexpr const char* kKeyScroll = "scroll";

// Directory strings are read into 1028-byte buffers.
inline constexpr std::size_t kMaxDirectoryLength = 1027;
inline constexpr const char* kHelpFileName = "PALVEX.HLP";

inline constexpr int kDefaultScrollLines = 1000;
inline constexpr int kMinScrollLines = 24;
inline constexpr int kMaxScrollRange = 3000;

// The keys of section "palvex32" of the user's profile.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // `fallback` when the key is missing.
    virtual std::string GetString(const char* key, const char* fallback) = 0;
    // `fallback` when the key is missing or empty; otherwise the leading
    // decimal number of its text (0 when there is none).
    virtual int GetInt(const char* key, int fallback) = 0;
    virtual bool WriteString(const char* key, const char* value) = 0;
};

// A profile section in memory, for tests and tools. Keys compare without
// regard to case, as in the Windows profile.
class MemoryProfileStore : public ProfileStore {
public:
    std::string GetString(const char* key, const char* fallback) override;
    int GetInt(const char* key, int fallback) override;
    bool WriteString(const char* key, const char* value) override;

    bool Has(const char* key) const;
    std::string Value(const char* key) const;

    // Every key asked for, in order.
    std::vector<std::string> reads;
    // Every write as "key=value", in order.
    std::vector<std::string> writes;

private:
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, std::string, NoCase> values_;
};

struct ProgramSettings {
    std::string InstallDir;
    std::string DefaultSessionDir;
    std::string DefaultDownloadDir;
    std::string HelpFile;
    unsigned TransPrint = 0;
    int BatchDial = 0;
    int ScrollLines = kDefaultScrollLines;
};

// The start-up read, in the order the keys are documented to be read.
// `startDirectory` is the default of "INSTALLDIR": drive, ":\" and the
// current directory when the program starts.
ProgramSettings ReadProgramSettings(ProfileStore& store, const std::string& startDirectory);

// "SESSION" and "DOWNLOAD" again, for a connection coming up; `installDir`
// is their default.
std::string ReadSessionDir(ProfileStore& store, const std::string& installDir);
std::string ReadDownloadDir(ProfileStore& store, const std::string& installDir);

void WriteTransPrint(ProfileStore& store, unsigned value);
void WriteBatchDial(ProfileStore& store, int value);
void WriteScrollLines(ProfileStore& store, int value);

// A new scrollback size entered in the terminal preferences.
enum class ScrollRangeResult {
    Rejected,   // outside pageRows..3000: the dialog stays open
    Unchanged,  // same as the running size: nothing written
    Saved,      // written; takes effect at the next start
};
// Refuses a value outside pageRows..3000 with string 2; a value other than
// `running` is announced with string 3 and written.
ScrollRangeResult StoreScrollRange(ProfileStore& store, DialogView& view, int value, int pageRows,
                                   int running);

}  // namespace palvex
