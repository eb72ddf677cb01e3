#pragma once
// Ends another running instance of a program by its executable name.

// Terminates (exit code 0) the first other process whose first module's base
// name equals name exactly (byte-wise, case-sensitive). The calling process
// is never ended. Returns 0 when the process list cannot be read, else 1 (also
// when nothing matched).
int KillProcessByName(const char* name);
