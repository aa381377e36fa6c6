#include "report/file_version_info.h"

#include <cstring>
#include <new>
#include <string>

#include "common/format_text.h"
#include "common/text.h"

namespace {

// Copies at most maxChars characters of source, stopping at its terminator,
// and terminates; destination holds at least maxChars + 1 bytes.
void CopyCut(char* destination, const char* source, size_t maxChars) {
    // Between characters: never the lead byte of a double-byte one alone.
    const size_t length = text::CutLength(source, maxChars);
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

void CopyField(const char* field, char* destination, size_t size) {
    if (!destination || size == 0) return;
    std::memset(destination, 0, size);
    if (size > 2) CopyCut(destination, field, size - 2);
}

}  // namespace

CFileVersionInfo::CFileVersionInfo(const char* fileName) {
    if (fileName) CopyCut(fileName_, fileName, kFieldSize - 2);
}

CFileVersionInfo::~CFileVersionInfo() { Release(); }

void CFileVersionInfo::Release() {
    delete[] block_;
    block_ = nullptr;
    blockEnd_ = nullptr;
}

bool CFileVersionInfo::Read() {
    Release();
    // An empty name would let the system pick some file of its own.
    if (fileName_[0] == '\0') return false;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName_, &ignored);
    if (size == 0 || size == MAXDWORD) return false;
    block_ = new (std::nothrow) BYTE[static_cast<size_t>(size) + 1]();
    if (!block_) return false;
    blockEnd_ = block_ + size;
    if (!GetFileVersionInfoA(fileName_, 0, size, block_)) {
        Release();
        return false;
    }
    void* root = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block_, "\\", &root, &length) || !root || length < sizeof(VS_FIXEDFILEINFO)) {
        Release();
        return false;
    }
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root, sizeof fixed);
    fileVersion_[0] = HIWORD(fixed.dwFileVersionMS);
    fileVersion_[1] = LOWORD(fixed.dwFileVersionMS);
    fileVersion_[2] = HIWORD(fixed.dwFileVersionLS);
    fileVersion_[3] = LOWORD(fixed.dwFileVersionLS);
    productVersion_[0] = HIWORD(fixed.dwProductVersionMS);
    productVersion_[1] = LOWORD(fixed.dwProductVersionMS);
    productVersion_[2] = HIWORD(fixed.dwProductVersionLS);
    productVersion_[3] = LOWORD(fixed.dwProductVersionLS);
    QueryString("CompanyName", companyName_, kFieldSize);
    QueryString("FileDescription", fileDescription_, kFieldSize);
    QueryString("ProductName", productName_, kFieldSize);
    return true;
}

bool CFileVersionInfo::QueryString(const char* key, char* destination, size_t size) const {
    if (!block_ || !key || !destination || size == 0) return false;
    std::memset(destination, 0, size);
    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block_, "\\VarFileInfo\\Translation", &translation, &length) || !translation ||
        length < sizeof(DWORD)) {
        return false;
    }
    DWORD first = 0;
    std::memcpy(&first, translation, sizeof first);
    char prefix[40];
    FormatText(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", LOWORD(first), HIWORD(first));
    const std::string query = std::string(prefix) + key;
    void* found = nullptr;
    length = 0;
    if (!VerQueryValueA(block_, query.c_str(), &found, &length) || !found) return false;
    // The reported length may include the terminator or, in a damaged
    // resource, run past the block: never read beyond either.
    const BYTE* text = static_cast<const BYTE*>(found);
    size_t limit = size - 1;
    if (length < limit) limit = length;
    if (text < block_ || text >= blockEnd_) return false;
    if (static_cast<size_t>(blockEnd_ - text) < limit) limit = static_cast<size_t>(blockEnd_ - text);
    CopyCut(destination, reinterpret_cast<const char*>(text), limit);
    return true;
}

void CFileVersionInfo::GetCompanyName(char* destination, size_t size) const {
    CopyField(companyName_, destination, size);
}

void CFileVersionInfo::GetProductName(char* destination, size_t size) const {
    CopyField(productName_, destination, size);
}

void CFileVersionInfo::GetFileDescription(char* destination, size_t size) const {
    CopyField(fileDescription_, destination, size);
}

void CFileVersionInfo::GetFileVersion(WORD parts[4]) const { std::memcpy(parts, fileVersion_, sizeof fileVersion_); }

void CFileVersionInfo::GetProductVersion(WORD parts[4]) const {
    std::memcpy(parts, productVersion_, sizeof productVersion_);
}
