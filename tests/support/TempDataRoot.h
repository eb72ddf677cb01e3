#pragma once
// Points the DataPaths singleton at a fresh temporary program directory for
// the object's lifetime, so tests of any subsystem can use real data paths.
#include "tests/support/TempDirectory.h"
#include <string>

// Writes a file whole at a full path; false on failure.
bool WriteTestFile(const std::string& path, const std::string& bytes);

class TempDataRoot
{
public:
    // Releases the DataPaths singleton, makes the next one rooted at a fresh
    // temporary directory and, when withSkin is set, creates Skin\Default in it.
    explicit TempDataRoot(bool withSkin = true);
    // Releases the singleton again and restores the program directory.
    ~TempDataRoot();

    // The temporary program directory, with its trailing backslash.
    const std::string& AppDir() const { return m_dir.Path(); }
    std::string SkinDir() const { return AppDir() + "Skin\\Default"; }
    // Copies the skin the build draws beside the test program into SkinDir, so
    // windows wear their real pictures while their files stay in the test's own.
    void CopyProgramSkin() const;

private:
    TempDataRoot(const TempDataRoot&) = delete;
    TempDataRoot& operator=(const TempDataRoot&) = delete;
    TempDirectory m_dir;
};
