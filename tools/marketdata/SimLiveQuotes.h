#pragma once
// Joins the simulator's two halves: the whole-market quote table takes each
// security's quote from its series, and the ex-rights table the prices its
// series gave the events, so the quote list, the charts and the adjustments agree.
#include "tools/marketdata/SimMarketSeries.h"
#include "tools/marketdata/SimMarketTables.h"

// The snapshot after the security's latest tick of the trading day; the
// series must outlive the source.
SimMarketTables::LiveQuoteSource LiveQuotesFrom(const SimMarketSeries& series);

// Has the series go through the tables' ex-rights events and the tables serve
// them as the series priced them; before either serves. The stock
// kRecentExRightsKey also gets an event on the first trading day of the month
// before the series' trading day, so that a day chart opened on it shows bars
// on both sides of one.
void JoinExRights(SimMarketTables& tables, SimMarketSeries& series);
