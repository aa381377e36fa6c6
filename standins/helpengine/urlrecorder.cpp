// Stand-in for the web browser: registered by a test as the handler of an
// address scheme with the command line
//   "UrlRecorder.exe" "<record file>" "%1"
// it appends the address it was asked to open, and a line break, to the record file.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    // Several recorders may write at once: wait for the file to be free.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileA(__argv[1], FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Sleep(10);
            continue;
        }
        std::string line = std::string(__argv[2]) + "\n";
        DWORD written = 0;
        const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == line.size() ? 0 : 1;
    }
    return 1;
}
