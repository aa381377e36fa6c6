#include "settings/file_checks.h"

#include <windows.h>

#include "common/text.h"
#include "common/unique_handle.h"

namespace {

enum class Match { kNone, kFile, kFolder };

Match FirstMatch(const std::string& path) {
    WIN32_FIND_DATAA found;
    if (!FindFirst(path.c_str(), &found)) return Match::kNone;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Match::kFolder : Match::kFile;
}

}  // namespace

bool FitsMaxPath(const std::string& path) { return path.size() < MAX_PATH; }

bool FileExists(const std::string& path) { return FitsMaxPath(path) && FirstMatch(path) == Match::kFile; }

bool DirectoryExists(const std::string& path) {
    std::string folder = path;
    text::DropTrailingBackslash(&folder);
    return FitsMaxPath(folder) && FirstMatch(folder) == Match::kFolder;
}
