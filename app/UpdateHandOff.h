#pragma once
// The hand-off of a new version: the downloaded program is written beside
// the running one as "<program>.new", and the separate updater
// ("Update.exe" in the program's directory) is started with the running
// program's path to put it in place once the program has ended.
#include <cstddef>
#include <string>

// A body of this size or less is no program.
inline constexpr size_t kMinUpdateBytes = 10240;

enum class UpdateWrite
{
    Written,
    TooSmall, // kMinUpdateBytes or less
    NotAProgram, // does not start with "MZ"
    WriteFailed, // the file could not be written whole
};

// Writes body to programPath + ".new" through a temporary file that replaces
// it only once written whole; nothing is written unless the body is larger
// than kMinUpdateBytes and starts with "MZ".
UpdateWrite WriteUpdateFile(const std::string& programPath, const std::string& body);

// The running program's full path, and the updater beside it.
std::string RunningProgramPath();
std::string UpdaterPath();

// Starts a program through the shell (default verb, maximised). True when it started.
bool LaunchProcess(const std::string& file, const std::string& parameters);
