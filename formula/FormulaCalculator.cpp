#include "formula/FormulaCalculator.h"

#include "formula/DecimalText.h"
#include "formula/FormulaDefinition.h"
#include "formula/FormulaPreprocessor.h"
#include "formula/IndicatorPainter.h"
#include "formula/PriceSeriesSource.h"
#include "formula/ScriptAcceptor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The three names each price series is bound under. OPEN and CLOSE are
// fetched before every run, as the painter tells rising bars from them; the
// others when a run first reads one of their names: most formulas read one
// or two of the six, and a fetch copies every bar.
struct PriceBinding
{
    const wchar_t* names[3];
    float* (PriceSeriesSource::*fetch)(int first, int last, uint32_t* count);
    bool onFirstUse;
};

const PriceBinding kPriceBindings[] = {
    { { L"HIGH", L"H", L"INDEXH" }, &PriceSeriesSource::GetHigh, true },
    { { L"OPEN", L"O", L"INDEXO" }, &PriceSeriesSource::GetOpen, false },
    { { L"LOW", L"L", L"INDEXL" }, &PriceSeriesSource::GetLow, true },
    { { L"CLOSE", L"C", L"INDEXC" }, &PriceSeriesSource::GetClose, false },
    { { L"VOL", L"V", L"INDEXV" }, &PriceSeriesSource::GetVolume, true },
    { { L"AMOUNT", L"A", L"INDEXA" }, &PriceSeriesSource::GetAmount, true },
};
static_assert(sizeof kPriceBindings / sizeof kPriceBindings[0] == FormulaCalculator::kPriceSeries,
    "one fetch record per price series");

void Widen(float value, float& minimum, float& maximum)
{
    if (value < minimum)
        minimum = value;
    if (value > maximum)
        maximum = value;
}

// Widen over values[0..count) except the invalid elements, with the bits the
// element-by-element walk would leave: a bound moves only to a value
// strictly beyond it, so NaN never enters and, of +0 and -0, the bound keeps
// the one the walk meets first. Four lanes at a time; the lanes' bounds are
// the same numbers as the walk's, and only a bound of zero can differ from it
// (in its sign), which a second look settles.
void WidenByElements(const float* values, int count, float& minimum, float& maximum)
{
    int i = 0;
    float low = minimum;
    float high = maximum;
#if defined(__SSE2__)
    if (count >= 8) {
        const __m128 invalid = _mm_set1_ps(kInvalidValue);
        __m128 lows = _mm_set1_ps(low);
        __m128 highs = _mm_set1_ps(high);
        for (; i + 4 <= count; i += 4) {
            const __m128 v = _mm_loadu_ps(values + i);
            // An invalid element becomes NaN, which neither bound takes.
            const __m128 candidate = _mm_or_ps(v, _mm_cmpeq_ps(v, invalid));
            lows = _mm_min_ps(candidate, lows);
            highs = _mm_max_ps(candidate, highs);
        }
        float lanes[4];
        _mm_storeu_ps(lanes, lows);
        for (float lane : lanes)
            low = lane < low ? lane : low;
        _mm_storeu_ps(lanes, highs);
        for (float lane : lanes)
            high = lane > high ? lane : high;
        // A bound of zero that the walk would have met as an element first
        // takes that element's sign.
        const auto firstZero = [&](float bound, float start) {
            if (bound != 0.0f || start == 0.0f)
                return bound == 0.0f ? start : bound;
            for (int j = 0; j < i; ++j) {
                if (values[j] == 0.0f)
                    return values[j];
            }
            return bound;
        };
        low = firstZero(low, minimum);
        high = firstZero(high, maximum);
    }
#endif
    for (; i < count; ++i) {
        if (!IsInvalidValue(values[i]))
            Widen(values[i], low, high);
    }
    minimum = low;
    maximum = high;
}

// A series widens by its visible elements that have a value; a scalar by
// itself, an invalid one counting as 0.
void WidenBy(const VARIANT& value, const SeriesStore& store, int firstBar, int barCount, float& minimum,
    float& maximum)
{
    SeriesView series;
    if (ReadSeries(value, store, series)) {
        if (firstBar < 0 || barCount <= 0 || static_cast<uint32_t>(firstBar) >= series.count)
            return;
        const int available = static_cast<int>(series.count - static_cast<uint32_t>(firstBar));
        WidenByElements(series.data + firstBar, std::min(barCount, available), minimum, maximum);
        return;
    }
    double number = 0.0;
    if (HasSeriesMarker(value) || !ReadScalar(value, number))
        return;
    const float scalar = static_cast<float>(number);
    Widen(IsInvalidValue(scalar) ? 0.0f : scalar, minimum, maximum);
}

