// dialog_gallery: shows each dialog of the settings library in turn and saves
// a picture of each, cropped to the window, as a BMP file. The program carries
// a common-controls 6 manifest; the look is the system's: the screenshots
// script runs it once with the prefix's visual style turned off (classic) and
// once with Wine's own theme active and --themed, which also lets the
// product's visual-style binding use the system's UxTheme.dll.

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/application.h"
#include "settings/app_list_dlg.h"
#include "settings/conduit_settings_dlg.h"
#include "settings/hotsync_action_dlg.h"
#include "settings/user_list_dlg.h"
#include "settings/about_box.h"
#include "bindings/theme_api.h"
#include "report/summary_command.h"

namespace {

// The settings library's application object as this program makes it: its
// own resources, the product's profile, and a visual-style binding with the
// inputs the look asks for.
class GalleryApp : public Application {
public:
    explicit GalleryApp(const theme::BindingInputs& inputs)
        : Application(GetModuleHandleA(nullptr), "Quillon Software", "Orvelle"), themes_(inputs) {}
    const ThemeApi& themes() const { return themes_; }

private:
    ThemeApi themes_;
};

std::string g_outputFile;

// This process's windows come up unmanaged at (0, 0); the screen holds them.
bool SaveWindowPicture(HWND window, const std::string& path) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    const DWORD stride = ((width * 3 + 3) & ~3), size = stride * height;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    bool saved = false;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                std::fwrite(bits, size, 1, out) == 1;
        std::fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Fires inside the dialog's modal loop once it has been painted.
void CALLBACK CaptureAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(100);
    std::printf("%s %s\n", SaveWindowPicture(dialog, g_outputFile) ? "saved" : "FAILED", g_outputFile.c_str());
    std::fflush(stdout);
    EndDialog(dialog, IDCANCEL);
}

void Capture(const std::string& path, const std::function<void()>& show) {
    g_outputFile = path;
    SetTimer(nullptr, 0, 600, CaptureAndClose);
    show();
}

DWORD PretendCommonControls6(const char*) { return 0x00060000; }

}  // namespace

const ThemeApi& ApplicationThemes() { return static_cast<const GalleryApp&>(Application::Current()).themes(); }

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: dialog_gallery OUTPUT_FOLDER [--themed] [USER]\n");
        return 1;
    }
    const std::string folder = argv[1];
    const bool themed = argc > 2 && std::string(argv[2]) == "--themed";
    const std::string user = argc > 3 ? argv[3] : "Jane O'Neil";
    const std::string look = themed ? "themed" : "classic";

    // Wine's comctl32 reports 5.81 even in version 6: the seam lets the real
    // UxTheme.dll through for the themed pictures.
    theme::BindingInputs inputs = theme::SystemInputs();
    if (themed) inputs.dllVersion = PretendCommonControls6;
    const GalleryApp app(inputs);
    std::printf("visual styles %s\n", app.themes().Enabled() ? "on" : "off");

    Capture(folder + "\\user-list-" + look + ".bmp", [] { CUserListDlg(nullptr).DoModal(); });
    Capture(folder + "\\app-list-" + look + ".bmp", [&] { CAppListDlg(user, nullptr).DoModal(); });
    Capture(folder + "\\conduit-settings-" + look + ".bmp",
            [&] { CConduitSettingsDlg("date", user, nullptr).DoModal(); });
    Capture(folder + "\\hotsync-action-" + look + ".bmp", [] {
        CHotSyncActionDlg actions(nullptr);
        actions.permanentAction = 0;
        actions.oneTimeAction = 2;
        actions.DoModal();
    });
    Capture(folder + "\\about-" + look + ".bmp", [] { CAboutBox(nullptr).DoModal(); });
    // The Settings Summary of this prefix, as the user list's Summary... shows it.
    Capture(folder + "\\summary-" + look + ".bmp", [] { RunSettingsSummary(nullptr); });
    return 0;
}
