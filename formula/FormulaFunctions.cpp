// The built-in handlers: argument rules around the workers of FormulaKernels.h.
#include "formula/FormulaFunctions.h"

#include "formula/FormulaKernels.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

// A number as a series element: one too large for a float has no value.
float ToElement(double number)
{
    return std::fabs(number) <= FLT_MAX ? static_cast<float>(number) : kInvalidValue;
}

int Length(const SeriesView& view)
{
    return static_cast<int>(view.count);
}

SeriesOperand Operand(const SeriesView& view)
{
    return SeriesOperand::Series(view.data, Length(view));
}

// A count argument: a number, bounded to what a series of count elements can
// use and truncated toward zero. A series in its place would be read as the
// bits of its pointer: the call fails instead.
bool ReadCount(const FormulaCall& call, int index, uint32_t count, int& n)
{
    double number = 0.0;
    if (call.IsSeries(index) || !call.ReadNumber(index, number) || number != number)
        return false;
    const double limit = static_cast<double>(count) + 1.0;
    n = static_cast<int>(std::max(-limit, std::min(limit, number)));
    return true;
}

// A number argument that is no count (a weight, a target).
bool ReadPlainNumber(const FormulaCall& call, int index, double& number)
{
    return !call.IsSeries(index) && call.ReadNumber(index, number) && number == number;
}

// An argument that may be a series or a number; an empty one (a DRAWLINE
// argument not given) counts as 0 where allowed.
bool ReadOperand(const FormulaCall& call, int index, SeriesOperand& operand, bool emptyIsZero = false)
{
    SeriesView view;
    if (call.ReadSeries(index, view)) {
        operand = Operand(view);
        return true;
    }
    double number = 0.0;
    if (call.ReadNumber(index, number)) {
        operand = SeriesOperand::Scalar(ToElement(number));
        return true;
    }
    if (emptyIsZero && call.Argument(index).vt == VT_EMPTY) {
        operand = SeriesOperand::Scalar(0.0f);
        return true;
    }
    return false;
}

// The first argument as a series. A scalar one is the result as it stands; a
// series without elements fails the call. True when that settled the call,
// with the call's answer in `answer`; false when x holds a series to work on.
bool SettledByFirst(FormulaCall& call, SeriesView& x, bool& answer)
{
    if (!call.ReadSeries(0, x)) {
        call.ReturnArgument(0);
        answer = true;
        return true;
    }
    answer = false;
    return x.count == 0;
}

// X and a count N: worker(x, count, n, out) fills out; a worker that
// answers false fails the call.
template <typename Worker> bool CountedSeries(FormulaCall& call, Worker worker)
{
    SeriesView x;
    bool answer = false;
    if (SettledByFirst(call, x, answer))
        return answer;
    int n = 0;
    if (!ReadCount(call, 1, x.count, n))
        return false;
    float* out = call.NewSeries(x.count);
    if constexpr (std::is_void_v<decltype(worker(x.data, Length(x), n, out))>)
        worker(x.data, Length(x), n, out);
    else if (!worker(x.data, Length(x), n, out))
        return false;
    call.ReturnSeries(out, x.count);
    return true;
}

// X alone, element by element; scalar(number, result) answers a scalar X
// (false: the call fails).
template <typename Worker, typename Scalar> bool Elementwise(FormulaCall& call, Worker worker, Scalar scalar)
{
    SeriesView x;
    if (!call.ReadSeries(0, x)) {
        double number = 0.0;
        return call.ReadNumber(0, number) && scalar(call, number);
    }
    if (x.count == 0)
        return false;
    float* out = call.NewSeries(x.count);
    worker(x.data, Length(x), out);
    call.ReturnSeries(out, x.count);
    return true;
}

// X alone; a scalar X is the result as it stands.
template <typename Worker> bool WholeSeries(FormulaCall& call, Worker worker)
{
    SeriesView x;
    bool answer = false;
    if (SettledByFirst(call, x, answer))
        return answer;
    float* out = call.NewSeries(x.count);
    worker(x.data, Length(x), out);
    call.ReturnSeries(out, x.count);
    return true;
}

