// The REGEDIT4 export: real keys in the test prefix's registry, real files,
// every byte of the output compared.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "common/unique_handle.h"
#include "report/file_writer.h"
#include "report/registry_export.h"
#include "tests/report_same_text.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

const char kScratchParent[] = "Software\\Tidewell Export Test";

// The running case's name, usable in a key or file name: a parameterised
// case's "/" would otherwise open a level of its own.
std::string CurrentTestName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name) {
        if (c == '/') c = '-';
    }
    return name;
}

// A registry key of this test, deleted with its tree before and after.
class ScratchKey {
public:
    ScratchKey(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
        DeleteKeyTree(root_, path_.c_str());
    }
    ~ScratchKey() { DeleteKeyTree(root_, path_.c_str()); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::string& path() const { return path_; }
    // The key itself or one below it, created with full access.
    RegKey Create(const std::string& below = "") const {
        const std::string path = below.empty() ? path_ : path_ + "\\" + below;
        RegKey key = RegKey::Create(root_, path.c_str(), KEY_ALL_ACCESS);
        EXPECT_TRUE(key) << path;
        return key;
    }

private:
    HKEY root_;
    std::string path_;
};

// A thread from CreateThread: null when empty.
struct ThreadHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using ThreadHandle = UniqueHandle<ThreadHandleTraits>;

void SetValue(const RegKey& key, const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size)) << name;
}

