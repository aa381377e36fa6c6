// twctl.exe, the command-line host of the libraries, run as a program of its
// own as a developer runs it: its output, its exit code and the windows it
// shows, against the product in a folder of its own and the stand-in Palm
// Desktop. A command line it cannot honour is refused before anything loads.

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/installer_messages.h"
#include "tests/integration_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/palm_desktop.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr DWORD kRefused = 1;
constexpr DWORD kNoExport = 2;
constexpr char kHint[] = " (twctl --help lists the commands)\n";

struct TwctlRun {
    bool finished = false;
    DWORD exitCode = 0;
    std::string output;                // carriage returns removed
    std::vector<std::string> windows;  // "caption: message-box text" of each window shown
};

class Twctl : public IntegrationTest {
protected:
    void SetUp() override {
        IntegrationTest::SetUp();
        for (const char* file : {"twpalm.dll", "twpalmui.dll"}) {
            ASSERT_TRUE(CopyFileTo(BinDir() + "\\" + file, productDir_)) << file;
        }
        outputDir_ = MakeScratchDir("twctl-output");
    }
    void TearDown() override {
        RemoveTree(outputDir_);
        IntegrationTest::TearDown();
    }

    // twctl.exe of the build with arguments; every window it shows is
    // recorded and answered with the next of answers, or cancelled when none
    // is left, so that a command that should show nothing fails instead of hanging.
    TwctlRun Run(const std::string& arguments, std::deque<int> answers = {}) {
        TwctlRun run;
        const std::string outputFile = outputDir_ + "\\output.txt";
        const std::string commandLine = "\"" + BinDir() + "\\twctl.exe\" " + arguments;
        ChildProcess twctl(commandLine, productDir_, outputFile);
        if (!twctl.startError().empty()) {
            ADD_FAILURE() << twctl.startError();
            return run;
        }
        std::set<HWND> answered;
        run.finished = twctl.WaitVisiting(
            [&](HWND window) {
                if (answered.count(window) || WindowText(window).empty()) return;
                answered.insert(window);
                run.windows.push_back(WindowText(window) + ": " + MessageBoxText(window));
                const int answer = answers.empty() ? IDCANCEL : answers.front();
                if (!answers.empty()) answers.pop_front();
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            },
            kRunTimeoutMs);
        EXPECT_TRUE(run.finished) << commandLine << " did not finish";
        run.exitCode = twctl.exitCode();
        for (char c : ReadTextFile(outputFile)) {
            if (c != '\r') run.output += c;
        }
        return run;
    }

    std::string DirArgument() const { return "--dir \"" + productDir_ + "\" "; }

    std::string outputDir_;
};

// The lines of a text.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// ---- Command lines refused: a message, exit code 1, nothing loaded or shown.

struct Refusal {
    const char* arguments;
    const char* message;  // after "twctl: ", before the hint
};

class TwctlRefuses : public Twctl, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TwctlRefuses, CommandLineWithAMessageAndExitCode1) {
    RegisterPalmDateBook();

    const TwctlRun run = Run(DirArgument() + GetParam().arguments);

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(kRefused, run.exitCode);
    EXPECT_EQ(std::string("twctl: ") + GetParam().message + kHint, run.output);
    EXPECT_TRUE(run.windows.empty()) << run.windows.front();
    // Nothing was called: Palm's own conduit is still registered, nothing else.
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
}

INSTANTIATE_TEST_SUITE_P(
    Words, TwctlRefuses,
    ::testing::Values(
        Refusal{"user-settings bogus Alice", "unknown conduit \"bogus\": date, todo or a number"},
        Refusal{"user-settings date", "user-settings needs a conduit (date or todo) and a Palm user name"},
        Refusal{"user-settings date Alice Bob", "too many arguments for user-settings: Bob"},
        Refusal{"verify bogus", "unknown conduit \"bogus\" for verify: date or todo"},
        Refusal{"verify", "verify needs a conduit: date or todo"},
        Refusal{"install now", "too many arguments for install: now"},
        Refusal{"frobnicate", "unknown command frobnicate"},
        Refusal{"--dir", "--dir needs a folder"}));

