#pragma once
// One indicator formula bound to one chart pane: compiled from a definition,
// run over a stock's bars in a period by its own formula host, measured over
// the visible bars and drawn through the pane's painter.
//
// Calling order per pane: SetFormula (again when the user picks another
// indicator), then for every paint SetData, Calculate and, when Calculate
// returned 1, Draw. SetFormula, SetData, Calculate and Draw hold the
// calculator's lock; Invalidate and HasText take none (Invalidate may come
// from the thread that delivers data while the UI thread paints).
#include "base/Thread.h"
#include "formula/FormulaStatement.h"
#include "formula/SeriesValue.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CScriptAcceptor;
class CStock;
class FormulaPreprocessor;
class IndicatorPainter;
class PriceSeriesMarket;
class PriceSeriesSource;
class SeriesMath;
class SeriesStore;
struct FormulaDefinition;

class FormulaCalculator : private SeriesSupplier
{
public:
    // OPEN, HIGH, LOW, CLOSE, VOL and AMOUNT.
    static const size_t kPriceSeries = 6;

    // The range before anything was measured.
    static constexpr float kUnmeasuredMin = 1e10f;
    static constexpr float kUnmeasuredMax = -1e7f;

    // market: where ADVANCE and DECLINE are counted (null: the data center's
    // quote table); not owned.
    explicit FormulaCalculator(PriceSeriesMarket* market = nullptr);
    ~FormulaCalculator();

    // Keeps the manager's preprocessor and series arithmetic and the pane's
    // painter (may be null: nothing is drawn), creates the series source and
    // the host with its engine. 1, or 0 when the engine cannot be made.
    int Init(const FormulaPreprocessor* preprocessor, const SeriesMath* math, IndicatorPainter* painter);
    // 1 when the definition was taken; 0 for null, the one already set, or
    // one with no content (nothing changes then).
    int SetFormula(const FormulaDefinition* definition);
    // The stock, its chart period and the visible bars [first, last]. 1.
    int SetData(CStock* stock, int period, int firstBar, int lastBar);
    // Recalculate and re-measure at the next Calculate.
    void Invalidate();
    bool HasText() const { return m_hasText.load(); }
    // Runs what the dirty flags ask for. 0 without statements, else 1.
    int Calculate();
    // Draws into the pane. legendBar: offset from the first visible bar of
    // the bar the legends show. In overlay mode the formula is drawn over
    // another chart's range, given by fixed bounds greater than 0.0001. 1.
    int Draw(
        HDC dc, const RECT& rect, int legendBar, int titleX, double fixedMin, double fixedMax, bool overlay);

    // Widens [minimum, maximum] by the values of the statement that its
    // function draws, over the bars [firstBar, firstBar + barCount).
    static void UpdateValueRange(const FormulaStatement& statement, const SeriesStore& store, int firstBar,
        int barCount, float& minimum, float& maximum);

    const std::wstring& GetTitle() const { return m_title; }
    const std::wstring& GetText() const { return m_text; }
    const std::vector<FormulaStatement>& GetStatements() const { return m_statements; }
    const std::vector<float>& GetAxisValues() const { return m_axisValues; }
    const std::map<std::wstring, double>& GetParameters() const { return m_parameters; }
    int GetNumber() const { return m_number; }
    int GetKind() const { return m_kind; }
    float GetMin() const { return m_min; }
    float GetMax() const { return m_max; }
    bool IsRangeDirty() const { return m_rangeDirty.load(); }
    bool IsDataDirty() const { return m_dataDirty.load(); }
    // The formula host, for the views and the tests (null before Init).
    CScriptAcceptor* GetHost() const { return m_host.get(); }
    PriceSeriesSource* GetSource() const { return m_source.get(); }

private:
    FormulaCalculator(const FormulaCalculator&) = delete;
    FormulaCalculator& operator=(const FormulaCalculator&) = delete;

    // A price series fetched at most once per run.
    struct FetchedSeries
    {
        bool done = false;
        float* data = nullptr;
        uint32_t count = 0;
    };

    void BindVariables();
    FetchedSeries& Fetch(size_t binding);
    // SeriesSupplier: the price series not fetched before the run.
    bool SupplySeries(const wchar_t* name, float** data, uint32_t* count) override;

    const FormulaPreprocessor* m_preprocessor;
    const SeriesMath* m_math;
    PriceSeriesMarket* m_market;
    std::unique_ptr<PriceSeriesSource> m_source;
    IndicatorPainter* m_painter;
    std::unique_ptr<CScriptAcceptor> m_host;
    CriticalSection m_lock;
    std::wstring m_text;
    std::wstring m_title;
    std::vector<FormulaStatement> m_statements;
    std::vector<float> m_axisValues;
    std::map<std::wstring, double> m_parameters;
    int m_number;
    int m_kind;
    int m_firstBar;
    int m_lastBar;
    std::atomic<bool> m_rangeDirty;
    std::atomic<bool> m_dataDirty;
    std::atomic<bool> m_hasText;
    float m_min;
    float m_max;
    FetchedSeries m_fetched[kPriceSeries];
};
