// F10 text: splitting into sections, the title list, replies and files.
#include <gtest/gtest.h>

#include <string>

#include "base/CPFile.h"
#include "data/DataUpdateNotify.h"
#include "data/F10Data.h"
#include "tests/support/SeriesFixtures.h"
#include "tests/support/TempDataRoot.h"

namespace {

// GBK bytes, written out so the test does not depend on the source charset.
const std::string kStar = "\xA1\xEE";
const std::string kLatest = "\xD7\xEE\xD0\xC2\xCC\xE1\xCA\xBE"; // 最新提示
const std::string kCompany = "\xB9\xAB\xCB\xBE\xB8\xC5\xBF\xF6"; // 公司概况
const std::string kEquity = "\xB9\xC9\xC8\xA8\xBD\xE1\xB9\xB9"; // 股权结构
const std::string kUnknown = "\xB2\xE2\xCA\xD4\xB1\xEA\xCC\xE2"; // 测试标题
const std::string kDing = "\xB6\xA1"; // 丁
const std::string kTing = "\xEE\xA1"; // 町

std::string Heading(const std::string& title)
{
    return kStar + title + kStar;
}
std::string Padding()
{
    return std::string(120, 'x');
}

class F10Split : public ::testing::Test
{
protected:
    void SetUp() override { InitF10SectionTitles(); }
    void TearDown() override { InitF10SectionTitles(); }
    F10SectionMap sections;
};

TEST_F(F10Split, HeadingsMakeSectionsAndRewriteTheTitleList)
{
    const std::string text
        = "preamble" + Heading(kLatest) + "A body" + Padding() + Heading(kCompany) + "B body";
    ASSERT_TRUE(SplitF10Sections(text.data(), static_cast<int32_t>(text.size()), sections));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[kLatest], "A body" + Padding());
    EXPECT_EQ(sections[kCompany], "B body");
    const std::vector<std::string> titles = GetF10SectionTitles();
    EXPECT_EQ(titles[0], kLatest);
    EXPECT_EQ(titles[1], kCompany);
}

TEST_F(F10Split, MarkerOutsideTheTitleListBecomesEntryI)
{
    const std::string text = Padding() + Heading(kEquity) + "equity body";
    ASSERT_TRUE(SplitF10Sections(text.data(), static_cast<int32_t>(text.size()), sections));
    ASSERT_EQ(sections.count(kEquity), 1u);
    EXPECT_EQ(GetF10SectionTitles()[0], kEquity);
}

TEST_F(F10Split, UnknownTitlesEmptyBodiesAndShortTexts)
{
    // A star, a title in no marker and a star stay in the body.
    const std::string unknown = Heading(kLatest) + "body " + Heading(kUnknown) + " more" + Padding();
    ASSERT_TRUE(SplitF10Sections(unknown.data(), static_cast<int32_t>(unknown.size()), sections));
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[kLatest], "body " + Heading(kUnknown) + " more" + Padding());

    // An empty section is not stored and does not advance the title list.
    const std::string empty = Padding() + Heading(kLatest) + Heading(kCompany) + "B";
    ASSERT_TRUE(SplitF10Sections(empty.data(), static_cast<int32_t>(empty.size()), sections));
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections.count(kCompany), 1u);
    EXPECT_EQ(GetF10SectionTitles()[0], kCompany);

    const std::string shortText = Heading(kLatest) + "short";
    EXPECT_FALSE(SplitF10Sections(shortText.data(), static_cast<int32_t>(shortText.size()), sections));
    EXPECT_EQ(sections.size(), 1u) << "nothing changes";
}

TEST_F(F10Split, AStarIsNeverFoundAcrossACharacterBoundary)
{
    // 丁 followed by 町 holds the bytes A1 EE across the boundary; a byte walk would open a
    // heading candidate there and swallow the real heading behind it.
    const std::string text
        = Padding() + Heading(kLatest) + "A" + kDing + kTing + Heading(kCompany) + "B body";
    ASSERT_TRUE(SplitF10Sections(text.data(), static_cast<int32_t>(text.size()), sections));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[kLatest], "A" + kDing + kTing);
    EXPECT_EQ(sections[kCompany], "B body");
}

