// What loading the settings library costs, against a DLL with no work in it.
#include <windows.h>

#include <string>
#include <vector>

#include "bench/clock.h"
#include "bench/modes.h"
#include "bench/output.h"
#include "bench/product.h"

namespace bench {

namespace {

const char kSettingsLibrary[] = "twpalmui.dll";
const char kEmptyLibrary[] = "bench_empty.dll";

// LoadLibrary + FreeLibrary in microseconds; -1 (and a failure reported)
// when it does not load.
double TimeLoad(const std::string& path) {
    const double start = NowMs();
    HMODULE module = LoadLibraryA(path.c_str());
    if (module) FreeLibrary(module);
    const double micros = (NowMs() - start) * 1000.0;
    if (!module) {
        Fail("cannot load %s (error %lu)", path.c_str(), GetLastError());
        return -1;
    }
    return micros;
}

}  // namespace

// The product's settings library and the empty one in turn, after one
// untimed round. "host" first loads the system libraries twpalmui imports
// (or the ones named), so that only twpalmui's own work is left.
int LoadMode(int runs, bool host, const std::vector<std::string>& held) {
    const std::string ui = ProductPath(kSettingsLibrary);
    const std::string empty = ProductPath(kEmptyLibrary);
    if (host) {
        for (const std::string& name : held.empty() ? HostLibraries() : held) {
            if (!LoadLibraryA(name.c_str())) Fail("cannot load %s", name.c_str());
        }
    }
    const char* suffix = host ? ".host" : "";
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            // Alternate which goes first so neither always follows the other.
            const bool productTurn = (turn == 0) == (run % 2 == 0);
            const std::string& path = productTurn ? ui : empty;
            const double micros = TimeLoad(path);
            if (micros < 0) return Failures();
            if (GetModuleHandleA(path.c_str())) Fail("%s stays loaded after FreeLibrary", path.c_str());
            if (run < 0) continue;
            Sample((std::string("load.") + (productTurn ? "ui" : "empty") + suffix).c_str(), micros);
        }
    }
    return Failures();
}

// As a caller that loads the library once pays it.
int FirstLoadMode(const std::string& what) {
    const bool ui = what == "ui";
    const double micros = TimeLoad(ProductPath(ui ? kSettingsLibrary : kEmptyLibrary));
    if (micros >= 0) Sample(ui ? "load.first.ui" : "load.first.empty", micros);
    return Failures();
}

}  // namespace bench
