#pragma once
// Passwords kept in "run.ini" are sealed to the Windows user with the data
// protection API and stored as "v2:" followed by the sealed bytes in base64,
// so the file alone does not give them away.
#include <string>

// "v2:..." for a password; empty for an empty one or when sealing fails (a
// password that cannot be sealed is not written in the clear).
std::string ProtectStoredPassword(const std::string& plain);

// True when the stored value carries the "v2:" mark.
bool IsProtectedPassword(const std::string& stored);

// The password of a "v2:" value; false (and plain empty) for a value without
// the mark, or one that is malformed or sealed for another user.
bool UnprotectStoredPassword(const std::string& stored, std::string& plain);