TEST_F(F10Split, OnlyAWholeMarkerBetweenStarsIsAHeading)
{
    // A star followed by more than a title's length of text gives up the candidate, so the
    // heading behind it is still found; a part of a marker between stars is text.
    const std::string longRun = "abcdefghijklmn";
    const std::string partial = kStar + kLatest.substr(0, 6) + kStar;
    const std::string text
        = Padding() + Heading(kLatest) + "A" + kStar + longRun + partial + Heading(kCompany) + "B body";
    ASSERT_TRUE(SplitF10Sections(text.data(), static_cast<int32_t>(text.size()), sections));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[kLatest], "A" + kStar + longRun + partial);
    EXPECT_EQ(sections[kCompany], "B body");
}

TEST_F(F10Split, ACandidateOpenAtTheEndStaysText)
{
    const std::string text = Padding() + Heading(kLatest) + "body" + kStar + "abc";
    ASSERT_TRUE(SplitF10Sections(text.data(), static_cast<int32_t>(text.size()), sections));
    EXPECT_EQ(sections[kLatest], "body" + kStar + "abc");
}

std::string F10Reply(int32_t first, int32_t last, const std::string& text)
{
    std::string bytes;
    AppendPod(bytes, first);
    AppendPod(bytes, last);
    return bytes + text;
}

TEST(F10Data, MergeReplacesTheSectionsOfAnOlderText)
{
    InitF10SectionTitles();
    const int32_t now = T(2011, 8, 17, 10, 0);
    ScopedServerTime server(now);
    CF10Data f10;
    CMemoryStream first;
    FillStream(first, F10Reply(1, 2, Padding() + Heading(kLatest) + "old"));
    ASSERT_EQ(f10.Merge(0, &first), 1);
    EXPECT_EQ(f10.GetSections().count(kLatest), 1u);
    EXPECT_EQ(f10.GetLastTime(), now);
    EXPECT_EQ(f10.GetFirstTime(), 1);

    CMemoryStream second;
    FillStream(second, F10Reply(1, 2, Padding() + Heading(kCompany) + "new"));
    ASSERT_EQ(f10.Merge(0, &second), 1);
    ASSERT_EQ(f10.GetSections().size(), 1u);
    EXPECT_EQ(f10.GetSections().begin()->first, kCompany);

    // 50 bytes of text are stored without sections.
    CMemoryStream small;
    FillStream(small, F10Reply(1, 2, std::string(50, 'y')));
    ASSERT_EQ(f10.Merge(0, &small), 1);
    EXPECT_EQ(f10.GetTextLength(), 50);
    EXPECT_TRUE(f10.GetSections().empty());
    EXPECT_EQ(f10.IsDirty(), 1);

    // Replies too short for the two times are refused.
    CMemoryStream tiny;
    FillStream(tiny, std::string(4, '\x01'));
    EXPECT_EQ(f10.Merge(0, &tiny), 0);
    EXPECT_EQ(f10.GetTextLength(), 50);
    EXPECT_EQ(f10.GetFirstTime(), 1);
    f10.SetActive(0);
    InitF10SectionTitles();
}