// The count of a result over two operands, at least one of them a series:
// the first argument's when it is one.
uint32_t ResultCount(const SeriesOperand& a, const SeriesOperand& b)
{
    return static_cast<uint32_t>(a.IsSeries() ? a.count : b.count);
}

template <typename Worker, typename Scalars> bool Pairwise(FormulaCall& call, Worker worker, Scalars scalars)
{
    SeriesOperand a, b;
    if (!ReadOperand(call, 0, a) || !ReadOperand(call, 1, b))
        return false;
    if (!a.IsSeries() && !b.IsSeries()) {
        double left = 0.0, right = 0.0;
        call.ReadNumber(0, left);
        call.ReadNumber(1, right);
        call.ReturnNumber(scalars(left, right));
        return true;
    }
    const uint32_t count = ResultCount(a, b);
    if (count == 0)
        return false;
    float* out = call.NewSeries(count);
    worker(a, b, static_cast<int>(count), out);
    call.ReturnSeries(out, count);
    return true;
}

template <bool Negated> bool Condition(FormulaCall& call)
{
    SeriesView cond;
    if (!call.ReadSeries(0, cond)) {
        double number = 0.0;
        if (!call.ReadNumber(0, number))
            return false;
        call.ReturnArgument((number != 0.0) != Negated ? 1 : 2);
        return true;
    }
    if (cond.count == 0)
        return false;
    SeriesOperand a, b;
    if (!ReadOperand(call, 1, a) || !ReadOperand(call, 2, b))
        return false;
    float* out = call.NewSeries(cond.count);
    if (Negated)
        SeriesIFN(cond.data, Length(cond), a, b, out);
    else
        SeriesIF(cond.data, Length(cond), a, b, out);
    call.ReturnSeries(out, cond.count);
    return true;
}

// An inverse trigonometric function of a scalar, as a real number; outside
// its domain it has no value.
bool ReturnInverse(FormulaCall& call, double number, double (*function)(double), bool bounded)
{
    if (number == kInvalidValue || (bounded && (number < -1.0 || number > 1.0)))
        call.ReturnNumber(kInvalidValue);
    else
        call.ReturnNumber(function(number));
    return true;
}

// A colour channel: the number truncated toward zero, its low byte.
LONG Channel(double number)
{
    const double bounded = std::max(-2147483648.0, std::min(2147483647.0, number));
    return static_cast<LONG>(bounded) & 255;
}

} // namespace

bool FormulaHHV(FormulaCall& call)
{
    return CountedSeries(call, SeriesHHV);
}

bool FormulaLLV(FormulaCall& call)
{
    return CountedSeries(call, SeriesLLV);
}

bool FormulaRGB(FormulaCall& call)
{
    double red = 0.0, green = 0.0, blue = 0.0;
    if (!ReadPlainNumber(call, 0, red) || !ReadPlainNumber(call, 1, green) || !ReadPlainNumber(call, 2, blue))
        return false;
    call.ReturnInteger((Channel(blue) << 16) | (Channel(green) << 8) | Channel(red));
    return true;
}

bool FormulaREF(FormulaCall& call)
{
    SeriesView x, distances;
    const bool seriesX = call.ReadSeries(0, x);
    if (call.ReadSeries(1, distances)) {
        // Per-element distances; a scalar X is repeated where they reach a bar.
        SeriesOperand source;
        if (!ReadOperand(call, 0, source))
            return false;
        const uint32_t count = seriesX ? x.count : distances.count;
        if (count == 0)
            return false;
        float* out = call.NewSeries(count);
        SeriesREFByDistances(source, Operand(distances), static_cast<int>(count), out);
        call.ReturnSeries(out, count);
        return true;
    }
    return CountedSeries(call, SeriesREF);
}

bool FormulaEMA(FormulaCall& call)
{
    return CountedSeries(call, SeriesEMA);
}

bool FormulaMA(FormulaCall& call)
{
    return CountedSeries(call, SeriesMA);
}

bool FormulaSMA(FormulaCall& call)
{
    SeriesView x;
    bool answer = false;
    if (SettledByFirst(call, x, answer))
        return answer;
    int n = 0, m = 0;
    if (!ReadCount(call, 1, x.count, n) || !ReadCount(call, 2, x.count, m))
        return false;
    float* out = call.NewSeries(x.count);
    SeriesSMA(x.data, Length(x), n, m, out);
    call.ReturnSeries(out, x.count);
    return true;
}

