// Message maps: order, the handled flag, chaining and alternate sections.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include "win/WindowImpl.h"

namespace {

const UINT kPing = WM_APP + 1;
const UINT kPong = WM_APP + 2;
const UINT kMemberOnly = WM_APP + 3;
const UINT kMixinOnly = WM_APP + 4;
const UINT kBaseOnly = WM_APP + 5;

// A member object with its own map (the way a frame embeds the skinned frame painter).
class CRecordingMember
{
public:
    std::string* log = nullptr;

    BEGIN_MSG_MAP(CRecordingMember)
        MESSAGE_HANDLER(kMemberOnly, OnMember)
        MESSAGE_HANDLER(kPing, OnMemberPing)
        ALT_MSG_MAP(1)
        MESSAGE_HANDLER(kPing, OnAltPing)
    END_MSG_MAP()

    LRESULT OnMember(UINT, WPARAM, LPARAM, BOOL&)
    {
        *log += "member;";
        return 30;
    }
    LRESULT OnMemberPing(UINT, WPARAM, LPARAM, BOOL&)
    {
        *log += "member-ping;";
        return 31;
    }
    LRESULT OnAltPing(UINT, WPARAM, LPARAM, BOOL&)
    {
        *log += "alt-ping;";
        return 32;
    }
};

// A mix-in that reaches its host through the template parameter.
template <class T> class CRecordingMixin
{
public:
    BEGIN_MSG_MAP(CRecordingMixin)
        MESSAGE_HANDLER(kMixinOnly, OnMixin)
    END_MSG_MAP()

    LRESULT OnMixin(UINT, WPARAM wp, LPARAM, BOOL&)
    {
        static_cast<T*>(this)->log += "mixin(" + std::to_string(wp) + ");";
        return 40;
    }
};

class CBaseWindow : public CWindowImpl<CBaseWindow>
{
public:
    std::string log;

    BEGIN_MSG_MAP(CBaseWindow)
        MESSAGE_HANDLER(kBaseOnly, OnBase)
        MESSAGE_HANDLER(kPong, OnBasePong)
    END_MSG_MAP()

    LRESULT OnBase(UINT, WPARAM, LPARAM, BOOL&)
    {
        log += "base;";
        return 50;
    }
    LRESULT OnBasePong(UINT, WPARAM, LPARAM, BOOL&)
    {
        log += "base-pong;";
        return 51;
    }
};

class CDerivedWindow : public CBaseWindow, public CRecordingMixin<CDerivedWindow>
{
public:
    CRecordingMember member;
    bool declinePing = false;
    bool declinePong = false;
    bool useAlternate = false;

    CDerivedWindow() { member.log = &log; }

    BEGIN_MSG_MAP(CDerivedWindow)
        MESSAGE_HANDLER(kPing, OnFirstPing)
        MESSAGE_HANDLER(kPing, OnSecondPing)
        MESSAGE_HANDLER(kPong, OnPong)
        COMMAND_ID_HANDLER(100, OnCommand100)
        COMMAND_RANGE_HANDLER(200, 299, OnCommandRange)
        COMMAND_CODE_HANDLER(EN_CHANGE, OnEditChange)
        NOTIFY_HANDLER(7, NM_CLICK, OnClick7)
        NOTIFY_CODE_HANDLER(NM_CLICK, OnAnyClick)
        MESSAGE_RANGE_HANDLER(WM_APP + 10, WM_APP + 19, OnRange)
        CHAIN_MSG_MAP(CRecordingMixin<CDerivedWindow>)
        CHAIN_MSG_MAP_MEMBER(member)
        CHAIN_MSG_MAP(CBaseWindow)
        ALT_MSG_MAP(1)
        CHAIN_MSG_MAP_ALT_MEMBER(member, 1)
    END_MSG_MAP()

