#include "base/Singleton.h"

CriticalSection& SingletonLock()
{
    // Function-local, so the lock exists before any static initialiser uses it.
    static CriticalSection lock;
    return lock;
}
