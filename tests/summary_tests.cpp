// The Settings Summary: the report file, its Windows line under each Windows
// version, the module blocks, and the dialog that the user list's system
// command 16 opens through the real twpalmui.dll, mailing through the MAPI
// stand-in.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "common/unique_handle.h"
#include "framework/application.h"
#include "report/file_version_info.h"
#include "report/file_writer.h"
#include "report/mapi_mail.h"
#include "report/report_printer.h"
#include "report/summary_dlg.h"
#include "report/summary_report.h"
#include "resources/twpalmui_ids.h"
#include "tests/foreign_fault_cases.h"
#include "tests/summary_fixture.h"
#include "tests/support/import_patch.h"
#include "tests/support/test_paths.h"
#include "tests/support/windows_versions.h"

using namespace testsupport;

namespace {

const char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

std::string NoVersionBlock(const std::string& name) { return "  " + name + ":\r\n    No version info available\r\n"; }

std::string VersionBlock(const std::string& name, const std::string& company, const std::string& product,
                         const std::string& description, const std::string& version,
                         const std::string& productVersion) {
    return "  " + name + ":\r\n" +
           "    Company:            " + company + "\r\n" +
           "    Product Name:       " + product + "\r\n" +
           "    Description:        " + description + "\r\n" +
           "    Version:            " + version + "\r\n" +
           "    Product Version:    " + productVersion + "\r\n";
}

// Wine's own libraries change with Wine: their blocks are read here, the
// plain way, rather than written down.
std::string SystemModuleBlock(const char* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(name, &ignored);
    if (size == 0) return NoVersionBlock(name);
    std::vector<BYTE> block(size);
    void* data = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(name, 0, size, block.data()) || !VerQueryValueA(block.data(), "\\", &data, &length)) {
        return NoVersionBlock(name);
    }
    const VS_FIXEDFILEINFO fixed = *static_cast<VS_FIXEDFILEINFO*>(data);
    WORD translation[2] = {};
    const bool translated = VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &data, &length) && length >= 4;
    if (translated) std::memcpy(translation, data, sizeof translation);
    auto text = [&](const char* key) -> std::string {
        char query[96];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], key);
        if (!translated || !VerQueryValueA(block.data(), query, &data, &length)) return "";
        return std::string(static_cast<const char*>(data)).substr(0, 253);
    };
    auto version = [](DWORD high, DWORD low) {
        return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low)) +
               "." + std::to_string(LOWORD(low));
    };
    return VersionBlock(name, text("CompanyName"), text("ProductName"), text("FileDescription"),
                        version(fixed.dwFileVersionMS, fixed.dwFileVersionLS),
                        version(fixed.dwProductVersionMS, fixed.dwProductVersionLS));
}

// A path as a REGEDIT4 string shows it.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// The lines of a text without their "\r\n".
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

// The text between two markers, both of which must be there.
std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    const size_t start = text.find(from);
    if (start == std::string::npos) return "<no " + from + ">";
    const size_t end = text.find(to, start + from.size());
    if (end == std::string::npos) return "<no " + to + ">";
    return text.substr(start + from.size(), end - start - from.size());
}

std::string ModulesDir() { return BinDir() + "\\summary-modules"; }

// The summary's third line in a process of its own, run as another Windows.
int PrintWindowsLine(const std::string&) {
    const std::string saved = CSummaryReport().Save();
    if (saved.empty()) return 2;
    const std::string text = ReadTextFile(saved);
    DeleteFileA(saved.c_str());
    const std::vector<std::string> lines = Lines(text);
    if (lines.size() < 3) return 3;
    std::fputs(lines[2].c_str(), stdout);
    return 0;
}
const ChildRegistration kWindowsLineChild("summary-windows-line", PrintWindowsLine);

// Puts ProductOptions "ProductType" back as it was, whatever the test did to it.
class ProductTypeGuard {
public:
    ProductTypeGuard() { saved_ = Key().ReadBytes("ProductType", &data_, &type_); }
    ~ProductTypeGuard() {
        if (saved_) {
            RegSetValueExA(Key().get(), "ProductType", 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        } else {
            RegDeleteValueA(Key().get(), "ProductType");
        }
    }
    ProductTypeGuard(const ProductTypeGuard&) = delete;
    ProductTypeGuard& operator=(const ProductTypeGuard&) = delete;

    void Set(DWORD type, const std::string& bytes) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(Key().get(), "ProductType", 0, type,
                                                reinterpret_cast<const BYTE*>(bytes.data()),
                                                static_cast<DWORD>(bytes.size())));
    }
    void Remove() { RegDeleteValueA(Key().get(), "ProductType"); }

private:
    static RegKey Key() { return RegKey::Open(HKEY_LOCAL_MACHINE, kProductOptionsKey, KEY_QUERY_VALUE | KEY_SET_VALUE); }

    bool saved_ = false;
    DWORD type_ = REG_SZ;
    std::vector<BYTE> data_;
};

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, DWORD build, const char* servicePack) {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    version.dwPlatformId = platform;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    version.dwBuildNumber = build;
    lstrcpynA(version.szCSDVersion, servicePack, sizeof version.szCSDVersion);
    return version;
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "<clipboard busy>";
    std::string text = "<no text>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* locked = static_cast<const char*>(GlobalLock(data))) text = locked;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void PutOnClipboard(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

}  // namespace