// Text with its terminating zero, as programs store it.
void SetText(const RegKey& key, const char* name, const std::string& text, DWORD type = REG_SZ) {
    SetValue(key, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void SetDword(const RegKey& key, const char* name, DWORD value) { SetValue(key, name, REG_DWORD, &value, sizeof value); }

std::vector<BYTE> Counting(size_t count) {
    std::vector<BYTE> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<BYTE>(i);
    return bytes;
}

class RegistryExport : public ::testing::Test {
protected:
    RegistryExport()
        : key_(HKEY_CURRENT_USER, std::string(kScratchParent) + "\\" + CurrentTestName()),
          dir_(MakeScratchDir("export-" + CurrentTestName())),
          outPath_(dir_ + "\\export.reg") {}
    ~RegistryExport() override {
        DeleteKeyTree(HKEY_CURRENT_USER, key_.path().c_str());  // before its parent, not after this body
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);        // fails while another test has its key there
        RemoveTree(dir_);
    }

    FileHandle CreateOutput() const {
        FileHandle file(CreateFileA(outPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(file);
        return file;
    }

    // Exports root\path into a fresh file and returns the file's bytes.
    std::string Export(HKEY root, const char* path, ExportResult* result) const {
        FileHandle file = CreateOutput();
        FileWriter out(file.get());
        *result = ExportRegistryKey(root, path, out);
        file.Reset();
        return ReadTextFile(outPath_);
    }

    // The export of this test's key, which must succeed.
    std::string ExportTestKey() const {
        ExportResult result = ExportResult::kIncomplete;
        const std::string text = Export(HKEY_CURRENT_USER, key_.path().c_str(), &result);
        EXPECT_EQ(ExportResult::kComplete, result);
        return text;
    }

    // The section header of this test's key or of a key below it.
    std::string Section(const std::string& below = "") const {
        return "\r\n[HKEY_CURRENT_USER\\" + key_.path() + (below.empty() ? "" : "\\" + below) + "]\r\n";
    }
    std::string Start() const { return "REGEDIT4\r\n" + Section(); }

    ScratchKey key_;
    std::string dir_;
    std::string outPath_;
};

// Denies every access to a key until destroyed; the handle kept from before
// restores it, so the tree can be deleted.
class KeyLock {
public:
    explicit KeyLock(RegKey key) : key_(std::move(key)) {
        InitializeAcl(reinterpret_cast<ACL*>(aclBuffer_), sizeof aclBuffer_, ACL_REVISION);
        EXPECT_EQ(ERROR_SUCCESS, SetDacl(reinterpret_cast<ACL*>(aclBuffer_)));
    }
    ~KeyLock() { SetDacl(nullptr); }

private:
    LONG SetDacl(ACL* acl) {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        return RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, &descriptor);
    }

    RegKey key_;
    alignas(DWORD) BYTE aclBuffer_[64] = {};
};

struct PipeReader {
    HANDLE pipe;
    std::string received;
};

// Takes the first ten bytes ("REGEDIT4\r\n") and hangs up: every later write fails.
DWORD WINAPI ReadHeaderAndHangUp(void* param) {
    PipeReader* reader = static_cast<PipeReader*>(param);
    char bytes[10];
    DWORD total = 0;
    while (total < sizeof bytes) {
        DWORD got = 0;
        if (!ReadFile(reader->pipe, bytes + total, sizeof bytes - total, &got, nullptr) || got == 0) break;
        total += got;
    }
    reader->received.assign(bytes, total);
    CloseHandle(reader->pipe);
    return 0;
}

}  // namespace

TEST_F(RegistryExport, KeyWithoutValuesOrSubkeysIsItsHeaderAlone) {
    key_.Create();
    EXPECT_EQ("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tidewell Export Test\\"
              "KeyWithoutValuesOrSubkeysIsItsHeaderAlone]\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, StringNumberAndBinaryLines) {
    const RegKey key = key_.Create();
    SetText(key, "A Text", "Palm Desktop");
    SetDword(key, "B Number", 30);
    std::vector<BYTE> blob = Counting(17);
    blob.push_back(0xFF);
    SetValue(key, "C Blob", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
    EXPECT_EQ(Start() +
                  "\"A Text\"=\"Palm Desktop\"\r\n"
                  "\"B Number\"=dword:0000001e\r\n"
                  "\"C Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10\r\n"
                  ",ff\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, StringValuesAreEscaped) {
    const RegKey key = key_.Create();
    SetText(key, "A Empty", "");
    SetValue(key, "B No bytes", REG_SZ, "", 0);
    SetText(key, "C Marks", "C:\\Palm \"Desk\"\tone\ntwo caf\xE9");
    SetValue(key, "D Inner zero", REG_SZ, "a\0b", 4);
    // Stored without its terminator: no character of it may be lost.
    SetValue(key, "E Unterminated", REG_SZ, "abc", 3);
    EXPECT_EQ(Start() +
                  "\"A Empty\"=\"\"\r\n"
                  "\"B No bytes\"=\"\"\r\n"
                  "\"C Marks\"=\"C:\\\\Palm \\\"Desk\\\"\\09one\\0atwo caf\\e9\"\r\n"
                  "\"D Inner zero\"=\"a\\00b\"\r\n"
                  "\"E Unterminated\"=\"abc\"\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, OnlyBytesFromSpaceToTildeAreWrittenAsThemselves) {
    FileHandle file = CreateOutput();
    FileWriter out(file.get());
    const BYTE text[] = {0x01, 0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x80, 0xA0, 0xE9, 0xFF, '\\', '"', 0};
    EXPECT_TRUE(WriteRegValue(out, "High", REG_SZ, text, sizeof text));
    const BYTE single[] = {'x'};
    EXPECT_TRUE(WriteRegValue(out, "Single", REG_SZ, single, 1));
    EXPECT_TRUE(WriteRegValue(out, "Terminator", REG_SZ, text + sizeof text - 1, 1));
    EXPECT_TRUE(WriteRegValue(out, "None", REG_EXPAND_SZ, nullptr, 0));
    file.Reset();
    EXPECT_EQ("\"High\"=\"\\01\\1f A~\\7f\\80\\a0\\e9\\ff\\\\\\\"\"\r\n"
              "\"Single\"=\"x\"\r\n"
              "\"Terminator\"=\"\"\r\n"
              "\"None\"=\"\"\r\n",
              ReadTextFile(outPath_));
}

TEST_F(RegistryExport, DwordBytesAreWrittenLastToFirstWhateverTheirNumber) {
    const RegKey key = key_.Create();
    SetDword(key, "A", 0x12AB);
    const BYTE two[] = {0xAB, 0x12};
    SetValue(key, "B Two bytes", REG_DWORD, two, sizeof two);
    SetValue(key, "C No bytes", REG_DWORD, two, 0);
    const std::vector<BYTE> many = Counting(33);
    SetValue(key, "D Many bytes", REG_DWORD, many.data(), static_cast<DWORD>(many.size()));
    EXPECT_EQ(Start() +
                  "\"A\"=dword:000012ab\r\n"
                  "\"B Two bytes\"=dword:12ab\r\n"
                  "\"C No bytes\"=dword:\r\n"
                  "\"D Many bytes\"=dword:201f1e1d1c1b1a191817161514131211100f0e0d0c0b0a09080706050403020100\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, BinaryLinesHoldSeventeenThenSixteenPairs) {
    const RegKey key = key_.Create();
    const std::vector<BYTE> bytes = Counting(34);
    SetValue(key, "A 16", REG_BINARY, bytes.data(), 16);
    SetValue(key, "B 17", REG_BINARY, bytes.data(), 17);
    SetValue(key, "C 33", REG_BINARY, bytes.data(), 33);
    SetValue(key, "D 34", REG_BINARY, bytes.data(), 34);
    SetValue(key, "E 0", REG_BINARY, bytes.data(), 0);
    // A line break after indexes 16, 32, ...; the closing one then leaves an empty line.
    EXPECT_EQ(Start() +
                  "\"A 16\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f\r\n"
                  "\"B 17\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10\r\n"
                  "\r\n"
                  "\"C 33\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10\r\n"
                  ",11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
                  "\r\n"
                  "\"D 34\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10\r\n"
                  ",11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
                  ",21\r\n"
                  "\"E 0\"=hex:\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, OtherTypesCarryTheirTypeCode) {
    const RegKey key = key_.Create();
    // Expandable text keeps the string form, so a REGEDIT4 reader gets the text back.
    SetText(key, "A Expand", "%SystemRoot%\\Palm", REG_EXPAND_SZ);
    SetValue(key, "B Multi", REG_MULTI_SZ, "ab\0c\0", 6);
    const unsigned long long big = 0x0102030405060708ULL;
    SetValue(key, "C Qword", REG_QWORD, &big, sizeof big);
    SetValue(key, "D None", REG_NONE, "\x7f", 1);
    SetValue(key, "E Odd type", 0x1234ABCD, "", 0);
    EXPECT_EQ(Start() +
                  "\"A Expand\"=\"%SystemRoot%\\\\Palm\"\r\n"
                  "\"B Multi\"=hex(7):61,62,00,63,00,00\r\n"
                  "\"C Qword\"=hex(b):08,07,06,05,04,03,02,01\r\n"
                  "\"D None\"=hex(0):7f\r\n"
                  "\"E Odd type\"=hex(1234abcd):\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, DefaultValueHasAnEmptyNameAndNamesAreNotEscaped) {
    const RegKey key = key_.Create();
    SetText(key, "", "standard");
    SetDword(key, "Dir\\Sub", 1);
    EXPECT_EQ(Start() +
                  "\"\"=\"standard\"\r\n"
                  "\"Dir\\Sub\"=dword:00000001\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, SubkeysFollowValuesDepthFirst) {
    SetDword(key_.Create(), "v", 1);
    SetDword(key_.Create("A"), "v", 2);
    SetDword(key_.Create("A\\A1"), "v", 3);
    key_.Create("A\\A2");
    SetDword(key_.Create("B"), "v", 4);
    EXPECT_EQ(Start() + "\"v\"=dword:00000001\r\n" +
                  Section("A") + "\"v\"=dword:00000002\r\n" +
                  Section("A\\A1") + "\"v\"=dword:00000003\r\n" +
                  Section("A\\A2") +
                  Section("B") + "\"v\"=dword:00000004\r\n",
              ExportTestKey());
}

TEST_F(RegistryExport, UnopenableSubkeyEndsTheWalkAtEveryLevel) {
    SetDword(key_.Create(), "v", 1);
    key_.Create("A");
    SetDword(key_.Create("A\\A1"), "v", 2);
    SetDword(key_.Create("A\\A2 locked"), "v", 3);
    key_.Create("A\\A3");
    key_.Create("B");
    {
        KeyLock lock(key_.Create("A\\A2 locked"));
        ExportResult result = ExportResult::kComplete;
        EXPECT_EQ(Start() + "\"v\"=dword:00000001\r\n" + Section("A") + Section("A\\A1") + "\"v\"=dword:00000002\r\n",
                  Export(HKEY_CURRENT_USER, key_.path().c_str(), &result));
        EXPECT_EQ(ExportResult::kIncomplete, result);
    }
    // Unlocked again, the whole tree comes out.
    EXPECT_EQ(Start() + "\"v\"=dword:00000001\r\n" + Section("A") + Section("A\\A1") + "\"v\"=dword:00000002\r\n" +
                  Section("A\\A2 locked") + "\"v\"=dword:00000003\r\n" + Section("A\\A3") + Section("B"),
              ExportTestKey());
}

TEST_F(RegistryExport, MissingKeyLeavesOnlyItsRegedit4Line) {
    FileHandle file = CreateOutput();
    FileWriter out(file.get());
    EXPECT_EQ(ExportResult::kIncomplete, ExportRegistryKey(HKEY_CURRENT_USER, key_.path().c_str(), out));
    key_.Create();
    EXPECT_EQ(ExportResult::kComplete, ExportRegistryKey(HKEY_CURRENT_USER, key_.path().c_str(), out));
    file.Reset();
    EXPECT_EQ("REGEDIT4\r\n" + Start(), ReadTextFile(outPath_));
}

struct RootCase {
    HKEY root;
    const char* parent;  // where the scratch key goes below the root
    const char* name;
};

class RegistryExportRoot : public RegistryExport, public ::testing::WithParamInterface<RootCase> {};

TEST_P(RegistryExportRoot, RootNamesComeFromTheHandle) {
    const RootCase& c = GetParam();
    const std::string path = std::string(c.parent) + "Tidewell Export Test " + CurrentTestName();
    ScratchKey scratch(c.root, path);
    scratch.Create();
    ExportResult result = ExportResult::kIncomplete;
    EXPECT_EQ("REGEDIT4\r\n\r\n[" + std::string(c.name) + "\\" + path + "]\r\n", Export(c.root, path.c_str(), &result));
    EXPECT_EQ(ExportResult::kComplete, result);
}

INSTANTIATE_TEST_SUITE_P(PredefinedRoots, RegistryExportRoot,
                         ::testing::Values(RootCase{HKEY_CLASSES_ROOT, "", "HKEY_CLASSES_ROOT"},
                                           RootCase{HKEY_LOCAL_MACHINE, "Software\\", "HKEY_LOCAL_MACHINE"},
                                           RootCase{HKEY_USERS, ".DEFAULT\\Software\\", "HKEY_USERS"}));

TEST_F(RegistryExport, OpenedKeyIsNoPredefinedRoot) {
    // The path is taken below the opened key, under a name of no root.
    key_.Create("Inner");
    const RegKey opened = key_.Create();
    ExportResult result = ExportResult::kIncomplete;
    EXPECT_EQ("REGEDIT4\r\n\r\n[UNKNOWN\\Inner]\r\n", Export(opened.get(), "Inner", &result));
    EXPECT_EQ(ExportResult::kComplete, result);
}

TEST_F(RegistryExport, RefusesMissingPathOrFileAndWritesNothing) {
    key_.Create();
    FileHandle file = CreateOutput();
    FileWriter out(file.get());
    EXPECT_EQ(ExportResult::kIncomplete, ExportRegistryKey(HKEY_CURRENT_USER, nullptr, out));
    EXPECT_EQ(ExportResult::kIncomplete, ExportRegistryKey(HKEY_CURRENT_USER, "", out));
    EXPECT_FALSE(out.failed());
    // No file at all: not even the first line can be written.
    FileWriter nowhere(INVALID_HANDLE_VALUE);
    EXPECT_EQ(ExportResult::kNoHeader, ExportRegistryKey(HKEY_CURRENT_USER, key_.path().c_str(), nowhere));
    file.Reset();
    EXPECT_EQ("", ReadTextFile(outPath_));
}

TEST_F(RegistryExport, FailedRegedit4LineReachesTheCaller) {
    key_.Create();
    CreateOutput().Reset();
    FileHandle readOnly(CreateFileA(outPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(readOnly);
    FileWriter out(readOnly.get());
    EXPECT_EQ(ExportResult::kNoHeader, ExportRegistryKey(HKEY_CURRENT_USER, key_.path().c_str(), out));
    EXPECT_TRUE(out.failed());
    // A writer that failed once writes nothing more, and says so.
    out.Write("x");
    EXPECT_TRUE(out.failed());
    EXPECT_EQ(ExportResult::kNoHeader, ExportRegistryKey(HKEY_CURRENT_USER, key_.path().c_str(), out));
    readOnly.Reset();
    EXPECT_EQ("", ReadTextFile(outPath_));
}

// A value of 256 KB: text is written a byte at a time, binary data a line at a time.
class RegistryExportBrokenPipe : public RegistryExport, public ::testing::WithParamInterface<DWORD> {};

TEST_P(RegistryExportBrokenPipe, FailedWriteInsideTheWalkLeavesItIncomplete) {
    const DWORD type = GetParam();
    const std::string data = type == REG_SZ ? std::string(256 * 1024, 'p') + '\0' : std::string(256 * 1024, 'Z');
    SetValue(key_.Create(), "Long", type, data.data(), static_cast<DWORD>(data.size()));
    PipeReader reader = {nullptr, ""};
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&reader.pipe, &writeEnd, nullptr, 0));
    FileHandle pipe(writeEnd);
    const ThreadHandle thread(CreateThread(nullptr, 0, ReadHeaderAndHangUp, &reader, 0, nullptr));
    ASSERT_TRUE(thread);
    FileWriter out(pipe.get());
    EXPECT_EQ(ExportResult::kIncomplete, ExportRegistryKey(HKEY_CURRENT_USER, key_.path().c_str(), out));
    EXPECT_TRUE(out.failed());
    WaitForSingleObject(thread.get(), INFINITE);
    EXPECT_EQ("REGEDIT4\r\n", reader.received);
}

INSTANTIATE_TEST_SUITE_P(ValueTypes, RegistryExportBrokenPipe, ::testing::Values(REG_SZ, REG_BINARY));

TEST_F(RegistryExport, MegabyteBinaryValueComesOutWhole) {
    std::vector<BYTE> data(1024 * 1024);
    unsigned seed = 12345;
    for (BYTE& byte : data) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<BYTE>(seed >> 16);
    }
    SetValue(key_.Create(), "Big", REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    const std::string text = ExportTestKey();

    const std::string prefix = Start() + "\"Big\"=hex:";
    ASSERT_EQ(prefix, text.substr(0, prefix.size()));
    std::vector<std::string> lines;
    for (size_t pos = prefix.size(); pos < text.size();) {
        const size_t end = text.find("\r\n", pos);
        ASSERT_NE(std::string::npos, end);
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    // 17 pairs, then 65534 lines of 16, then the last 15; no empty line after.
    ASSERT_EQ(1u + 65534u + 1u, lines.size());
    EXPECT_EQ(17u * 3 - 1, lines.front().size());
    EXPECT_EQ(15u * 3, lines.back().size());
    std::vector<BYTE> parsed;
    parsed.reserve(data.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (i > 0 && i + 1 < lines.size()) {
            ASSERT_EQ(16u * 3, line.size()) << "line " << i;
        }
        for (size_t pos = (i == 0 ? 0 : 1); pos < line.size(); pos += 3) {
            ASSERT_TRUE(pos + 2 == line.size() || line[pos + 2] == ',') << "line " << i;
            parsed.push_back(static_cast<BYTE>(std::stoul(line.substr(pos, 2), nullptr, 16)));
        }
    }
    EXPECT_TRUE(parsed == data);
}

TEST_F(RegistryExport, LongestValueAndKeyNames) {
    const std::string valueName(16383, 'n');
    const std::string keyName(255, 'k');
    SetText(key_.Create(), valueName.c_str(), "x");
    // Below its parent: Wine's ANSI calls refuse whole paths beyond 260 characters.
    ASSERT_TRUE(RegKey::Create(key_.Create("Keys").get(), keyName.c_str()));
    EXPECT_TRUE(SameText(Start() + "\"" + valueName + "\"=\"x\"\r\n" + Section("Keys") + Section("Keys\\" + keyName),
                         ExportTestKey()));
}

TEST_F(RegistryExport, TwoThousandSubkeys) {
    std::string expected = Start();
    key_.Create();
    for (int i = 0; i < 2000; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "k%04d", i);
        SetDword(key_.Create(name), "v", static_cast<DWORD>(i));
        char value[32];
        std::snprintf(value, sizeof value, "\"v\"=dword:%08x\r\n", i);
        expected += Section(name) + value;
    }
    EXPECT_TRUE(SameText(expected, ExportTestKey()));
}
