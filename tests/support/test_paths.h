#pragma once

#include <string>

namespace testsupport {

// The folder of the running test program: the build's bin folder.
std::string BinDir();
// A stand-in folder below bin\standins ("default", "condmgr-without-...").
std::string StandInDir(const std::string& variant = "default");
// A fresh, empty folder of this process below the temporary folder.
std::string MakeScratchDir(const std::string& name);
bool CopyFileTo(const std::string& from, const std::string& toFolder, const std::string& asName = "");
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
bool PathExists(const std::string& path);
void RemoveTree(const std::string& path);

}  // namespace testsupport
