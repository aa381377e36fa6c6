#pragma once

// The UxTheme stand-in (standins/uxtheme) as the visual-style and section
// label tests see it: its variants' paths and the record it keeps in this
// process's environment.
#include <string>

namespace uxtheme_standin {

// bin\standins\<variant>\TwUxTheme.dll.
std::string Path(const std::string& variant = "uxtheme");
// Every call so far, "attach;" and "detach;" included.
std::string Log();
// An empty record and the stand-in's default answers.
void Reset();
// A handle as the record writes it.
std::string Number(const void* handle);

}  // namespace uxtheme_standin
