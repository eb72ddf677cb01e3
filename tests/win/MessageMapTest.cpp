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

} // namespace

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
