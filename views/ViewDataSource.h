#pragma once
// What the views ask of the market data. This is the one way from views/ to
// the data center: every view and chart takes its source here, so each can
// be tested over a fake that overrides what its view asks. The defaults
// answer as the program does when there is no data center: no stock, no
// data, nothing to browse.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/CodeKey.h"
#include "data/F10Sections.h"
#include "data/PwrData.h"
#include "data/ReportData.h"

class CCodeTable;
class CStock;
class CriticalSection;
class StockPagingList;

class IViewDataSource
{
public:
    virtual ~IViewDataSource() = default;

    // The data lock; taken before any view or chart lock. Null when there
    // is none.
    virtual CriticalSection* DataLock() { return nullptr; }

    // The current stock: the one the data center keeps a UI snapshot of and
    // asks the servers about; 0 when there is none.
    virtual uint32_t GetCurrentCodeKey() { return 0; }
    // Its UI snapshot, or null; under the data lock.
    virtual CStock* GetCurrentStock() { return nullptr; }
    // A view shown with a stock takes that stock's UI snapshot only: a key
    // that is not the current stock's (any more) gives nothing.
    // The UI snapshot, or null; under the data lock.
    CStock* GetStock(uint32_t key);
    // A whole copy of it, or null.
    virtual std::unique_ptr<CStock> CopyStock(uint32_t key);
    // A copy of its company-information sections; false when there is none.
    virtual bool CopyF10(uint32_t /*key*/, F10SectionMap& /*sections*/) { return false; }
    // The previous or next stock of the browse list becomes current; false
    // when none did.
    virtual bool SelectPrevStock() { return false; }
    virtual bool SelectNextStock() { return false; }
    // Marks series of the current stock (the kRequest flags of data/Stock.h)
    // as needed; more asks for older history.
    virtual void RequestStockData(uint32_t /*flags*/, int /*more*/) { }

    // After a notice of series kind, each view's way to take the update:
    // into the data center's UI snapshot (which the K-line chart holds);
    virtual void RefreshStock(CStock* /*snapshot*/, int /*kind*/) { }
    // into a chart's own copy, from the current stock or from one still
    // cached that another chart of a grid shows;
    virtual void RefreshSnapshot(CStock* /*snapshot*/, int /*kind*/) { }
    // into the UI snapshot, then a copy of its sections; false when key is
    // not the current stock any more.
    virtual bool RefreshF10(uint32_t /*key*/, int /*kind*/, F10SectionMap& /*sections*/) { return false; }

    // A stock's ex-rights events, or null.
    virtual const std::vector<ExRightsRecord>* GetExRights(uint32_t /*key*/) { return nullptr; }
    // The last quote of every stock.
    virtual QuoteMap GetQuotes() { return QuoteMap(); }
    // A stock's code and name from the code table; without one, the code
    // spelled from the key and no name.
    virtual void GetCodeAndName(CodeKey key, std::string& code, std::string& name);
    // A stock's name, empty when unknown.
    virtual std::string GetStockName(uint32_t /*key*/) { return std::string(); }
    // The browse list (the stocks the chart views step through), or null.
    virtual StockPagingList* GetPagingList() { return nullptr; }
    // The code table the keyboard wizard searches, or null.
    virtual const CCodeTable* GetCodeTable() { return nullptr; }
};

// The data center (its singleton, created on first use) as the views' source.
IViewDataSource& DataCenterViewSource();
