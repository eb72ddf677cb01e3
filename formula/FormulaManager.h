#pragma once
// The process-wide owner of what every formula calculator shares: the
// preprocessor that compiles formula text, the keyword list it consults and
// the stateless series arithmetic the formula hosts run on. Used on the UI
// thread; created on first use by a chart and released with the main frame.
#include "formula/FormulaKeywordList.h"
#include "formula/FormulaPreprocessor.h"
#include "formula/SeriesMath.h"

#include <memory>

class FormulaCalculator;
class IndicatorPainter;
class PriceSeriesMarket;

class FormulaManager
{
public:
    // The manager, created on first use; null when it cannot be built (a
    // later call tries again).
    static FormulaManager* Instance();
    // The manager when one exists, without creating it.
    static FormulaManager* PeekInstance();
    // Destroys the manager when there is one; the next Instance builds anew.
    static void Release();

    // Creates the series arithmetic, the keyword list and the preprocessor, in
    // this order, and points the preprocessor at the list. 1, or 0 when an
    // object cannot be allocated (what was made stays until Destroy).
    int Create();
    // Deletes the preprocessor, the series arithmetic and the keyword list, in
    // this order; a second call does nothing.
    void Destroy();

    // A calculator for a chart pane drawing through painter (may be null),
    // initialised with the manager's preprocessor and series arithmetic;
    // null when it cannot be made or initialised. market: see FormulaCalculator.
    std::unique_ptr<FormulaCalculator> CreateCalculator(
        IndicatorPainter* painter, PriceSeriesMarket* market = nullptr) const;

    // Null until Create has made them.
    const FormulaPreprocessor* GetPreprocessor() const { return m_preprocessor; }
    const SeriesMath* GetSeriesMath() const { return m_seriesMath; }
    const FormulaKeywordList* GetKeywordList() const { return m_keywords; }

private:
    FormulaManager();
    ~FormulaManager();
    FormulaManager(const FormulaManager&) = delete;
    FormulaManager& operator=(const FormulaManager&) = delete;

    FormulaPreprocessor* m_preprocessor;
    SeriesMath* m_seriesMath;
    FormulaKeywordList* m_keywords;
};
