// Binary series files whose first bytes happen to look like a byte-order mark load unshifted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/F10Data.h"
#include "data/FenbiData.h"
#include "data/FormuleData.h"
#include "data/KData.h"
#include "data/Rc4.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"

namespace {

// A time whose low bytes, stored little-endian, read as the mark given.
int32_t TimeStartingWith(int32_t around, uint32_t markBytes, uint32_t markMask)
{
    return static_cast<int32_t>((static_cast<uint32_t>(around) & ~markMask) | markBytes);
}

struct Mark
{
    const char* name;
    uint32_t bytes; // little-endian value of the mark's bytes
    uint32_t mask;
};

const Mark kMarks[] = {
    { "FF FE", 0xFEFF, 0xFFFF },
    { "FE FF", 0xFFFE, 0xFFFF },
    { "EF BB BF", 0xBFBBEF, 0xFFFFFF },
};

TEST(ByteOrderMarkLoad, SeriesFilesAreReadFromTheirFirstByte)
{
    TempDirectory dir;
    for (const Mark& mark : kMarks) {
        SCOPED_TRACE(mark.name);
        const int32_t time = TimeStartingWith(T(2011, 8, 17, 10, 0), mark.bytes, mark.mask);

        std::string day;
        AppendPod(day, MakeBar(time, 10, 11, 9, 10.5f));
        AppendPod(day, MakeBar(time + 86400, 10.5f, 12, 10, 11));
        ASSERT_TRUE(WriteTestFile(dir.Path() + "1.day", day));
        CKData bars;
        ASSERT_EQ(bars.Load((dir.Path() + "1.day").c_str(), 1), 1);
        ASSERT_EQ(bars.GetCount(), 2);
        EXPECT_EQ(bars.GetFirstTime(), time);
        EXPECT_EQ(bars.GetBar(1)->close, 11.0f);

        TickFileHeader header = {};
        header.time = time;
        header.previousClose = 10;
        std::string fbl;
        AppendPod(fbl, header);
        AppendPod(fbl, MakeTick(time, 10.25f, 100, 1000));
        ASSERT_TRUE(WriteTestFile(dir.Path() + "1.fbl", fbl));
        CFenbiData ticks;
        ASSERT_EQ(ticks.Load((dir.Path() + "1.fbl").c_str(), 1), 1);
        EXPECT_EQ(ticks.GetHeader().time, time);
        EXPECT_EQ(ticks.GetPrevClose(), 10.0f);
        ASSERT_EQ(ticks.GetCount(), 1);
        EXPECT_EQ(ticks.GetTick(0).price, 10.25f);

        std::string f10;
        AppendPod(f10, time);
        AppendPod(f10, int32_t(2));
        f10 += "text";
        ASSERT_TRUE(WriteTestFile(dir.Path() + "1.f10", f10));
        CF10Data text;
        ASSERT_EQ(text.Load((dir.Path() + "1.f10").c_str(), 1), 1);
        EXPECT_EQ(text.GetFirstTime(), time);
        EXPECT_EQ(std::string(text.GetText()), "text");

        std::string body = "\xFF\xFE<a/>";
        ApplyFormulaCipher(reinterpret_cast<uint8_t*>(&body[0]), body.size());
        std::string formula;
        AppendPod(formula, static_cast<int32_t>(mark.bytes));
        AppendPod(formula, int32_t(7));
        formula += body;
        ASSERT_TRUE(WriteTestFile(dir.Path() + "formula.dat", formula));
        CFormuleData document;
        ASSERT_EQ(document.Load((dir.Path() + "formula.dat").c_str()), 1);
        EXPECT_EQ(document.GetHeaderValue1(), static_cast<int32_t>(mark.bytes));
        EXPECT_EQ(document.GetHeaderValue2(), 7);
        int32_t length = 0;
        const uint8_t* plain = document.GetBuffer(&length);
        ASSERT_EQ(length, 6);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain), 6), "\xFF\xFE<a/>");
    }
}

} // namespace
