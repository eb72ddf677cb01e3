#include "data/FiveMinData.h"

#include "net/DataProvider.h"

int CFiveMinData::RequestData(int more)
{
    return RequestBars(more, kCmdFiveMinuteBars, 300);
}
