#include "net/ProxySettings.h"

int32_t ProxySettings::Set(
    int32_t mode, int32_t proxyType, const char* host, int32_t port, const char* user, const char* password)
{
    SingleLock lock(&m_lock);
    if (mode == kAccessPreconfig || mode == kAccessDirect) {
        m_values.accessType = mode;
        return 1;
    }
    if (mode != kAccessProxy)
        return 0;
    m_values.accessType = kAccessProxy;
    m_values.proxyType = proxyType;
    if (!host || !*host) {
        m_values.accessType = kAccessPreconfig;
        return 0;
    }
    m_values.host = host;
    m_values.port = port;
    m_values.user = user ? user : "";
    m_values.password = password ? password : "";
    return 1;
}

ProxySettings::Values ProxySettings::Get() const
{
    SingleLock lock(&m_lock);
    return m_values;
}
