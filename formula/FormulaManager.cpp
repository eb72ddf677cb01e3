#include "formula/FormulaManager.h"

#include "formula/FormulaCalculator.h"

#include <new>

#include "base/Singleton.h"

namespace {

FormulaManager* g_manager = nullptr;

} // namespace

FormulaManager* FormulaManager::Instance()
{
    // The manager lives among the application's singletons and shares their lock.
    SingleLock lock(&SingletonLock());
    if (g_manager)
        return g_manager;
    FormulaManager* manager = new (std::nothrow) FormulaManager();
    if (!manager)
        return nullptr;
    if (!manager->Create()) {
        manager->Destroy();
        delete manager;
        return nullptr;
    }
    g_manager = manager;
    return g_manager;
}

FormulaManager* FormulaManager::PeekInstance()
{
    SingleLock lock(&SingletonLock());
    return g_manager;
}

void FormulaManager::Release()
{
    SingleLock lock(&SingletonLock());
    FormulaManager* manager = g_manager;
    g_manager = nullptr;
    if (manager) {
        manager->Destroy();
        delete manager;
    }
}

FormulaManager::FormulaManager()
    : m_preprocessor(nullptr)
    , m_seriesMath(nullptr)
    , m_keywords(nullptr)
{
}

FormulaManager::~FormulaManager()
{
    Destroy();
}

int FormulaManager::Create()
{
    if (!m_seriesMath)
        m_seriesMath = new (std::nothrow) SeriesMath();
    if (!m_keywords && m_seriesMath)
        m_keywords = new (std::nothrow) FormulaKeywordList();
    if (!m_preprocessor && m_keywords)
        m_preprocessor = new (std::nothrow) FormulaPreprocessor();
    if (!m_preprocessor)
        return 0;
    m_preprocessor->SetKeywordList(m_keywords);
    return 1;
}

void FormulaManager::Destroy()
{
    delete m_preprocessor;
    m_preprocessor = nullptr;
    delete m_seriesMath;
    m_seriesMath = nullptr;
    delete m_keywords;
    m_keywords = nullptr;
}

std::unique_ptr<FormulaCalculator> FormulaManager::CreateCalculator(
    IndicatorPainter* painter, PriceSeriesMarket* market) const
{
    if (!m_preprocessor || !m_seriesMath)
        return nullptr;
    std::unique_ptr<FormulaCalculator> calculator(new (std::nothrow) FormulaCalculator(market));
    if (!calculator || !calculator->Init(m_preprocessor, m_seriesMath, painter))
        return nullptr;
    return calculator;
}