std::wstring ParameterText(double value)
{
    // Truncated toward zero; clamped first, as a document may hold any number.
    const double clamped = std::fmax(-2147483647.0, std::fmin(2147483647.0, value));
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"%d", static_cast<int>(clamped));
    return text;
}

}

FormulaCalculator::FormulaCalculator(PriceSeriesMarket* market)
    : m_preprocessor(nullptr)
    , m_math(nullptr)
    , m_market(market)
    , m_painter(nullptr)
    , m_number(-1)
    , m_kind(-1)
    , m_firstBar(0)
    , m_lastBar(0)
    , m_rangeDirty(false)
    , m_dataDirty(false)
    , m_hasText(false)
    , m_min(kUnmeasuredMin)
    , m_max(kUnmeasuredMax)
{
}

FormulaCalculator::~FormulaCalculator()
{
    // Statements hold values that point into the host's buffers: they go first.
    m_statements.clear();
    if (m_host)
        m_host->DetachEngine();
    m_host.reset();
    m_source.reset();
}

int FormulaCalculator::Init(
    const FormulaPreprocessor* preprocessor, const SeriesMath* math, IndicatorPainter* painter)
{
    SingleLock lock(&m_lock);
    m_preprocessor = preprocessor;
    m_math = math;
    m_painter = painter;
    m_source.reset(new PriceSeriesSource(m_market));
    m_host.reset(new CScriptAcceptor());
    if (!m_host->AttachEngine(m_math, m_painter, m_source.get()))
        return 0;
    m_host->SetSeriesSupplier(this);
    return 1;
}

int FormulaCalculator::SetFormula(const FormulaDefinition* definition)
{
    SingleLock lock(&m_lock);
    if (!definition || definition->NO == m_number || !m_preprocessor)
        return 0;
    // Everything is worked out before anything is replaced: a refused
    // definition leaves the formula, its parameters and its title as they were.
    if (!m_preprocessor->CheckText(definition->content))
        return 0;
    std::map<std::wstring, double> parameters;
    std::wstring shown;
    for (const FormulaArg& arg : definition->args) {
        const double value = ParseLeadingDecimal(arg.defaultValue.c_str());
        parameters.emplace(arg.name, value); // a repeated name keeps its first value
        if (!shown.empty())
            shown += L",";
        shown += ParameterText(value);
    }
    std::vector<FormulaStatement> statements;
    m_preprocessor->Compile(definition->content, statements);

    m_statements.swap(statements);
    m_parameters.swap(parameters);
    m_text = definition->content;
    m_hasText.store(!m_text.empty());
    m_axisValues = definition->MyAxis;
    m_title = definition->showname;
    if (!definition->args.empty())
        m_title += L"(" + shown + L")";
    m_number = definition->NO;
    m_kind = definition->type;
    m_dataDirty.store(true);
    m_rangeDirty.store(true);
    return 1;
}

int FormulaCalculator::SetData(CStock* stock, int period, int firstBar, int lastBar)
{
    SingleLock lock(&m_lock);
    if (firstBar != m_firstBar || lastBar != m_lastBar) {
        m_firstBar = firstBar;
        m_lastBar = lastBar;
        m_rangeDirty.store(true);
    }
    if (m_source && m_source->Bind(stock, period) == 1)
        m_dataDirty.store(true);
    return 1;
}

void FormulaCalculator::Invalidate()
{
    m_dataDirty.store(true);
    m_rangeDirty.store(true);
}

FormulaCalculator::FetchedSeries& FormulaCalculator::Fetch(size_t binding)
{
    FetchedSeries& fetched = m_fetched[binding];
    if (!fetched.done) {
        fetched.data = ((*m_source).*kPriceBindings[binding].fetch)(m_firstBar, m_lastBar, &fetched.count);
        fetched.done = true;
    }
    return fetched;
}

bool FormulaCalculator::SupplySeries(const wchar_t* name, float** data, uint32_t* count)
{
    for (size_t binding = 0; binding < kPriceSeries; ++binding) {
        for (const wchar_t* bound : kPriceBindings[binding].names) {
            if (std::wcscmp(bound, name) != 0)
                continue;
            const FetchedSeries& fetched = Fetch(binding);
            // No series bound: the statements that use prices fail.
            if (!fetched.data)
                return false;
            *data = fetched.data;
            *count = fetched.count;
            return true;
        }
    }
    return false;
}

