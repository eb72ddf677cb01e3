#pragma once
// Draws one chart pane's indicator: the value scale, the title with the line
// legends, the definition's axis lines and every output statement through the
// drawer its function names. A chart owns one per pane and shares it with the
// pane's formula calculators, whose draw step sets the target, the layout and
// the range and then calls the operations in statement order: colours and
// styles are per-painter state carried from one statement to the next.
// UI thread only, inside the calculator's lock.
#include "formula/FormulaStatement.h"
#include "formula/SeriesValue.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class KeptPicture;
class PriceSeriesSource;

// The line a DRAWLINE output draws, computed from its recorded arguments
// (condition C1, price P1, condition C2, price P2, extension E) as the
// built-in computes it: the result with its anchors, and for E != 0 each
// start joined to its end.
struct DrawLineShape
{
    std::vector<float> values; // kInvalidValue where there is no anchor
    std::vector<std::pair<int, int>> segments; // (start bar, end bar), E != 0 only
    bool joined = false; // E != 0: draw the segments, not the values as a line
};

class IndicatorPainter
{
public:
    static const COLORREF kInitialColor = 0xFF00FF;
    static const int kInitialTitleHeight = 20;
    static const int kDefaultBarWidth = 6;
    // LINETHICK beyond this would only make GDI draw huge pens.
    static const int kMaxLineWidth = 100;

    IndicatorPainter();
    ~IndicatorPainter();

    // Set-up by the calculator's draw step.
    void SetTarget(HDC dc, const RECT& rect);
    void SetSeriesSource(PriceSeriesSource* source) { m_source = source; }
    // The owner of the series among the recorded values (the formula host).
    void SetSeriesStore(const SeriesStore* store) { m_store = store; }
    void SetLayout(int textPosition, int titleHeight, int secondValue);
    void ResetCounters();
    void SetBarWidth(int width);
    // Whether each pane's value labels are kept as a picture between paints.
    void SetKeepPictures(bool keep);

    // One step along the bar-width ladder (zoom in: up); the result is also
    // the current width. A width off the ladder gives the default width.
    int StepBarWidth(int width, bool zoomIn);
    // The candle body of the bar at x, by the current width.
    void GetBarBody(int x, int& left, int& right) const;

    void DrawValueScale(float minimum, float maximum);
    // Single line in the title row at the text position, which then moves past it.
    void DrawTitleText(const std::wstring& text);
    // The legend "name:value" of a line; value is a copy the painter clears.
    bool DrawLegend(const std::wstring& name, VARIANT value, int firstBar, int barCount, int legendOffset);
    // A white line across the pane at value; false when it lies outside [minimum, maximum].
    bool DrawAxisLine(float value, float minimum, float maximum);

    // Attribute words of an output statement.
    void ApplyAttributes(const std::vector<std::wstring>& words);
    void ParseLineAttribute(const std::wstring& word);
    void ParseColor(const std::wstring& word);
    void ParseStyle(const std::wstring& word);
    void ParseLineThick(const std::wstring& word);
    void NextDefaultColor();

    // The drawers: the statement's recorded values, the visible bars
    // [firstBar, firstBar + barCount) and the range. False when given too few
    // values; each returns the drawing style to 0.
    bool DrawSeriesLine(const FormulaStatement& statement, const FormulaValueList& values, int firstBar,
        int barCount, float minimum, float maximum);
    bool DrawLine(const FormulaStatement& statement, const FormulaValueList& values, int firstBar,
        int barCount, float minimum, float maximum);
    bool DrawStickLine(const FormulaStatement& statement, const FormulaValueList& values, int firstBar,
        int barCount, float minimum, float maximum);
    bool DrawIcon(const FormulaStatement& statement, const FormulaValueList& values, int firstBar,
        int barCount, float minimum, float maximum);
    bool DrawText(const FormulaStatement& statement, const FormulaValueList& values, int firstBar,
        int barCount, float minimum, float maximum);
    bool DrawBand(const FormulaStatement& statement, const FormulaValueList& values, int firstBar,
        int barCount, float minimum, float maximum);
    bool DrawPolyline(const FormulaStatement& statement, const FormulaValueList& values, int firstBar,
        int barCount, float minimum, float maximum);

    // The shape of a DRAWLINE from its recorded values; false with fewer than
    // one value or a condition that is not a series of store.
    static bool ComputeDrawLine(
        const FormulaValueList& values, const SeriesStore& store, DrawLineShape& shape);
    // The number a legend shows: a series' element at firstBar + legendOffset
    // (0 when the offset is not below barCount, kInvalidValue past the
    // series), a scalar's number (VT_I4 as its integer).
    static float LegendValue(
        const VARIANT& value, const SeriesStore* store, int firstBar, int barCount, int legendOffset);
    // "name:12.35", or "name:-" for kInvalidValue.
    static std::wstring LegendText(const std::wstring& name, float value);

    // Pixel rows of a value: axis lines, and bands, sticks, icons and lines.
    // A zero span maps every value to the bottom; far values are clamped.
    int AxisY(float value, float minimum, float maximum) const;
    int BandY(float value, float minimum, float maximum) const;

    COLORREF GetColor() const { return m_color; }
    void SetColor(COLORREF color) { m_color = color; }
    int GetLineWidth() const { return m_lineWidth; }
    int GetPenStyle() const { return m_penStyle; }
    int GetStyle() const { return m_style; }
    int GetTitleHeight() const { return m_titleHeight; }
    int GetTextPosition() const { return m_textPosition; }
    int GetBarWidth() const { return m_barWidth; }
    int GetDefaultColorCounter() const { return m_defaultColorCounter; }
    int GetColorAttributeCounter() const { return m_colorAttributeCounter; }

private:
    IndicatorPainter(const IndicatorPainter&) = delete;
    IndicatorPainter& operator=(const IndicatorPainter&) = delete;

    int MapOffset(float value, float minimum, float maximum) const;
    // A value's element at bar (series) or the value itself (scalar); false
    // when it has none.
    bool ValueAt(const VARIANT& value, int bar, float& number) const;
    bool IsSeries(const VARIANT& value) const;
    void DrawSeries(const std::wstring& name, const float* data, uint32_t dataCount, int firstBar,
        int barCount, float minimum, float maximum);
    void DrawScalar(float number, int barCount, float minimum, float maximum);
    void DrawDot(int x, int y);

    // The width DrawTextW measures for a title or legend in the title font,
    // by text: the same texts come back paint after paint.
    std::map<std::wstring, LONG> m_titleWidths;
    // The value labels of each pane drawn, by the pane's rectangle.
    std::vector<std::pair<RECT, std::unique_ptr<KeptPicture>>> m_axisLabels;
    bool m_keepPictures = true;
    HDC m_dc;
    RECT m_rect;
    COLORREF m_color;
    int m_lineWidth;
    int m_penStyle;
    int m_colorAttributeCounter;
    int m_style;
    int m_titleHeight;
    int m_secondValue;
    int m_defaultColorCounter;
    int m_reserved;
    int m_textPosition;
    int m_defaultBarWidth;
    int m_barWidth;
    PriceSeriesSource* m_source;
    const SeriesStore* m_store;
};
