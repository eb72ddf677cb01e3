#include "data/TableFile.h"

#include "base/CPFile.h"

bool TableFileWriter::SaveTo(const std::string& path) const
{
    return !path.empty() && SaveFileReplacing(path.c_str(), m_bytes.data(), m_bytes.size());
}

std::string TrimText(const std::string& text)
{
    const char* kSpace = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

bool ReadTableFile(const char* path, std::string& storedPath, std::string& bytes)
{
    if (!path)
        return false;
    storedPath = path;
    return ReadWholeFile(path, bytes);
}
