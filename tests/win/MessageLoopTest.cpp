// The message loop: filters before dispatch, idle handlers when the queue is
// empty, both in order of registration and removable while running.
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "win/AppModule.h"
#include "win/MessageLoop.h"
#include "win/WindowImpl.h"

namespace {

std::string g_log;

class CLoggingWindow : public CWindowImpl<CLoggingWindow, CWindow, CWinTraits<WS_POPUP>>
{
public:
    BEGIN_MSG_MAP(CLoggingWindow)
        MESSAGE_RANGE_HANDLER(WM_APP, WM_APP + 9, OnApp)
    END_MSG_MAP()
    LRESULT OnApp(UINT msg, WPARAM, LPARAM, BOOL&)
    {
        g_log += "w" + std::to_string(msg - WM_APP) + " ";
        return 0;
    }
};

class CFilter : public CMessageFilter
{
public:
    CFilter(const char* name, CMessageLoop& loop)
        : m_name(name)
        , m_loop(loop)
    {
    }
    UINT consume = 0;
    CMessageFilter* removeOn2 = nullptr;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message < WM_APP || msg->message > WM_APP + 9)
            return FALSE;
        g_log += m_name + std::to_string(msg->message - WM_APP) + " ";
        if (removeOn2 && msg->message == WM_APP + 2)
            m_loop.RemoveMessageFilter(removeOn2);
        return msg->message == consume;
    }

private:
    std::string m_name;
    CMessageLoop& m_loop;
};

class CIdleRecorder : public CIdleHandler
{
public:
    CIdleRecorder(const char* name)
        : m_name(name)
    {
    }
    std::function<BOOL(int)> action;
    int calls = 0;
    BOOL OnIdle() override
    {
        g_log += m_name + " ";
        return action ? action(++calls) : FALSE;
    }

private:
    std::string m_name;
};

} // namespace

TEST(MessageLoop, FiltersAndIdleHandlersInOrderAndRemovableWhileRunning)
{
    g_log.clear();
    CMessageLoop loop;
    ASSERT_TRUE(CAppModule::Get().AddMessageLoop(&loop));
    EXPECT_EQ(CAppModule::Get().GetMessageLoop(), &loop);

    CLoggingWindow window;
    ASSERT_TRUE(window.Create(nullptr, CRect(0, 0, 10, 10)));

    CFilter a("A", loop), b("B", loop);
    b.consume = WM_APP + 1; // B eats message 1: the window never sees it
    a.removeOn2 = &b; // A removes B while message 2 is being filtered
    EXPECT_TRUE(loop.AddMessageFilter(&a));
    EXPECT_TRUE(loop.AddMessageFilter(&b));
    EXPECT_FALSE(loop.AddMessageFilter(&a));

    CIdleRecorder first("I1"), second("I2");
    second.action = [&](int call) {
        if (call == 1) {
            loop.RemoveIdleHandler(&first);
            window.PostMessage(WM_APP + 3);
        } else {
            ::PostQuitMessage(7);
        }
        return FALSE;
    };
    loop.AddIdleHandler(&first);
    loop.AddIdleHandler(&second);

    window.PostMessage(WM_APP + 1);
    window.PostMessage(WM_APP + 2);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(g_log, "A1 B1 A2 w2 I1 I2 A3 w3 I2 ");

    EXPECT_FALSE(loop.RemoveMessageFilter(&b));
    EXPECT_TRUE(loop.RemoveMessageFilter(&a));
    EXPECT_TRUE(CAppModule::Get().RemoveMessageLoop());
    EXPECT_EQ(CAppModule::Get().GetMessageLoop(), nullptr);
    window.DestroyWindow();
}
