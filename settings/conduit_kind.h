#pragma once

#include <string>

// The two conduits, told apart everywhere by their kind.
enum ConduitKind : int { kDateBook = 0, kToDoList = 1 };

bool IsConduitKind(int kind);
// "date" / "todo": the key that travels between the dialogs.
const char* ConduitKey(int kind);
// The kind of a conduit key; -1 for any other text.
int ConduitKindOfKey(const std::string& key);
// "DateBook" / "ToDoList": the registry section of a user's settings.
const char* ConduitSection(int kind);
// "_dates_" / "_tasks_".
const char* ConduitLogInfix(int kind);
// String-table id of the conduit's name ("Date Book" / "To Do List"), as the
// application list and the settings dialog's caption show it.
unsigned ConduitNameStringId(int kind);
