#include "data/DataLock.h"

CriticalSection& GetDataLock()
{
    // Never destroyed: a late worker callback during process exit still finds it.
    static CriticalSection* lock = new CriticalSection;
    return *lock;
}
