#pragma once
// Names every file the program touches, derived from the program directory.
#include "base/Singleton.h"
#include <cstdint>
#include <string>

class DataPaths : public Singleton<DataPaths>
{
public:
    // Rooted at the program directory (or the override below), skin directory
    // fixed, data directories created.
    DataPaths();
    // Rooted at appDir (with its trailing backslash), for tests.
    explicit DataPaths(const std::string& appDir);

    // Makes every DataPaths built by the default constructor from now on use
    // appDir instead of the program directory; an empty text restores the
    // program directory. Tests of other subsystems use it with a temporary root
    // and release the singleton around it.
    static void SetAppDirOverride(const std::string& appDir);

    std::string GetAppDir() const { return m_appDir; }
    std::string GetRunIniFile() const;
    std::string GetHqDataDir() const;
    std::string GetDayDir() const;
    std::string GetF10Dir() const;
    std::string GetFenbiDir() const;
    std::string GetMin5Dir() const;
    std::string GetDiagDir() const;
    std::string GetXdrDir() const;

    std::string GetCodeListFile() const;
    std::string GetUserStockFile() const;
    std::string GetFinanceFile() const;
    std::string GetReportPriceFile() const;
    std::string GetGroupsFile() const;
    std::string GetFormulaFile() const;
    std::string GetPwrFile() const;
    std::string GetShowFormulaFile() const;
    std::string GetTechWinConfFile() const;

    // Per-stock files, named by the code key in decimal.
    std::string GetDayFile(int32_t codeKey) const;
    std::string GetF10File(int32_t codeKey) const;
    std::string GetFenbiFile(int32_t codeKey) const;
    std::string GetMin5File(int32_t codeKey) const;
    std::string GetDiagFile(int32_t codeKey) const;

    std::string GetSkinDir() const { return m_skinDir; }
    std::string GetSkinFile(const std::string& name) const;

    // Creates hqdata, day, f10, fenbi, min5 and Xdr in that order when they
    // do not exist; failures are ignored. Diag is never created.
    void CreateDataDirs() const;

private:
    void Init();
    std::string InHqData(const char* name) const;
    static std::string StockFile(const std::string& dir, int32_t codeKey, const char* extension);

    std::string m_appDir;
    std::string m_skinDir;
};
