// The bench prefix's state: the stand-in's Palm users and the product's
// per-user key, in the sizes the figures are measured at.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/modes.h"
#include "bench/output.h"
#include "bench/product.h"
#include "common/reg_key.h"
#include "common/registry_names.h"
#include "standins/standin_state.h"
#include "tests/support/palm_desktop.h"

namespace bench {

namespace {

const DWORD kFirstUserId = 1001;
const int kBulkKeys = 100;
const int kBulkValuesPerKey = 100;

// Mostly paths, some numbers and binary blocks, as a well-used installation
// might carry.
bool FillBulkKey(int sub, const RegKey& key) {
    bool written = true;
    for (int value = 0; value < kBulkValuesPerKey; ++value) {
        char name[32];
        std::snprintf(name, sizeof name, "Value %02d", value);
        if (value % 10 == 8) {
            written &= key.WriteDword(name, static_cast<DWORD>(sub * 100 + value));
        } else if (value % 10 == 9) {
            BYTE block[24];
            for (int i = 0; i < 24; ++i) block[i] = static_cast<BYTE>(sub + value + i);
            written &= RegSetValueExA(key.get(), name, 0, REG_BINARY, block, sizeof block) == ERROR_SUCCESS;
        } else {
            char text[96];
            std::snprintf(text, sizeof text, "C:\\Calendar\\Archive %03d\\Home \"%02d\".al0", sub, value);
            written &= key.WriteString(name, text);
        }
    }
    return written;
}

}  // namespace

int SetupMode() {
    testsupport::PalmDesktop palm;
    DeleteKeyTree(HKEY_CURRENT_USER, standin::StatePath("Users").c_str());
    for (int index = 0; index < kUserCount; ++index) {
        palm.AddUser(kFirstUserId + static_cast<DWORD>(index), "User " + std::to_string(index + 1));
    }
    const RegKey user = RegKey::Create(HKEY_CURRENT_USER, BenchUserKeyPath().c_str());
    if (!user || !user.WriteString(regnames::kPathValue, kDataFile)) {
        Fail("cannot write HKCU\\%s", BenchUserKeyPath().c_str());
    }
    if (GetFileAttributesA(kDataFile) == INVALID_FILE_ATTRIBUTES) Fail("no data file %s", kDataFile);
    palm.ClearCallLog();
    return Failures();
}

int BulkMode(bool add) {
    for (int sub = 0; sub < kBulkKeys; ++sub) {
        char path[128];
        std::snprintf(path, sizeof path, "%s\\Bulk %03d", regnames::kProductUserKey, sub);
        if (!add) {
            DeleteKeyTree(HKEY_CURRENT_USER, path);
            continue;
        }
        const RegKey key = RegKey::Create(HKEY_CURRENT_USER, path);
        if (!key) {
            Fail("cannot create HKCU\\%s", path);
            return Failures();
        }
        if (!FillBulkKey(sub, key)) Fail("cannot write the values of HKCU\\%s", path);
    }
    return Failures();
}

}  // namespace bench
