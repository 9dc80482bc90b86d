#include "utils/file_choice.h"

#include <cctype>
#include <cstring>

namespace palvex {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(std::string_view text) {
    return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

}  // namespace

bool IsFilePattern(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool NamesDriveOrRootedDirectory(std::string_view text) {
    return HasDrive(text) || (!text.empty() && IsSeparator(text[0]));
}

SplitPath SplitFilePath(std::string_view text) {
    SplitPath out;
    if (HasDrive(text)) out.drive = std::string(text.substr(0, 2));
    std::size_t cut = std::string_view::npos;
    for (std::size_t i = text.size(); i-- > 0;)
        if (IsSeparator(text[i])) {
            cut = i;
            break;
        }
    if (cut == std::string_view::npos) {
        const std::size_t start = out.drive.size();
        out.name = std::string(text.substr(start));
        return out;
    }
    out.name = std::string(text.substr(cut + 1));
    // A file in a root keeps its backslash: "C:" alone would mean the drive's
    // current directory, not its root.
    const bool root = cut == out.drive.size();
    out.directory = std::string(text.substr(0, root ? cut + 1 : cut));
    return out;
}

ListingEntry ParseListingLine(std::string_view line) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        std::string_view inner = line.substr(1, line.size() - 2);
        if (inner == "..") return {ListingKind::Parent, ".."};
        if (inner.size() == 3 && inner[0] == '-' && inner[2] == '-' &&
            std::isalpha(static_cast<unsigned char>(inner[1])))
            return {ListingKind::Drive, std::string(1, inner[1])};
        return {ListingKind::Directory, std::string(inner)};
    }
    return {ListingKind::File, std::string(line)};
}

std::string DisplayListingLine(std::string_view line,
                               const std::function<std::string(const std::string&)>& longName) {
    const ListingEntry entry = ParseListingLine(line);
    if (entry.kind == ListingKind::Parent || entry.kind == ListingKind::Drive || !longName)
        return std::string(line);
    std::string name = longName(entry.name);
    if (name.empty()) name = entry.name;
    return entry.kind == ListingKind::Directory ? "[" + name + "]" : name;
}

std::vector<FilterPair> ParseFilterPairs(const char* filter) {
    std::vector<FilterPair> pairs;
    if (!filter) return pairs;
    const char* p = filter;
    while (*p) {
        FilterPair pair;
        pair.description = p;
        p += std::strlen(p) + 1;
        if (!*p) break;
        pair.pattern = p;
        p += std::strlen(p) + 1;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

}  // namespace palvex