bool FormulaSTD(FormulaCall& call)
{
    return CountedSeries(call, SeriesSTD);
}

bool FormulaAVEDEV(FormulaCall& call)
{
    return CountedSeries(call, SeriesAVEDEV);
}

bool FormulaABS(FormulaCall& call)
{
    return Elementwise(call, SeriesABS, [](FormulaCall& c, double number) {
        // An integer stays an integer, as OLE's own absolute value keeps it.
        if (c.Argument(0).vt == VT_I4 && c.Argument(0).lVal != LONG_MIN)
            c.ReturnInteger(c.Argument(0).lVal < 0 ? -c.Argument(0).lVal : c.Argument(0).lVal);
        else
            c.ReturnNumber(std::fabs(number));
        return true;
    });
}

bool FormulaACOS(FormulaCall& call)
{
    return Elementwise(call, SeriesACOS,
        [](FormulaCall& c, double number) { return ReturnInverse(c, number, std::acos, true); });
}

bool FormulaASIN(FormulaCall& call)
{
    return Elementwise(call, SeriesASIN,
        [](FormulaCall& c, double number) { return ReturnInverse(c, number, std::asin, true); });
}

bool FormulaATAN(FormulaCall& call)
{
    return Elementwise(call, SeriesATAN,
        [](FormulaCall& c, double number) { return ReturnInverse(c, number, std::atan, false); });
}

bool FormulaSUM(FormulaCall& call)
{
    SeriesView x;
    if (!call.ReadSeries(0, x)) {
        // The sum of a number is that number.
        double number = 0.0;
        if (!call.ReadNumber(0, number))
            return false;
        call.ReturnNumber(number);
        return true;
    }
    if (x.count == 0)
        return false;
    SeriesView counts;
    if (call.ReadSeries(1, counts)) {
        float* out = call.NewSeries(x.count);
        SeriesSUMByCounts(x.data, Length(x), counts.data, Length(counts), out);
        call.ReturnSeries(out, x.count);
        return true;
    }
    return CountedSeries(call, SeriesSUM);
}

// MAX and MIN treat both arguments alike: a fractional number first is not
// truncated.
bool FormulaMIN(FormulaCall& call)
{
    return Pairwise(call, SeriesMIN, [](double a, double b) { return std::min(a, b); });
}

bool FormulaMAX(FormulaCall& call)
{
    return Pairwise(call, SeriesMAX, [](double a, double b) { return std::max(a, b); });
}

bool FormulaNOT(FormulaCall& call)
{
    return Elementwise(call, SeriesNOT, [](FormulaCall& c, double number) {
        c.ReturnNumber(number == 0.0 ? 1.0 : 0.0);
        return true;
    });
}

bool FormulaIF(FormulaCall& call)
{
    return Condition<false>(call);
}

bool FormulaIFN(FormulaCall& call)
{
    return Condition<true>(call);
}

bool FormulaCROSS(FormulaCall& call)
{
    return Pairwise(call, SeriesCROSS, [](double, double) { return 0.0; });
}

bool FormulaUPNDAY(FormulaCall& call)
{
    return CountedSeries(call, SeriesUPNDAY);
}

bool FormulaDOWNNDAY(FormulaCall& call)
{
    return CountedSeries(call, SeriesDOWNNDAY);
}

bool FormulaFILTER(FormulaCall& call)
{
    return CountedSeries(call, SeriesFILTER);
}

bool FormulaCOUNT(FormulaCall& call)
{
    return CountedSeries(call, SeriesCOUNT);
}

bool FormulaREVERSE(FormulaCall& call)
{
    return Elementwise(call, SeriesREVERSE, [](FormulaCall& c, double number) {
        c.ReturnNumber(-number);
        return true;
    });
}

bool FormulaBARSLAST(FormulaCall& call)
{
    return WholeSeries(call, SeriesBARSLAST);
}

bool FormulaHHVBARS(FormulaCall& call)
{
    return CountedSeries(call, SeriesHHVBARS);
}

