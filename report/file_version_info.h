#pragma once

#include <windows.h>

#include <cstddef>

// The version resource of one file, as the Settings Summary shows it: the
// fixed file and product versions and three strings of the first language
// of the translation table.
class CFileVersionInfo {
public:
    // Size of each text field, terminator included.
    static constexpr size_t kFieldSize = 520;

    // A bare file name (found in the library search order) or a full path;
    // a longer name is cut to kFieldSize - 2 characters.
    explicit CFileVersionInfo(const char* fileName);
    ~CFileVersionInfo();
    CFileVersionInfo(const CFileVersionInfo&) = delete;
    CFileVersionInfo& operator=(const CFileVersionInfo&) = delete;

    // Loads the resource and fills every field; false when the file has no
    // usable version resource. Missing strings stay empty and do not fail it.
    bool Read();

    // One string of the loaded resource ("CompanyName", ...) into destination,
    // cut to size - 1 characters. False, with an empty destination, when there
    // is no resource, no translation table or no such string.
    bool QueryString(const char* key, char* destination, size_t size) const;

    // Each clears the whole destination and copies at most size - 2 characters.
    void GetCompanyName(char* destination, size_t size) const;
    void GetProductName(char* destination, size_t size) const;
    void GetFileDescription(char* destination, size_t size) const;
    // Major, minor, build, revision.
    void GetFileVersion(WORD parts[4]) const;
    void GetProductVersion(WORD parts[4]) const;

    // Frees the loaded resource; the fields keep their values.
    void Release();

private:
    BYTE* block_ = nullptr;
    const BYTE* blockEnd_ = nullptr;
    WORD fileVersion_[4] = {};
    WORD productVersion_[4] = {};
    char fileName_[kFieldSize] = {};
    char companyName_[kFieldSize] = {};
    char productName_[kFieldSize] = {};
    char fileDescription_[kFieldSize] = {};
};
