#pragma once
// A unique temporary directory under %TEMP%, removed with everything in it
// when the object goes. TempDataRoot also points the DataPaths singleton at
// it for its lifetime, so tests of any subsystem can use real data paths.
#include <string>

class TempDirectory
{
public:
    // Created under %TEMP%; the name starts with prefix.
    explicit TempDirectory(const char* prefix = "zt");
    ~TempDirectory();

    // With its trailing backslash.
    const std::string& Path() const { return m_path; }

private:
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    std::string m_path;
};

// Deletes a directory tree; true when it is gone.
bool RemoveDirectoryTree(const std::string& path);

// Writes a file whole; false on failure.
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

private:
    TempDataRoot(const TempDataRoot&) = delete;
    TempDataRoot& operator=(const TempDataRoot&) = delete;
    TempDirectory m_dir;
};
