#pragma once
// Five-minute bar series of one stock; also the 10-, 15-, 30- and 60-minute
// series derived from it (kinds 11-14), which are never requested or saved.
#include "data/KData.h"

class CFiveMinData : public CKData
{
public:
    CFiveMinData() { m_kind = kSeriesFiveMinutes; }
    // As the day series, with command 0x302; older bars end 300 s before the first.
    int RequestData(int more) override;

    void ToTenMinutes(CKData* target) const { ToMinutePeriod(target, 10); }
    void ToFifteenMinutes(CKData* target) const { ToMinutePeriod(target, 15); }
    void ToThirtyMinutes(CKData* target) const { ToMinutePeriod(target, 30); }
    void ToSixtyMinutes(CKData* target) const { ToMinutePeriod(target, 60); }
};
