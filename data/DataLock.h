#pragma once
// The data lock: guards every merge into market data, the current stock and
// the views' snapshots. Lock order: the data lock first, then the stock
// cache's locks, then a table's own lock.
#include "base/Thread.h"

// The lock lives as long as the process and never depends on the data
// center's lifetime: a reply that arrives while the data center is being
// released (or before it exists) must neither re-create it nor find the lock
// destroyed. The data center hands out this same lock as its own.
CriticalSection& GetDataLock();
