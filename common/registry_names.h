#pragma once

// Every registry key and value name the two libraries use, in one place.
// Paths are relative to the root named in their comment.
namespace regnames {

// The product's keys: HKLM\SOFTWARE\<company>\<product>\Install (machine-wide,
// written by the installer) and HKCU\Software\<company>\<product> (per user).
constexpr char kSoftwareKey[] = "SOFTWARE";
constexpr char kCompanyKey[] = "Quillon Software";
constexpr char kProductKey[] = "Orvelle";
constexpr char kInstallKey[] = "Install";
// HKCU: the key per-user settings of every company live under.
constexpr char kUserSoftwareKey[] = "Software";
// HKCU: the per-user root, as the Settings Summary exports it.
constexpr char kProductUserKey[] = "Software\\Quillon Software\\Orvelle";

// Values of the installation key.
constexpr char kPathValue[] = "Path";               // the product folder (also Almanor's folder, and a user's data file)
constexpr char kPalmDesktopPathValue[] = "PDPath";  // the HotSync folder of the last registration

// Per-user sections below the product's per-user root.
constexpr char kUsersSection[] = "Users";
constexpr char kBackupSection[] = "Backup";
constexpr char kDateBookSection[] = "DateBook";
constexpr char kToDoListSection[] = "ToDoList";
constexpr char kLastUserValue[] = "LUN";     // in "Users": the Palm user listed last
constexpr char kLastConduitValue[] = "LUC";  // in "Users\<user>": the conduit opened last

// A saved foreign conduit registration, below "Backup\DateBook" / "Backup\ToDoList".
constexpr char kBackupConduitValue[] = "Conduit";
constexpr char kBackupModuleValue[] = "Module";
constexpr char kBackupDirectoryValue[] = "Directory";
constexpr char kBackupFileValue[] = "File0";
constexpr char kBackupRemoteValue[] = "Remote0";
constexpr char kBackupPriorityValue[] = "Priority";
constexpr char kBackupInformationValue[] = "Information";
constexpr char kBackupIntegrateValue[] = "Integrate";
constexpr char kBackupUserValue[] = "Username";
constexpr char kBackupTitleValue[] = "Name";
constexpr char kBackupArgumentsValue[] = "Arguments";

// Almanor, the desktop calendar: HKLM\SOFTWARE\<company>\Almanor\Install
// "Path" and HKCU\SOFTWARE\<company>\Almanor\Common "DDIR".
constexpr char kCalendarKey[] = "Almanor";
constexpr char kCommonKey[] = "Common";
constexpr char kDataDirValue[] = "DDIR";

// Palm Desktop, HKCU.
constexpr char kPalmDesktopCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
constexpr char kHotSyncPathValue[] = "HotSyncPath";

// Windows, HKLM.
constexpr char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr char kProductTypeValue[] = "ProductType";

// The HTML Help engine's registration, HKEY_CLASSES_ROOT.
constexpr char kHtmlHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

}  // namespace regnames