void FormulaCalculator::BindVariables()
{
    m_host->ClearVariables();
    for (size_t binding = 0; binding < kPriceSeries; ++binding) {
        m_fetched[binding] = FetchedSeries();
        if (kPriceBindings[binding].onFirstUse)
            continue;
        const FetchedSeries& fetched = Fetch(binding);
        if (!fetched.data)
            continue; // no series bound: the statements that use prices fail
        for (const wchar_t* name : kPriceBindings[binding].names)
            m_host->SetSeriesVariable(name, fetched.data, fetched.count);
    }
    m_host->SetScalarVariable(L"CAPITAL", m_source->GetCapital());
    m_host->SetScalarVariable(L"PERIOD", m_source->GetFormulaPeriod());
    m_host->SetScalarVariable(L"DRAWNULL", kInvalidValue);
    m_host->SetScalarVariable(L"DRAWDATA_SIZE", static_cast<double>(m_lastBar) - m_firstBar + 1);
    int rising = 0, falling = 0, unchanged = 0;
    m_source->GetAdvanceDecline(&rising, &falling, &unchanged);
    m_host->SetScalarVariable(L"ADVANCE", rising);
    m_host->SetScalarVariable(L"DECLINE", falling);
    for (const auto& parameter : m_parameters)
        m_host->SetScalarVariable(parameter.first.c_str(), parameter.second);
}

int FormulaCalculator::Calculate()
{
    SingleLock lock(&m_lock);
    if (m_statements.empty())
        return 0;
    if (!m_host || !m_source)
        return 1;
    // A new run is always measured anew: the old range belongs to old values.
    if (m_dataDirty.exchange(false)) {
        m_rangeDirty.store(true);
        BindVariables();
        m_host->Run(m_statements);
    }
    if (m_rangeDirty.exchange(false)) {
        float minimum = kUnmeasuredMin;
        float maximum = kUnmeasuredMax;
        const int barCount = m_lastBar - m_firstBar + 1;
        for (const FormulaStatement& statement : m_statements) {
            if (!statement.notDrawn && !statement.inlined)
                UpdateValueRange(statement, *m_host, m_firstBar, barCount, minimum, maximum);
        }
        m_min = minimum;
        m_max = maximum;
    }
    return 1;
}

void FormulaCalculator::UpdateValueRange(const FormulaStatement& statement, const SeriesStore& store,
    int firstBar, int barCount, float& minimum, float& maximum)
{
    const FormulaValueList& values = statement.values;
    const std::wstring& function = statement.function;
    if (function == L"STICKLINE") {
        if (values.size() >= 5) {
            WidenBy(values[1].get(), store, firstBar, barCount, minimum, maximum);
            WidenBy(values[2].get(), store, firstBar, barCount, minimum, maximum);
        }
    } else if (function == L"DRAWBAND") {
        if (values.size() >= 4) {
            WidenBy(values[0].get(), store, firstBar, barCount, minimum, maximum);
            WidenBy(values[2].get(), store, firstBar, barCount, minimum, maximum);
        }
    } else if (function == L"DRAWLINE") {
        // What is drawn is the line between the anchors, not the condition.
        DrawLineShape shape;
        if (!values.empty() && IndicatorPainter::ComputeDrawLine(values, store, shape)) {
            for (int i = 0; i < barCount; ++i) {
                const int64_t bar = static_cast<int64_t>(firstBar) + i;
                if (bar < 0 || bar >= static_cast<int64_t>(shape.values.size()))
                    break;
                if (!IsInvalidValue(shape.values[bar]))
                    Widen(shape.values[bar], minimum, maximum);
            }
            for (const auto& segment : shape.segments) {
                // A segment crossing the visible bars counts by both its anchors.
                const int64_t lastBar = static_cast<int64_t>(firstBar) + barCount - 1;
                if (segment.first <= lastBar && segment.second >= firstBar) {
                    for (int anchor : { segment.first, segment.second })
                        if (!IsInvalidValue(shape.values[anchor]))
                            Widen(shape.values[anchor], minimum, maximum);
                }
            }
        }
    } else if (function == L"DRAWBASELINE") {
        if (!values.empty())
            WidenBy(values[0].get(), store, firstBar, barCount, minimum, maximum);
    } else if (function == L"DRAWTEXT" || function == L"DRAWICON") {
        if (values.size() >= 2)
            WidenBy(values[1].get(), store, firstBar, barCount, minimum, maximum);
    }
}