INSTANTIATE_TEST_SUITE_P(
    Flags, TwctlRefuses,
    ::testing::Values(Refusal{"install --silent", "unknown option --silent for install: use --quiet"},
                      Refusal{"uninstall --silent", "unknown option --silent for uninstall: use --quiet"},
                      Refusal{"verify date --silent", "unknown option --silent for verify: use --quiet"},
                      Refusal{"install --quite", "unknown option --quite for install"},
                      Refusal{"install -q", "unknown option -q for install"},
                      Refusal{"settings --quiet", "unknown option --quiet for settings"},
                      Refusal{"user-settings date Alice --quiet", "unknown option --quiet for user-settings"},
                      Refusal{"install --quiet --owner", "unknown option --owner for install"},
                      Refusal{"--verbose install", "unknown option --verbose"}));

// ---- A library that does not load, or lacks the export.

TEST_F(Twctl, LibraryThatIsMissingIsNamedWithTheWindowsErrorAndNothingElse) {
    const std::string missing = productDir_ + "\\missing";

    const TwctlRun run = Run("--dir \"" + missing + "\" install --quiet");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(kNoExport, run.exitCode);
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(1u, lines.size()) << run.output;
    EXPECT_EQ(0u, lines[0].find("twctl: cannot load " + missing + "\\twpalm.dll: error 126: ")) << lines[0];
    EXPECT_GT(lines[0].size(), std::string("twctl: cannot load " + missing + "\\twpalm.dll: error 126: ").size())
        << "no text for the error: " << lines[0];
    EXPECT_TRUE(run.windows.empty()) << run.windows.front();
}

TEST_F(Twctl, LibraryThatIsNoProgramIsNamedWithTheWindowsErrorAndNothingElse) {
    WriteTextFile(productDir_ + "\\twpalmui.dll", "not a library");

    const TwctlRun run = Run(DirArgument() + "settings");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(kNoExport, run.exitCode);
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(1u, lines.size()) << run.output;
    EXPECT_EQ(0u, lines[0].find("twctl: cannot load " + productDir_ + "\\twpalmui.dll: error 193: ")) << lines[0];
    EXPECT_TRUE(run.windows.empty()) << run.windows.front();
}

TEST_F(Twctl, LibraryWithoutTheExportSaysSo) {
    // A library that loads but is the other one.
    ASSERT_TRUE(CopyFileTo(BinDir() + "\\twpalm.dll", productDir_, "twpalmui.dll"));

    const TwctlRun run = Run(DirArgument() + "user-settings date Alice");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(kNoExport, run.exitCode);
    EXPECT_EQ("twctl: twpalmui.dll has no export DisplayUserSettings\n", run.output);
    EXPECT_TRUE(run.windows.empty()) << run.windows.front();
}

// ---- --quiet, the one flag: the export's own argument, shown as passed.

TEST_F(Twctl, InstallQuietPassesQuiet1AndShowsNothing) {
    RegisterPalmDateBook();

    const TwctlRun run = Run(DirArgument() + "install --quiet");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(2u, lines.size()) << run.output;
    EXPECT_EQ(0u, lines[0].find("calling twpalm.dll!InstallAllConduits(owner=")) << lines[0];
    EXPECT_TRUE(Contains(lines[0], ", quiet=1)")) << lines[0];
    EXPECT_EQ("InstallAllConduits returned 0", lines[1]);
    EXPECT_TRUE(run.windows.empty()) << run.windows.front();
    EXPECT_EQ(productDir_ + "\\twdate.dll", RegisteredLibrary("date"));
    EXPECT_EQ(productDir_ + "\\twtask.dll", RegisteredLibrary("todo"));
}

