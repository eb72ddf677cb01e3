#pragma once
// Path queries on code-page-936 text.
#include <string>

// The directory of the running program, with its trailing backslash; empty
// when the module name cannot be read or holds no backslash.
std::string GetModuleDirectory();

// The parent of a directory: a directory path (or one that does not exist)
// longer than 3 characters loses a trailing backslash and is cut just after
// its last remaining backslash (empty when there is none). A file, or a path
// of at most 3 characters such as a drive root, is returned unchanged.
std::string GetParentDir(const std::string& path);

// True when the path names an existing file or directory.
bool FileExists(const std::string& path);

// Position of the last backslash, scanning GBK text character by character
// (a trail byte 0x5C is not a separator); npos when there is none.
size_t FindLastBackslash(const std::string& path);
