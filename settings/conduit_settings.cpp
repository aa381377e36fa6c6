#include "settings/conduit_settings.h"

#include <windows.h>

#include <algorithm>

#include "common/registry_names.h"
#include "common/text.h"
#include "framework/application.h"
#include "resources/twpalmui_ids.h"
#include "settings/conduit_kind.h"

namespace {

// Key names, not file paths: the user's name stays as it is, so a name ending
// in a backslash never shares another user's key.
std::string ConduitSectionOf(const std::string& user, int kind) {
    return UserSection(user) + '\\' + ConduitSection(kind);
}

int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

// A value named by the string table, its bits taken as a signed number.
int ReadInt(const Profile& profile, const char* section, UINT nameId, DWORD fallback) {
    return static_cast<int>(profile.GetInt(section, LoadResString(nameId).c_str(), fallback));
}

}  // namespace

std::string UserSection(const std::string& user) {
    return std::string(regnames::kUsersSection) + '\\' + user;
}

bool CanStoreConduitSettings(const std::string& user, int kind) {
    return static_cast<bool>(Application::Current().profile().OpenSection(ConduitSectionOf(user, kind).c_str()));
}

ConduitSettings LoadConduitSettings(const std::string& user, int kind) {
    const Profile& profile = Application::Current().profile();
    const std::string section = ConduitSectionOf(user, kind);
    const char* s = section.c_str();
    ConduitSettings settings;
    settings.dataFile = profile.GetString(UserSection(user).c_str(), regnames::kPathValue, "");
    settings.syncHidden = ReadInt(profile, s, IDS_VALUE_HIDDEN, 0) != 0;
    settings.syncPrivate = ReadInt(profile, s, IDS_VALUE_PRIVATE, 0) != 0;
    settings.conflicts = Clamp(ReadInt(profile, s, IDS_VALUE_CONFLICTS, 0), 0, 2);
    settings.permanentAction = Clamp(ReadInt(profile, s, IDS_VALUE_PERMANENT, 0), kSynchronize, kDoNothing);
    settings.oneTimeAction =
        Clamp(ReadInt(profile, s, IDS_VALUE_TEMPORARY, 0xFFFFFFFFu), kNoOneTimeAction, kDoNothing);
    return settings;
}

void SaveConduitSettings(const std::string& user, int kind, const ConduitSettings& settings) {
    const Profile& profile = Application::Current().profile();
    const std::string section = ConduitSectionOf(user, kind);
    const char* s = section.c_str();
    profile.WriteString(UserSection(user).c_str(), regnames::kPathValue, settings.dataFile);
    profile.WriteInt(s, LoadResString(IDS_VALUE_HIDDEN).c_str(), settings.syncHidden ? 1 : 0);
    profile.WriteInt(s, LoadResString(IDS_VALUE_PRIVATE).c_str(), settings.syncPrivate ? 1 : 0);
    profile.WriteInt(s, LoadResString(IDS_VALUE_CONFLICTS).c_str(), static_cast<DWORD>(settings.conflicts));
    profile.WriteInt(s, LoadResString(IDS_VALUE_PERMANENT).c_str(), static_cast<DWORD>(settings.permanentAction));
    profile.WriteInt(s, LoadResString(IDS_VALUE_TEMPORARY).c_str(), static_cast<DWORD>(settings.oneTimeAction));
}

std::string BuildLogFileName(const std::string& dataFile, int kind, const std::string& user) {
    // A dot anywhere counts, even in a folder name when the file has none.
    std::string name = dataFile.substr(0, text::FindLastChar(dataFile, '.'));
    name += ConduitLogInfix(kind);
    std::string lowered = user;
    if (!lowered.empty()) CharLowerBuffA(&lowered[0], static_cast<DWORD>(lowered.size()));
    text::ReplaceChars(&lowered, " \t,.'", '_');
    return name + lowered + "_log.txt";
}
