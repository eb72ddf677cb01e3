#pragma once
// Joins the simulator's two halves: the whole-market quote table takes each
// security's quote from its series, so the quote list and the charts agree.
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"

// The snapshot after the security's latest tick of the trading day; the
// series must outlive the source.
SimMarketTables::LiveQuoteSource LiveQuotesFrom(const SimMarketSeries& series);
