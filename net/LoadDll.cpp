#include "net/LoadDll.h"

CLoadDll::~CLoadDll()
{
    Unload();
}

int CLoadDll::Init(const std::string& path)
{
    Unload();
    m_module.Attach(::LoadLibraryA(path.c_str()));
    if (m_module.IsNull())
        return 0;
    m_init = reinterpret_cast<PacketFunction>(reinterpret_cast<void*>(::GetProcAddress(m_module, "SCInit")));
    m_askData
        = reinterpret_cast<PacketFunction>(reinterpret_cast<void*>(::GetProcAddress(m_module, "SCAskData")));
    m_quit = reinterpret_cast<QuitFunction>(reinterpret_cast<void*>(::GetProcAddress(m_module, "SCQuit")));
    m_getInfo = ::GetProcAddress(m_module, "SCGetInfo");
    return m_init && m_askData && m_quit && m_getInfo ? 1 : 0;
}

void CLoadDll::Unload()
{
    m_module.Reset();
    m_init = m_askData = nullptr;
    m_quit = nullptr;
    m_getInfo = nullptr;
}

int32_t CLoadDll::SCInit(const void* packet, int32_t length)
{
    return m_init ? m_init(packet, length) : 0;
}

int32_t CLoadDll::SCAskData(const void* packet, int32_t length)
{
    return m_askData ? m_askData(packet, length) : 0;
}

void CLoadDll::SCQuit()
{
    if (m_quit)
        m_quit();
}
