#pragma once

#include <windows.h>

#include <string>
#include <vector>

// An owned registry key handle. Reads never fail loudly: a missing key or
// value leaves the caller's default in place.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    ~RegKey() { Close(); }

    RegKey(RegKey&& other) noexcept : key_(other.Release()) {}
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    static RegKey Open(HKEY root, const char* path, REGSAM access = KEY_READ);
    // Opens the key, creating it (and any missing parents) when absent.
    static RegKey Create(HKEY root, const char* path, REGSAM access = KEY_READ | KEY_WRITE);

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    HKEY Release();
    void Close();

    // The value's bytes whatever its type; false when missing.
    bool ReadBytes(const char* name, std::vector<BYTE>* data, DWORD* type = nullptr) const;
    // The value's bytes taken as text up to the first zero, whatever its type.
    bool ReadString(const char* name, std::string* text) const;

    bool WriteString(const char* name, const std::string& text) const;
    bool WriteDword(const char* name, DWORD value) const;

private:
    HKEY key_ = nullptr;
};

// Removes a key with all its values and subkeys; false when it could not.
bool DeleteKeyTree(HKEY root, const char* path);

// Reads a string value below root\path, or def when the key or value is missing.
std::string ReadRegString(HKEY root, const char* path, const char* name, const char* def = "");
