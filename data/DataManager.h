#pragma once
// Takes a per-stock reply that arrived outside the request flow of a series.
#include <cstdint>

class CMemoryStream;

class IDataManager
{
public:
    virtual ~IDataManager() { }
    virtual int OnDataArrived(int command, uint32_t key, CMemoryStream* stream) = 0;
};
