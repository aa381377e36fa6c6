#include "standins/standin_state.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace standin {
namespace {

// Longest string argument written to the call log; it guards the log against
// a caller's runaway text, not against ordinary long paths.
constexpr size_t kMaxLoggedText = 4096;

}  // namespace

std::string StatePath(const std::string& sub) {
    std::string path = kRootPath;
    if (!sub.empty()) path += "\\" + sub;
    return path;
}

RegKey OpenState(const std::string& sub) {
    return RegKey::Open(HKEY_CURRENT_USER, StatePath(sub).c_str(), KEY_READ | KEY_WRITE);
}

RegKey CreateState(const std::string& sub) {
    return RegKey::Create(HKEY_CURRENT_USER, StatePath(sub).c_str());
}

bool ReadDword(const RegKey& key, const char* name, DWORD* value) {
    std::vector<BYTE> data;
    DWORD type = 0;
    if (!key.ReadBytes(name, &data, &type)) return false;
    if (type != REG_DWORD || data.size() < sizeof(DWORD)) return false;
    std::memcpy(value, data.data(), sizeof(DWORD));
    return true;
}

bool ReadText(const RegKey& key, const char* name, std::string* text) {
    std::vector<BYTE> data;
    DWORD type = 0;
    if (!key.ReadBytes(name, &data, &type)) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    // The stored bytes need not end in a zero; stop at the first one or at the end.
    size_t length = 0;
    while (length < data.size() && data[length] != 0) ++length;
    text->assign(reinterpret_cast<const char*>(data.data()), length);
    return true;
}

DWORD DwordOr(const RegKey& key, const char* name, DWORD def) {
    DWORD value = def;
    return ReadDword(key, name, &value) ? value : def;
}

std::string Arg(const char* text) {
    if (!text) return "(null)";
    size_t length = strnlen(text, kMaxLoggedText + 1);
    if (length > kMaxLoggedText) return std::string(text, kMaxLoggedText) + "...";
    return std::string(text, length);
}

std::string Arg(int value) { return std::to_string(value); }

std::string Arg(DWORD value) { return std::to_string(value); }

std::optional<int> BeginCall(const char* function, std::initializer_list<std::string> args) {
    std::string entry = function;
    entry += '(';
    bool first = true;
    for (const std::string& arg : args) {
        if (!first) entry += ',';
        entry += arg;
        first = false;
    }
    entry += ')';

    RegKey log = CreateState("CallLog");
    DWORD count = 0;
    if (log && RegQueryInfoKeyA(log.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                &count, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        char name[16];
        std::snprintf(name, sizeof name, "%06lu", static_cast<unsigned long>(count) + 1);
        log.WriteString(name, entry);
    }

    DWORD code = 0;
    if (!ReadDword(OpenState("Failures"), function, &code)) return std::nullopt;
    // A failure with a count fails that many calls, then lets calls through.
    RegKey counts = OpenState("FailureCounts");
    DWORD remaining = 0;
    if (counts && ReadDword(counts, function, &remaining)) {
        if (remaining == 0) return std::nullopt;
        counts.WriteDword(function, remaining - 1);
    }
    return static_cast<int>(code);
}

}  // namespace standin
