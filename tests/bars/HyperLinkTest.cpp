// The hyperlink base and the skinned bitmap hyperlink: colour texts, tagged
// labels, clicks and keys that navigate through a fake opener, images left
// and right of the label, the animation timer and the colours painted.
#include "skin/SkinBitmapHyperLink.h"
#include "tests/support/ControlTesting.h"
#include "tests/support/GdiCount.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

template <class Link> void RecordOpens(Link& link, std::vector<std::string>& opened)
{
    link.SetUrlOpener([&opened](const std::string& url) {
        opened.push_back(url);
        return true;
    });
}

bool HasColour(const CDib32& image, const CRect& area, COLORREF colour)
{
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (image.GetColor(x, y) == colour)
                return true;
    return false;
}

void Click(HWND hwnd, CPoint at)
{
    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

}

TEST(HyperLinkText, ColourTriplesAndTaggedLabels)
{
    const struct
    {
        const char* text;
        bool ok;
        COLORREF colour;
    } colours[] = {
        { "0,0,255", true, RGB(0, 0, 255) },
        { " 128 , 0,128", true, RGB(128, 0, 128) },
        { "255,255", false, 0 },
        { "1,2,256", false, 0 },
        { "1,2,3,4", false, 0 },
        { "a,b,c", false, 0 },
        { "", false, 0 },
    };
    for (const auto& c : colours) {
        COLORREF colour = 0x123456;
        EXPECT_EQ(ParseColourTriple(c.text, colour), c.ok) << c.text;
        EXPECT_EQ(colour, c.ok ? c.colour : 0x123456u) << c.text;
    }

    auto parts = SplitHyperLinkLabel("请<a>点击这里</A>注册");
    EXPECT_TRUE(parts.tagged);
    EXPECT_EQ(parts.before, "请");
    EXPECT_EQ(parts.link, "点击这里");
    EXPECT_EQ(parts.after, "注册");
    parts = SplitHyperLinkLabel("no <A> end");
    EXPECT_FALSE(parts.tagged);
    EXPECT_EQ(parts.link, "no <A> end");
}

TEST(HyperLinkWindow, ClicksAndKeysOnTheLabelNavigate)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 60)));
    CHyperLink link;
    std::vector<std::string> opened;
    RecordOpens(link, opened);
    link.SetHyperLink("http://127.0.0.1:7710/user/index.php");
    ASSERT_TRUE(link.Create(parent, CRect(10, 10, 250, 30), "注册新用户"));
    EXPECT_EQ(link.GetLabel(), "注册新用户");
    const CRect label = link.GetLabelRect();
    EXPECT_GT(label.Width(), 0);
    EXPECT_LT(label.Width(), 240);

    Click(link, CPoint(label.right + 5, 5)); // beside the label
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(link.IsVisited());
    Click(link, label.CenterPoint());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://127.0.0.1:7710/user/index.php");
    EXPECT_TRUE(link.IsVisited());

    link.SendMessage(WM_CHAR, VK_RETURN);
    link.SendMessage(WM_CHAR, VK_SPACE);
    link.SendMessage(WM_CHAR, 'a');
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_EQ(link.SendMessage(WM_GETDLGCODE), DLGC_WANTCHARS);

    // A command button tells its parent instead of opening anything.
    CHyperLink command;
    RecordOpens(command, opened);
    command.SetExtendedStyle(kHyperLinkCommandButton);
    ASSERT_TRUE(command.Create(parent, CRect(10, 32, 250, 52), "命令", 0, 0, 77));
    Click(command, command.GetLabelRect().CenterPoint());
    EXPECT_EQ(opened.size(), 3u);
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0].wParam, MAKEWPARAM(77, BN_CLICKED));
    parent.DestroyWindow();
}

TEST(HyperLinkWindow, TheTooltipShowsTheAddressOnceThePointerIsOverTheLink)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 90)));
    CHyperLink link;
    link.SetHyperLink("http://127.0.0.1:7710/user/index.php");
    ASSERT_TRUE(link.Create(parent, CRect(10, 10, 250, 30), "注册新用户"));
    CSkinBitmapHyperLink titled;
    titled.SetHyperLink("http://127.0.0.1:7710/");
    titled.SetToolTipText("首页");
    ASSERT_TRUE(titled.Create(parent, CRect(10, 32, 250, 52), "访问"));
    CHyperLink silent;
    silent.SetHyperLink("http://127.0.0.1:7710/silent");
    silent.SetExtendedStyle(kHyperLinkNoTooltip);
    ASSERT_TRUE(silent.Create(parent, CRect(10, 54, 250, 74), "无提示"));

    for (HWND window : { link.m_hWnd, titled.m_hWnd, silent.m_hWnd })
        ::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ("http://127.0.0.1:7710/user/index.php", ToolTipTextOf(link));
    EXPECT_EQ("首页", ToolTipTextOf(titled)) << "its own text before the address";
    EXPECT_EQ("", ToolTipTextOf(silent));
    link.SetHyperLink("http://127.0.0.1:7710/user/userlogin.php");
    EXPECT_EQ("http://127.0.0.1:7710/user/userlogin.php", ToolTipTextOf(link)) << "a later address replaces it";
    parent.DestroyWindow();
}

