#pragma once
// F10 company-information text of one stock, split into titled sections.
#include <cstdint>
#include <string>

#include "data/F10Sections.h"
#include "data/StockSeries.h"

class CF10Data : public CStockSeries
{
public:
    static const int32_t kMaxTextLength = 2097152;

    CF10Data();
    ~CF10Data() override;

    int Load(const char* path, uint32_t key) override;
    int Save(const char* path) override;
    int RequestData(int more) override;
    // 0 and nothing changed (no notice follows, the text is asked for again)
    // for a text over 2 MiB, bytes that are not GBK text, or times outside
    // 1970 .. the end of the window asked for.
    int Merge(uint32_t key, CMemoryStream* stream) override;

    const F10SectionMap& GetSections() const { return m_sections; }
    // Replaces the sections by those of the text; false (nothing changed) for
    // texts of 100 bytes or less.
    bool SplitSections(const char* text, int32_t length);
    // 0 for a negative length or one over 2 MiB (the old text stays).
    int AllocText(int32_t length);
    const char* GetText() const { return m_text.c_str(); }
    int32_t GetTextLength() const { return static_cast<int32_t>(m_text.size()); }

    // Always 1; copies only while this series holds uncopied data.
    int CopyTo(CF10Data* target);

private:
    bool TakeText(const uint8_t* bytes, int32_t length);

    std::string m_text; // the text; c_str() keeps it terminated
    F10SectionMap m_sections;
};
