#include "formula/SeriesValue.h"
#include "tests/formula/SeriesTestStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The interpreter copies values with the platform's VariantCopy, and a series
// survives only if the copy carries the reserved words and the value field.
TEST(SeriesCarrier, PlatformVariantCopyCarriesASeries)
{
    std::vector<float> elements(70000);
    VARIANT source;
    std::memset(&source, 0, sizeof source);
    WriteSeries(source, elements.data(), 70000);
    VARIANT target;
    std::memset(&target, 0xCD, sizeof target);
    target.vt = VT_EMPTY;
    ASSERT_EQ(S_OK, ::VariantCopy(&target, &source));
    EXPECT_EQ(VT_EMPTY, target.vt);
    EXPECT_EQ(kSeriesMarker, target.wReserved1);
    EXPECT_EQ(70000u, SeriesCountOf(target));
    EXPECT_EQ(static_cast<void*>(elements.data()), target.byref);
    ::VariantClear(&target);
    // Clearing a series leaves its buffer alone (it would crash otherwise) and
    // the marker where it was: only the type word is reset.
    EXPECT_EQ(VT_EMPTY, target.vt);
}

TEST(SeriesCarrier, OwnCopiesCarryASeriesAndCleanScalars)
{
    SeriesTestStore store;
    VARIANT series = store.Make({ 1, 2, 3 });
    VARIANT copy;
    std::memset(&copy, 0, sizeof copy);
    WriteScalar(copy, 9); // whatever was there is replaced
    ASSERT_EQ(S_OK, CopyFormulaValue(copy, series));
    SeriesView view;
    ASSERT_TRUE(ReadSeries(copy, store, view));
    EXPECT_EQ(3u, view.count);
    EXPECT_EQ(2.0f, view.data[1]);

    // A number that arrives with a stale marker is copied as a plain number.
    VARIANT stale;
    std::memset(&stale, 0, sizeof stale);
    stale.vt = VT_R8;
    stale.dblVal = 2.5;
    stale.wReserved1 = kSeriesMarker;
    stale.wReserved2 = 77;
    ASSERT_EQ(S_OK, CopyFormulaValue(copy, stale));
    EXPECT_EQ(VT_R8, copy.vt);
    EXPECT_EQ(2.5, copy.dblVal);
    EXPECT_EQ(0, copy.wReserved1);
    EXPECT_EQ(0, copy.wReserved2);

    // Strings are duplicated, not shared.
    VARIANT text;
    std::memset(&text, 0, sizeof text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"abc");
    ASSERT_EQ(S_OK, CopyFormulaValue(copy, text));
    EXPECT_EQ(VT_BSTR, copy.vt);
    EXPECT_NE(text.bstrVal, copy.bstrVal);
    EXPECT_STREQ(L"abc", copy.bstrVal);
    ::VariantClear(&text);
    ::VariantClear(&copy);
}

TEST(SeriesCarrier, ScalarWritersZeroTheReservedWords)
{
    SeriesTestStore store;
    VARIANT value = store.Make({ 1, 2 });
    WriteScalar(value, 2.7);
    EXPECT_EQ(VT_R8, value.vt);
    EXPECT_EQ(2.7, value.dblVal);
    EXPECT_EQ(0, value.wReserved1);
    EXPECT_EQ(0, value.wReserved2);
    EXPECT_EQ(0, value.wReserved3);
    value = store.Make({ 1, 2 });
    WriteInteger(value, -4);
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(-4, value.lVal);
    EXPECT_EQ(0, value.wReserved1);
    SeriesView view;
    EXPECT_FALSE(ReadSeries(value, store, view));
}

}