TEST(HyperLinkWindow, ADialogStaticBecomesALink)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 60)));
    HWND stat = ::CreateWindowExA(0, "STATIC", "在线咨询", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 200, 20,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1015)), ::GetModuleHandleA(nullptr), nullptr);
    CHyperLink link;
    std::vector<std::string> opened;
    RecordOpens(link, opened);
    link.SetHyperLink("http://127.0.0.1/chat");
    ASSERT_TRUE(link.SubclassWindow(stat));
    EXPECT_EQ(link.GetLabel(), "在线咨询");
    EXPECT_TRUE(CWindow(stat).GetStyle() & SS_NOTIFY);
    const CRect label = link.GetLabelRect();
    EXPECT_GT(label.left, 0) << "centred like the static";
    Click(stat, label.CenterPoint());
    EXPECT_EQ(opened.size(), 1u);
    parent.DestroyWindow();
}

TEST(BitmapHyperLink, TheImageSitsLeftOrRightOfTheLabel)
{
    CColourParent parent;
    parent.colour = RGB(200, 200, 200);
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 80)));
    const COLORREF red = RGB(255, 0, 0);
    const struct
    {
        DWORD style;
        int imageX; // -1: the right end
        bool labelAfterImage;
    } cases[] = { { CSkinBitmapHyperLink::kImageLeft, 0, true },
        { CSkinBitmapHyperLink::kImageRight, -1, false }, { 0, 0, false } };
    for (const auto& c : cases) {
        CSkinBitmapHyperLink link;
        link.AddImage(SolidFrames(16, 16, { 0xFFFF0000 }, false));
        link.SetExtendedStyle(c.style | kHyperLinkNoTooltip);
        link.m_linkColour = RGB(0, 0, 192);
        ASSERT_TRUE(link.Create(parent, CRect(0, 0, 200, 20), "链接文字"));
        CDib32 image;
        ASSERT_TRUE(RenderClient(link, image));
        const CRect imageRect = link.GetImageRect();
        const int x = c.imageX < 0 ? 200 - 16 : c.imageX;
        EXPECT_EQ(imageRect, CRect(x, 0, x + 16, 16)) << c.style;
        if (c.style) { // without a side the label is drawn over the image
            EXPECT_EQ(image.GetColor(x + 8, 8), red) << c.style;
        }
        const CRect label = link.GetLabelRect();
        if (c.labelAfterImage) {
            EXPECT_EQ(label.left, 18);
        }
        if (c.style == CSkinBitmapHyperLink::kImageRight) {
            EXPECT_EQ(label.right, 200 - 16);
        }
        EXPECT_TRUE(
            HasColour(image, CRect(label.left, 0, std::min<int>(label.right, 200), 20), RGB(0, 0, 192)))
            << c.style;
        EXPECT_EQ(image.GetColor(199 - (c.imageX < 0 ? 30 : 0), 19), parent.colour)
            << "the parent's background shows through";
        link.DestroyWindow();
    }
    parent.DestroyWindow();
}

TEST(BitmapHyperLink, HoverColourAndGreyWhenDisabled)
{
    CColourParent parent;
    parent.colour = RGB(255, 255, 255);
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 40)));
    CSkinBitmapHyperLink link;
    link.SetExtendedStyle(kHyperLinkUnderlineHover | kHyperLinkNoTooltip);
    link.m_linkColour = RGB(0, 0, 192);
    ASSERT_TRUE(link.Create(parent, CRect(0, 0, 200, 20), "链接"));
    EXPECT_TRUE(link.GetImageRect().IsEmpty()) << "no images: no image rectangle";
    CDib32 image;
    const CRect area(0, 0, 200, 20);
    ASSERT_TRUE(RenderClient(link, image));
    EXPECT_TRUE(HasColour(image, area, RGB(0, 0, 192)));
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(link.GetLabelRect().left + 2, 5));
    EXPECT_TRUE(link.IsHovering());
    ASSERT_TRUE(RenderClient(link, image));
    EXPECT_TRUE(HasColour(image, area, link.m_hoverColour));
    EXPECT_FALSE(HasColour(image, area, RGB(0, 0, 192)));
    link.EnableWindow(false);
    ASSERT_TRUE(RenderClient(link, image));
    EXPECT_TRUE(HasColour(image, area, ::GetSysColor(COLOR_GRAYTEXT)));
    EXPECT_FALSE(HasColour(image, area, link.m_hoverColour));
    link.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(link.IsHovering());
    parent.DestroyWindow();
}

