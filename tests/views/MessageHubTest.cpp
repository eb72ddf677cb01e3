// The message hub on its own: dispatch order, registrations made during a
// dispatch, and an acceptor that goes takes every registration of its own.
#include "views/MessageHub.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct NamedAcceptor : CMessageAcceptor
{
    std::string name;
    std::vector<std::string>& calls;
    NamedAcceptor(std::string n, std::vector<std::string>& log)
        : name(std::move(n))
        , calls(log)
    {
    }
    int Accept(UINT id, WPARAM wp, LPARAM lp) override
    {
        calls.push_back(
            name + " " + std::to_string(id) + " " + std::to_string(wp) + " " + std::to_string(lp));
        return 1;
    }
};

} // namespace

TEST(MessageHub, AnAcceptorThatGoesTakesAllItsRegistrationsAndNoOneElses)
{
    std::vector<std::string> calls;
    NamedAcceptor a("a", calls), b("b", calls);
    CMessageHub hub;
    EXPECT_EQ(hub.Register(4027, &a), 1);
    hub.Register(4027, &b);
    hub.Register(4031, &a);
    hub.Register(4031, nullptr);
    EXPECT_EQ(hub.RegistrationCount(), 3u);
    hub.Dispatch(4027, 7, 8);
    EXPECT_EQ(calls, (std::vector<std::string> { "a 4027 7 8", "b 4027 7 8" }));

    hub.Unregister(&a);
    EXPECT_EQ(hub.RegistrationCount(), 1u);
    calls.clear();
    hub.Dispatch(4027, 1, 0);
    hub.Dispatch(4031, 1, 0);
    EXPECT_EQ(calls, (std::vector<std::string> { "b 4027 1 0" }));
    hub.Clear();
    calls.clear();
    hub.Dispatch(4027, 1, 0);
    EXPECT_TRUE(calls.empty());
}
