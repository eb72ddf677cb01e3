#include "formula/IndicatorPainter.h"
#include "base/DcGuards.h"

#include "formula/PriceSeriesSource.h"

#include "base/ChartColors.h"
#include "base/ChartDraw.h"
#include "base/GdiObjectCache.h"
#include "base/KeptPicture.h"
#include "base/StrokeBatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace {

const char kTitleFontFace[] = "宋体";
const int kTitleFontHeight = 14;
const int kTextFontHeight = 12;
const size_t kMaxCachedTitleWidths = 512;
// More places than a chart has panes: a resized chart starts the list over.
const size_t kMaxKeptAxisLabels = 12;
const char kIconStripName[] = "biaoji.png";
const int kIconCell = 16;
const COLORREF kAxisLineColor = 0xFFFFFF;
const COLORREF kMacdFallColor = 0x00FF00;
const COLORREF kMacdRiseColor = 0x0000FF;

// Pixel offsets beyond this are far outside any pane; clamping keeps the
// truncation defined and GDI's coordinates in range.
const double kMaxPixelOffset = 1 << 20;

const int kBarWidthLadder[]
    = { 1, 2, 4, 5, 6, 7, 9, 10, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31, 33, 35, 39, 43 };

struct NamedColor
{
    const wchar_t* name;
    COLORREF color;
};

// Tested in this order: the light colours before the names they contain.
const NamedColor kNamedColors[] = {
    { L"LIGRAY", 0xD3D3D3 },
    { L"LIBLUE", 0xE6D8AD },
    { L"LIGREEN", 0x90EE90 },
    { L"LICYAN", 0xFFFFE0 },
    { L"LIRED", 0x0033FF },
    { L"LIMAGENTA", 0x3333FF },
    { L"GREEN", 0x00FF00 },
    { L"BLUE", 0xFF0000 },
    { L"BLACK", 0x000000 },
    { L"CYAN", 0xFFFF00 },
    { L"RED", 0x0000FF },
    { L"MAGENTA", 0xFF00FF },
    { L"BROWN", 0x000000 },
    { L"GRAY", 0x808080 },
    { L"YELLOW", 0x00FFFF },
    { L"WHITE", 0xFFFFFF },
};

// Index 7 keeps the colour the previous line left.
const COLORREF kDefaultColors[] = { 0xFFFFFF, 0x00FFFF, 0xFF00FF, 0x00FF00, 0xFF0000, 0xFFFF00, 0x0000FF };

struct StyleWord
{
    const wchar_t* word;
    int style;
    int width; // 0: unchanged
};

const StyleWord kStyleWords[] = {
    { L"POINTDOT", 1, 2 },
    { L"CIRCLEDOT", 2, 4 },
    { L"CROSSDOT", 3, 0 },
    { L"COLORSTICK", 5, 0 },
    { L"VOLSTICK", 6, 0 },
    { L"LINESTICK", 7, 0 },
    { L"STICK", 4, 0 },
};

enum DrawStyle {
    kStyleLine = 0,
    kStylePointDot,
    kStyleCircleDot,
    kStyleCrossDot,
    kStyleStick,
    kStyleColorStick,
    kStyleVolumeStick,
    kStyleLineStick
};

bool Contains(const std::wstring& word, const wchar_t* part)
{
    return word.find(part) != std::wstring::npos;
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return 0;
}

// Two hexadecimal digits at index; a digit past the end or not a digit is 0.
int HexByte(const std::wstring& word, size_t index)
{
    const int high = index < word.size() ? HexDigit(word[index]) : 0;
    const int low = index + 1 < word.size() ? HexDigit(word[index + 1]) : 0;
    return high * 16 + low;
}

// Selects an object for the enclosing scope.
class Selected
{
public:
    Selected(HDC dc, HGDIOBJ object)
        : m_dc(dc)
        , m_old(object ? ::SelectObject(dc, object) : nullptr)
    {
    }
    ~Selected()
    {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }

private:
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    HDC m_dc;
    HGDIOBJ m_old;
};

HPEN CachedPen(int style, int width, COLORREF color)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetPen(style, width, color) : nullptr;
}

HBRUSH CachedBrush(COLORREF color)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetBrush(color) : nullptr;
}

HFONT CachedFont(int height)
{
    GdiObjectCache* cache = GdiObjectCache::Instance();
    return cache ? cache->GetFont(height, kTitleFontFace, FW_NORMAL) : nullptr;
}

