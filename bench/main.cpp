// twbench: measures the product's libraries under Wine. It loads them from its
// own folder, the way the product's callers do, and runs one mode per process:
//
//   setup                     20 Palm users in the stand-in, "User 1"'s data file
//   load RUNS [host [DLL...]] LoadLibrary + FreeLibrary of twpalmui.dll and of an empty DLL
//   first ui|empty            the first load of a process
//   userlist RUNS             DisplaySettings until the list is up and filled, then closed; in
//                             turn with an empty dialog of its size, its controls without
//                             code, and the list over an in-memory User Manager
//   usersettings RUNS         DisplayUserSettings until the settings dialog is up, then OK; in
//                             turn with an empty dialog and its controls without code
//   summary LABEL RUNS [profile]
//                             the Settings Summary from the user list, vs. "reg export";
//                             "profile" times the file writes, registry reads and text box
//   bulk add|remove           10,000 values over 100 subkeys in the product's key
//   conduits SCENARIO RUNS    InstallAllConduits + UninstallAllConduits (stopped,
//                             at-once, after-one: how the HotSync Manager behaves)
//   peak userlist|controls|empty|ui-loaded|host-dlls
//                             the first dialog of a process: its time and the peak working set
//
// Output, one line each: "S <figure> <value>" a sample, "N <text>" a note,
// "E <text>" a failure. scripts/bench.sh collects the samples of all its
// processes and prints the table. The exit code is the number of failures.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "bench/modal_run.h"
#include "bench/modes.h"
#include "bench/output.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: twbench setup | load RUNS [host [DLL...]] | first ui|empty | userlist RUNS |\n"
                 "               usersettings RUNS | summary LABEL RUNS [profile] | bulk add|remove |\n"
                 "               conduits SCENARIO RUNS | peak userlist|controls|empty|ui-loaded|host-dlls\n");
    return 2;
}

int RunMode(int argc, char** argv) {
    using namespace bench;
    const std::string mode = argv[1];
    auto number = [&](int index, int fallback) { return argc > index ? std::atoi(argv[index]) : fallback; };
    auto word = [&](int index) { return std::string(argc > index ? argv[index] : ""); };
    if (mode == "setup") return SetupMode();
    if (mode == "load") {
        const std::vector<std::string> held(argv + std::min(argc, 4), argv + argc);
        return LoadMode(number(2, 100), word(3) == "host", held);
    }
    if (mode == "first") return FirstLoadMode(word(2));
    if (mode == "userlist") return UserListMode(number(2, 10));
    if (mode == "usersettings") return UserSettingsMode(number(2, 5));
    if (mode == "summary") return SummaryMode(word(2).empty() ? "demo" : word(2), number(3, 3), word(4) == "profile");
    if (mode == "bulk") return BulkMode(word(2) != "remove");
    if (mode == "conduits") return ConduitsMode(word(2), number(3, 3));
    if (mode == "peak") return PeakMode(word(2));
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    bench::WatchActivations();
    try {
        return RunMode(argc, argv);
    } catch (const std::exception& error) {
        bench::Fail("stopped: %s", error.what());
    } catch (...) {
        bench::Fail("stopped by an exception");
    }
    return bench::Failures();
}