// ---------------------------------------------------------------------------
// The report file

class SummaryReportTest : public SummaryTest {};

TEST_F(SummaryReportTest, WholeFileInOrderEndingWithoutALineBreak) {
    SetProfileString("Users", "LUN", "Jane");
    const std::string path = CSummaryReport().Save();
    EXPECT_EQ(SummaryPath(), path);
    const std::string expected =
        "System Information\r\n"
        "  Operation System\r\n"
        "    Microsoft Workstation 6.1 Service Pack 1 (Build 7601)\r\n" +
        NoVersionBlock("TWPALM.EXE") +
        VersionBlock("TWPALM.DLL", "Quillon Software", "Tidewell for Palm", "Tidewell for Palm conduit registration",
                     "1.5.0.0", "1.5.0.0") +
        VersionBlock("TWPALMUI.DLL", "Quillon Software", "Tidewell for Palm", "Tidewell for Palm settings", "1.5.0.0",
                     "1.5.0.0") +
        NoVersionBlock("TWDATE.DLL") + NoVersionBlock("TWTASK.DLL") + NoVersionBlock("") +
        VersionBlock("HOTSYNC.EXE", "Palm Desktop Stand-in", "HotSync Manager (stand-in)",
                     "HotSync Manager stand-in for tests", "6.0.1.0", "6.0.1.0") +
        SystemModuleBlock("MFC42.DLL") + SystemModuleBlock("MSVCRT.DLL") + SystemModuleBlock("MSVCIRT.DLL") +
        SystemModuleBlock("MSVCP60.DLL") + SystemModuleBlock("MAPI32.DLL") +
        "\r\n"
        "REGEDIT4\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\Quillon Software\\Orvelle]\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\Quillon Software\\Orvelle\\Users]\r\n"
        "\"LUN\"=\"Jane\"\r\n"
        "REGEDIT4\r\n"
        "\r\n[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\r\n"
        "\"HotSyncPath\"=\"" +
        Escaped(palmDir_ + "\\HotSync.exe") +
        "\"\r\n"
        "\r\n"
        "Saved summary file to " +
        path;
    EXPECT_TRUE(SameText(expected, ReadTextFile(path)));
}

TEST_F(SummaryReportTest, AlmanorAndHotSyncBlocks) {
    const std::string afterOwnModules = NoVersionBlock("TWTASK.DLL");
    auto almanorAndHotSync = [&]() {
        return Between(ReadTextFile(CSummaryReport().Save()), afterOwnModules, "  MFC42.DLL:");
    };
    const std::string hotSync = VersionBlock("HOTSYNC.EXE", "Palm Desktop Stand-in", "HotSync Manager (stand-in)",
                                             "HotSync Manager stand-in for tests", "6.0.1.0", "6.0.1.0");

    // No translation table: the labels with nothing after them, both versions.
    InstallAlmanor(ModulesDir() + "\\untranslated.exe");
    EXPECT_EQ(VersionBlock("almanor.exe", "", "", "", "2.0.3.4", "2.1.0.0") + hotSync, almanorAndHotSync());

    // Strings of the first translation (German, Unicode) longer than printed: 253 characters each.
    InstallAlmanor(ModulesDir() + "\\long.exe");
    EXPECT_EQ(VersionBlock("almanor.exe", ("Long Company " + std::string(600, 'C')).substr(0, 253),
                           ("Long Product " + std::string(300, 'P')).substr(0, 253), std::string(253, 'D'),
                           "7.8.9.10", "11.12.13.14") +
                  hotSync,
              almanorAndHotSync());

    // Not installed: a colon alone heads the block.
    RemoveTree(almanorDir_);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software\\Almanor");
    EXPECT_EQ(NoVersionBlock("") + hotSync, almanorAndHotSync());

    // No "PDPath": HOTSYNC.EXE by bare name, found in the current folder or nowhere.
    SetInstallValue("PDPath", "");
    char previousFolder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previousFolder);
    SetCurrentDirectoryA(palmDir_.c_str());
    const std::string fromCurrentFolder = almanorAndHotSync();
    SetCurrentDirectoryA(productDir_.c_str());
    const std::string fromNowhere = almanorAndHotSync();
    SetCurrentDirectoryA(previousFolder);
    EXPECT_EQ(NoVersionBlock("") + hotSync, fromCurrentFolder);
    EXPECT_EQ(NoVersionBlock("") + NoVersionBlock("HOTSYNC.EXE"), fromNowhere);
}