// A number read as a colour: truncated, negative and non-finite numbers black.
COLORREF ColorOf(float number)
{
    if (!(number > 0.0f))
        return 0;
    const double clamped = std::min<double>(number, 0xFFFFFF);
    return static_cast<COLORREF>(clamped) & 0xFFFFFF;
}

// Whether a DRAWLINE condition holds at bar i: non-zero and valid.
bool ConditionHolds(const SeriesView* series, float scalar, int i)
{
    if (!series)
        return scalar != 0.0f && !IsInvalidValue(scalar);
    if (i < 0 || static_cast<uint32_t>(i) >= series->count)
        return false;
    const float value = series->data[i];
    return value != 0.0f && !IsInvalidValue(value);
}

float OperandAt(const SeriesView* series, float scalar, int i)
{
    if (!series)
        return scalar;
    if (i < 0 || static_cast<uint32_t>(i) >= series->count)
        return kInvalidValue;
    return series->data[i];
}

}

IndicatorPainter::IndicatorPainter()
    : m_dc(nullptr)
    , m_rect { 0, 0, 0, 0 }
    , m_color(kInitialColor)
    , m_lineWidth(1)
    , m_penStyle(0)
    , m_colorAttributeCounter(0)
    , m_style(0)
    , m_titleHeight(kInitialTitleHeight)
    , m_secondValue(0)
    , m_defaultColorCounter(0)
    , m_reserved(0)
    , m_textPosition(0)
    , m_defaultBarWidth(kDefaultBarWidth)
    , m_barWidth(kDefaultBarWidth)
    , m_source(nullptr)
    , m_store(nullptr)
{
}

IndicatorPainter::~IndicatorPainter() = default;

void IndicatorPainter::SetKeepPictures(bool keep)
{
    m_keepPictures = keep;
    m_axisLabels.clear();
}

void IndicatorPainter::SetTarget(HDC dc, const RECT& rect)
{
    m_dc = dc;
    m_rect = rect;
}

void IndicatorPainter::SetLayout(int textPosition, int titleHeight, int secondValue)
{
    m_textPosition = textPosition;
    m_titleHeight = titleHeight;
    m_secondValue = secondValue;
}

void IndicatorPainter::ResetCounters()
{
    m_defaultColorCounter = 0;
    m_colorAttributeCounter = 0;
    m_style = 0;
}

void IndicatorPainter::SetBarWidth(int width)
{
    m_defaultBarWidth = width;
    m_barWidth = width;
}

int IndicatorPainter::StepBarWidth(int width, bool zoomIn)
{
    const int steps = static_cast<int>(sizeof kBarWidthLadder / sizeof kBarWidthLadder[0]);
    const int* found = std::find(kBarWidthLadder, kBarWidthLadder + steps, width);
    if (found == kBarWidthLadder + steps) {
        m_barWidth = m_defaultBarWidth;
        return m_barWidth;
    }
    int index = static_cast<int>(found - kBarWidthLadder);
    index = zoomIn ? std::min(index + 1, steps - 1) : std::max(index - 1, 0);
    m_barWidth = kBarWidthLadder[index];
    return m_barWidth;
}

void IndicatorPainter::GetBarBody(int x, int& left, int& right) const
{
    const int w = m_barWidth;
    int k = 3;
    if (w >= 1 && w <= 2)
        k = 1;
    else if (w >= 6 && w <= 7)
        k = 5;
    else if (w >= 9 && w <= 10)
        k = 7;
    else if (w >= 13 && w <= 15)
        k = 11;
    else if (w >= 17 && w <= 19)
        k = 15;
    else if (w >= 21 && w <= 23)
        k = 19;
    else if (w >= 25 && w <= 27)
        k = 23;
    else if (w >= 29 && w <= 31)
        k = 25;
    else if (w >= 33 && w <= 35)
        k = 29;
    else if (w >= 39 && w <= 43)
        k = 35;
    left = x;
    right = x + k;
}

int IndicatorPainter::MapOffset(float value, float minimum, float maximum) const
{
    const double height = static_cast<double>(m_rect.bottom) - m_rect.top - m_titleHeight - 1;
    const double span = static_cast<double>(maximum) - minimum;
    if (span == 0.0 || !std::isfinite(span))
        return 0;
    double offset = height * (static_cast<double>(value) - minimum) / span;
    if (!std::isfinite(offset))
        return 0;
    offset = std::max(-kMaxPixelOffset, std::min(kMaxPixelOffset, offset));
    return static_cast<int>(offset);
}