    LRESULT OnFirstPing(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        log += "first;";
        handled = declinePing ? FALSE : TRUE;
        return 1;
    }
    LRESULT OnSecondPing(UINT, WPARAM, LPARAM, BOOL&)
    {
        log += "second;";
        return 2;
    }
    LRESULT OnPong(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        log += "pong;";
        handled = declinePong ? FALSE : TRUE;
        return 3;
    }
    LRESULT OnCommand100(WORD code, WORD id, HWND control, BOOL&)
    {
        log += "cmd" + std::to_string(id) + "/" + std::to_string(code) + (control ? "+ctl;" : ";");
        return 0;
    }
    LRESULT OnCommandRange(WORD, WORD id, HWND, BOOL&)
    {
        log += "range" + std::to_string(id) + ";";
        return 0;
    }
    LRESULT OnEditChange(WORD, WORD id, HWND, BOOL&)
    {
        log += "change" + std::to_string(id) + ";";
        return 0;
    }
    LRESULT OnClick7(int id, NMHDR*, BOOL&)
    {
        log += "click" + std::to_string(id) + ";";
        return 70;
    }
    LRESULT OnAnyClick(int id, NMHDR* header, BOOL&)
    {
        log += "anyclick" + std::to_string(id) + "/" + std::to_string(header->idFrom) + ";";
        return 71;
    }
    LRESULT OnRange(UINT msg, WPARAM, LPARAM, BOOL&)
    {
        log += "msgrange" + std::to_string(msg - WM_APP) + ";";
        return 0;
    }
};

struct Dispatch
{
    BOOL handled;
    LRESULT result;
    std::string log;
};

Dispatch Call(CDerivedWindow& w, UINT msg, WPARAM wp = 0, LPARAM lp = 0, DWORD mapId = 0)
{
    w.log.clear();
    LRESULT result = -1;
    BOOL handled = w.ProcessWindowMessage(nullptr, msg, wp, lp, result, mapId);
    return { handled, handled ? result : -1, w.log };
}

// A view written with the typed entries only; each handler writes what it got.
class CTypedView
{
public:
    std::string log;
    bool declineKeys = false;

    BEGIN_MSG_MAP(CTypedView)
        SIZE_HANDLER(OnSize)
        MOUSE_HANDLER(WM_LBUTTONDOWN, OnMouse)
        MOUSE_HANDLER(WM_MOUSEMOVE, OnMouse)
        MOUSEWHEEL_HANDLER(OnWheel)
        KEY_HANDLER(WM_KEYDOWN, OnKey)
        KEY_HANDLER(WM_CHAR, OnKey)
        TIMER_HANDLER(OnTimer)
        PAINT_HANDLER(OnPaint)
        SETCURSOR_HANDLER(OnSetCursor)
        CONTEXTMENU_HANDLER(OnContextMenu)
        CAPTURECHANGED_HANDLER(OnCaptureChanged)
        DRAWITEM_HANDLER(OnDrawItem)
        MEASUREITEM_HANDLER(OnMeasureItem)
        REFLECTED_DRAWITEM_HANDLER(OnReflectedDrawItem)
        MESSAGE_HANDLER(WM_KEYDOWN, OnAnyKey)
    END_MSG_MAP()

