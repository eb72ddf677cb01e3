#pragma once
// A fresh directory under %TEMP% for one test, removed with everything in it
// when the object goes away.
#include <string>

class TempDirectory
{
public:
    TempDirectory();
    // The prefix only makes a leftover directory easier to trace to its test.
    explicit TempDirectory(const char* prefix);
    ~TempDirectory();

    // The directory with a trailing backslash (code page 936 text).
    const std::string& Path() const { return m_path; }
    // Path() + name.
    std::string File(const std::string& name) const { return m_path + name; }

    // Writes bytes to a file in the directory (replacing it); false on failure.
    bool WriteFile(const std::string& name, const std::string& bytes) const;
    // The whole file, or "<missing>" when it cannot be read.
    std::string ReadFile(const std::string& name) const;

private:
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    std::string m_path;
};

// The whole file at a full path (code page 936 text), or "<missing>" when it
// cannot be read.
std::string ReadTestFile(const std::string& path);