TEST_F(SummaryReportTest, VersionStringsAreCutToTheirBuffers) {
    CFileVersionInfo info((ModulesDir() + "\\long.exe").c_str());
    ASSERT_TRUE(info.Read());
    const std::string company = "Long Company " + std::string(600, 'C');
    std::vector<char> field(CFileVersionInfo::kFieldSize + 8, '#');
    EXPECT_TRUE(info.QueryString("CompanyName", field.data(), CFileVersionInfo::kFieldSize));
    EXPECT_EQ(company.substr(0, CFileVersionInfo::kFieldSize - 1), field.data());
    EXPECT_EQ('#', field[CFileVersionInfo::kFieldSize]);
    char small[10];
    EXPECT_TRUE(info.QueryString("CompanyName", small, sizeof small));
    EXPECT_EQ("Long Comp", std::string(small));
    EXPECT_FALSE(info.QueryString("Comments", small, sizeof small));
    EXPECT_EQ("", std::string(small));

    // The getters clear the whole destination and copy size - 2 characters.
    char value[255];
    std::memset(value, '#', sizeof value);
    info.GetCompanyName(value, sizeof value);
    EXPECT_EQ(company.substr(0, 253), value);
    EXPECT_EQ('\0', value[254]);
    char tiny[2] = {'#', '#'};
    info.GetProductName(tiny, sizeof tiny);
    EXPECT_EQ('\0', tiny[0]);
    EXPECT_EQ('\0', tiny[1]);

    CFileVersionInfo untranslated((ModulesDir() + "\\untranslated.exe").c_str());
    ASSERT_TRUE(untranslated.Read());
    EXPECT_FALSE(untranslated.QueryString("CompanyName", small, sizeof small));
    WORD parts[4] = {};
    untranslated.GetProductVersion(parts);
    EXPECT_EQ(2, parts[0]);
    EXPECT_EQ(1, parts[1]);

    EXPECT_FALSE(CFileVersionInfo("").Read());
    EXPECT_FALSE(CFileVersionInfo((productDir_ + "\\twdate.dll").c_str()).Read());  // a text file
    const std::string overlong(600, 'x');
    EXPECT_FALSE(CFileVersionInfo(overlong.c_str()).Read());
}

TEST_F(SummaryReportTest, EachPrintIsCutAt1023AndTheBufferNeverOverflows) {
    std::string expected;
    std::vector<std::string> texts;
    auto piece = [](size_t length, int index) { return std::string(length, static_cast<char>('a' + index % 26)); };
    // Exactly at the flush threshold, then the longest print into the last 1024 bytes.
    texts = {piece(1023, 0), piece(1023, 1), piece(1023, 2), piece(3, 3), piece(2000, 4), piece(1, 5)};
    const size_t lengths[] = {1, 1022, 1023, 1024, 3000, 7, 500, 1023, 1023};
    for (int i = 0; i < 90; ++i) texts.push_back(piece(lengths[i % 9], i + 6));
    const std::string path = MakeScratchDir("printer") + "\\printed.txt";
    {
        const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        FileWriter writer(file.get());
        ReportPrinter out(writer);
        for (const std::string& text : texts) {
            out.Print("%s", text.c_str());
            expected += text.substr(0, 1023);
        }
        const std::string tail(1500, 'z');
        out.Print("ab%sZ", tail.c_str());
        expected += "ab" + tail.substr(0, 1021);
        out.Print("%d-%x-%X-%s", -42, 0xabc, 0xabc, "end");
        expected += "-42-abc-ABC-end";
        out.Flush();
        EXPECT_FALSE(writer.failed());
    }
    EXPECT_TRUE(SameText(expected, ReadTextFile(path)));
    RemoveTree(path.substr(0, path.rfind('\\')));
}

TEST_F(SummaryReportTest, PercentSignsInTheTemporaryFolderReachTheLastLineUnchanged) {
    const std::string folder = MakeScratchDir("100% %s %d %n %%") + "\\";
    SetEnvironment("TMP", folder);
    SetEnvironment("TEMP", folder);
    const std::string path = CSummaryReport().Save();
    EXPECT_EQ(SummaryPathIn(folder), path);
    const std::string text = ReadTextFile(path);
    const std::string ending = "\r\n\r\nSaved summary file to " + path;
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(ending, text.substr(text.size() - ending.size()));
    RemoveTree(folder.substr(0, folder.size() - 1));
}

TEST_F(SummaryReportTest, NoFileMeansAnEmptyPath) {
    const std::string missing = productDir_ + "\\no such folder\\";
    SetEnvironment("TMP", missing);
    SetEnvironment("TEMP", missing);
    EXPECT_EQ("", CSummaryReport().Save());
    EXPECT_FALSE(PathExists(SummaryPathIn(missing)));
}

TEST_F(SummaryReportTest, SecondSummaryOfTheThreadReplacesTheFirst) {
    SetProfileString("", "Marker", std::string(20000, 'm'));
    const std::string first = ReadTextFile(CSummaryReport().Save());
    ASSERT_NE(std::string::npos, first.find("\"Marker\"="));
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle");
    const std::string path = CSummaryReport().Save();
    const std::string second = ReadTextFile(path);
    EXPECT_EQ(std::string::npos, second.find("Marker"));
    EXPECT_EQ(0u, second.find("System Information\r\n"));
    EXPECT_EQ(second.size() - std::strlen("Saved summary file to ") - path.size(), second.rfind("Saved summary file to "));
    EXPECT_LT(second.size(), first.size() - 20000);
}

