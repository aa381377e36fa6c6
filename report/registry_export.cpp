#include "report/registry_export.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "common/format_text.h"
#include "common/reg_key.h"

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

// 0x20..0x7E, whatever the code page.
bool IsPrintable(BYTE byte) { return byte >= 0x20 && byte <= 0x7E; }

// A lead byte and the byte after it that make one character of the ANSI code
// page. A reader of REGEDIT4 text (the registry editor) decodes the file
// through that code page before it looks for escapes, so such a character is
// written as its two bytes: escaped, or with its trail byte 0x5C taken for a
// backslash, it would not read back as itself.
bool IsDoubleByteChar(const BYTE* data, DWORD length, DWORD i) {
    if (i + 1 >= length || !IsDBCSLeadByte(data[i])) return false;
    // One character that converts back to the same two bytes (a round trip
    // rather than MB_ERR_INVALID_CHARS, which Windows 95 does not check).
    const char* pair = reinterpret_cast<const char*>(data + i);
    WCHAR wide[2] = {};
    if (MultiByteToWideChar(CP_ACP, 0, pair, 2, wide, 2) != 1) return false;
    char back[4] = {};
    return WideCharToMultiByte(CP_ACP, 0, wide, 1, back, sizeof back, nullptr, nullptr) == 2 && back[0] == pair[0] &&
           back[1] == pair[1];
}

// Text between double quotes.
void WriteEscapedText(FileWriter& out, const BYTE* data, DWORD size) {
    // Only a zero at the end is the terminator: text stored without one keeps
    // its last character.
    const DWORD length = (size > 0 && data[size - 1] == 0) ? size - 1 : size;
    for (DWORD i = 0; i < length && !out.failed(); ++i) {
        if (IsDoubleByteChar(data, length, i)) {
            out.Write(&data[i], 1);
            if (!out.failed()) out.Write(&data[i + 1], 1);
            ++i;
            continue;
        }
        const BYTE byte = data[i];
        if (byte == '\\' || byte == '"') out.Write("\\");
        if (IsPrintable(byte)) {
            out.Write(&byte, 1);
        } else {
            const char escaped[] = {'\\', kHexDigits[byte >> 4], kHexDigits[byte & 0x0F], '\0'};
            out.Write(escaped);
        }
    }
    out.Write("\"\r\n");
}

// The bytes from last to first, so a little-endian number reads as itself.
// Written in chunks: a malformed "dword" may be of any size.
void WriteReversedHex(FileWriter& out, const BYTE* data, DWORD size) {
    char chunk[66];
    DWORD fill = 0;
    for (DWORD i = size; i-- > 0;) {
        chunk[fill++] = kHexDigits[data[i] >> 4];
        chunk[fill++] = kHexDigits[data[i] & 0x0F];
        if (fill == 64) {
            out.Write(chunk, fill);
            fill = 0;
        }
    }
    chunk[fill++] = '\r';
    chunk[fill++] = '\n';
    out.Write(chunk, fill);
}

// Comma-separated byte pairs, a line break after every index that is a
// non-zero multiple of 16 (17 pairs on the first line, 16 on the others),
// then a line end. One write per line: a megabyte value stays quick.
void WriteHexList(FileWriter& out, const BYTE* data, DWORD size) {
    char line[17 * 3 + 3];
    DWORD fill = 0;
    for (DWORD i = 0; i < size; ++i) {
        if (i > 0) line[fill++] = ',';
        line[fill++] = kHexDigits[data[i] >> 4];
        line[fill++] = kHexDigits[data[i] & 0x0F];
        if (i > 0 && i % 16 == 0) {
            line[fill++] = '\r';
            line[fill++] = '\n';
            out.Write(line, fill);
            fill = 0;
        }
    }
    line[fill++] = '\r';
    line[fill++] = '\n';
    out.Write(line, fill);
}

