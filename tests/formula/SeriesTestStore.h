#pragma once
// A series owner for tests of the arithmetic: every buffer it hands out or
// is given stays alive as long as the store, and counts NewSeries calls.
#include "formula/SeriesValue.h"

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

class SeriesTestStore : public SeriesStore
{
public:
    bool OwnsSeries(const float* data, uint32_t count) const override
    {
        for (const auto& buffer : m_buffers) {
            if (buffer->data() == data)
                return count <= buffer->size();
        }
        return false;
    }
    float* NewSeries(uint32_t count) override
    {
        ++newSeriesCalls;
        // Filled with a sentinel, so that an unwritten element shows.
        m_buffers.push_back(std::make_unique<std::vector<float>>(count + 1, 12345.0f));
        return m_buffers.back()->data();
    }

    // A series value over a copy of the elements.
    VARIANT Make(const std::vector<float>& elements)
    {
        m_buffers.push_back(std::make_unique<std::vector<float>>(elements));
        if (m_buffers.back()->empty())
            m_buffers.back()->reserve(1);
        VARIANT value;
        std::memset(&value, 0, sizeof value);
        WriteSeries(value, m_buffers.back()->data(), static_cast<uint32_t>(elements.size()));
        return value;
    }

    static std::vector<float> Elements(const VARIANT& value, const SeriesStore& store)
    {
        SeriesView view;
        if (!ReadSeries(value, store, view))
            return {};
        return std::vector<float>(view.data, view.data + view.count);
    }

    int newSeriesCalls = 0;

private:
    std::vector<std::unique_ptr<std::vector<float>>> m_buffers;
};
