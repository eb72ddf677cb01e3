#include "net/ServiceBaseUrl.h"

#include "base/Thread.h"

const char* const ServiceBaseUrl::kDefault = "http://127.0.0.1:7710/";

namespace {

struct BaseUrlState
{
    CriticalSection lock;
    std::string value { ServiceBaseUrl::kDefault };
};

BaseUrlState& State()
{
    static BaseUrlState state;
    return state;
}

} // namespace

std::string ServiceBaseUrl::Get()
{
    BaseUrlState& state = State();
    SingleLock lock(&state.lock);
    return state.value;
}

void ServiceBaseUrl::Set(const std::string& url)
{
    std::string value = url;
    if (value.empty() || value.back() != '/')
        value += '/';
    BaseUrlState& state = State();
    SingleLock lock(&state.lock);
    state.value = value;
}