    void Write(const std::string& text) { log += text + ";"; }
    void OnSize(UINT type, CSize client, BOOL&)
    {
        Write("size" + std::to_string(type) + ":" + std::to_string(client.cx) + "x"
            + std::to_string(client.cy));
    }
    void OnMouse(UINT keys, CPoint client, BOOL&)
    {
        Write(
            "mouse" + std::to_string(keys) + "@" + std::to_string(client.x) + "," + std::to_string(client.y));
    }
    void OnWheel(UINT keys, int delta, CPoint screen, BOOL&)
    {
        Write("wheel" + std::to_string(keys) + "/" + std::to_string(delta) + "@" + std::to_string(screen.x)
            + "," + std::to_string(screen.y));
    }
    void OnKey(UINT key, UINT repeat, UINT flags, BOOL& handled)
    {
        Write("key" + std::to_string(key) + "x" + std::to_string(repeat) + "/" + std::to_string(flags));
        if (declineKeys)
            handled = FALSE;
    }
    LRESULT OnAnyKey(UINT, WPARAM, LPARAM, BOOL&)
    {
        Write("any-key");
        return 5;
    }
    void OnTimer(UINT_PTR id, BOOL&) { Write("timer" + std::to_string(id)); }
    void OnPaint(HDC given, BOOL&) { Write(given ? "paint-given" : "paint"); }
    BOOL OnSetCursor(HWND under, UINT hitTest, UINT mouseMessage, BOOL&)
    {
        Write("cursor" + std::string(under ? "+w" : "") + std::to_string(hitTest) + "/"
            + std::to_string(mouseMessage));
        return TRUE;
    }
    void OnContextMenu(HWND clicked, CPoint screen, BOOL&)
    {
        Write("menu" + std::string(clicked ? "+w" : "") + "@" + std::to_string(screen.x) + ","
            + std::to_string(screen.y));
    }
    void OnCaptureChanged(HWND gaining, BOOL&) { Write(gaining ? "capture-to-w" : "capture-lost"); }
    void OnDrawItem(UINT id, DRAWITEMSTRUCT* item, BOOL&)
    {
        Write("draw" + std::to_string(id) + "/" + std::to_string(item->itemID));
    }
    void OnMeasureItem(UINT id, MEASUREITEMSTRUCT* item, BOOL&)
    {
        item->itemHeight = 21;
        Write("measure" + std::to_string(id));
    }
    void OnReflectedDrawItem(UINT id, DRAWITEMSTRUCT*, BOOL&) { Write("own-draw" + std::to_string(id)); }
};

Dispatch Call(CTypedView& v, UINT msg, WPARAM wp = 0, LPARAM lp = 0)
{
    v.log.clear();
    LRESULT result = -1;
    BOOL handled = v.ProcessWindowMessage(nullptr, msg, wp, lp, result);
    return { handled, handled ? result : -1, v.log };
}

LPARAM PackPoint(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

} // namespace

TEST(MessageMap, TypedHandlersGetDecodedParameters)
{
    CTypedView v;
    HWND fake = reinterpret_cast<HWND>(0x1234);
    struct Case
    {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        const char* log;
    } cases[] = {
        // Sizes are unsigned words: a 40000-pixel width stays positive.
        { WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(40000, 300), "size2:40000x300;" },
        // Points left of and above the window (captured drags) are negative.
        { WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(-5, -32768), "mouse1@-5,-32768;" },
        { WM_MOUSEMOVE, MK_SHIFT, PackPoint(32767, 12), "mouse4@32767,12;" },
        { WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-2 * WHEEL_DELTA)), PackPoint(-100, 7),
            "wheel8/-240@-100,7;" },
        { WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), PackPoint(3, 4), "wheel0/120@3,4;" },
        { WM_KEYDOWN, VK_F10, MAKELPARAM(3, 0x0144), "key121x3/324;" },
        { WM_CHAR, 'a', MAKELPARAM(1, 0x001E), "key97x1/30;" },
        { WM_TIMER, 77, 0, "timer77;" },
        { WM_PAINT, 0, 0, "paint;" },
        { WM_CONTEXTMENU, reinterpret_cast<WPARAM>(fake), PackPoint(-1, -1), "menu+w@-1,-1;" },
        { WM_CONTEXTMENU, 0, PackPoint(-300, 200), "menu@-300,200;" },
        { WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(fake), "capture-to-w;" },
        { WM_CAPTURECHANGED, 0, 0, "capture-lost;" },
    };
    for (const Case& c : cases) {
        Dispatch d = Call(v, c.msg, c.wp, c.lp);
        EXPECT_TRUE(d.handled) << c.log;
        EXPECT_EQ(d.result, 0) << c.log;
        EXPECT_EQ(d.log, c.log);
    }

    // A set-cursor handler's answer is the message's answer.
    Dispatch d = Call(v, WM_SETCURSOR, reinterpret_cast<WPARAM>(fake), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(d.result, TRUE);
    EXPECT_EQ(d.log, "cursor+w1/512;");

    // A handler that clears the flag passes the message on, decoded or not.
    v.declineKeys = true;
    d = Call(v, WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(d.result, 5);
    EXPECT_EQ(d.log, "key37x1/0;any-key;");
}

TEST(MessageMap, TypedItemHandlersAnswerTrue)
{
    CTypedView v;
    DRAWITEMSTRUCT draw = {};
    draw.CtlID = 9;
    draw.itemID = 4;
    Dispatch d = Call(v, WM_DRAWITEM, 9, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(d.result, TRUE);
    EXPECT_EQ(d.log, "draw9/4;");

    MEASUREITEMSTRUCT measure = {};
    measure.CtlID = 0; // a menu's item
    d = Call(v, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(d.result, TRUE);
    EXPECT_EQ(d.log, "measure0;");
    EXPECT_EQ(measure.itemHeight, 21u);

    // The control's own reflected request is a separate entry.
    d = Call(v, OCM__BASE + WM_DRAWITEM, 9, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(d.result, TRUE);
    EXPECT_EQ(d.log, "own-draw9;");
    EXPECT_FALSE(Call(v, OCM__BASE + WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)).handled);
}

TEST(MessageMap, FirstHandlerThatKeepsTheFlagWins)
{
    CDerivedWindow w;
    Dispatch d = Call(w, kPing);
    EXPECT_TRUE(d.handled);
    EXPECT_EQ(d.result, 1);
    EXPECT_EQ(d.log, "first;");

    // A handler that clears the flag lets the search go on to the next entry.
    w.declinePing = true;
    d = Call(w, kPing);
    EXPECT_EQ(d.result, 2);
    EXPECT_EQ(d.log, "first;second;");

    // An unknown message is not handled at all.
    d = Call(w, WM_APP + 99);
    EXPECT_FALSE(d.handled);
    EXPECT_EQ(d.log, "");
}

TEST(MessageMap, ChainsToMixinMemberAndBaseInOrder)
{
    CDerivedWindow w;
    struct Case
    {
        UINT msg;
        LRESULT result;
        const char* log;
    } cases[] = {
        { kMixinOnly, 40, "mixin(0);" },
        { kMemberOnly, 30, "member;" },
        { kBaseOnly, 50, "base;" },
    };
    for (const Case& c : cases) {
        Dispatch d = Call(w, c.msg);
        EXPECT_TRUE(d.handled) << c.log;
        EXPECT_EQ(d.result, c.result) << c.log;
        EXPECT_EQ(d.log, c.log);
    }
    // The derived handler declines, the base class answers.
    w.declinePong = true;
    Dispatch d = Call(w, kPong);
    EXPECT_EQ(d.result, 51);
    EXPECT_EQ(d.log, "pong;base-pong;");
}

TEST(MessageMap, AlternateSectionIsSeparate)
{
    CDerivedWindow w;
    Dispatch d = Call(w, kPing, 0, 0, 1);
    EXPECT_EQ(d.result, 32);
    EXPECT_EQ(d.log, "alt-ping;");
    // Section 1 knows nothing of the main section's entries.
    EXPECT_FALSE(Call(w, kBaseOnly, 0, 0, 1).handled);
}

TEST(MessageMap, CommandAndNotifyEntries)
{
    CDerivedWindow w;
    HWND fake = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(Call(w, WM_COMMAND, MAKEWPARAM(100, 0), 0).log, "cmd100/0;");
    EXPECT_EQ(Call(w, WM_COMMAND, MAKEWPARAM(100, 1), reinterpret_cast<LPARAM>(fake)).log, "cmd100/1+ctl;");
    EXPECT_EQ(Call(w, WM_COMMAND, MAKEWPARAM(200, 0), 0).log, "range200;");
    EXPECT_EQ(Call(w, WM_COMMAND, MAKEWPARAM(299, 0), 0).log, "range299;");
    EXPECT_EQ(Call(w, WM_COMMAND, MAKEWPARAM(300, EN_CHANGE), 0).log, "change300;");
    EXPECT_FALSE(Call(w, WM_COMMAND, MAKEWPARAM(300, 0), 0).handled);

    NMHDR header = { fake, 7, static_cast<UINT>(NM_CLICK) };
    Dispatch d = Call(w, WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(d.result, 70);
    EXPECT_EQ(d.log, "click7;");
    header.idFrom = 8;
    d = Call(w, WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(d.result, 71);
    EXPECT_EQ(d.log, "anyclick8/8;");

    EXPECT_EQ(Call(w, WM_APP + 10).log, "msgrange10;");
    EXPECT_EQ(Call(w, WM_APP + 19).log, "msgrange19;");
    EXPECT_FALSE(Call(w, WM_APP + 20).handled);
}

TEST(MessageMap, RealWindowRoutesToItsObjectAndFallsBackToDefault)
{
    CDerivedWindow w;
    ASSERT_TRUE(w.Create(nullptr, CRect(0, 0, 200, 100), "map", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(w.SendMessage(kMixinOnly, 5), 40);
    EXPECT_EQ(w.log, "mixin(5);");
    // Unhandled messages reach the default procedure: WM_SETTEXT/WM_GETTEXT work.
    w.SetWindowText("标题");
    EXPECT_EQ(w.GetWindowText(), "标题");
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.m_hWnd, nullptr);
}
