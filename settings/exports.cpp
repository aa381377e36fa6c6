// The two exports of twpalmui.

#include <windows.h>

#include <string>

#include "common/registry_names.h"
#include "framework/application.h"
#include "include/twpalmui.h"
#include "settings/component_check.h"
#include "settings/conduit_kind.h"
#include "settings/conduit_settings.h"
#include "settings/conduit_settings_dlg.h"
#include "settings/user_list_dlg.h"

namespace {

int ShowUserSettings(int conduit, const char* userName, HWND parent) {
    if (!IsConduitKind(conduit) || !userName || !*userName) return -1;
    const std::string user = userName;
    if (!CanStoreConduitSettings(user, conduit)) return -1;
    CheckConduitComponent(conduit, parent);
    Application::Current().profile().WriteInt(UserSection(user).c_str(), regnames::kLastConduitValue,
                                              static_cast<DWORD>(conduit));
    RunConduitSettingsDialog(ConduitKey(conduit), user, parent);
    return 0;
}

}  // namespace

extern "C" {

// Shows all Palm users; returns 0 when the list closes.
// Out of memory on the way, the list closes: nothing throws into the host.
int WINAPI DisplaySettings(HWND parent) noexcept {
    try {
        CUserListDlg userList(parent);
        userList.DoModal();
    } catch (...) {
    }
    return 0;
}

// Shows one Palm user's settings for one conduit; -1 with nothing shown or
// written for an unknown conduit kind or a missing user name (which would
// otherwise write below "Users" itself), and -1 with nothing shown for a name
// whose settings the registry cannot hold (a key name too long): the dialog
// would otherwise take the user's choices and lose all or some of them on OK.
// Out of memory on the way, it stops there with -1: nothing throws into the host.
int WINAPI DisplayUserSettings(int conduit, const char* userName, HWND parent) noexcept {
    try {
        return ShowUserSettings(conduit, userName, parent);
    } catch (...) {
        return -1;
    }
}

}  // extern "C"
