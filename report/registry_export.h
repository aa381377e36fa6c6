#pragma once

#include <windows.h>

#include <stdexcept>

// Registry keys written as REGEDIT4 text straight into an open file, for the
// Settings Summary. Nothing is buffered: the caller flushes its own text first.

// A write to the export file failed or fell short.
class ExportWriteError : public std::runtime_error {
public:
    explicit ExportWriteError(DWORD error);
    DWORD error() const { return error_; }

private:
    DWORD error_;
};

// Writes "REGEDIT4" and the whole tree of root\subkeyPath. False when refused
// (null or empty path, INVALID_HANDLE_VALUE; nothing is written) or when the
// walk ended early; what was written stays. A failure to write the REGEDIT4
// line itself leaves as ExportWriteError: the caller gives up the report.
bool ExportRegistryKey(HKEY root, const char* subkeyPath, HANDLE file);

// One key's section, its values, then each subkey's tree, depth first. False
// when the key or a subkey below it cannot be opened or queried, or a string
// byte could not be written. Other write failures raise ExportWriteError.
bool ExportKeyTree(const char* parentPath, HKEY parent, const char* name, HANDLE file);

// One value line: "name"= and the data in the form its type calls for.
bool WriteRegValue(HANDLE file, const char* name, DWORD type, const BYTE* data, DWORD size);

// Writes the whole text in one WriteFile call; raises ExportWriteError when
// the write fails or is short.
void WriteText(HANDLE file, const char* text);