int FormulaCalculator::Draw(
    HDC dc, const RECT& rect, int legendBar, int titleX, double fixedMin, double fixedMax, bool overlay)
{
    SingleLock lock(&m_lock);
    if (!m_painter)
        return 1;
    m_painter->SetSeriesSource(m_source.get());
    m_painter->SetSeriesStore(m_host.get());
    m_painter->SetTarget(dc, rect);
    // Both bounds equal: widened by a twentieth, an all-zero range to [-1, 1].
    // The widening is kept, as the pane's cross-hair reads the range back.
    const auto widen = [](float& minimum, float& maximum) {
        if (minimum != maximum)
            return;
        if (minimum == 0.0f) {
            minimum = -1.0f;
            maximum = 1.0f;
            return;
        }
        const float value = minimum;
        minimum = value - value / 20;
        maximum = value + value / 20;
        if (minimum > maximum)
            std::swap(minimum, maximum);
    };
    float minimum = m_min;
    float maximum = m_max;
    if (!overlay) {
        widen(m_min, m_max);
        minimum = m_min;
        maximum = m_max;
        if (!m_statements.empty()) {
            m_painter->SetLayout(titleX, 20, 10);
            m_painter->DrawValueScale(minimum, maximum);
            m_painter->DrawTitleText(m_title + L":");
        }
    } else {
        m_painter->SetLayout(titleX, 20, 10);
        m_painter->DrawTitleText(m_title + L":");
        // The fixed bounds are the other chart's: they are drawn with, never
        // stored, so this formula's own range stays as measured.
        const bool fixedLow = fixedMin > 0.0001;
        const bool fixedHigh = fixedMax > 0.0001;
        if (fixedLow)
            minimum = static_cast<float>(fixedMin);
        if (fixedHigh)
            maximum = static_cast<float>(fixedMax);
        if (!fixedLow && !fixedHigh) {
            widen(m_min, m_max);
            minimum = m_min;
            maximum = m_max;
        } else {
            widen(minimum, maximum);
        }
    }
    for (float axis : m_axisValues)
        m_painter->DrawAxisLine(axis, minimum, maximum);
    const int barCount = m_lastBar - m_firstBar + 1;
    for (const FormulaStatement& statement : m_statements) {
        if (statement.notDrawn || statement.inlined || statement.values.empty())
            continue;
        const FormulaValueList& values = statement.values;
        const std::wstring& function = statement.function;
        bool legend = false;
        if (function == L"DRAWLINE") {
            m_painter->ApplyAttributes(statement.attributes);
            m_painter->DrawLine(statement, values, m_firstBar, barCount, minimum, maximum);
            legend = true;
        } else if (function == L"DRAWBASELINE") {
            m_painter->ApplyAttributes(statement.attributes);
            m_painter->DrawSeriesLine(statement, values, m_firstBar, barCount, minimum, maximum);
            legend = true;
        } else if (function == L"STICKLINE") {
            m_painter->ApplyAttributes(statement.attributes);
            m_painter->DrawStickLine(statement, values, m_firstBar, barCount, minimum, maximum);
        } else if (function == L"DRAWTEXT") {
            m_painter->ApplyAttributes(statement.attributes);
            m_painter->DrawText(statement, values, m_firstBar, barCount, minimum, maximum);
        } else if (function == L"DRAWICON") {
            m_painter->ApplyAttributes(statement.attributes);
            m_painter->DrawIcon(statement, values, m_firstBar, barCount, minimum, maximum);
        } else if (function == L"DRAWBAND") {
            m_painter->ApplyAttributes(statement.attributes);
            m_painter->DrawBand(statement, values, m_firstBar, barCount, minimum, maximum);
        } else if (function == L"PLOYLINE") {
            m_painter->ApplyAttributes(statement.attributes);
            m_painter->DrawPolyline(statement, values, m_firstBar, barCount, minimum, maximum);
        }
        if (legend) {
            VARIANT copy;
            std::memset(&copy, 0, sizeof copy);
            if (SUCCEEDED(CopyFormulaValue(copy, values[0].get())))
                m_painter->DrawLegend(statement.name, copy, m_firstBar, barCount, legendBar);
        }
    }
    m_painter->ResetCounters();
    return 1;
}
