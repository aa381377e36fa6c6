#pragma once

// What the settings library shows, as a user reads it: captions, messages
// and the labels of the HotSync actions. Written out here once for every
// settings test, independently of the library's resources.

namespace settingstexts {

inline constexpr char kProductCaption[] = "Tidewell for Palm";
inline constexpr char kUserListCaption[] = "Tidewell for Palm Settings";
inline constexpr char kDateBookSettings[] = "Settings for Palm Date Book";
inline constexpr char kToDoListSettings[] = "Settings for Palm To Do List";
inline constexpr char kActionCaption[] = "HotSync Action";
inline constexpr char kAboutCaption[] = "About Tidewell for Palm";
inline constexpr char kOpenCaption[] = "Open Data File";

inline constexpr char kNoPalmDesktop[] =
    "You must install the Palm Desktop 3.1 or higher software to synchronize your data with handhelds.\n\n"
    "We recommend synchronizing with the Palm Desktop before installing Tidewell for Palm \n"
    "to insure the HotSync Manager is functioning properly.";
inline constexpr char kMissingComponent[] =
    "Cannot load the program because there are no some components. [#3001]\n\n"
    "Please reinstall Tidewell for Palm.";
inline constexpr char kSelectDataFile[] = "Select a data file.";
inline constexpr char kSynchronizeQuestionStart[] = "Do you want to synchronize Palm Date Book with Almanor?";

// The HotSync actions in the order of their buttons.
inline constexpr char kSynchronize[] = "Synchronize";
inline constexpr char kAlmanorOverwrites[] = "Almanor overwrites Handheld";
inline constexpr char kHandheldOverwrites[] = "Handheld overwrites Almanor";
inline constexpr char kDoNothing[] = "Do Nothing";

}  // namespace settingstexts
