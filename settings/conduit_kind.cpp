#include "settings/conduit_kind.h"

#include "common/registry_names.h"
#include "resources/twpalmui_ids.h"

bool IsConduitKind(int kind) { return kind == kDateBook || kind == kToDoList; }

const char* ConduitKey(int kind) { return kind == kToDoList ? "todo" : "date"; }

int ConduitKindOfKey(const std::string& key) {
    if (key == "date") return kDateBook;
    if (key == "todo") return kToDoList;
    return -1;
}

const char* ConduitSection(int kind) {
    return kind == kToDoList ? regnames::kToDoListSection : regnames::kDateBookSection;
}

const char* ConduitLogInfix(int kind) { return kind == kToDoList ? "_tasks_" : "_dates_"; }

unsigned ConduitNameStringId(int kind) { return kind == kToDoList ? IDS_TO_DO_LIST : IDS_DATE_BOOK; }