// A refused text is a failed merge: nothing is marked, no notice goes out,
// and the next request still asks from the time of the text held.
TEST(F10Data, RepliesThatAreNoF10TextAreFailedMerges)
{
    InitF10SectionTitles();
    const int32_t now = T(2011, 8, 17, 10, 0);
    ScopedServerTime server(now);
    RecordingDataProvider provider;
    ScopedDataProvider scope(&provider);
    struct Notices : CDataUpdateNotiy
    {
        int OnDataUpdate(int, uint32_t) override { return ++count; }
        int count = 0;
    } notices;
    CF10Data f10;
    f10.SetKey(0x600000);
    f10.SetNotifier(&notices);
    ASSERT_EQ(f10.RequestData(0), 1);
    const std::string good = F10Reply(1, 2, Padding() + Heading(kLatest) + "held");
    provider.Complete(0, &good);
    ASSERT_EQ(notices.count, 1);
    f10.SetActive(0);
    const std::string text = f10.GetText();

    struct Case
    {
        const char* name;
        std::string reply;
    };
    const Case cases[] = {
        { "a text over 2 MiB", F10Reply(1, 2, std::string(CF10Data::kMaxTextLength + 1, 'x')) },
        { "bytes that are no text", F10Reply(1, 2, Padding() + std::string("\x01\x02\x03\x00xyz", 7)) },
        { "a lead byte before no character", F10Reply(1, 2, Padding() + "\xD7 x") },
        { "a four-byte sequence cut short", F10Reply(1, 2, Padding() + "\x82\x31\xB7x") },
        { "a byte no text has", F10Reply(1, 2, Padding() + "\xFF") },
        { "a time before 1970", F10Reply(-5, 2, Padding()) },
        { "a first time past the window", F10Reply(now + 30 * 86400, 2, Padding()) },
        { "the text delivered as received", Padding() + Heading(kCompany) + "body" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f10.SetKey(0x600000);
        ASSERT_EQ(f10.RequestData(0), 1);
        const size_t sent = provider.requests.size() - 1;
        EXPECT_EQ(provider.requests[sent].from, static_cast<uint32_t>(now)) << "asked from the text held";
        provider.Complete(sent, &c.reply);
        EXPECT_EQ(notices.count, 1);
        EXPECT_EQ(f10.GetText(), text);
        EXPECT_EQ(f10.GetLastTime(), now);
        EXPECT_EQ(f10.GetFirstTime(), 1);
        EXPECT_EQ(f10.IsActive(), 0);
        EXPECT_EQ(f10.GetSections().count(kLatest), 1u);
    }
    // What code page 936 and GB18030 texts hold is text. A character cut by
    // a fixed-width column before a line break or at the end loses its half,
    // as a reader shows it; the rest is taken as it came.
    const struct
    {
        const char* name;
        std::string text;
        std::string taken;
    } real[] = {
        { "NULs at the end, line breaks and tabs", "\r\n\tline" + std::string(3, '\0'), "" },
        { "a lone lead byte before a line break", "\xB9\xAB\xCB\r\nnext\xD7\n", "\xB9\xAB\r\nnext\n" },
        { "a lone lead byte at the end", "end\xD7", "end" },
        { "a four-byte GB18030 character in a name", "\xCD\xF5\x82\x31\xB7\x39", "" },
        { "a form feed", "page\fpage", "" },
        { "a trailing end-of-file mark", "end\x1A", "" },
        { "the euro sign of code page 936", "\x80" "100", "" },
    };
    int notified = notices.count;
    for (const auto& c : real) {
        SCOPED_TRACE(c.name);
        const std::string reply = F10Reply(1, 2, Padding() + c.text);
        ASSERT_EQ(f10.RequestData(0), 1);
        provider.Complete(provider.requests.size() - 1, &reply);
        EXPECT_EQ(notices.count, ++notified);
        EXPECT_EQ(std::string(f10.GetText(), f10.GetTextLength()), Padding() + (c.taken.empty() ? c.text : c.taken));
        f10.SetActive(0);
    }
    // The reply's second time is the server's business: the server time replaces it.
    const std::string unsetTime = F10Reply(1, -1, Padding() + "unset");
    ASSERT_EQ(f10.RequestData(0), 1);
    provider.Complete(provider.requests.size() - 1, &unsetTime);
    EXPECT_EQ(notices.count, ++notified);
    EXPECT_EQ(f10.GetLastTime(), now);
    f10.SetNotifier(nullptr);
    f10.SetActive(0);
    InitF10SectionTitles();
}

TEST(F10Data, TextLimitAndFileRoundTrip)
{
    InitF10SectionTitles();
    TempDirectory dir;
    const std::string path = dir.Path() + "600000.f10";
    CF10Data f10;
    EXPECT_EQ(f10.AllocText(CF10Data::kMaxTextLength + 1), 0);
    EXPECT_EQ(f10.AllocText(-3), 0);
    EXPECT_EQ(f10.AllocText(CF10Data::kMaxTextLength), 1);
    CMemoryStream reply;
    FillStream(reply, F10Reply(5, 6, Padding() + Heading(kLatest) + "saved"));
    ASSERT_EQ(f10.Merge(0, &reply), 1);
    ASSERT_EQ(f10.Save(path.c_str()), 1);

    CF10Data loaded;
    ASSERT_EQ(loaded.Load(path.c_str(), 0x600000), 1);
    EXPECT_EQ(loaded.GetFirstTime(), 5);
    EXPECT_EQ(loaded.GetTextLength(), f10.GetTextLength());
    EXPECT_EQ(loaded.GetSections().count(kLatest), 1u);
    CF10Data snapshot;
    EXPECT_EQ(loaded.CopyTo(&snapshot), 1);
    EXPECT_EQ(snapshot.GetSections().count(kLatest), 1u);
    EXPECT_EQ(loaded.IsActive(), 0);
    CF10Data missing;
    EXPECT_EQ(missing.Load((dir.Path() + "none.f10").c_str(), 1), 0);
    InitF10SectionTitles();
}

} // namespace