TEST(BitmapHyperLink, TheTimerCyclesImagesAndAClickOnTheImageNavigates)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 40)));
    CSkinBitmapHyperLink link;
    std::vector<std::string> opened;
    RecordOpens(link, opened);
    for (uint32_t colour : { 0xFFFF0000, 0xFF00FF00, 0xFF0000FF })
        link.AddImage(SolidFrames(16, 16, { colour }, false));
    link.AddImage(nullptr);
    EXPECT_EQ(link.GetImageCount(), 3);
    link.SetAnimate(true);
    link.SetExtendedStyle(CSkinBitmapHyperLink::kImageLeft);
    link.SetHyperLink("http://127.0.0.1/home");
    ASSERT_TRUE(link.Create(parent, CRect(0, 0, 200, 20), "首页"));
    const int wanted[] = { 1, 2, 0, 1 };
    for (int want : wanted) {
        link.SendMessage(WM_TIMER, CSkinBitmapHyperLink::kAnimationTimerId);
        EXPECT_EQ(link.GetCurrentImage(), want);
    }
    CDib32 image;
    ASSERT_TRUE(RenderClient(link, image));
    EXPECT_EQ(image.GetColor(8, 8), RGB(0, 255, 0));
    EXPECT_TRUE(::KillTimer(link, CSkinBitmapHyperLink::kAnimationTimerId))
        << "the timer was started at creation";

    Click(link, CPoint(8, 8)); // on the image
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://127.0.0.1/home");

    // One image and the animate flag: the same image every time.
    CSkinBitmapHyperLink single;
    single.AddImage(SolidFrames(16, 16, { 0xFFFF0000 }, false));
    single.SetAnimate(true);
    ASSERT_TRUE(single.Create(parent, CRect(0, 20, 200, 40), "一"));
    single.SendMessage(WM_TIMER, CSkinBitmapHyperLink::kAnimationTimerId);
    EXPECT_EQ(single.GetCurrentImage(), 0);
    parent.DestroyWindow();
}

TEST(BitmapHyperLink, GdiObjectsDoNotGrowOverCreateAndDestroy)
{
    const auto cycle = [] {
        CColourParent parent;
        parent.Create(nullptr, CRect(0, 0, 300, 40));
        CSkinBitmapHyperLink link;
        link.AddImage(LoadSkinPng("arrow1.png"));
        link.AddImage(LoadSkinPng("arrow2.png"));
        link.SetAnimate(true);
        link.Create(parent, CRect(0, 0, 200, 20), "链接");
        CDib32 image;
        RenderClient(link, image);
        parent.DestroyWindow();
    };
    EXPECT_LE(GdiGrowthOver(cycle, 20), 2u);
}

TEST(HyperLinkWindow, OnlyTheTaggedPartIsTheLink)
{
    CColourParent parent;
    ASSERT_TRUE(parent.Create(nullptr, CRect(0, 0, 300, 40)));
    CHyperLink link;
    std::vector<std::string> opened;
    RecordOpens(link, opened);
    link.SetExtendedStyle(kHyperLinkUseTags);
    link.SetHyperLink("http://127.0.0.1/register");
    ASSERT_TRUE(link.Create(parent, CRect(0, 0, 280, 20), "没有账号？<A>立即注册</A>吧"));
    const CRect label = link.GetLabelRect();
    EXPECT_GT(label.left, 20) << "the link part starts after the plain text";
    Click(link, CPoint(label.left - 10, label.CenterPoint().y));
    EXPECT_TRUE(opened.empty());
    Click(link, label.CenterPoint());
    EXPECT_EQ(opened.size(), 1u);
    parent.DestroyWindow();
}

TEST(HyperLinkWindow, TheBrowsersAnchorColoursAreTheDefaults)
{
    const char* key = "Software\\Microsoft\\Internet Explorer\\Settings";
    HKEY settings = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(
                  HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &settings, nullptr),
        ERROR_SUCCESS);
    const auto set = [&](const char* name, const char* value) {
        ::RegSetValueExA(settings, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
            static_cast<DWORD>(strlen(value) + 1));
    };
    set("Anchor Color", "10,20,30");
    set("Anchor Color Visited", "bad");
    CHyperLink link;
    EXPECT_EQ(link.m_linkColour, RGB(10, 20, 30));
    EXPECT_EQ(link.m_visitedColour, RGB(128, 0, 128)) << "a malformed value keeps the default";
    ::RegDeleteValueA(settings, "Anchor Color");
    ::RegDeleteValueA(settings, "Anchor Color Visited");
    ::RegCloseKey(settings);
    CHyperLink plain;
    EXPECT_EQ(plain.m_linkColour, RGB(0, 0, 255));
}
