// Where the program's files live, the settings file and the singleton family.
#include "base/DataPaths.h"
#include "base/Ini.h"
#include "base/PathUtil.h"
#include "tests/support/TempDataRoot.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

namespace {

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}

TEST(DataPaths, NamesEveryFileUnderTheProgramDirectory)
{
    TempDirectory root;
    DataPaths paths(root.Path());
    const std::string hq = root.Path() + "hqdata";
    const struct
    {
        std::string actual;
        std::string expected;
    } cases[] = {
        { paths.GetAppDir(), root.Path() },
        { paths.GetRunIniFile(), root.Path() + "run.ini" },
        { paths.GetHqDataDir(), hq },
        { paths.GetDayDir(), hq + "\\day" },
        { paths.GetF10Dir(), hq + "\\f10" },
        { paths.GetFenbiDir(), hq + "\\fenbi" },
        { paths.GetMin5Dir(), hq + "\\min5" },
        { paths.GetDiagDir(), hq + "\\Diag" },
        { paths.GetXdrDir(), hq + "\\Xdr" },
        { paths.GetCodeListFile(), hq + "\\codelist.dat" },
        { paths.GetUserStockFile(), hq + "\\usrstock.dat" },
        { paths.GetFinanceFile(), hq + "\\finance.fin" },
        { paths.GetReportPriceFile(), hq + "\\reportprice.dat" },
        { paths.GetGroupsFile(), hq + "\\groups.blk" },
        { paths.GetFormulaFile(), hq + "\\formula.dat" },
        { paths.GetPwrFile(), hq + "\\pwr.dat" },
        { paths.GetShowFormulaFile(), hq + "\\showformula.dat" },
        { paths.GetTechWinConfFile(), hq + "\\techwin.conf" },
        { paths.GetDayFile(0x01000001), hq + "\\day\\16777217.day" },
        { paths.GetF10File(600000), hq + "\\f10\\600000.f10" },
        { paths.GetFenbiFile(1), hq + "\\fenbi\\1.fbl" },
        { paths.GetMin5File(-5), hq + "\\min5\\-5.mn5" },
        { paths.GetDiagFile(42), hq + "\\Diag\\42.dia" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected);
}

TEST(DataPaths, CreatesTheDataDirectoriesButNotDiag)
{
    TempDirectory root;
    {
        DataPaths first(root.Path());
    }
    // Deleting the data tree between runs: the next start builds it again.
    for (const char* dir :
        { "hqdata\\day", "hqdata\\f10", "hqdata\\fenbi", "hqdata\\min5", "hqdata\\Xdr", "hqdata" })
        ASSERT_TRUE(::RemoveDirectoryA((root.Path() + dir).c_str())) << dir;
    DataPaths paths(root.Path());
    for (const std::string& dir : { paths.GetHqDataDir(), paths.GetDayDir(), paths.GetF10Dir(),
             paths.GetFenbiDir(), paths.GetMin5Dir(), paths.GetXdrDir() })
        EXPECT_TRUE(IsDirectory(dir)) << dir;
    EXPECT_FALSE(FileExists(paths.GetDiagDir()));
}

TEST(DataPaths, SkinDirectoryBesideTheProgramOrElseBesideItsParent)
{
    TempDirectory root;
    const std::string bin = root.Path() + "bin\\";
    ASSERT_TRUE(::CreateDirectoryA(bin.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((root.Path() + "Skin").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((root.Path() + "Skin\\Default").c_str(), nullptr));
    {
        DataPaths paths(bin);
        EXPECT_EQ(paths.GetSkinDir(), root.Path() + "Skin\\Default");
        EXPECT_EQ(paths.GetSkinFile("biaoji.png"), root.Path() + "Skin\\Default\\biaoji.png");
    }
    ASSERT_TRUE(::CreateDirectoryA((bin + "Skin").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((bin + "Skin\\Default").c_str(), nullptr));
    DataPaths paths(bin);
    EXPECT_EQ(paths.GetSkinDir(), bin + "Skin\\Default");
}

TEST(PathUtil, ParentDirectory)
{
    TempDirectory root;
    const std::string file = root.Path() + "file.txt";
    ASSERT_TRUE(root.WriteFile("file.txt", "x"));
    ASSERT_TRUE(::CreateDirectoryA((root.Path() + "sub").c_str(), nullptr));
    const struct
    {
        std::string path;
        std::string parent;
    } cases[] = {
        { "Q:\\no\\such\\dir\\", "Q:\\no\\such\\" }, // missing counts as a directory
        { "Q:\\no\\such\\dir", "Q:\\no\\such\\" },
        { "C:\\", "C:\\" }, // a root stays itself
        { "C:", "C:" },
        { "nobackslash", "" },
        { file, file }, // a file stays itself
        { root.Path() + "sub\\", root.Path() },
        { root.Path() + "sub", root.Path() },
        // 0x5C as the trail byte of a GBK character is not a separator.
        { "Q:\\a\\\xE6\x5C\\", "Q:\\a\\" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetParentDir(c.path), c.parent) << c.path;
}

TEST(PathUtil, ModuleDirectoryEndsWithBackslashAndHoldsTheProgram)
{
    const std::string dir = GetModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_TRUE(FileExists(dir + "test_paths.exe"));
    EXPECT_FALSE(FileExists(dir + "no-such-file.xyz"));
}

TEST(Ini, RoundTripsTextsAndNumbers)
{
    TempDirectory root;
    const std::string path = root.Path() + "run.ini";
    {
        CIni ini(path);
        EXPECT_TRUE(ini.WriteString("UserInfo", "name", "张三"));
        EXPECT_TRUE(ini.WriteInt("Global", "port", 50002));
        EXPECT_TRUE(ini.WriteInt("Global", "negative", -7));
        EXPECT_TRUE(ini.WriteString("ProxyInfo", "long", std::string(5000, 'a')));
    }
    CIni ini(path);
    EXPECT_EQ(ini.GetPath(), path);
    EXPECT_EQ(ini.GetString("UserInfo", "name"), "张三");
    EXPECT_EQ(ini.GetInt("Global", "port"), 50002);
    EXPECT_EQ(ini.GetInt("Global", "negative"), -7);
    EXPECT_EQ(ini.GetString("ProxyInfo", "long"), std::string(5000, 'a'));
    EXPECT_EQ(ini.GetString("UserInfo", "missing", "fallback"), "fallback");
    EXPECT_EQ(ini.GetInt("UserInfo", "name", 9), 9);
    EXPECT_EQ(ini.GetInt("Nothing", "here", 12), 12);
    EXPECT_TRUE(ini.WriteString("UserInfo", "name", "李四"));
    EXPECT_EQ(ini.GetString("UserInfo", "name"), "李四");
}

TEST(DataPaths, SingletonUsesTheOverriddenRoot)
{
    TempDataRoot root;
    DataPaths* paths = DataPaths::Instance();
    ASSERT_NE(paths, nullptr);
    EXPECT_EQ(paths->GetAppDir(), root.AppDir());
    EXPECT_EQ(paths->GetSkinDir(), root.SkinDir());
    EXPECT_TRUE(IsDirectory(root.AppDir() + "hqdata\\day"));
    EXPECT_EQ(DataPaths::Instance(), paths);
}

namespace {

std::atomic<int> g_probeConstructed { 0 };
std::atomic<int> g_probeDestroyed { 0 };

class SingletonProbe : public Singleton<SingletonProbe>
{
public:
    SingletonProbe()
        : serial(++g_probeConstructed)
    {
        // Widens the window in which a second unguarded creation would happen.
        ::Sleep(20);
    }
    ~SingletonProbe() { ++g_probeDestroyed; }
    const int serial;
};

}

TEST(Singleton, ReleaseThenInstanceBuildsAFreshObject)
{
    SingletonProbe::ReleaseInstance();
    const int before = g_probeConstructed;
    SingletonProbe* first = SingletonProbe::Instance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SingletonProbe::Instance(), first);
    const int firstSerial = first->serial;
    const int destroyedBefore = g_probeDestroyed;
    SingletonProbe::ReleaseInstance();
    EXPECT_EQ(g_probeDestroyed, destroyedBefore + 1);
    EXPECT_EQ(SingletonProbe::PeekInstance(), nullptr);
    SingletonProbe::ReleaseInstance(); // a second release is harmless
    EXPECT_EQ(g_probeDestroyed, destroyedBefore + 1);
    SingletonProbe* second = SingletonProbe::Instance();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->serial, firstSerial + 1);
    EXPECT_EQ(g_probeConstructed, before + 2);
    SingletonProbe::ReleaseInstance();
}

TEST(Singleton, EightThreadsAtOnceGetOneObject)
{
    SingletonProbe::ReleaseInstance();
    const int before = g_probeConstructed;
    HANDLE gate = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(gate, nullptr);
    std::vector<SingletonProbe*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            ::WaitForSingleObject(gate, 60000);
            seen[i] = SingletonProbe::Instance();
        });
    }
    ::SetEvent(gate);
    for (std::thread& t : threads)
        t.join();
    ::CloseHandle(gate);
    EXPECT_EQ(g_probeConstructed, before + 1);
    for (SingletonProbe* p : seen)
        EXPECT_EQ(p, seen[0]);
    EXPECT_NE(seen[0], nullptr);
    SingletonProbe::ReleaseInstance();
}