bool FormulaLLVBARS(FormulaCall& call)
{
    return CountedSeries(call, SeriesLLVBARS);
}

bool FormulaBARSCOUNT(FormulaCall& call)
{
    return WholeSeries(call, [](const float*, int count, float* out) { SeriesBARSCOUNT(count, out); });
}

bool FormulaSUMBARS(FormulaCall& call)
{
    SeriesView x;
    bool answer = false;
    if (SettledByFirst(call, x, answer))
        return answer;
    double target = 0.0;
    if (!ReadPlainNumber(call, 1, target))
        return false;
    float* out = call.NewSeries(x.count);
    SeriesSUMBARS(x.data, Length(x), ToElement(target), out);
    call.ReturnSeries(out, x.count);
    return true;
}

bool FormulaBACKSET(FormulaCall& call)
{
    return CountedSeries(call, SeriesBACKSET);
}

bool FormulaDMA(FormulaCall& call)
{
    SeriesView x;
    bool answer = false;
    if (SettledByFirst(call, x, answer))
        return answer;
    SeriesView weights;
    const bool seriesWeights = call.ReadSeries(1, weights);
    double weight = 0.0;
    if (!seriesWeights && !ReadPlainNumber(call, 1, weight))
        return false;
    float* out = call.NewSeries(x.count);
    if (seriesWeights)
        SeriesDMAByWeights(x.data, Length(x), weights.data, Length(weights), out);
    else
        SeriesDMA(x.data, Length(x), ToElement(weight), out);
    call.ReturnSeries(out, x.count);
    return true;
}

bool FormulaZIG(FormulaCall& call)
{
    // The host has already put the price series in place of a number 0 to 3.
    SeriesView x;
    bool answer = false;
    if (SettledByFirst(call, x, answer))
        return answer;
    // A whole percentage, not a count of bars.
    double percent = 0.0;
    if (!ReadPlainNumber(call, 1, percent))
        return false;
    float* out = call.NewSeries(x.count);
    if (!SeriesZIG(x.data, Length(x), std::trunc(percent), out))
        return false;
    call.ReturnSeries(out, x.count);
    return true;
}

bool FormulaWINNER(FormulaCall& call)
{
    SeriesView open, high, low, volume;
    if (!call.ReadVariableSeries(L"OPEN", open))
        return call.ReturnVariable(L"OPEN");
    if (open.count == 0)
        return false;
    VARIANT capitalValue;
    std::memset(&capitalValue, 0, sizeof capitalValue);
    double capital = 0.0;
    const bool haveCapital = call.GetVariable(L"CAPITAL", &capitalValue) && ReadScalar(capitalValue, capital);
    ::VariantClear(&capitalValue);
    SeriesOperand price;
    if (!haveCapital || !call.ReadVariableSeries(L"HIGH", high) || !call.ReadVariableSeries(L"LOW", low)
        || !call.ReadVariableSeries(L"VOL", volume) || !ReadOperand(call, 0, price))
        return false;
    float* out = call.NewSeries(open.count);
    if (!SeriesWINNER(Operand(high), Operand(low), Operand(volume), price, capital, Length(open), out))
        return false;
    call.ReturnSeries(out, open.count);
    return true;
}

bool FormulaEVERY(FormulaCall& call)
{
    return CountedSeries(call, SeriesEVERY);
}

bool FormulaSLOPE(FormulaCall& call)
{
    return CountedSeries(call, SeriesSLOPE);
}

bool FormulaDRAWLINE(FormulaCall& call)
{
    SeriesView starts;
    bool answer = false;
    if (SettledByFirst(call, starts, answer))
        return answer;
    SeriesOperand p1, c2, p2, mode;
    if (!ReadOperand(call, 1, p1, true) || !ReadOperand(call, 2, c2, true) || !ReadOperand(call, 3, p2, true)
        || !ReadOperand(call, 4, mode, true) || mode.IsSeries())
        return false;
    const float e = mode.scalar;
    const int extension = std::fabs(e) < 2147483647.0f ? static_cast<int>(e) : 1;
    float* out = call.NewSeries(starts.count);
    SeriesDRAWLINE(starts.data, Length(starts), p1, c2, p2, extension, out);
    call.ReturnSeries(out, starts.count);
    return true;
}
