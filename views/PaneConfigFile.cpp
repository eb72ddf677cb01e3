#include "views/PaneConfigFile.h"

#include "base/CPFile.h"

#include <algorithm>
#include <cstring>

namespace kline {

namespace {

// The file holds at most 9 records after its count; anything longer is not ours.
const long kMaxConfigBytes = 4 + kPaneNameRecordBytes * 64;

int32_t ReadInt32(const std::string& bytes, size_t offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<int32_t>(
        static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16
        | static_cast<uint32_t>(p[3]) << 24);
}

void WriteInt32(std::string& bytes, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}

const std::vector<std::wstring>& DefaultPaneNames()
{
    static const std::vector<std::wstring> names { L"VOL", L"MACD", L"KDJ", L"DMI", L"DMA", L"FSL", L"TRIX", L"CR",
        L"BRAR" };
    return names;
}

PaneConfig LoadPaneConfig(const std::string& path, int currentCount)
{
    PaneConfig config;
    std::string bytes;
    if (!ReadWholeFile(path.c_str(), bytes, kMaxConfigBytes)) {
        config.count = kDefaultSubPaneCount;
        config.names = DefaultPaneNames();
        return config;
    }
    config.count = currentCount;
    if (bytes.size() >= 4)
        config.count = ReadInt32(bytes, 0);
    config.count = std::max(0, std::min(config.count, 9));
    for (int k = 0; k < config.count; ++k) {
        const size_t offset = 4 + static_cast<size_t>(k) * kPaneNameRecordBytes;
        if (bytes.size() < offset + kPaneNameRecordBytes)
            break;
        std::wstring name;
        // A record without its terminator gives its first 20 units, never
        // more than the record holds.
        for (int unit = 0; unit < kPaneNameRecordBytes / 2; ++unit) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset + unit * 2);
            const wchar_t c = static_cast<wchar_t>(p[0] | p[1] << 8);
            if (c == 0)
                break;
            name.push_back(c);
        }
        config.names.push_back(name);
    }
    const std::vector<std::wstring>& defaults = DefaultPaneNames();
    for (size_t i = config.names.size(); i < defaults.size(); ++i)
        config.names.push_back(defaults[i]);
    return config;
}

std::string EncodePaneConfig(int count, const std::vector<std::wstring>& names)
{
    std::string bytes;
    WriteInt32(bytes, count);
    for (const std::wstring& name : names) {
        char record[kPaneNameRecordBytes] = {};
        const size_t units = std::min(name.size(), static_cast<size_t>(kPaneNameMaxUnits));
        for (size_t i = 0; i < units; ++i) {
            const auto c = static_cast<uint16_t>(name[i]);
            record[i * 2] = static_cast<char>(c & 0xFF);
            record[i * 2 + 1] = static_cast<char>(c >> 8);
        }
        bytes.append(record, sizeof record);
    }
    return bytes;
}

bool SavePaneConfig(const std::string& path, int count, const std::vector<std::wstring>& names)
{
    const std::string bytes = EncodePaneConfig(count, names);
    return SaveFileReplacing(path.c_str(), bytes.data(), bytes.size());
}

}
