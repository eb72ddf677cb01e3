#pragma once
// How a formula value travels inside a VARIANT. A scalar is an ordinary
// VARIANT. A series is a VARIANT of type VT_EMPTY whose first reserved word
// holds kSeriesMarker, whose second and third reserved words hold the element
// count (low and high 16 bits) and whose value field points to the floats.
// The floats never belong to the VARIANT: clearing or copying one neither
// frees nor duplicates them, so copies of a series share one buffer.
//
// OLE leaves reserved words as it finds them and some of its conversions fill
// them with stack bytes, so the marker alone proves nothing: only the owner of
// the buffers (the formula host, through SeriesStore) can say whether a marked
// value really is one of its series, and with how many elements at most.
#include <windows.h>
#include <oleauto.h>

#include <cstdint>

const WORD kSeriesMarker = 1111;

// An element without a value: a window's warm-up, a division by zero, a missing bar.
const float kInvalidValue = -1000000.0f;

// Five-minute histories pass 65,535 bars, so the count has 32 bits; a
// buffer is still bounded by what a 32-bit process can address.
const uint32_t kMaxSeriesCount = 0x3FFFFFFFu;

inline bool IsInvalidValue(float value)
{
    return value == kInvalidValue;
}

// A read-only look at a series' elements.
struct SeriesView
{
    const float* data = nullptr;
    uint32_t count = 0;
};

// The owner of the series buffers: the formula host answers for its pool
// buffers and the price arrays bound to it.
class SeriesStore
{
public:
    // True when data is the start of one of the store's buffers and that
    // buffer holds at least count floats.
    virtual bool OwnsSeries(const float* data, uint32_t count) const = 0;
    // A buffer of count floats, its contents whatever its last user left:
    // the caller writes every element. Throws std::bad_alloc when none can be had.
    virtual float* NewSeries(uint32_t count) = 0;

protected:
    ~SeriesStore() { }
};

// Series bound when a run first reads their name instead of before it: asked
// for a name that is not bound, gives the floats to bind under it (false when
// it has none). They must outlive the run.
class SeriesSupplier
{
public:
    virtual bool SupplySeries(const wchar_t* name, float** data, uint32_t* count) = 0;

protected:
    ~SeriesSupplier() { }
};

// The marker, the type and the count as they stand, without asking the owner;
// use ReadSeries before touching the elements.
inline bool HasSeriesMarker(const VARIANT& value)
{
    return value.vt == VT_EMPTY && value.wReserved1 == kSeriesMarker;
}

inline uint32_t SeriesCountOf(const VARIANT& value)
{
    return static_cast<uint32_t>(value.wReserved2) | (static_cast<uint32_t>(value.wReserved3) << 16);
}

// A series value when the VARIANT carries the marker and its pointer and count
// are vouched for by the store; otherwise false and view untouched.
bool ReadSeries(const VARIANT& value, const SeriesStore& store, SeriesView& view);

// The number of a scalar, read by its type: VT_I4, VT_R8, VT_BOOL as 1 or 0,
// the other numeric types through VariantChangeType. Strings, empty values,
// dates, objects and series are no numbers: false.
bool ReadScalar(const VARIANT& value, double& number);

// Replaces whatever value held (it is cleared first) by a series.
void WriteSeries(VARIANT& value, float* data, uint32_t count);

// Replaces whatever value held by a VT_R8 scalar with zeroed reserved words:
// the one way scalars are written, so no stale marker survives a reuse.
void WriteScalar(VARIANT& value, double number);

// Replaces whatever value held by a VT_I4 scalar with zeroed reserved words.
void WriteInteger(VARIANT& value, LONG number);

// Copies source into target (cleared first). A series is copied with its
// marker, count and pointer whatever the platform's VariantCopy does with
// reserved words; any other value goes through VariantCopy. S_OK or its failure.
HRESULT CopyFormulaValue(VARIANT& target, const VARIANT& source);
