// The windowless tab strip: its rows, clicks and what it tells its owner,
// and how it draws.
#include "skin/SkinTabManager.h"
#include "win/Dib32.h"
#include "win/Gdi.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// How many tabs each row of a layout holds, from the rectangles' tops.
std::vector<int> RowSizes(const std::vector<CRect>& rects)
{
    std::vector<int> sizes;
    int top = -1;
    for (const CRect& r : rects) {
        if (sizes.empty() || r.top != top)
            sizes.push_back(0);
        top = r.top;
        ++sizes.back();
    }
    return sizes;
}

class CRecordingNotify : public CTabNotify
{
public:
    std::vector<int> ids;
    void OnTabChanged(CSkinTabManagerItem* tab) override { ids.push_back(tab->GetId()); }
};

}

TEST(TabManagerLayout, RowTable)
{
    struct Case
    {
        const char* what;
        int count;
        int fixedWidth;
        int rows;
        int areaWidth;
        std::vector<int> rowSizes;
    };
    const Case cases[] = {
        { "nine 70 px tabs narrower than 630 px in 2 rows", 9, 70, 2, 600, { 5, 4 } },
        { "wide enough: one row", 9, 70, 2, 630, { 9 } },
        { "widths from the text never wrap", 9, -1, 2, 100, { 9 } },
        { "3 rows: the first takes k - k/n", 9, 70, 3, 300, { 6, 3 } },
        { "a single narrow row still holds every tab", 9, 70, 1, 300, { 9 } },
        { "no rows count as one", 9, 70, 0, 300, { 9 } },
        { "negative rows count as one", 4, 70, -3, 100, { 4 } },
        { "2 rows, 1 tab", 1, 70, 2, 10, { 1 } },
        { "no tabs", 0, 70, 2, 10, {} },
    };
    for (const Case& c : cases) {
        const std::vector<int> widths(static_cast<size_t>(c.count), c.fixedWidth == -1 ? 30 : c.fixedWidth);
        const std::vector<CRect> rects
            = CSkinTabManager::LayoutRows(widths, c.fixedWidth, c.rows, CRect(10, 20, 10 + c.areaWidth, 60));
        EXPECT_EQ(RowSizes(rects), c.rowSizes) << c.what;
    }

    const std::vector<int> widths(9, 70);
    const std::vector<CRect> rects = CSkinTabManager::LayoutRows(widths, 70, 2, CRect(10, 20, 610, 61));
    ASSERT_EQ(rects.size(), 9u);
    EXPECT_EQ(rects[0], CRect(10, 20, 80, 40)) << "row height = height / rows";
    EXPECT_EQ(rects[4], CRect(290, 20, 360, 40));
    EXPECT_EQ(rects[5], CRect(10, 40, 80, 60)) << "the next row starts at the left again";
    const std::vector<CRect> single = CSkinTabManager::LayoutRows(widths, 70, 1, CRect(0, 0, 1000, 25));
    EXPECT_EQ(single[8], CRect(560, 0, 630, 25)) << "one row is as high as the rectangle";
}

TEST(TabManager, WidthFromTextIsTheTextPlusFour)
{
    CSkinTabManager strip;
    const char* titles[] = { "公司概况", "财务", "股东研究与分析" };
    for (const char* title : titles)
        strip.AddItem(nullptr, -1)->SetText(title);
    CMemDC dc;
    strip.Layout(dc, 0, 0, 40, 24);
    CSelectObject font(dc, CSkinTabManager::TabFont());
    int x = 0;
    for (int i = 0; i < 3; ++i) {
        RECT text = {};
        ::DrawTextA(dc, titles[i], -1, &text, DT_CALCRECT | DT_CENTER);
        const CRect& r = strip.GetItem(i)->GetRect();
        EXPECT_EQ(r.Width(), text.right - text.left + 4) << titles[i];
        EXPECT_EQ(r.left, x);
        EXPECT_EQ(r.top, 0) << "all in the first row";
        x = r.right;
    }
}

