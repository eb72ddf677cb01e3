#pragma once
// The quote library, loaded at run time: its module and its entry points,
// fetched by name. A missing entry point makes its wrapper do nothing.
#include <windows.h>
#include <cstdint>
#include <string>

#include "base/HandleOwner.h"

class CLoadDll
{
public:
    typedef int32_t(WINAPI* PacketFunction)(const void* packet, int32_t length);
    typedef void(WINAPI* QuitFunction)();

    CLoadDll() = default;
    ~CLoadDll(); // Unload
    CLoadDll(const CLoadDll&) = delete;
    CLoadDll& operator=(const CLoadDll&) = delete;

    // Loads the library at path and fetches its entry points. 1 when the
    // library and every entry point were found, else 0 (whatever was found
    // stays usable).
    int Init(const std::string& path);
    void Unload();
    bool IsLoaded() const { return !m_module.IsNull(); }

    // 0 when the library or the entry point is missing.
    int32_t SCInit(const void* packet, int32_t length);
    int32_t SCAskData(const void* packet, int32_t length);
    void SCQuit();

private:
    struct ModuleTraits
    {
        static void Free(HMODULE module) { ::FreeLibrary(module); }
    };

    CHandleOwner<HMODULE, ModuleTraits> m_module;
    PacketFunction m_init = nullptr;
    PacketFunction m_askData = nullptr;
    QuitFunction m_quit = nullptr;
    // Fetched with the others; the provider has no use for it.
    FARPROC m_getInfo = nullptr;
};
