#pragma once
// A small in-process control for the ActiveX host and the browser view: it
// activates in place in a child window of its own, records what the host
// asks of it and counts the references it holds and is held by. With the
// browser interface it also answers for IWebBrowser2 (navigation recorded,
// everything else not implemented) and keeps one event connection.
#include "win/Com.h"
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <olectl.h>
#include <string>
#include <vector>

struct FakeControlLog
{
    std::vector<std::string> calls;
    std::vector<RECT> rects;
    std::vector<std::wstring> navigations;
    std::vector<UINT> keys;
    LONG liveObjects = 0;
    LONG siteReferences = 0; // references the control holds on the host's site and frame
    IDispatch* sink = nullptr;
    DWORD cookie = 0;
    int advises = 0;
    int unadvises = 0;
    HWND window = nullptr;
    bool refuseAdvise = false;
    void Reset() { *this = FakeControlLog(); }
};

// The log of the control objects the factory creates (one test at a time).
FakeControlLog& FakeLog();

// Registers the factory of the fake control under clsid for this process
// while alive; withBrowser adds the browser and connection interfaces.
class CFakeControlRegistration
{
public:
    CFakeControlRegistration(REFCLSID clsid, bool withBrowser);
    ~CFakeControlRegistration();
    bool Registered() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
};

// {6F3C1A52-0B7E-4C7D-9E41-2A5D8B0C7E11}
const CLSID CLSID_FakeControl
    = { 0x6f3c1a52, 0x0b7e, 0x4c7d, { 0x9e, 0x41, 0x2a, 0x5d, 0x8b, 0x0c, 0x7e, 0x11 } };
// {6F3C1A52-0B7E-4C7D-9E41-2A5D8B0C7E12}
const CLSID CLSID_FakeBrowser
    = { 0x6f3c1a52, 0x0b7e, 0x4c7d, { 0x9e, 0x41, 0x2a, 0x5d, 0x8b, 0x0c, 0x7e, 0x12 } };