TEST(TabManager, ItemsIdsAndText)
{
    CSkinTabManager strip;
    CSkinTabManagerItem* first = strip.AddItem(nullptr, 100);
    CSkinTabManagerItem* given = new CSkinTabManagerItem;
    EXPECT_EQ(strip.AddItem(given, 101), given);
    EXPECT_EQ(first->GetId(), 100);
    EXPECT_EQ(given->GetId(), 101);
    EXPECT_EQ(given->GetOwner(), &strip);
    strip.AddItem(nullptr, -1);
    EXPECT_EQ(strip.GetItem(0)->GetId(), 0) << "a negative id renumbers every item";
    EXPECT_EQ(strip.GetItem(2)->GetId(), 2);
    EXPECT_EQ(strip.GetItem(3), nullptr);

    EXPECT_EQ(first->SetText("最新提示"), S_OK);
    EXPECT_EQ(first->SetText(nullptr), E_FAIL) << "refused, not thrown";
    EXPECT_EQ(first->GetText(), "最新提示");

    strip.SetRowCount(0);
    EXPECT_EQ(strip.GetRowCount(), 1);
    strip.SelectItem(1);
    EXPECT_EQ(strip.GetSelectedItem(), given);
    strip.SelectItem(7);
    EXPECT_EQ(strip.GetSelectedItem(), nullptr);
}

TEST(TabManager, ClicksTellTheOwnerAndSelect)
{
    CSkinTabManager strip;
    CRecordingNotify notify;
    strip.SetNotify(&notify);
    strip.SetItemWidth(70);
    strip.SetRowCount(2);
    for (int i = 0; i < 9; ++i)
        strip.AddItem(nullptr, 100 + i)->SetText("栏目");
    CMemDC dc;
    strip.Layout(dc, 0, 0, 600, 40);

    EXPECT_EQ(strip.OnClick(nullptr, 75, 5, false), 1);
    EXPECT_EQ(notify.ids, std::vector<int>({ 101 }));
    EXPECT_EQ(strip.GetSelectedItem(), strip.GetItem(1));
    EXPECT_EQ(strip.OnClick(nullptr, 75, 5, false), 1) << "the selected tab is reported again";
    EXPECT_EQ(strip.OnClick(nullptr, 10, 25, false), 1);
    EXPECT_EQ(notify.ids, std::vector<int>({ 101, 101, 105 }));

    EXPECT_EQ(strip.OnClick(nullptr, 300, 30, false), 0) << "right of the second row's last tab";
    EXPECT_EQ(strip.OnClick(nullptr, 10, 45, false), 0) << "below the strip";
    EXPECT_EQ(strip.OnClick(nullptr, 75, 5, true), 0) << "already handled";
    EXPECT_EQ(notify.ids.size(), 3u);
    EXPECT_EQ(strip.GetSelectedItem(), strip.GetItem(5));
    EXPECT_EQ(strip.HitTest(70, 0), strip.GetItem(1)) << "a tab's left edge is its own";

    strip.SetNotify(nullptr);
    EXPECT_EQ(strip.OnClick(nullptr, 10, 5, false), 1) << "nobody to tell";
    EXPECT_EQ(strip.GetSelectedItem(), strip.GetItem(0));
}

TEST(TabManager, DrawsRedFramesAndFillsTheSelectedTab)
{
    CSkinTabManager strip;
    strip.SetItemWidth(70);
    for (const char* title : { "概况", "财务", "股东" })
        strip.AddItem(nullptr, -1)->SetText(title);
    CDib32 image;
    ASSERT_TRUE(image.Create(240, 30));
    strip.Layout(image.GetDC(), 0, 0, 240, 30);
    strip.SelectItem(1);
    strip.Draw(image.GetDC(), CRect(0, 0, 240, 30));
    EXPECT_EQ(image.GetColor(0, 10), RGB(255, 0, 0)) << "left edge";
    EXPECT_EQ(image.GetColor(69, 29), RGB(255, 0, 0)) << "bottom right";
    EXPECT_EQ(image.GetColor(72, 3), RGB(0x32, 0x32, 0x32)) << "selected inside";
    EXPECT_EQ(image.GetColor(5, 3), RGB(0, 0, 0)) << "others not filled";
    EXPECT_EQ(image.GetColor(230, 10), RGB(0, 0, 0)) << "no tab there";

    CDib32 clipped;
    ASSERT_TRUE(clipped.Create(240, 30));
    strip.Draw(clipped.GetDC(), CRect(150, 0, 160, 30));
    EXPECT_EQ(clipped.GetColor(0, 10), RGB(0, 0, 0)) << "tabs outside the clip are skipped";
    EXPECT_EQ(clipped.GetColor(140, 10), RGB(255, 0, 0));
}