// ---------------------------------------------------------------------------
// The Windows line

struct WindowsLineCase {
    const char* version;  // Wine's per-program "Version"
    const char* line;
};

class SummaryWindowsLine : public ::testing::TestWithParam<WindowsLineCase> {};

TEST_P(SummaryWindowsLine, UnderEachWindowsVersion) {
    const ChildResult result = RunChildAs(GetParam().version, "summary-windows-line");
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(GetParam().line, result.output);
}

INSTANTIATE_TEST_SUITE_P(
    WineVersions, SummaryWindowsLine,
    ::testing::Values(
        WindowsLineCase{"win95", "    Microsoft Windows 95 "},
        WindowsLineCase{"win98", "    Microsoft Windows 98 SE "},
        WindowsLineCase{"winme", "    Microsoft Windows ME"},
        WindowsLineCase{"nt40", "    Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)"},
        WindowsLineCase{"win2k", "    Microsoft Windows 2000 Workstation 5.0 Service Pack 4 (Build 2195)"},
        WindowsLineCase{"winxp", "    Microsoft Windows XP Workstation 5.1 Service Pack 3 (Build 2600)"},
        WindowsLineCase{"win2003",
                        "    Microsoft Windows Server 2003 family, Workstation 5.2 Service Pack 2 (Build 3790)"},
        WindowsLineCase{"vista", "    Microsoft Workstation 6.0 Service Pack 2 (Build 6002)"},
        WindowsLineCase{"win7", "    Microsoft Workstation 6.1 Service Pack 1 (Build 7601)"}));

struct DescriptionCase {
    OSVERSIONINFOA version;
    const char* productType;
    const char* description;
};

void PrintTo(const DescriptionCase& c, std::ostream* out) {
    *out << c.version.dwPlatformId << " " << c.version.dwMajorVersion << "." << c.version.dwMinorVersion << " '"
         << c.version.szCSDVersion << "' " << (c.productType ? c.productType : "(no type)");
}

class SummaryWindowsDescription : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(SummaryWindowsDescription, DescribesEveryPlatformAndVersion) {
    EXPECT_EQ(GetParam().description, DescribeWindowsVersion(GetParam().version, GetParam().productType));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SummaryWindowsDescription,
    ::testing::Values(
        DescriptionCase{Version(1, 4, 0, 950, ""), nullptr, "Windows 95 "},
        DescriptionCase{Version(1, 4, 0, 1111, " C"), nullptr, "Windows 95 OSR2 "},
        DescriptionCase{Version(1, 4, 0, 1111, " B"), nullptr, "Windows 95 OSR2 "},
        DescriptionCase{Version(1, 4, 0, 1111, " A"), nullptr, "Windows 95 "},
        DescriptionCase{Version(1, 4, 0, 1111, "C"), nullptr, "Windows 95 "},
        DescriptionCase{Version(1, 4, 10, 2222, " A "), "WinNT", "Windows 98 SE "},
        DescriptionCase{Version(1, 4, 10, 1998, ""), nullptr, "Windows 98 "},
        DescriptionCase{Version(1, 4, 10, 1998, " B"), nullptr, "Windows 98 "},
        DescriptionCase{Version(1, 4, 90, 3000, " "), nullptr, "Windows ME"},
        DescriptionCase{Version(1, 4, 3, 0, ""), nullptr, ""},
        DescriptionCase{Version(1, 5, 0, 0, ""), nullptr, ""},
        DescriptionCase{Version(2, 3, 51, 1057, "Service Pack 5"), "WinNT",
                        "Windows NT Workstation 3.51 Service Pack 5 (Build 1057)"},
        DescriptionCase{Version(2, 4, 0, 1381, "Service Pack 6"), "LanmanNT",
                        "Windows NT Server 4.0 Service Pack 6 (Build 1381)"},
        DescriptionCase{Version(2, 5, 0, 2195, ""), "ServerNT", "Windows 2000 Advanced Server 5.0 (Build 2195)"},
        DescriptionCase{Version(2, 5, 1, 2600, "Service Pack 2"), "winnt",
                        "Windows XP Workstation 5.1 Service Pack 2 (Build 2600)"},
        DescriptionCase{Version(2, 5, 2, 3790, "Service Pack 1"), "SERVERNT",
                        "Windows Server 2003 family, Advanced Server 5.2 Service Pack 1 (Build 3790)"},
        DescriptionCase{Version(2, 5, 3, 100, ""), "WinNT", "Workstation 5.3 (Build 100)"},
        DescriptionCase{Version(2, 6, 1, 0x1DB11DB1, "Service Pack 1"), nullptr, " 6.1 Service Pack 1 (Build 7601)"},
        DescriptionCase{Version(2, 10, 0, 19045, ""), "Terminal", " 10.0 (Build 19045)"},
        DescriptionCase{Version(0, 3, 10, 0, ""), "WinNT", "????"},
        DescriptionCase{Version(3, 5, 0, 0, ""), nullptr, "????"}));

