#include "report/file_writer.h"

#include <cstring>

void FileWriter::Write(const void* bytes, DWORD count) {
    if (failed_ || count == 0) return;
    DWORD written = 0;
    if (!WriteFile(file_, bytes, count, &written, nullptr) || written != count) failed_ = true;
}

void FileWriter::Write(const char* text) {
    if (text) Write(text, static_cast<DWORD>(std::strlen(text)));
}
