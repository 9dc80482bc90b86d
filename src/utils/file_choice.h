// The file chooser's reading of what the user typed and of the directory
// listing, without the platform: does a text name a drive or a rooted
// directory, where its directory ends and its bare name begins, is it a
// pattern; and what a raw listing line ("[dir]", "[-c-]", "name") stands for.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace palvex {

// True when `text` holds "*" or "?".
bool IsFilePattern(std::string_view text);

// True when `text` starts with a drive ("C:") or with a backslash (or slash):
// the chooser then moves the current drive and directory to the file's.
bool NamesDriveOrRootedDirectory(std::string_view text);

struct SplitPath {
    std::string drive;      // "C:" or empty
    std::string directory;  // everything before the bare name, drive included; "C:\" for a file in a root
    std::string name;       // file name and extension
};

// Splits at the last backslash or slash (or after the drive when there is
// none). "C:\a\b.txt" -> {"C:", "C:\a", "b.txt"}; "\b.txt" -> {"", "\", "b.txt"};
// "C:b.txt" -> {"C:", "", "b.txt"}; "b.txt" -> {"", "", "b.txt"}.
SplitPath SplitFilePath(std::string_view text);

// The kind of one line of a directory listing.
enum class ListingKind { File, Directory, Parent, Drive };

struct ListingEntry {
    ListingKind kind;
    std::string name;  // without brackets; the drive letter for a drive
};

// "[..]" parent, "[-c-]" drive, "[name]" directory, anything else a file.
ListingEntry ParseListingLine(std::string_view line);

// The line shown for a listing line: files and directories under their long
// name as `longName` gives it (empty or failing: kept as listed), in the
// listing's own brackets; the parent and drives as listed.
std::string DisplayListingLine(std::string_view line,
                               const std::function<std::string(const std::string&)>& longName);

// The filter record's pairs: description, pattern, ... ending with an empty
// text (a double NUL). Stops at the first empty description or a description
// without its pattern.
struct FilterPair {
    std::string description;
    std::string pattern;
};
std::vector<FilterPair> ParseFilterPairs(const char* filter);

}  // namespace palvex