TEST(SummaryWindowsDescriptionText, ServicePackTextWithoutTerminator) {
    // A service-pack text that fills its array without a terminator.
    OSVERSIONINFOA unterminated = Version(2, 6, 0, 6002, "");
    std::memset(unterminated.szCSDVersion, 'x', sizeof unterminated.szCSDVersion);
    EXPECT_EQ(" 6.0 " + std::string(sizeof unterminated.szCSDVersion, 'x') + " (Build 6002)",
              DescribeWindowsVersion(unterminated, nullptr));
}

// The edition on the Windows line for each ProductOptions "ProductType" as stored.
struct ProductTypeCase {
    bool stored;  // false: no value at all
    DWORD type;
    std::string bytes;
    const char* edition;
};

void PrintTo(const ProductTypeCase& c, std::ostream* out) {
    *out << (c.stored ? "" : "none, ") << c.type << ", " << c.bytes.size() << " bytes";
}

class SummaryEdition : public SummaryTest, public ::testing::WithParamInterface<ProductTypeCase> {};

TEST_P(SummaryEdition, EditionComesFromTheProductTypeValue) {
    ProductTypeGuard productType;
    const ProductTypeCase& c = GetParam();
    if (c.stored) {
        productType.Set(c.type, c.bytes);
    } else {
        productType.Remove();
    }
    EXPECT_EQ(std::string("    Microsoft ") + c.edition + " 6.1 Service Pack 1 (Build 7601)",
              Lines(ReadTextFile(CSummaryReport().Save()))[2]);
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, SummaryEdition,
    ::testing::Values(ProductTypeCase{true, REG_SZ, std::string("WinNT", 6), "Workstation"},
                      ProductTypeCase{true, REG_SZ, std::string("LanmanNT", 9), "Server"},
                      ProductTypeCase{true, REG_SZ, std::string("ServerNT", 9), "Advanced Server"},
                      ProductTypeCase{true, REG_SZ, std::string("servernt", 9), "Advanced Server"},
                      // Stored without its terminator.
                      ProductTypeCase{true, REG_SZ, std::string("WinNT"), "Workstation"},
                      // 79 bytes fit; 80 are too long.
                      ProductTypeCase{true, REG_BINARY, "WinNT" + std::string(74, '\0'), "Workstation"},
                      ProductTypeCase{true, REG_BINARY, "WinNT" + std::string(75, '\0'), ""},
                      ProductTypeCase{true, REG_SZ, std::string(200, 'W') + '\0', ""},
                      ProductTypeCase{true, REG_SZ, std::string("Personal", 9), ""},
                      ProductTypeCase{false, REG_NONE, "", ""}));

// ---------------------------------------------------------------------------
// The summary dialog, opened from the user list's system menu

class SummaryDialogTest : public SummaryTest {
protected:
    // What the not-sent message says for a summary file, before any cut.
    static std::string NotSentMessage(const std::string& path) {
        return "The summary was not sent. Please send the file\r\n\r\n'" + path + "'\r\n\r\nto " + kSupport + ".";
    }

    // A product key far beyond an edit box's default limit.
    void FillProductKey() {
        RegKey key = RegKey::Create(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Bulk");
        for (int i = 0; i < 120; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "Value%03d", i);
            key.WriteString(name, std::string(400, static_cast<char>('a' + i % 26)));
        }
    }

    // Send Report clicked (by click, when given, which must click it),
    // expecting the not-sent message owned by the dialog, which then closes.
    void SendExpectingNotSent(const std::function<void(HWND)>& click = {}) {
        boxes_.Answer(IDOK);
        HWND summary = nullptr;
        RunSummary({[&](HWND dialog) {
            summary = dialog;
            if (click) {
                click(dialog);
            } else {
                Click(dialog, IDOK);
            }
        }});
        ASSERT_EQ(1u, boxes_.seen().size());
        const SeenMessageBox& box = boxes_.seen().back();
        EXPECT_EQ(NotSentMessage(SummaryPath()), box.text);
        EXPECT_EQ("Tidewell for Palm", box.caption);
        EXPECT_EQ(0x50010u, box.flags);  // MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST
        EXPECT_EQ(summary, box.owner);
        EXPECT_FALSE(IsWindow(summary));
    }
};

