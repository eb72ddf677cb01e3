// The proxy choice: which fields each choice enables, how the HTTP client's
// settings take it, how "run.ini" keeps it (the password sealed), and the
// dialog opened on a file without the section.
#include "app/ProxyInfo.h"
#include "app/ProxySetDlg.h"
#include "app/StoredPassword.h"
#include "base/Ini.h"
#include "net/ProxySettings.h"
#include "tests/support/TempDirectory.h"
#include "tests/menu/MenuTesting.h"
#include "tests/support/WindowTesting.h"
#include <windows.h>
#include <gtest/gtest.h>

TEST(ProxyFields, EnablingRules)
{
    struct Case
    {
        int access;
        int type;
        bool proxyFields;
        bool credentials;
    };
    const Case cases[] = {
        { 1041, 1050, false, false },
        { 1042, 1049, false, false },
        { 1041, 1048, false, false },
        { 1043, 1048, true, false }, // SOCKS4 has no credentials
        { 1043, 1049, true, true },
        { 1043, 1050, true, true },
    };
    for (const Case& c : cases) {
        const ProxyFieldStates states = ProxyFieldsFor(c.access, c.type);
        EXPECT_EQ(states.proxyFields, c.proxyFields) << c.access << "/" << c.type;
        EXPECT_EQ(states.credentials, c.credentials) << c.access << "/" << c.type;
    }
}

TEST(ProxyFields, SetTakesTheAccessTypesItKnows)
{
    struct Case
    {
        int32_t access;
        const char* host;
        int32_t result;
        int32_t storedAccess;
        const char* storedHost;
    };
    const Case cases[] = {
        { 0, "proxy.example", 1, 0, "old" },
        { 1, "proxy.example", 1, 1, "old" },
        { 3, "proxy.example", 1, 3, "proxy.example" },
        { 3, "", 0, 0, "old" }, // a named proxy without an address falls back
        { 2, "proxy.example", 0, 1, "old" },
        { -1, "proxy.example", 0, 1, "old" },
    };
    for (const Case& c : cases) {
        ProxySettings settings;
        settings.Set(3, 3, "old", 8080, "u", "p");
        settings.Set(1, 0, "", 0, "", "");
        EXPECT_EQ(settings.Set(c.access, 2, c.host, 1080, "user", "secret"), c.result) << c.access;
        const ProxySettings::Values values = settings.Get();
        EXPECT_EQ(values.accessType, c.storedAccess) << c.access;
        EXPECT_EQ(values.host, c.storedHost) << c.access;
    }
}

TEST(ProxyInfoFile, RoundTripTrimsAndSealsThePassword)
{
    TempDirectory dir("proxy");
    CIni ini(dir.File("run.ini"));
    ProxyInfo info;
    info.accessType = 3;
    info.proxyType = 2;
    info.address = "proxy.local  ";
    info.port = 1080;
    info.user = "张三 ";
    info.password = "pa ss  ";
    ASSERT_TRUE(WriteProxyInfo(ini, info));

    const std::string stored = ini.GetString("ProxyInfo", "ProxyPassWord");
    EXPECT_TRUE(IsProtectedPassword(stored)) << stored;
    EXPECT_EQ(stored.find("pa ss"), std::string::npos);
    EXPECT_EQ(ini.GetString("ProxyInfo", "ProxyAddress"), "proxy.local");
    EXPECT_EQ(ini.GetString("ProxyInfo", "ProxyPort"), "1080");

    const ProxyInfo back = ReadProxyInfo(ini);
    EXPECT_EQ(back.accessType, 3u);
    EXPECT_EQ(back.proxyType, 2u);
    EXPECT_EQ(back.address, "proxy.local");
    EXPECT_EQ(back.port, 1080u);
    EXPECT_EQ(back.user, "张三");
    EXPECT_EQ(back.password, "pa ss");

    ProxySettings settings;
    EXPECT_EQ(ApplyProxyInfo(settings, back), 1);
    EXPECT_EQ(settings.Get().password, "pa ss");
}

