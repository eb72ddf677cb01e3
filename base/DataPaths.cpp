#include "base/DataPaths.h"

#include "base/UnicodeString.h"
#include "base/PathUtil.h"
#include <windows.h>
#include <cstdio>

namespace {

std::string& AppDirOverride()
{
    static std::string value;
    return value;
}

}

void DataPaths::SetAppDirOverride(const std::string& appDir)
{
    SingleLock lock(&SingletonLock());
    AppDirOverride() = appDir;
}

DataPaths::DataPaths()
{
    {
        SingleLock lock(&SingletonLock());
        m_appDir = AppDirOverride();
    }
    if (m_appDir.empty())
        m_appDir = GetModuleDirectory();
    Init();
}

DataPaths::DataPaths(const std::string& appDir)
    : m_appDir(appDir)
{
    Init();
}

void DataPaths::Init()
{
    const std::string beside = m_appDir + "Skin\\Default";
    if (FileExists(beside))
        m_skinDir = beside;
    else
        m_skinDir = GetParentDir(m_appDir) + "Skin\\Default";
    CreateDataDirs();
}

std::string DataPaths::GetRunIniFile() const
{
    return m_appDir + "run.ini";
}
std::string DataPaths::GetHqDataDir() const
{
    return m_appDir + "hqdata";
}
std::string DataPaths::InHqData(const char* name) const
{
    return GetHqDataDir() + "\\" + name;
}
std::string DataPaths::GetDayDir() const
{
    return InHqData("day");
}
std::string DataPaths::GetF10Dir() const
{
    return InHqData("f10");
}
std::string DataPaths::GetFenbiDir() const
{
    return InHqData("fenbi");
}
std::string DataPaths::GetMin5Dir() const
{
    return InHqData("min5");
}
std::string DataPaths::GetDiagDir() const
{
    return InHqData("Diag");
}
std::string DataPaths::GetXdrDir() const
{
    return InHqData("Xdr");
}
std::string DataPaths::GetCodeListFile() const
{
    return InHqData("codelist.dat");
}
std::string DataPaths::GetUserStockFile() const
{
    return InHqData("usrstock.dat");
}
std::string DataPaths::GetFinanceFile() const
{
    return InHqData("finance.fin");
}
std::string DataPaths::GetReportPriceFile() const
{
    return InHqData("reportprice.dat");
}
std::string DataPaths::GetGroupsFile() const
{
    return InHqData("groups.blk");
}
std::string DataPaths::GetFormulaFile() const
{
    return InHqData("formula.dat");
}
std::string DataPaths::GetPwrFile() const
{
    return InHqData("pwr.dat");
}
std::string DataPaths::GetShowFormulaFile() const
{
    return InHqData("showformula.dat");
}
std::string DataPaths::GetTechWinConfFile() const
{
    return InHqData("techwin.conf");
}

std::string DataPaths::StockFile(const std::string& dir, int32_t codeKey, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof(name), "%d%s", static_cast<int>(codeKey), extension);
    return dir + "\\" + name;
}

std::string DataPaths::GetDayFile(int32_t codeKey) const
{
    return StockFile(GetDayDir(), codeKey, ".day");
}
std::string DataPaths::GetF10File(int32_t codeKey) const
{
    return StockFile(GetF10Dir(), codeKey, ".f10");
}
std::string DataPaths::GetFenbiFile(int32_t codeKey) const
{
    return StockFile(GetFenbiDir(), codeKey, ".fbl");
}
std::string DataPaths::GetMin5File(int32_t codeKey) const
{
    return StockFile(GetMin5Dir(), codeKey, ".mn5");
}
std::string DataPaths::GetDiagFile(int32_t codeKey) const
{
    return StockFile(GetDiagDir(), codeKey, ".dia");
}

std::string DataPaths::GetSkinFile(const std::string& name) const
{
    return m_skinDir + "\\" + name;
}

void DataPaths::CreateDataDirs() const
{
    const std::string dirs[]
        = { GetHqDataDir(), GetDayDir(), GetF10Dir(), GetFenbiDir(), GetMin5Dir(), GetXdrDir() };
    for (const std::string& dir : dirs) {
        if (!FileExists(dir))
            ::CreateDirectoryW(GbkToWide(dir).c_str(), nullptr);
    }
}
