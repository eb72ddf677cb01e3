#pragma once
// Synchronous requests of the whole-market tables.
#include <cstdint>

#include "net/DataProvider.h"

class CMemoryStream;

// Command, user data 0, value = the table's header word 2, value2 = the
// server time, on the request manager itself, whatever GetDataProvider
// would select. 1 with the delivered stream in out, 0 on failure.
int RequestTableSync(int32_t command, int32_t headerWord2, CMemoryStream* out);
// The same through GetDataProvider.
int RequestTableSyncViaProvider(int32_t command, int32_t headerWord2, CMemoryStream* out);
