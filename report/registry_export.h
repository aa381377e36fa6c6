#pragma once

#include <windows.h>

#include "report/file_writer.h"

// Registry keys written as REGEDIT4 text through a file writer, for the
// Settings Summary. Nothing is buffered: the caller writes its own text first.

enum class ExportResult {
    kComplete,    // the whole tree was written
    kIncomplete,  // refused (null or empty path: nothing written), or the walk ended early; what was written stays
    kNoHeader,    // not even the "REGEDIT4" line could be written
};

// Writes "REGEDIT4" and the whole tree of root\subkeyPath.
ExportResult ExportRegistryKey(HKEY root, const char* subkeyPath, FileWriter& out);

// One key's section, its values, then each subkey's tree, depth first. False
// when the key or a subkey below it cannot be opened or queried, a buffer
// cannot be had, or a write failed; the walk ends there.
bool ExportKeyTree(const char* parentPath, HKEY parent, const char* name, FileWriter& out);

// One value line: "name"= and the data in the form its type calls for.
// False when a write failed.
bool WriteRegValue(FileWriter& out, const char* name, DWORD type, const BYTE* data, DWORD size);
