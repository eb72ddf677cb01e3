#pragma once
// The settings file "run.ini" (or any other profile file) by path.
#include <cstdint>
#include <string>

class CIni
{
public:
    explicit CIni(const std::string& path);
    virtual ~CIni();

    const char* GetPath() const { return m_path; }

    std::string GetString(const char* section, const char* key, const char* defaultValue = "") const;
    int32_t GetInt(const char* section, const char* key, int32_t defaultValue = 0) const;
    // False when the file cannot be written.
    bool WriteString(const char* section, const char* key, const std::string& value);
    bool WriteInt(const char* section, const char* key, int32_t value);

private:
    CIni(const CIni&) = delete;
    CIni& operator=(const CIni&) = delete;

    char* m_path;
};
