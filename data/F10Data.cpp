#include "data/F10Data.h"

#include <cstring>
#include <new>

#include "base/CPFile.h"
#include "base/GlobalDefaults.h"
#include "base/MemoryStream.h"
#include "data/ReplyChecks.h"
#include "net/DataProvider.h"

CF10Data::CF10Data()
{
    m_kind = kSeriesF10;
}

CF10Data::~CF10Data()
{
    Save(nullptr);
}

bool CF10Data::SplitSections(const char* text, int32_t length)
{
    return SplitF10Sections(text, length, m_sections);
}

int CF10Data::AllocText(int32_t length)
{
    if (length < 0 || length > kMaxTextLength)
        return 0;
    try {
        m_text.assign(static_cast<size_t>(length), '\0');
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

bool CF10Data::TakeText(const uint8_t* bytes, int32_t length)
{
    if (length < 0 || length > kMaxTextLength)
        return false;
    std::string text;
    try {
        text = WithoutCutCharacters(bytes, static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_text.swap(text);
    // Sections of an older text never outlive it.
    m_sections.clear();
    return true;
}

int CF10Data::Load(const char* path, uint32_t key)
{
    m_key = key;
    if (!path || !*path)
        return 0;
    m_path = path;
    std::string bytes;
    try {
        if (!ReadWholeFile(path, bytes, 8 + kMaxTextLength) || bytes.size() < 8)
            return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    int32_t firstTime = 0, lastTime = 0;
    memcpy(&firstTime, bytes.data(), 4);
    memcpy(&lastTime, bytes.data() + 4, 4);
    const uint8_t* text = reinterpret_cast<const uint8_t*>(bytes.data()) + 8;
    const size_t length = bytes.size() - 8;
    // Only a merged reply is ever saved: times no request reaches or bytes
    // that are not text are damage, and the file is refused. (Taken, a last
    // time ahead would stop every update: requests start at it.)
    const int64_t latest = LatestSeriesTime();
    if (firstTime < 0 || lastTime < 0 || firstTime > latest || lastTime > latest || !IsGbkText(text, length)
        || !TakeText(text, static_cast<int32_t>(length)))
        return 0;
    m_firstTime = firstTime;
    m_lastTime = lastTime;
    SplitSections(m_text.data(), GetTextLength());
    m_active.store(1);
    return 1;
}

int CF10Data::Save(const char* path)
{
    if (!m_dirty.load())
        return 0;
    std::string bytes(8, '\0');
    memcpy(&bytes[0], &m_firstTime, 4);
    memcpy(&bytes[4], &m_lastTime, 4);
    bytes += m_text;
    return SaveWhole(path, bytes.data(), bytes.size());
}

int CF10Data::RequestData(int)
{
    if (m_pending.load())
        return 1;
    return SendRequest(kCmdF10, m_lastTime, ServerTime::Get() + 259200);
}

int CF10Data::Merge(uint32_t, CMemoryStream* stream)
{
    if (!stream || !stream->GetBuffer())
        return 0;
    // Under 8 bytes there is not even the two times.
    const int32_t size = stream->GetSize();
    if (size < 8)
        return 0;
    const uint8_t* bytes = stream->GetBuffer();
    int32_t firstTime = 0;
    memcpy(&firstTime, bytes, 4);
    // A text over the limit, a first time before 1970 or after the window
    // asked for, bytes that are not text: the reply is refused as a failed
    // merge, so the text is asked for again and nothing held changes. The
    // reply's last time is not read: the server's time replaces it.
    const int64_t latest = (m_window.known ? m_window.to : static_cast<int64_t>(ServerTime::Get()) + 259200)
        + kWindowTolerance;
    if (size - 8 > kMaxTextLength || firstTime < 0 || firstTime > latest
        || !IsGbkText(bytes + 8, static_cast<size_t>(size - 8)))
        return 0;
    if (!TakeText(bytes + 8, size - 8))
        return 0;
    m_firstTime = firstTime;
    SplitSections(m_text.data(), GetTextLength());
    m_dirty.store(1);
    m_lastTime = ServerTime::Get();
    m_active.store(1);
    return 1;
}

int CF10Data::CopyTo(CF10Data* target)
{
    if (!target || target == this || !m_active.load())
        return 1;
    CopyHeaderTo(target);
    target->m_text = m_text;
    target->m_sections = m_sections;
    m_active.store(0);
    return 1;
}
