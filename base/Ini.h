#pragma once
// The settings file "run.ini" (or any other profile file) by path.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The keys and values of one section, read in one pass over the file. A file
// read key by key is reopened for every key: where many keys are read at once
// (a list numbered "0", "1", ...), this answers each as GetString would.
class CIniSection
{
public:
    CIniSection() = default;
    explicit CIniSection(std::vector<std::pair<std::string, std::string>> entries)
        : m_entries(std::move(entries))
    {
    }
    // The value of the first entry of that key (letters in either case), with
    // one pair of enclosing quotes taken off; the default when there is none.
    // Keys starting with ";" may be missing: some platforms leave such lines
    // out of a section as comments.
    std::string GetString(const char* key, const char* defaultValue = "") const;

private:
    std::vector<std::pair<std::string, std::string>> m_entries;
};

class CIni
{
public:
    explicit CIni(const std::string& path);
    virtual ~CIni();

    const char* GetPath() const { return m_path; }

    std::string GetString(const char* section, const char* key, const char* defaultValue = "") const;
    // The whole section at once (empty when the file or section is missing).
    CIniSection ReadSection(const char* section) const;
    int32_t GetInt(const char* section, const char* key, int32_t defaultValue = 0) const;
    // False when the file cannot be written.
    bool WriteString(const char* section, const char* key, const std::string& value);
    bool WriteInt(const char* section, const char* key, int32_t value);

private:
    CIni(const CIni&) = delete;
    CIni& operator=(const CIni&) = delete;

    char* m_path;
};