TEST_F(SummaryDialogTest, LayoutOfTheDialog) {
    RunSummary({[&](HWND summary) {
        EXPECT_EQ(userList_, GetWindow(summary, GW_OWNER));
        const LONG style = GetWindowLongA(summary, GWL_STYLE);
        const LONG frame = static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
        EXPECT_EQ(frame, style & frame);
        const struct {
            int id;
            const char* text;
            RECT units;
        } controls[] = {
            {IDOK, "&Send Report...", {214, 202, 68, 14}},
            {IDC_SUMMARY_TEXT, nullptr, {7, 7, 349, 188}},
            {IDC_SUMMARY_COPY, "Copy to Clipboard", {7, 201, 80, 14}},
            {IDCANCEL, "&Close", {288, 202, 68, 14}},
        };
        HWND child = GetWindow(summary, GW_CHILD);
        for (const auto& control : controls) {
            ASSERT_TRUE(child != nullptr);
            EXPECT_EQ(control.id, GetDlgCtrlID(child));
            if (control.text) {
                EXPECT_EQ(control.text, WindowText(child));
            }
            // Position and size are converted from dialog units each by itself.
            RECT expected = control.units;
            MapDialogRect(summary, &expected);
            RECT actual = {};
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, summary, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(expected.left, actual.left) << control.id;
            EXPECT_EQ(expected.top, actual.top) << control.id;
            EXPECT_EQ(expected.right, actual.right - actual.left) << control.id;
            EXPECT_EQ(expected.bottom, actual.bottom - actual.top) << control.id;
            EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) << control.id;
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(nullptr, child);
        EXPECT_EQ(static_cast<LONG>(BS_PUSHBUTTON), GetWindowLongA(GetDlgItem(summary, IDOK), GWL_STYLE) & 0x0F);
        HWND text = GetDlgItem(summary, IDC_SUMMARY_TEXT);
        const LONG textStyle = GetWindowLongA(text, GWL_STYLE);
        const LONG wanted = ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL;
        EXPECT_EQ(wanted, textStyle & wanted);
        // An edit box turns its border into a sunken edge.
        EXPECT_TRUE((textStyle & WS_BORDER) || (GetWindowLongA(text, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        // The focus starts on the first tab stop.
        EXPECT_EQ(GetDlgItem(summary, IDOK), GetFocus());
        Click(summary, IDCANCEL);
    }});
}

TEST_F(SummaryDialogTest, ShowsTheWholeReportInCourierNewAndCopiesIt) {
    FillProductKey();
    PutOnClipboard("something else");
    std::string shown;
    LOGFONTA textFont = {}, dialogFont = {};
    std::string copied;
    DWORD selectionStart = 1, selectionEnd = 0;
    DWORD limit = 0;
    RunSummary({[&](HWND summary) {
                    HWND text = GetDlgItem(summary, IDC_SUMMARY_TEXT);
                    std::string whole(static_cast<size_t>(GetWindowTextLengthA(text)) + 1, '\0');
                    GetWindowTextA(text, &whole[0], static_cast<int>(whole.size()));
                    whole.resize(whole.size() - 1);
                    shown = whole;
                    textFont = FontOf(text);
                    // Wine sets a text beyond the limit anyway: check the limit itself.
                    limit = static_cast<DWORD>(SendMessageA(text, EM_GETLIMITTEXT, 0, 0));
                    dialogFont = FontOf(summary);
                    Click(summary, IDC_SUMMARY_COPY);
                },
                [&](HWND summary) {
                    copied = ClipboardText();
                    SendDlgItemMessageA(summary, IDC_SUMMARY_TEXT, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                                        reinterpret_cast<LPARAM>(&selectionEnd));
                    Click(summary, IDCANCEL);
                }});
    const std::string file = ReadTextFile(SummaryPath());
    EXPECT_GT(file.size(), 50000u);
    EXPECT_TRUE(SameText(file, shown));
    EXPECT_TRUE(SameText(file, copied));
    EXPECT_EQ(0u, selectionStart);
    EXPECT_EQ(file.size(), selectionEnd);
    EXPECT_EQ(0x0FFFFFFFu, limit);
    EXPECT_STREQ("Courier New", textFont.lfFaceName);
    EXPECT_EQ(dialogFont.lfHeight, textFont.lfHeight);
    EXPECT_EQ(dialogFont.lfWeight, textFont.lfWeight);
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(SummaryDialogTest, SendReportMailsTheTextToSupportAndCloses) {
    FillProductKey();
    UseMapiStandIn();
    HWND summary = nullptr;
    RunSummary({[&](HWND dialog) {
        summary = dialog;
        Click(dialog, IDOK);
    }});
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_FALSE(IsWindow(summary));
    ASSERT_EQ(1u, MapiCalls());
    EXPECT_EQ(0u, MailQword("Session"));
    EXPECT_EQ(reinterpret_cast<ULONGLONG>(summary), MailQword("UIParam"));
    EXPECT_EQ(9u, MailDword("Flags"));
    EXPECT_EQ(0u, MailDword("Reserved"));
    EXPECT_EQ("Tidewell for Palm - Settings Summary", MailText("Subject"));
    EXPECT_TRUE(SameText(ReadTextFile(SummaryPath()), MailText("NoteText")));
    EXPECT_EQ(1u, MailDword("RecipCount"));
    EXPECT_EQ(1u, MailDword("Recip0Class"));
    EXPECT_EQ(kSupport, MailText("Recip0Name"));
    EXPECT_EQ(kSupport, MailText("Recip0Address"));
    EXPECT_EQ(0u, MailDword("FileCount"));
    EXPECT_EQ(1u, MailDword("FilesMissing"));
    // During the call the dialog is the mail client's disabled owner. Disabling
    // it cancels its mouse capture, so the client's own window gets the mouse.
    EXPECT_EQ(0u, MailDword("OwnerEnabled"));
    EXPECT_EQ(0u, MailDword("OwnerHasCapture"));
    EXPECT_EQ(1u, MailDword("FocusIsNone"));
}

TEST_F(SummaryDialogTest, EnterSendsFromTheButtonAndFromTheText) {
    UseMapiStandIn();
    RunSummary({[&](HWND dialog) { PressKey(dialog, VK_RETURN); }});
    EXPECT_EQ(1u, MapiCalls());
    RunSummary({[&](HWND dialog) { SetFocus(GetDlgItem(dialog, IDC_SUMMARY_TEXT)); },
                [&](HWND dialog) { PressKey(dialog, VK_RETURN); }});
    EXPECT_EQ(2u, MapiCalls());
    EXPECT_TRUE(boxes_.seen().empty());
}

// A mail that does not go: what MAPI32.DLL is found, and what it answers.
struct NotSentCase {
    const char* what;
    const char* standIn;  // a stand-in variant, or null for no MAPI32.DLL at all
    DWORD result;         // what its MAPISendMail returns
    DWORD expectedCalls;
};

void PrintTo(const NotSentCase& c, std::ostream* out) { *out << c.what; }

class SummaryNotSent : public SummaryDialogTest, public ::testing::WithParamInterface<NotSentCase> {};

TEST_P(SummaryNotSent, FailedSendShowsWhereTheFileIsThenCloses) {
    const NotSentCase& c = GetParam();
    if (c.standIn) {
        UseMapiStandIn(c.standIn);
        SetMapiResult(c.result);
    } else {
        MakeMapiMissing();
    }
    SendExpectingNotSent();
    EXPECT_EQ(c.expectedCalls, MapiCalls());
}

INSTANTIATE_TEST_SUITE_P(
    MailFailures, SummaryNotSent,
    ::testing::Values(NotSentCase{"the user cancelled the mail client's window", "mapi", 1, 1},  // MAPI_USER_ABORT
                      NotSentCase{"MAPI_E_FAILURE", "mapi", 2, 1},
                      NotSentCase{"no MAPISendMail", "mapi-without-MAPISendMail", 0, 0},
                      NotSentCase{"no MAPI32.DLL", nullptr, 0, 0}));

// MAPISendMail faults inside the mail provider, in a frame of the provider's
// own, once it has taken the mail: not sent, and the provider's frame was
// unwound, as its own cleanup needs.
class SummaryFaultingProvider : public SummaryDialogTest, public ::testing::WithParamInterface<ForeignFaultCase> {};

TEST_P(SummaryFaultingProvider, FailedSendShowsWhereTheFileIsAfterTheProviderUnwound) {
    UseMapiStandIn();
    SetMapiFault(GetParam().fault);
    SendExpectingNotSent();
    EXPECT_EQ(1u, MapiCalls());
    EXPECT_EQ(1u, MapiCount("Searched"));
    EXPECT_EQ(1u, MapiCount("Unwound"));
}

INSTANTIATE_TEST_SUITE_P(ForeignFaults, SummaryFaultingProvider, ForeignFaultCases());

// Send Report when twpalmui cannot allocate: not even the first allocation
// of the click, or not the copies of the report. The mail does not go and
// the user is told where the file is, as for any failed send.
struct NoMemoryCase {
    const char* what;
    bool everything;  // else only requests as large as the report's text
};

void PrintTo(const NoMemoryCase& c, std::ostream* out) { *out << c.what; }

class SummaryWithoutMemory : public SummaryDialogTest, public ::testing::WithParamInterface<NoMemoryCase> {};

TEST_P(SummaryWithoutMemory, SendShowsWhereTheFileIsThenCloses) {
    UseMapiStandIn();
    int refused = 0;
    SendExpectingNotSent([&](HWND dialog) {
        const int length = GetWindowTextLengthA(GetDlgItem(dialog, IDC_SUMMARY_TEXT));
        ASSERT_LT(0, length);
        AllocationRefusal refusal(twpalmui_.get(), GetParam().everything ? 0 : static_cast<size_t>(length));
        ASSERT_TRUE(refusal.applied());
        // Sent, not posted as Click does: the whole of Send Report runs
        // while the refusal lasts.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        refused = AllocationRefusal::Refused();
    });
    EXPECT_LT(0, refused);
    EXPECT_EQ(0u, MapiCalls());
}

INSTANTIATE_TEST_SUITE_P(AllocationsRefused, SummaryWithoutMemory,
                         ::testing::Values(NoMemoryCase{"every allocation", true},
                                           NoMemoryCase{"the report's copies", false}));

TEST_F(SummaryDialogTest, CloseEscAndTheCloseBoxEachCloseWithoutSending) {
    UseMapiStandIn();
    RunSummary({[&](HWND dialog) { Click(dialog, IDCANCEL); }});
    RunSummary({[&](HWND dialog) { PressKey(dialog, VK_ESCAPE); }});
    RunSummary({[&](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }});
    EXPECT_EQ(0u, MapiCalls());
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(SummaryDialogTest, OnlyCommand16OpensTheSummary) {
    // The low four bits do not count.
    bool opened = false;
    RunSummary({[&](HWND dialog) {
                   opened = true;
                   Click(dialog, IDCANCEL);
               }},
               16 | 0x7);
    EXPECT_TRUE(opened);
    // Other system commands keep their default: SC_CLOSE closes the user list.
    DeleteFileA(SummaryPath().c_str());
    dialogs_.On(kUserListCaption, [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_FALSE(PathExists(SummaryPath()));
}

TEST_F(SummaryDialogTest, NoFileNoDialog) {
    const std::string missing = productDir_ + "\\no such folder\\";
    SetEnvironment("TMP", missing);
    SetEnvironment("TEMP", missing);
    // Had a summary opened, the user list would stay disabled and the last step time out.
    RunSummary({});
    EXPECT_TRUE(boxes_.seen().empty());
}

namespace {

thread_local HANDLE t_summaryLock = INVALID_HANDLE_VALUE;
thread_local std::string t_summaryPath;

// Locks the summary file as the dialog is being created, before it reads it.
LRESULT CALLBACK LockSummaryOnCreate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_summaryLock == INVALID_HANDLE_VALUE) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (create->lpszName && !IS_INTRESOURCE(create->lpszName) &&
            std::strcmp(create->lpszName, "Tidewell for Palm - Settings Summary") == 0) {
            t_summaryLock = CreateFileA(t_summaryPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(SummaryDialogTest, UnreadableFileShowsWhereItIsAndMailsThat) {
    UseMapiStandIn();
    t_summaryPath = SummaryPath();
    HHOOK hook = SetWindowsHookExA(WH_CBT, LockSummaryOnCreate, nullptr, GetCurrentThreadId());
    std::string shown;
    RunSummary({[&](HWND dialog) {
        shown = ControlText(dialog, IDC_SUMMARY_TEXT);
        Click(dialog, IDOK);
    }});
    UnhookWindowsHookEx(hook);
    const bool locked = t_summaryLock != INVALID_HANDLE_VALUE;
    if (locked) CloseHandle(t_summaryLock);
    t_summaryLock = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(locked);
    const std::string sentence = "You can find the report at " + SummaryPath();
    EXPECT_EQ(sentence, shown);
    EXPECT_EQ(sentence, MailText("NoteText"));
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(SummaryDialogTest, NotSentMessageIsCutAt518Characters) {
    // The dialog on its own, with a path no summary file could have.
    Application application(twpalmui_.get(), "Quillon Software", "Orvelle");
    boxes_.Watch(GetModuleHandleA(nullptr));
    MakeMapiMissing();
    const std::string path = "C:\\" + std::string(600, 'p') + ".txt";
    std::string shown;
    dialogs_.On(kSummaryCaption, [&](HWND dialog) {
        shown = ControlText(dialog, IDC_SUMMARY_TEXT);
        Click(dialog, IDOK);
    });
    boxes_.Answer(IDOK);
    CSummaryDlg dialog(path.c_str(), nullptr);
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ("You can find the report at " + path, shown);
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(NotSentMessage(path).substr(0, 518), boxes_.seen()[0].text);
    EXPECT_EQ(0x50010u, boxes_.seen()[0].flags);
}

class SummaryMailTest : public SummaryTest {};

TEST_F(SummaryMailTest, HeaderTextsAreCutAt517AndEmptyOnesLeftOut) {
    UseMapiStandIn();
    const std::string address = "a" + std::string(600, 'd') + "@example.com";
    const std::string name = "n" + std::string(600, 'n');
    const std::string subject = "s" + std::string(600, 's');
    const std::string body = std::string(70000, 'b') + "\r\nend";
    EXPECT_TRUE(SendMailMessage(nullptr, address.c_str(), name.c_str(), subject.c_str(), body.c_str()));
    EXPECT_EQ(address.substr(0, 517), MailText("Recip0Address"));
    EXPECT_EQ(name.substr(0, 517), MailText("Recip0Name"));
    EXPECT_EQ(subject.substr(0, 517), MailText("Subject"));
    EXPECT_EQ(body, MailText("NoteText"));
    EXPECT_EQ(0u, MailQword("UIParam"));

    // Empty or missing texts reach MAPI as null pointers.
    EXPECT_TRUE(SendMailMessage(nullptr, "x@example.com", "", nullptr, ""));
    EXPECT_EQ("x@example.com", MailText("Recip0Address"));
    EXPECT_EQ("<missing>", MailText("Recip0Name"));
    EXPECT_EQ("<missing>", MailText("Subject"));
    EXPECT_EQ("<missing>", MailText("NoteText"));
    EXPECT_EQ(2u, MapiCalls());

    // No address, no mail.
    EXPECT_FALSE(SendMailMessage(nullptr, "", "name", "subject", "body"));
    EXPECT_FALSE(SendMailMessage(nullptr, nullptr, "name", "subject", "body"));
    EXPECT_EQ(2u, MapiCalls());
}