int IndicatorPainter::AxisY(float value, float minimum, float maximum) const
{
    return m_rect.bottom - MapOffset(value, minimum, maximum) - 2;
}

int IndicatorPainter::BandY(float value, float minimum, float maximum) const
{
    return (m_rect.bottom - 1) - MapOffset(value, minimum, maximum);
}

void IndicatorPainter::DrawValueScale(float minimum, float maximum)
{
    if (!m_dc)
        return;
    // The labels of a pane are kept by the pane's place: the painter serves
    // every pane of a chart.
    KeptPicture* labels = nullptr;
    for (auto& kept : m_axisLabels) {
        if (::EqualRect(&kept.first, &m_rect))
            labels = kept.second.get();
    }
    if (!labels && m_keepPictures) {
        if (m_axisLabels.size() >= kMaxKeptAxisLabels)
            m_axisLabels.clear();
        m_axisLabels.emplace_back(m_rect, std::make_unique<KeptPicture>(true));
        labels = m_axisLabels.back().second.get();
    }
    DrawValueAxis(m_dc, m_rect, m_titleHeight, 0, minimum, maximum, 2, labels);
}

void IndicatorPainter::DrawTitleText(const std::wstring& text)
{
    if (!m_dc)
        return;
    CUseFont font(m_dc, CachedFont(kTitleFontHeight));
    const COLORREF oldColor = ::SetTextColor(m_dc, m_color);
    const int oldMode = ::SetBkMode(m_dc, TRANSPARENT);
    const RECT box = { m_textPosition + 2, m_rect.top + 2, m_rect.right - 2, m_rect.top + m_titleHeight - 2 };
    const int length = static_cast<int>(text.size());
    auto width = m_titleWidths.find(text);
    if (width == m_titleWidths.end()) {
        // Legends change with the cursor: the cache is started over now and then.
        if (m_titleWidths.size() >= kMaxCachedTitleWidths)
            m_titleWidths.clear();
        RECT measured = box;
        ::DrawTextW(m_dc, text.c_str(), length, &measured, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        width = m_titleWidths.emplace(text, measured.right - box.left).first;
    }
    RECT drawn = box;
    drawn.right = std::min<LONG>(box.left + width->second, box.right);
    ::DrawTextW(m_dc, text.c_str(), length, &drawn, DT_SINGLELINE | DT_VCENTER);
    ::SetBkMode(m_dc, oldMode);
    ::SetTextColor(m_dc, oldColor);
    m_textPosition = drawn.right + (m_rect.right - m_rect.left) * 5 / 800;
}

std::wstring IndicatorPainter::LegendText(const std::wstring& name, float value)
{
    char number[64];
    if (IsInvalidValue(value))
        std::snprintf(number, sizeof number, "-");
    else
        std::snprintf(number, sizeof number, "%.2f", value);
    std::wstring text = name + L":";
    for (const char* c = number; *c; ++c)
        text += static_cast<wchar_t>(*c);
    return text;
}

float IndicatorPainter::LegendValue(
    const VARIANT& value, const SeriesStore* store, int firstBar, int barCount, int legendOffset)
{
    SeriesView series;
    if (store && ReadSeries(value, *store, series)) {
        if (legendOffset < 0 || legendOffset >= barCount)
            return 0.0f;
        const int64_t index = static_cast<int64_t>(firstBar) + legendOffset;
        return index >= 0 && index < series.count ? series.data[index] : kInvalidValue;
    }
    if (HasSeriesMarker(value))
        return kInvalidValue; // a series nobody vouches for
    if (value.vt == VT_I4)
        return static_cast<float>(value.lVal);
    double scalar = 0.0;
    return ReadScalar(value, scalar) ? static_cast<float>(scalar) : 0.0f;
}

bool IndicatorPainter::DrawLegend(
    const std::wstring& name, VARIANT value, int firstBar, int barCount, int legendOffset)
{
    const float number = LegendValue(value, m_store, firstBar, barCount, legendOffset);
    ::VariantClear(&value);
    DrawTitleText(LegendText(name, number));
    return true;
}

bool IndicatorPainter::DrawAxisLine(float value, float minimum, float maximum)
{
    if (!(minimum <= value && value <= maximum) || !m_dc)
        return false;
    const int y = AxisY(value, minimum, maximum);
    DrawLineWithPen(
        m_dc, CachedPen(m_penStyle, m_lineWidth, kAxisLineColor), m_rect.left, y, m_rect.right, y);
    return true;
}

void IndicatorPainter::ApplyAttributes(const std::vector<std::wstring>& words)
{
    m_lineWidth = 1;
    m_penStyle = 0;
    m_style = 0;
    const int coloursBefore = m_colorAttributeCounter;
    for (const std::wstring& word : words)
        ParseLineAttribute(word);
    if (m_colorAttributeCounter == coloursBefore)
        NextDefaultColor();
    else
        ++m_defaultColorCounter;
}

void IndicatorPainter::ParseLineAttribute(const std::wstring& word)
{
    if (Contains(word, L"COLOR") && !Contains(word, L"STICK"))
        ParseColor(word);
    else if (Contains(word, L"LINETHICK"))
        ParseLineThick(word);
    else
        ParseStyle(word);
}

void IndicatorPainter::ParseColor(const std::wstring& word)
{
    ++m_colorAttributeCounter;
    for (const NamedColor& named : kNamedColors) {
        if (Contains(word, named.name)) {
            m_color = named.color;
            return;
        }
    }
    // "COLOR" then RRGGBB.
    const int red = HexByte(word, 5);
    const int green = HexByte(word, 7);
    const int blue = HexByte(word, 9);
    m_color = RGB(red, green, blue);
}

void IndicatorPainter::ParseStyle(const std::wstring& word)
{
    for (const StyleWord& style : kStyleWords) {
        if (Contains(word, style.word)) {
            m_style = style.style;
            if (style.width)
                m_lineWidth = style.width;
            return;
        }
    }
    m_penStyle = 0;
}

void IndicatorPainter::ParseLineThick(const std::wstring& word)
{
    m_lineWidth = 1;
    if (word.size() < 10)
        return;
    long width = 0;
    for (size_t i = 9; i < word.size() && word[i] >= L'0' && word[i] <= L'9'; ++i) {
        width = width * 10 + (word[i] - L'0');
        if (width > kMaxLineWidth)
            break;
    }
    m_lineWidth = static_cast<int>(std::max(1L, std::min<long>(width, kMaxLineWidth)));
}

void IndicatorPainter::NextDefaultColor()
{
    const int index = m_defaultColorCounter % 8;
    if (index < 7)
        m_color = kDefaultColors[index];
    ++m_defaultColorCounter;
}

bool IndicatorPainter::IsSeries(const VARIANT& value) const
{
    SeriesView view;
    return m_store && ReadSeries(value, *m_store, view);
}

bool IndicatorPainter::ValueAt(const VARIANT& value, int bar, float& number) const
{
    SeriesView series;
    if (m_store && ReadSeries(value, *m_store, series)) {
        if (bar < 0 || static_cast<uint32_t>(bar) >= series.count)
            return false;
        number = series.data[bar];
        return true;
    }
    if (HasSeriesMarker(value))
        return false; // a series of no store this painter knows
    double scalar = 0.0;
    if (!ReadScalar(value, scalar))
        return false;
    number = static_cast<float>(scalar);
    return true;
}

void IndicatorPainter::DrawDot(int x, int y)
{
    const int half = std::max(1, m_lineWidth / 2);
    const RECT dot = { x - half, y - half, x + half + 1, y + half + 1 };
    if (m_style == kStylePointDot)
        FillEllipse(m_dc, dot, m_color);
    else if (m_style == kStyleCircleDot)
        DrawEllipse(m_dc, dot, 1, m_color);
    else
        DrawCross(m_dc, dot, 1, m_color);
}

void IndicatorPainter::DrawSeries(const std::wstring& name, const float* data, uint32_t dataCount,
    int firstBar, int barCount, float minimum, float maximum)
{
    const int baseY = m_rect.bottom - 1;
    const int plotTop = m_rect.top + m_titleHeight;
    // Signed sticks stand on the zero line, or on the edge nearest zero when
    // the range does not hold it.
    const int stickBaseY = BandY(std::max(minimum, std::min(maximum, 0.0f)), minimum, maximum);
    const bool macd = name == L"MACD";
    HPEN pen = CachedPen(m_penStyle, m_lineWidth, m_color);
    Selected selectedPen(m_dc, pen);
    // A thin pen draws each run of a line as one polyline and the sticks of
    // one colour in one call: the same pixels as stroke by stroke, as every
    // stroke still ends one pixel short. Wider pens keep their round ends per
    // stroke.
    const bool thin = m_lineWidth <= 1;
    std::vector<POINT> run;
    StrokeBatch sticks[2];
    StrokeBatch risingVolumes;
    StrokeBatch fallingVolumes;
    const auto liftPen = [&]() {
        if (run.size() > 1)
            ::Polyline(m_dc, run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    bool penDown = false;
    int previousX = 0;
    int previousY = 0;
    for (int i = 0; i < barCount; ++i) {
        const int x = m_rect.left + i * m_barWidth;
        const int64_t bar = static_cast<int64_t>(firstBar) + i;
        const float value = bar >= 0 && bar < dataCount ? data[bar] : kInvalidValue;
        if (IsInvalidValue(value) || value < minimum) {
            penDown = false;
            liftPen();
            continue;
        }
        const int y = BandY(value, minimum, maximum);
        if (y < plotTop) {
            penDown = false;
            liftPen();
            continue;
        }
        int bodyLeft = 0;
        int bodyRight = 0;
        GetBarBody(x, bodyLeft, bodyRight);
        const int middle = (bodyLeft + bodyRight) / 2;
        const int lineX = x + m_barWidth / 2;
        switch (m_style) {
        case kStylePointDot:
        case kStyleCircleDot:
        case kStyleCrossDot:
            DrawDot(lineX, y);
            break;
        case kStyleStick:
        case kStyleColorStick:
            if (thin)
                sticks[macd && value < 0 ? 1 : 0].AddLine(middle, stickBaseY, middle, y);
            else if (macd)
                DrawLineWithPen(m_dc,
                    CachedPen(m_penStyle, m_lineWidth, value < 0 ? kMacdFallColor : kMacdRiseColor), middle,
                    stickBaseY, middle, y);
            else
                DrawLineWithPen(m_dc, pen, middle, stickBaseY, middle, y);
            break;
        case kStyleVolumeStick: {
            const RECT body = { bodyLeft, std::min(y, baseY), bodyRight + 1, baseY + 1 };
            const bool rising = m_source && m_source->IsRising(static_cast<int>(bar));
            if (body.right - body.left <= m_barWidth) {
                if (rising)
                    risingVolumes.AddFill(body);
                else
                    fallingVolumes.AddFrame(body);
            } else if (HBRUSH brush = CachedBrush(rising ? ChartColors::Rise : ChartColors::Fall)) {
                // Wider than its bar: it overlaps the next one and is drawn in order.
                if (rising)
                    ::FillRect(m_dc, &body, brush);
                else
                    ::FrameRect(m_dc, &body, brush);
            }
            break;
        }
        case kStyleLineStick:
            DrawLineWithPen(m_dc, pen, lineX, baseY, lineX, y);
            if (penDown)
                DrawLineWithPen(m_dc, pen, previousX, previousY, lineX, y);
            break;
        default:
            if (thin) {
                run.push_back(POINT { lineX, y });
            } else if (penDown) {
                ::MoveToEx(m_dc, previousX, previousY, nullptr);
                ::LineTo(m_dc, lineX, y);
            }
            break;
        }
        penDown = true;
        previousX = lineX;
        previousY = y;
    }
    liftPen();
    if (macd) {
        sticks[0].Flush(m_dc, CachedPen(m_penStyle, m_lineWidth, kMacdRiseColor), nullptr);
        sticks[1].Flush(m_dc, CachedPen(m_penStyle, m_lineWidth, kMacdFallColor), nullptr);
    } else {
        sticks[0].Flush(m_dc, pen, nullptr);
    }
    // Volumes that no other volume overlaps.
    risingVolumes.Flush(m_dc, nullptr, CachedBrush(ChartColors::Rise));
    fallingVolumes.Flush(m_dc, CachedPen(PS_SOLID, 1, ChartColors::Fall), nullptr);
}

void IndicatorPainter::DrawScalar(float number, int barCount, float minimum, float maximum)
{
    if (IsInvalidValue(number) || barCount <= 0)
        return;
    const int y = BandY(number, minimum, maximum);
    if (m_style == kStylePointDot || m_style == kStyleCircleDot || m_style == kStyleCrossDot) {
        for (int i = 0; i < barCount; ++i)
            DrawDot(m_rect.left + i * m_barWidth + m_barWidth / 2, y);
        return;
    }
    const int64_t right = m_rect.left + static_cast<int64_t>(barCount) * m_barWidth;
    DrawLineWithPen(m_dc, CachedPen(m_penStyle, m_lineWidth, m_color), m_rect.left, y,
        static_cast<int>(std::min<int64_t>(right, m_rect.right)), y);
}

bool IndicatorPainter::DrawSeriesLine(const FormulaStatement& statement, const FormulaValueList& values,
    int firstBar, int barCount, float minimum, float maximum)
{
    if (values.empty()) {
        m_style = 0;
        return false;
    }
    if (m_dc) {
        const VARIANT& value = values[0].get();
        SeriesView series;
        double scalar = 0.0;
        if (m_store && ReadSeries(value, *m_store, series))
            DrawSeries(statement.name, series.data, series.count, firstBar, barCount, minimum, maximum);
        else if (!HasSeriesMarker(value) && ReadScalar(value, scalar))
            DrawScalar(static_cast<float>(scalar), barCount, minimum, maximum);
    }
    m_style = 0;
    return true;
}

bool IndicatorPainter::ComputeDrawLine(
    const FormulaValueList& values, const SeriesStore& store, DrawLineShape& shape)
{
    shape = DrawLineShape();
    SeriesView starts;
    if (values.empty() || !ReadSeries(values[0].get(), store, starts))
        return false;
    // Missing arguments count as 0; each of the others is a series or a number.
    SeriesView views[4];
    float scalars[4] = { 0, 0, 0, 0 };
    bool isSeries[4] = { false, false, false, false };
    for (int k = 1; k < 5; ++k) {
        if (static_cast<size_t>(k) >= values.size())
            continue;
        const VARIANT& value = values[k].get();
        if (ReadSeries(value, store, views[k - 1])) {
            isSeries[k - 1] = true;
        } else {
            double number = 0.0;
            if (ReadScalar(value, number))
                scalars[k - 1] = static_cast<float>(number);
        }
    }
    const SeriesView* p1 = isSeries[0] ? &views[0] : nullptr;
    const SeriesView* c2 = isSeries[1] ? &views[1] : nullptr;
    const SeriesView* p2 = isSeries[2] ? &views[2] : nullptr;
    const float mode = isSeries[3] ? (views[3].count ? views[3].data[views[3].count - 1] : 0.0f) : scalars[3];
    const int count = static_cast<int>(starts.count);
    shape.values.assign(starts.count, kInvalidValue);
    if (mode == 0.0f && !c2) {
        for (int i = 0; i < count; ++i) {
            const float c = starts.data[i];
            shape.values[i] = IsInvalidValue(c) ? kInvalidValue
                : c == 0.0f                     ? 0.0f
                : scalars[1] != 0.0f            ? OperandAt(p2, scalars[2], i)
                                                : OperandAt(p1, scalars[0], i);
        }
        return true;
    }
    int end = count - 1;
    while (end >= 0 && !ConditionHolds(c2, scalars[1], end))
        --end;
    if (end < 0)
        return true;
    if (mode == 0.0f) {
        shape.values[end] = OperandAt(p2, scalars[2], end);
        for (int i = end + 1; i < count; ++i)
            if (ConditionHolds(&starts, 0.0f, i))
                shape.values[i] = OperandAt(p1, scalars[0], i);
        return true;
    }
    shape.joined = true;
    while (end >= 0) {
        int start = end - 1;
        while (start >= 0 && !ConditionHolds(&starts, 0.0f, start))
            --start;
        if (start < 0)
            break;
        shape.values[start] = OperandAt(p1, scalars[0], start);
        shape.values[end] = OperandAt(p2, scalars[2], end);
        shape.segments.emplace_back(start, end);
        end = start - 1;
        while (end >= 0 && !ConditionHolds(c2, scalars[1], end))
            --end;
    }
    std::reverse(shape.segments.begin(), shape.segments.end());
    return true;
}

bool IndicatorPainter::DrawLine(const FormulaStatement& statement, const FormulaValueList& values,
    int firstBar, int barCount, float minimum, float maximum)
{
    if (values.empty()) {
        m_style = 0;
        return false;
    }
    DrawLineShape shape;
    if (!m_dc || !m_store || !ComputeDrawLine(values, *m_store, shape)) {
        m_style = 0;
        return true;
    }
    if (!shape.joined) {
        DrawSeries(statement.name, shape.values.data(), static_cast<uint32_t>(shape.values.size()), firstBar,
            barCount, minimum, maximum);
        m_style = 0;
        return true;
    }
    // Each start joined to its end, where both anchors have a value; the
    // segment is clipped by the pane, so anchors outside the visible bars count.
    HPEN pen = CachedPen(m_penStyle, m_lineWidth, m_color);
    const int plotTop = m_rect.top + m_titleHeight;
    const HRGN clip = ::CreateRectRgn(m_rect.left, plotTop, m_rect.right, m_rect.bottom);
    const int saved = ::SaveDC(m_dc);
    if (clip)
        ::ExtSelectClipRgn(m_dc, clip, RGN_AND);
    for (const auto& segment : shape.segments) {
        const float startValue = shape.values[segment.first];
        const float endValue = shape.values[segment.second];
        if (IsInvalidValue(startValue) || IsInvalidValue(endValue))
            continue;
        const int64_t lastBar = static_cast<int64_t>(firstBar) + barCount - 1;
        if (segment.second < firstBar || segment.first > lastBar)
            continue;
        const int64_t x1
            = m_rect.left + (static_cast<int64_t>(segment.first) - firstBar) * m_barWidth + m_barWidth / 2;
        const int64_t x2
            = m_rect.left + (static_cast<int64_t>(segment.second) - firstBar) * m_barWidth + m_barWidth / 2;
        const auto clampX = [](int64_t x) {
            return static_cast<int>(std::max<int64_t>(-(1 << 24), std::min<int64_t>(x, 1 << 24)));
        };
        DrawLineWithPen(m_dc, pen, clampX(x1), BandY(startValue, minimum, maximum), clampX(x2),
            BandY(endValue, minimum, maximum));
    }
    ::RestoreDC(m_dc, saved);
    if (clip)
        ::DeleteObject(clip);
    m_style = 0;
    return true;
}

bool IndicatorPainter::DrawStickLine(const FormulaStatement&, const FormulaValueList& values, int firstBar,
    int barCount, float minimum, float maximum)
{
    m_style = 0;
    if (values.size() < 5)
        return false;
    if (!m_dc)
        return true;
    for (int i = 0; i < barCount; ++i) {
        const int bar = firstBar + i;
        float condition = 0, price1 = 0, price2 = 0, width = 0, empty = 0;
        if (!ValueAt(values[0].get(), bar, condition) || condition == 0.0f || IsInvalidValue(condition))
            continue;
        if (!ValueAt(values[1].get(), bar, price1) || !ValueAt(values[2].get(), bar, price2)
            || IsInvalidValue(price1) || IsInvalidValue(price2))
            continue;
        if (!ValueAt(values[3].get(), bar, width) || IsInvalidValue(width))
            width = 1;
        if (!ValueAt(values[4].get(), bar, empty))
            empty = 0;
        const int x = m_rect.left + i * m_barWidth;
        int bodyLeft = 0;
        int bodyRight = 0;
        GetBarBody(x, bodyLeft, bodyRight);
        const int centre = (bodyLeft + bodyRight) / 2;
        const int sticks = static_cast<int>(std::max(1.0f, std::min(width, 64.0f)));
        const int left = std::max<int>(centre - m_barWidth * sticks / 8, m_rect.left + 1);
        const int right = left + m_barWidth * sticks / 4;
        const int y1 = BandY(price1, minimum, maximum);
        const int y2 = BandY(price2, minimum, maximum);
        RECT stick = { left, std::min(y1, y2), std::max(right, left + 1),
            std::min(std::max(y1, y2), static_cast<int>(m_rect.bottom) - 1) + 1 };
        if (stick.top >= stick.bottom)
            stick.top = stick.bottom - 1;
        HBRUSH brush = CachedBrush(m_color);
        if (!brush)
            continue;
        if (empty == 0.0f)
            ::FillRect(m_dc, &stick, brush);
        else
            ::FrameRect(m_dc, &stick, brush);
    }
    return true;
}

bool IndicatorPainter::DrawIcon(const FormulaStatement&, const FormulaValueList& values, int firstBar,
    int barCount, float minimum, float maximum)
{
    m_style = 0;
    if (values.size() < 3)
        return false;
    GdiObjectCache* cache = GdiObjectCache::Instance();
    HBITMAP strip = cache ? cache->FindImage(kIconStripName) : nullptr;
    BITMAP info;
    if (!m_dc || !strip || ::GetObjectW(strip, sizeof info, &info) != sizeof info || info.bmWidth < kIconCell)
        return true;
    const int cells = info.bmWidth / kIconCell;
    HDC memory = ::CreateCompatibleDC(m_dc);
    if (!memory)
        return true;
    HGDIOBJ old = ::SelectObject(memory, strip);
    const BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    for (int i = 0; i < barCount; ++i) {
        const int bar = firstBar + i;
        float condition = 0, price = 0, type = 0;
        if (!ValueAt(values[0].get(), bar, condition) || condition == 0.0f || IsInvalidValue(condition))
            continue;
        if (!ValueAt(values[1].get(), bar, price) || !(minimum <= price && price <= maximum))
            continue;
        if (!ValueAt(values[2].get(), bar, type) || !std::isfinite(type))
            type = 1;
        const int cell
            = std::max(0, std::min(static_cast<int>(std::max(-1.0f, std::min(type, 1e6f))) - 1, cells - 1));
        const int x = m_rect.left + i * m_barWidth;
        const int y = std::max<int>(BandY(price, minimum, maximum), m_rect.top + m_titleHeight);
        ::GdiAlphaBlend(m_dc, x - kIconCell / 2, y, kIconCell, kIconCell, memory, cell * kIconCell, 0,
            kIconCell, std::min<int>(kIconCell, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight), blend);
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    return true;
}

bool IndicatorPainter::DrawText(const FormulaStatement&, const FormulaValueList& values, int firstBar,
    int barCount, float minimum, float maximum)
{
    m_style = 0;
    if (values.size() < 3)
        return false;
    // Only text is written: a number or a series in its place has no words to show.
    const VARIANT& textValue = values[2].get();
    if (!m_dc || textValue.vt != VT_BSTR || !textValue.bstrVal)
        return true;
    const BSTR text = textValue.bstrVal;
    const int length = static_cast<int>(::SysStringLen(text));
    Selected font(m_dc, CachedFont(kTextFontHeight));
    const COLORREF oldColor = ::SetTextColor(m_dc, m_color);
    const int oldMode = ::SetBkMode(m_dc, TRANSPARENT);
    for (int i = 0; i < barCount; ++i) {
        const int bar = firstBar + i;
        float condition = 0, price = 0;
        if (!ValueAt(values[0].get(), bar, condition) || condition == 0.0f || IsInvalidValue(condition))
            continue;
        if (!ValueAt(values[1].get(), bar, price) || IsInvalidValue(price))
            continue;
        const int x = m_rect.left + i * m_barWidth;
        const int y = std::max<int>(BandY(price, minimum, maximum), m_rect.top);
        ::TextOutW(m_dc, x, y, text, length);
    }
    ::SetBkMode(m_dc, oldMode);
    ::SetTextColor(m_dc, oldColor);
    return true;
}

bool IndicatorPainter::DrawBand(const FormulaStatement&, const FormulaValueList& values, int firstBar,
    int barCount, float minimum, float maximum)
{
    m_style = 0;
    if (values.size() < 4)
        return false;
    if (!m_dc)
        return true;
    const int half = m_barWidth / 2;
    for (int i = 0; i < barCount; ++i) {
        const int bar = firstBar + i;
        float value1 = 0, value2 = 0, color = 0;
        if (!ValueAt(values[0].get(), bar, value1) || !ValueAt(values[2].get(), bar, value2)
            || IsInvalidValue(value1) || IsInvalidValue(value2))
            continue;
        if (!ValueAt(values[1].get(), bar, color))
            color = 0;
        const int x = m_rect.left + i * m_barWidth;
        const int bottomLimit = m_rect.bottom - 1;
        const int y1 = std::min(BandY(value1, minimum, maximum), bottomLimit);
        const int y2 = std::min(BandY(value2, minimum, maximum), bottomLimit);
        const RECT band = { x - half, std::min(y1, y2), x + half, std::max(y1, y2) };
        const COLORREF oldBack = ::SetBkColor(m_dc, ColorOf(color));
        ::ExtTextOutW(m_dc, 0, 0, ETO_OPAQUE, &band, L"", 0, nullptr);
        ::SetBkColor(m_dc, oldBack);
    }
    return true;
}

bool IndicatorPainter::DrawPolyline(const FormulaStatement&, const FormulaValueList&, int, int, float, float)
{
    m_style = 0;
    return false;
}
