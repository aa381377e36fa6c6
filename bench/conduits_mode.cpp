// Registering and removing the conduits, with the HotSync Manager in each of
// the states an installer meets it in.
#include <windows.h>

#include <string>

#include "bench/clock.h"
#include "bench/modes.h"
#include "bench/output.h"
#include "bench/product.h"
#include "standins/standin_state.h"
#include "tests/support/import_patch.h"
#include "tests/support/palm_desktop.h"

namespace bench {

namespace {

// Counts the HotSync pause's waits and still waits them.
int g_sleeps500 = 0;
int g_sleepsOther = 0;
void WINAPI CountingSleep(DWORD ms) {
    if (ms == 500) {
        ++g_sleeps500;
    } else {
        ++g_sleepsOther;
    }
    Sleep(ms);
}

// How the HotSync Manager behaves: not running; running and closing (and
// starting) at the first check; closing and starting one check later.
struct HotSyncScenario {
    const char* name;
    bool running;
    DWORD checksBeforeChange;
};
const HotSyncScenario kScenarios[] = {
    {"stopped", false, 0},
    {"at-once", true, 0},
    {"after-one", true, 1},
};

bool SetHotSync(testsupport::PalmDesktop& palm, const std::string& scenario) {
    for (const HotSyncScenario& known : kScenarios) {
        if (scenario != known.name) continue;
        // A request left pending by an earlier run must not carry over.
        const RegKey state = standin::CreateState("HotSync");
        if (!state) {
            Fail("cannot create HKCU\\%s", standin::StatePath("HotSync").c_str());
            return false;
        }
        RegDeleteValueA(state.get(), "CloseCountdown");
        RegDeleteValueA(state.get(), "StartCountdown");
        palm.SetHotSync(known.running, false);
        palm.SetCloseAfterChecks(known.checksBeforeChange);
        palm.SetStartAfterChecks(known.checksBeforeChange);
        return true;
    }
    Fail("unknown HotSync scenario %s", scenario.c_str());
    return false;
}

bool DateBookIs(const testsupport::PalmDesktop& palm, const std::string& fileName) {
    const std::string name = palm.Conduit("date").strings["Name"];
    return name.size() >= fileName.size() &&
           lstrcmpiA(name.c_str() + name.size() - fileName.size(), fileName.c_str()) == 0;
}

}  // namespace

int ConduitsMode(const std::string& scenario, int runs) {
    HMODULE palmLibrary = LoadProduct("twpalm.dll");
    auto install = palmLibrary ? Export<ConduitsFn>(palmLibrary, "InstallAllConduits") : nullptr;
    auto uninstall = palmLibrary ? Export<ConduitsFn>(palmLibrary, "UninstallAllConduits") : nullptr;
    if (!install || !uninstall) return Failures();
    testsupport::ImportPatch sleepPatch(palmLibrary, "KERNEL32.dll", "Sleep", reinterpret_cast<void*>(&CountingSleep));
    if (!sleepPatch.applied()) {
        Fail("twpalm.dll imports no KERNEL32.dll!Sleep to count");
        return Failures();
    }
    testsupport::PalmDesktop palm;
    // The cycle starts where a fresh installation does: Palm's own Date Book
    // conduit registered, nothing of the product's.
    SetHotSync(palm, "stopped");
    uninstall(nullptr, 1);
    for (int run = 0; run < runs; ++run) {
        if (!SetHotSync(palm, scenario)) return Failures();
        palm.ClearCallLog();
        g_sleeps500 = g_sleepsOther = 0;
        const double start = NowMs();
        install(nullptr, 1);
        const double installed = NowMs();
        const bool ownRegistered = DateBookIs(palm, "twdate.dll") && palm.HasConduit("todo");
        const double uninstallStart = NowMs();
        uninstall(nullptr, 1);
        const double end = NowMs();
        if (!ownRegistered) Fail("%s: InstallAllConduits registered no conduits", scenario.c_str());
        if (!DateBookIs(palm, "Datebook3.dll") || palm.HasConduit("todo")) {
            Fail("%s: UninstallAllConduits left the registrations wrong", scenario.c_str());
        }
        const std::string prefix = "conduits." + scenario;
        Sample((prefix + ".ms").c_str(), (installed - start) + (end - uninstallStart));
        Sample((prefix + ".waits").c_str(), g_sleeps500);
        Sample((prefix + ".hs").c_str(), palm.CountCalls("HsSetAppStatus("));
        if (g_sleepsOther) Note("%s: %d other waits", scenario.c_str(), g_sleepsOther);
    }
    // Leave the product registered, as the other modes expect.
    SetHotSync(palm, "at-once");
    install(nullptr, 1);
    SetHotSync(palm, "at-once");
    return Failures();
}

}  // namespace bench