TEST_F(Twctl, InstallWithoutQuietPassesQuiet0AndShowsTheFailure) {
    palm_.SetHotSync(true, true);

    const TwctlRun run = Run(DirArgument() + "install");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(Contains(run.output, ", quiet=0)\n")) << run.output;
    ASSERT_EQ(1u, run.windows.size());
    EXPECT_EQ(std::string(kProductCaption) + ": " + installertest::message::kHotSyncInProgress, run.windows[0]);
}

TEST_F(Twctl, VerifyQuietPassesInteractive0AsksNothingAndChangesNothing) {
    SetInstallValue("PDPath", palmDir_);

    const TwctlRun run = Run(DirArgument() + "verify date --quiet");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(Contains(run.output, "!VerifyConduitDate(owner=")) << run.output;
    EXPECT_TRUE(Contains(run.output, ", interactive=0)\nVerifyConduitDate returned 0\n")) << run.output;
    EXPECT_TRUE(run.windows.empty()) << run.windows.front();
    EXPECT_EQ("(none)", RegisteredLibrary("date"));
}

TEST_F(Twctl, VerifyWithoutQuietPassesInteractive1AndAsks) {
    // Palm Desktop's folder as the installer records it.
    SetInstallValue("PDPath", palmDir_);

    const TwctlRun run = Run(DirArgument() + "verify todo", {IDNO});

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(Contains(run.output, "!VerifyConduitTask(owner=")) << run.output;
    EXPECT_TRUE(Contains(run.output, ", interactive=1)\nVerifyConduitTask returned 0\n")) << run.output;
    ASSERT_EQ(1u, run.windows.size());
    EXPECT_EQ(std::string(kProductCaption) + ": " + installertest::message::kTaskQuestion, run.windows[0]);
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
}

// A number is passed to DisplayUserSettings as it is; the export refuses an
// unknown kind by itself, with nothing shown.
TEST_F(Twctl, UserSettingsPassesANumberAsTheConduitKind) {
    const TwctlRun run = Run(DirArgument() + "user-settings 7 Alice");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(2u, lines.size()) << run.output;
    EXPECT_EQ(0u, lines[0].find("calling twpalmui.dll!DisplayUserSettings(7, \"Alice\", parent=")) << lines[0];
    EXPECT_EQ("DisplayUserSettings returned -1", lines[1]);
    EXPECT_TRUE(run.windows.empty()) << run.windows.front();
}

// ---- Help.

TEST_F(Twctl, HelpListsEveryCommandAndOptionWithTheirDescriptionsInOneColumn) {
    const TwctlRun run = Run("--help");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines[0].find("usage: twctl ")) << lines[0];
    for (const char* term : {"  install [--quiet] ", "  uninstall [--quiet] ", "  verify date|todo [--quiet] ",
                             "  settings ", "  user-settings date|todo NAME ", "  --quiet ", "  --dir FOLDER ",
                             "  --owner-window ", "  --help "}) {
        EXPECT_TRUE(Contains(run.output, std::string("\n") + term)) << "no line for" << term;
    }
    // Below "commands:" and "options:", every line's description (after the
    // term and two spaces or more, or the whole of a continuation line)
    // starts in one column.
    std::set<size_t> columns;
    bool inTable = false;
    for (const std::string& line : lines) {
        if (line == "commands:" || line == "options:") {
            inTable = true;
            continue;
        }
        if (line.empty()) {
            inTable = false;
            continue;
        }
        if (!inTable) continue;
        const size_t term = line.find_first_not_of(' ');
        const size_t gap = line.find("  ", term);
        const size_t description = term > 2 ? term : line.find_first_not_of(' ', gap);
        ASSERT_NE(std::string::npos, description) << "no description: " << line;
        columns.insert(description);
    }
    EXPECT_EQ(1u, columns.size()) << run.output;
    for (const std::string& line : lines) EXPECT_LE(line.size(), 92u) << line;
}

TEST_F(Twctl, NoCommandPrintsTheHelpAndExits1) {
    const TwctlRun run = Run("");

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(kRefused, run.exitCode);
    EXPECT_EQ(0u, run.output.find("usage: twctl ")) << run.output;
}

}  // namespace