TEST(ProxyInfoFile, OlderAndDamagedValues)
{
    TempDirectory dir("proxy");
    CIni ini(dir.File("run.ini"));
    // An older file: the password in the clear, a port beyond the range.
    ini.WriteString("ProxyInfo", "AccessType", "3");
    ini.WriteString("ProxyInfo", "ProxyPort", "70000");
    ini.WriteString("ProxyInfo", "ProxyPassWord", "plain");
    ini.WriteString("ProxyInfo", "ProxyAddress", std::string(300, 'a'));
    ProxyInfo info = ReadProxyInfo(ini);
    EXPECT_EQ(info.port, 0u);
    EXPECT_EQ(info.password, "plain");
    EXPECT_EQ(info.address.size(), 259u);
    // A sealed value that was tampered with opens as nothing.
    ini.WriteString("ProxyInfo", "ProxyPassWord", "v2:AAAA");
    EXPECT_EQ(ReadProxyInfo(ini).password, "");
    EXPECT_EQ(ProtectStoredPassword(""), "");
}

TEST(ProxyInfoFile, TypedPorts)
{
    uint32_t port = 7;
    EXPECT_TRUE(ParseProxyPort("0", port));
    EXPECT_EQ(port, 0u);
    EXPECT_TRUE(ParseProxyPort("65535", port));
    EXPECT_EQ(port, 65535u);
    for (const char* bad : { "", "65536", "99999", "-1", "8o", "123456" })
        EXPECT_FALSE(ParseProxyPort(bad, port)) << bad;
}

namespace {
bool Enabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}
bool Checked(HWND dialog, int id)
{
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
void Click(HWND dialog, int id)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
} // namespace

TEST(ProxyDialog, OpensOnDefaultsAndSavesWhatIsShown)
{
    TempDirectory dir("proxy");
    CIni ini(dir.File("run.ini"));
    CProxySetDlg dialog(ini);
    HWND hwnd = dialog.Create(nullptr);
    ASSERT_TRUE(hwnd);
    EXPECT_FALSE(ShowAndCapture(hwnd, "menu_proxy").empty());
    EXPECT_TRUE(Checked(hwnd, IDC_PROXY_SYSTEM));
    EXPECT_TRUE(Checked(hwnd, IDC_PROXY_HTTP));
    for (int id : { IDC_PROXY_ADDRESS, IDC_PROXY_PORT, IDC_PROXY_USER, IDC_PROXY_PASSWORD, IDC_PROXY_SOCKS4 })
        EXPECT_FALSE(Enabled(hwnd, id)) << id;

    // A named SOCKS4 proxy has no credentials; SOCKS5 has.
    Click(hwnd, IDC_PROXY_NAMED);
    EXPECT_TRUE(Enabled(hwnd, IDC_PROXY_ADDRESS));
    EXPECT_TRUE(Enabled(hwnd, IDC_PROXY_PASSWORD));
    Click(hwnd, IDC_PROXY_SOCKS4);
    EXPECT_TRUE(Enabled(hwnd, IDC_PROXY_ADDRESS));
    EXPECT_FALSE(Enabled(hwnd, IDC_PROXY_USER));
    EXPECT_FALSE(Enabled(hwnd, IDC_PROXY_PASSWORD));
    Click(hwnd, IDC_PROXY_SOCKS5);
    EXPECT_TRUE(Enabled(hwnd, IDC_PROXY_USER));
    EXPECT_TRUE(Enabled(hwnd, IDC_PROXY_PASSWORD));
    Click(hwnd, IDC_PROXY_NONE);
    EXPECT_FALSE(Enabled(hwnd, IDC_PROXY_ADDRESS));

    // A port out of range keeps the dialog and writes nothing.
    Click(hwnd, IDC_PROXY_SYSTEM);
    ::SetDlgItemTextA(hwnd, IDC_PROXY_ADDRESS, "10.0.0.1 ");
    ::SetDlgItemTextA(hwnd, IDC_PROXY_PORT, "70000");
    ::SetDlgItemTextA(hwnd, IDC_PROXY_PASSWORD, "secret  ");
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(ini.GetString("ProxyInfo", "AccessType", "none"), "none");

    // With 1042 checked the shown address, port and credentials are still saved.
    ::SetDlgItemTextA(hwnd, IDC_PROXY_PORT, "3128");
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(hwnd)) << "a modeless dialog goes when it ends";
    EXPECT_EQ(ini.GetString("ProxyInfo", "AccessType"), "0");
    EXPECT_EQ(ini.GetString("ProxyInfo", "ProxyType"), "2");
    EXPECT_EQ(ini.GetString("ProxyInfo", "ProxyAddress"), "10.0.0.1");
    EXPECT_EQ(ini.GetString("ProxyInfo", "ProxyPort"), "3128");
    EXPECT_EQ(ReadProxyInfo(ini).password, "secret");
}
