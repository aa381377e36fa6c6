#pragma once

#include <windows.h>

// Writes to a file the caller keeps open and remembers the first failure:
// once a write fails or falls short, every later one is skipped, so a long
// run of writes is checked once rather than after each.
class FileWriter {
public:
    explicit FileWriter(HANDLE file) : file_(file) {}
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    void Write(const void* bytes, DWORD count);
    // The text without its terminator; null writes nothing.
    void Write(const char* text);

    bool failed() const { return failed_; }

private:
    HANDLE file_;
    bool failed_ = false;
};
