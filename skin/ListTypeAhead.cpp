#include "skin/ListTypeAhead.h"

int CListTypeAhead::OnKey(
    char letter, int currentRow, int rowCount, const std::function<bool(int, const std::string&)>& startsWith)
{
    DWORD now = m_clock();
    int start = currentRow + 1;
    // Tick differences stay right across the wrap of the 32-bit counter.
    if (!m_typed || now - m_lastKey >= kPauseMs) {
        // After a pause the same letter steps on to the next match; another
        // letter starts again from the top.
        if (m_text.empty() || letter != m_text[0])
            start = 0;
        m_text.assign(1, letter);
    } else {
        // Repeating the first letter keeps cycling through its rows.
        if (letter != m_text[0])
            m_text += letter;
        if (m_text.size() >= 2 && currentRow >= 0 && currentRow < rowCount && startsWith(currentRow, m_text)) {
            m_lastKey = now;
            return -1;
        }
    }
    m_lastKey = now;
    m_typed = true;
    if (start < 0)
        start = 0;
    for (int row = start; row < rowCount; ++row) {
        if (startsWith(row, m_text))
            return row;
    }
    for (int row = 0; row < rowCount; ++row) {
        if (startsWith(row, m_text))
            return row;
    }
    return -1;
}
