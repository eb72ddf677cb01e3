#pragma once
// Byte builders and the simulated market for the table tests.
#include <windows.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "net/DownLoaderManager.h"
#include "tools/marketdata/SimMarketTables.h"
#include "tools/quotesim/QuoteSimulator.h"
#include "tests/support/RecordingDataProvider.h"

// A fixed server time, so the requests' values can be asserted.
const int32_t kTestServerTime = 1735689600;

struct Bytes
{
    std::string data;

    Bytes& U32(uint32_t v)
    {
        data.append(reinterpret_cast<const char*>(&v), 4);
        return *this;
    }
    Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Bytes& U16(uint16_t v)
    {
        data.append(reinterpret_cast<const char*>(&v), 2);
        return *this;
    }
    Bytes& F32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return U32(bits);
    }
    // The text in a field of size bytes, NUL-padded (cut when longer).
    Bytes& Text(const std::string& text, size_t size)
    {
        std::string field = text.substr(0, size);
        field.resize(size, '\0');
        data += field;
        return *this;
    }
    Bytes& Raw(const std::string& raw)
    {
        data += raw;
        return *this;
    }
    Bytes& Cut(size_t n)
    {
        data.resize(data.size() > n ? data.size() - n : 0);
        return *this;
    }
};

inline bool FileExistsA(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The quote simulator serving the synthetic tables, with the request
// manager pointed at it; the manager is released at both ends.
class SimulatedMarket
{
public:
    explicit SimulatedMarket(uint32_t seed = 20260101)
        : tables(seed)
    {
        ServerTime::Set(kTestServerTime);
        tables.Install(simulator);
        started = simulator.Start(0);
        CDownLoaderManager::ReleaseInstance();
        CDownLoaderManager::SetServer("127.0.0.1", simulator.Port());
    }
    ~SimulatedMarket()
    {
        CDownLoaderManager::ReleaseInstance();
        simulator.Stop();
    }

    SimMarketTables tables;
    QuoteSimulator simulator;
    bool started = false;
};
