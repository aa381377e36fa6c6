#include "report/registry_export.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/reg_key.h"

ExportWriteError::ExportWriteError(DWORD error)
    : std::runtime_error("writing the registry export failed"), error_(error) {}

namespace {

const char kHexDigits[] = "0123456789abcdef";

const char* RootName(HKEY root) {
    static const struct {
        HKEY key;
        const char* name;
    } kRoots[] = {
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},         {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},       {HKEY_USERS, "HKEY_USERS"},
        {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"}, {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
        {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
    };
    for (const auto& entry : kRoots) {
        if (entry.key == root) return entry.name;
    }
    return "UNKNOWN";
}

void WriteBytes(HANDLE file, const void* bytes, DWORD count) {
    if (count == 0) return;
    DWORD written = 0;
    if (!WriteFile(file, bytes, count, &written, nullptr)) throw ExportWriteError(GetLastError());
    if (written != count) throw ExportWriteError(ERROR_WRITE_FAULT);
}

// Only 0x20..0x7E, whatever the code page: a lead or trail byte of a
// double-byte character is escaped like any other high byte.
bool IsPrintable(BYTE byte) { return byte >= 0x20 && byte <= 0x7E; }

// Text between double quotes. False when a single-byte write fails; the other
// writes raise.
bool WriteEscapedText(HANDLE file, const BYTE* data, DWORD size) {
    // Only a zero at the end is the terminator: text stored without one keeps
    // its last character.
    const DWORD length = (size > 0 && data[size - 1] == 0) ? size - 1 : size;
    for (DWORD i = 0; i < length; ++i) {
        const BYTE byte = data[i];
        if (byte == '\\' || byte == '"') WriteText(file, "\\");
        if (IsPrintable(byte)) {
            DWORD written = 0;
            if (!WriteFile(file, &byte, 1, &written, nullptr) || written != 1) return false;
        } else {
            const char escaped[] = {'\\', kHexDigits[byte >> 4], kHexDigits[byte & 0x0F], '\0'};
            WriteText(file, escaped);
        }
    }
    WriteText(file, "\"\r\n");
    return true;
}

// The bytes from last to first, so a little-endian number reads as itself.
// Written in chunks: a malformed "dword" may be of any size.
void WriteReversedHex(HANDLE file, const BYTE* data, DWORD size) {
    char chunk[66];
    DWORD fill = 0;
    for (DWORD i = size; i-- > 0;) {
        chunk[fill++] = kHexDigits[data[i] >> 4];
        chunk[fill++] = kHexDigits[data[i] & 0x0F];
        if (fill == 64) {
            WriteBytes(file, chunk, fill);
            fill = 0;
        }
    }
    chunk[fill++] = '\r';
    chunk[fill++] = '\n';
    WriteBytes(file, chunk, fill);
}

// Comma-separated byte pairs, a line break after every index that is a
// non-zero multiple of 16 (17 pairs on the first line, 16 on the others),
// then a line end. One write per line: a megabyte value stays quick.
void WriteHexList(HANDLE file, const BYTE* data, DWORD size) {
    char line[17 * 3 + 3];
    DWORD fill = 0;
    for (DWORD i = 0; i < size; ++i) {
        if (i > 0) line[fill++] = ',';
        line[fill++] = kHexDigits[data[i] >> 4];
        line[fill++] = kHexDigits[data[i] & 0x0F];
        if (i > 0 && i % 16 == 0) {
            line[fill++] = '\r';
            line[fill++] = '\n';
            WriteBytes(file, line, fill);
            fill = 0;
        }
    }
    line[fill++] = '\r';
    line[fill++] = '\n';
    WriteBytes(file, line, fill);
}

// Bytes per ANSI character: the registry reports name lengths in UTF-16
// units, which take up to this many bytes each once converted.
DWORD AnsiBytesPerChar() {
    CPINFO info = {};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1 ? info.MaxCharSize : 1;
}

}  // namespace

void WriteText(HANDLE file, const char* text) {
    if (text) WriteBytes(file, text, static_cast<DWORD>(std::strlen(text)));
}

bool WriteRegValue(HANDLE file, const char* name, DWORD type, const BYTE* data, DWORD size) {
    if (!data) size = 0;
    WriteText(file, "\"");
    WriteText(file, name);
    WriteText(file, "\"");
    switch (type) {
    case REG_SZ:
    // Expandable text is written as escaped text, so it takes the string
    // form: a REGEDIT4 reader gets the text back (as REG_SZ), whereas after
    // "hex(2):" it would expect byte pairs and reject or garble the line.
    case REG_EXPAND_SZ:
        WriteText(file, "=\"");
        return WriteEscapedText(file, data, size);
    case REG_DWORD:
        WriteText(file, "=dword:");
        WriteReversedHex(file, data, size);
        return true;
    case REG_BINARY:
        WriteText(file, "=hex:");
        break;
    default: {
        char typePart[24];
        std::snprintf(typePart, sizeof typePart, "=hex(%lx):", static_cast<unsigned long>(type));
        WriteText(file, typePart);
        break;
    }
    }
    WriteHexList(file, data, size);
    return true;
}

bool ExportKeyTree(const char* parentPath, HKEY parent, const char* name, HANDLE file) {
    if (!parentPath || !name) return false;
    const RegKey key = RegKey::Open(parent, name, KEY_READ);
    if (!key) return false;
    DWORD subkeyCount = 0, longestSubkey = 0, valueCount = 0, longestValueName = 0, largestData = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeyCount, &longestSubkey, nullptr, &valueCount,
                         &longestValueName, &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }

    const std::string path = std::string(parentPath) + "\\" + name;
    WriteText(file, "\r\n[");
    WriteText(file, path.c_str());
    WriteText(file, "]\r\n");

    // On the heap: a value may hold megabytes and a name 16383 characters.
    const DWORD nameCapacity = std::max(longestSubkey, longestValueName) * AnsiBytesPerChar() + 1;
    std::vector<char> nameBuffer(nameCapacity);
    bool ok = true;
    if (valueCount > 0) {
        // Scoped: gone before the subkeys, so deep trees hold only names.
        std::vector<BYTE> data(static_cast<size_t>(largestData) + 1);
        for (DWORD i = 0; ok && i < valueCount; ++i) {
            DWORD nameLength = nameCapacity;
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(data.size());
            // A value that grew or went since the query is skipped.
            if (RegEnumValueA(key.get(), i, nameBuffer.data(), &nameLength, nullptr, &type, data.data(), &size) !=
                ERROR_SUCCESS) {
                continue;
            }
            ok = WriteRegValue(file, nameBuffer.data(), type, data.data(), size);
        }
    }
    for (DWORD i = 0; ok && i < subkeyCount; ++i) {
        DWORD nameLength = nameCapacity;
        if (RegEnumKeyExA(key.get(), i, nameBuffer.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            continue;
        }
        ok = ExportKeyTree(path.c_str(), key.get(), nameBuffer.data(), file);
    }
    return ok;
}

bool ExportRegistryKey(HKEY root, const char* subkeyPath, HANDLE file) {
    if (!subkeyPath || !*subkeyPath || file == INVALID_HANDLE_VALUE) return false;
    const char* rootName = RootName(root);
    // Outside the catch: without even this line the report is not worth going on with.
    WriteText(file, "REGEDIT4\r\n");
    try {
        return ExportKeyTree(rootName, root, subkeyPath, file);
    } catch (...) {
        return false;
    }
}
