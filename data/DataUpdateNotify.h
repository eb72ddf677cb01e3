#pragma once
// Told when a series or table has merged new data.
#include <cstdint>

class CDataUpdateNotiy
{
public:
    virtual ~CDataUpdateNotiy() { }
    // kind is a SeriesKind, key the series' CodeKey (0 for the quote table).
    // Runs on the thread that delivered the reply, inside the data lock.
    virtual int OnDataUpdate(int kind, uint32_t key) = 0;
};
