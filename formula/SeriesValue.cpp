#include "formula/SeriesValue.h"

#include <cstring>

bool ReadSeries(const VARIANT& value, const SeriesStore& store, SeriesView& view)
{
    if (!HasSeriesMarker(value))
        return false;
    const uint32_t count = SeriesCountOf(value);
    const float* data = static_cast<const float*>(value.byref);
    if (count > kMaxSeriesCount || !store.OwnsSeries(data, count))
        return false;
    view.data = data;
    view.count = count;
    return true;
}

bool ReadScalar(const VARIANT& value, double& number)
{
    switch (value.vt) {
    case VT_I4:
        number = value.lVal;
        return true;
    case VT_R8:
        number = value.dblVal;
        return true;
    case VT_BOOL:
        number = value.boolVal != VARIANT_FALSE ? 1.0 : 0.0;
        return true;
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_CY:
    case VT_DECIMAL: {
        VARIANT converted;
        std::memset(&converted, 0, sizeof converted);
        if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_R8)))
            return false;
        number = converted.dblVal;
        return true;
    }
    default:
        return false;
    }
}

void WriteSeries(VARIANT& value, float* data, uint32_t count)
{
    ::VariantClear(&value);
    std::memset(&value, 0, sizeof value);
    value.vt = VT_EMPTY;
    value.wReserved1 = kSeriesMarker;
    value.wReserved2 = static_cast<WORD>(count & 0xFFFF);
    value.wReserved3 = static_cast<WORD>(count >> 16);
    value.byref = data;
}

void WriteScalar(VARIANT& value, double number)
{
    ::VariantClear(&value);
    std::memset(&value, 0, sizeof value);
    value.vt = VT_R8;
    value.dblVal = number;
}

void WriteInteger(VARIANT& value, LONG number)
{
    ::VariantClear(&value);
    std::memset(&value, 0, sizeof value);
    value.vt = VT_I4;
    value.lVal = number;
}

HRESULT CopyFormulaValue(VARIANT& target, const VARIANT& source)
{
    if (&target == &source)
        return S_OK;
    if (HasSeriesMarker(source)) {
        WriteSeries(target, static_cast<float*>(source.byref), SeriesCountOf(source));
        return S_OK;
    }
    ::VariantClear(&target);
    std::memset(&target, 0, sizeof target);
    const HRESULT hr = ::VariantCopy(&target, const_cast<VARIANT*>(&source));
    if (target.vt != VT_DECIMAL) {
        target.wReserved1 = 0;
        target.wReserved2 = 0;
        target.wReserved3 = 0;
    }
    return hr;
}
