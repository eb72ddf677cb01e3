#include "app/StartupWork.h"

#include <utility>

#include "base/GlobalDefaults.h"
#include "data/DataCenter.h"
#include "data/GroupData.h"
#include "formula/FormulaLibrary.h"

CDataCenterStartupWork::CDataCenterStartupWork(std::vector<uint16_t> ports, uint32_t probeTimeoutMs)
    : m_ports(std::move(ports))
    , m_probeTimeoutMs(probeTimeoutMs)
{
}

int32_t CDataCenterStartupWork::RunStep(int position)
{
    if (position == 10) {
        const uint16_t port = ProbeFirstOpenPort(QuoteServerAddress::Get(), m_ports, m_probeTimeoutMs);
        if (port != 0)
            QuoteServerPort::Set(port);
        return 0;
    }
    CDataCenter* center = CDataCenter::Instance();
    if (!center)
        return -1;
    switch (position) {
    case 30:
        return center->LoadCodeTable();
    case 50:
        return center->LoadFinanceData();
    case 60:
        return center->LoadQuoteData();
    case 70: {
        CodeKey key = 0;
        {
            SingleLock lock(&center->GetDataLock());
            key = center->GetCodeTable().FindKeyByCode("1A0001");
        }
        return center->SetCurrentStock(key);
    }
    case 80:
        center->LoadGroupData();
        return GroupIndex::Instance()->Rebuild(center->GetGroupData());
    case 90:
        center->LoadFormulaData();
        return FormulaLibrary::Instance()->Load(L"");
    case 100:
        return center->LoadExRightsData();
    default:
        return 0;
    }
}