// Bytes per ANSI character: the registry reports name lengths in UTF-16
// units, which take up to this many bytes each once converted.
DWORD AnsiBytesPerChar() {
    CPINFO info = {};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1 ? info.MaxCharSize : 1;
}

}  // namespace

bool WriteRegValue(FileWriter& out, const char* name, DWORD type, const BYTE* data, DWORD size) {
    if (!data) size = 0;
    out.Write("\"");
    out.Write(name);
    out.Write("\"");
    switch (type) {
    case REG_SZ:
    // Expandable text is written as escaped text, so it takes the string
    // form: a REGEDIT4 reader gets the text back (as REG_SZ), whereas after
    // "hex(2):" it would expect byte pairs and reject or garble the line.
    case REG_EXPAND_SZ:
        out.Write("=\"");
        WriteEscapedText(out, data, size);
        return !out.failed();
    case REG_DWORD:
        out.Write("=dword:");
        WriteReversedHex(out, data, size);
        return !out.failed();
    case REG_BINARY:
        out.Write("=hex:");
        break;
    default: {
        char typePart[24];
        FormatText(typePart, sizeof typePart, "=hex(%lx):", static_cast<unsigned long>(type));
        out.Write(typePart);
        break;
    }
    }
    WriteHexList(out, data, size);
    return !out.failed();
}

bool ExportKeyTree(const char* parentPath, HKEY parent, const char* name, FileWriter& out) {
    if (!parentPath || !name) return false;
    const RegKey key = RegKey::Open(parent, name, KEY_READ);
    if (!key) return false;
    DWORD subkeyCount = 0, longestSubkey = 0, valueCount = 0, longestValueName = 0, largestData = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeyCount, &longestSubkey, nullptr, &valueCount,
                         &longestValueName, &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }

    // A registry path, joined as given: a caller's trailing backslash shows.
    const std::string path = std::string(parentPath) + "\\" + name;
    out.Write("\r\n[");
    out.Write(path.c_str());
    out.Write("]\r\n");

    // On the heap: a value may hold megabytes and a name 16383 characters.
    // Without the room the walk ends here, as it does on a failed write.
    const DWORD nameCapacity = std::max(longestSubkey, longestValueName) * AnsiBytesPerChar() + 1;
    const std::unique_ptr<char[]> nameBuffer(new (std::nothrow) char[nameCapacity]);
    if (!nameBuffer) return false;
    bool ok = !out.failed();
    if (ok && valueCount > 0) {
        // Scoped: gone before the subkeys, so deep trees hold only names.
        const DWORD dataCapacity = largestData + 1;
        const std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[dataCapacity]);
        ok = data != nullptr;
        for (DWORD i = 0; ok && i < valueCount; ++i) {
            DWORD nameLength = nameCapacity;
            DWORD type = 0;
            DWORD size = dataCapacity;
            // A value that grew or went since the query is skipped.
            if (RegEnumValueA(key.get(), i, nameBuffer.get(), &nameLength, nullptr, &type, data.get(), &size) !=
                ERROR_SUCCESS) {
                continue;
            }
            ok = WriteRegValue(out, nameBuffer.get(), type, data.get(), size);
        }
    }
    for (DWORD i = 0; ok && i < subkeyCount; ++i) {
        DWORD nameLength = nameCapacity;
        if (RegEnumKeyExA(key.get(), i, nameBuffer.get(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            continue;
        }
        ok = ExportKeyTree(path.c_str(), key.get(), nameBuffer.get(), out);
    }
    return ok;
}

ExportResult ExportRegistryKey(HKEY root, const char* subkeyPath, FileWriter& out) {
    if (!subkeyPath || !*subkeyPath) return ExportResult::kIncomplete;
    out.Write("REGEDIT4\r\n");
    if (out.failed()) return ExportResult::kNoHeader;
    return ExportKeyTree(RootName(root), root, subkeyPath, out) ? ExportResult::kComplete : ExportResult::kIncomplete;
}
