#include "app/RankingRecords.h"

#include <cstring>

#include "base/Format.h"
#include "base/MbcsText.h"

namespace {

const RankingPage kPages[] = {
    { 4045, "连续上涨排名", 1, RankingLayout::R60, { { "连续天数", 80 }, { "最新价格", 70 }, { "涨跌幅度", 100 } }, 3,
        false, 1 },
    { 4046, "连续下跌排名", 1, RankingLayout::R60, { { "连续天数", 80 }, { "最新价格", 70 }, { "涨跌幅度", 100 } }, 3,
        false, -1 },
    { 4047, "涨幅前50名", 3, RankingLayout::R62, { { "最新价格", 70 }, { "成交量", 100 }, { "涨幅", 100 } }, 5, false,
        1 },
    { 4048, "跌幅前50名", 3, RankingLayout::R62, { { "最新价格", 70 }, { "成交量", 100 }, { "跌幅", 100 } }, 5, true,
        -1 },
    { 4049, "成交价前50名", 5, RankingLayout::R54, { { "最新价格", 100 }, { nullptr, 0 }, { nullptr, 0 } }, 3, false,
        1 },
    { 4050, "成交价后50名", 5, RankingLayout::R54, { { "最新价格", 100 }, { nullptr, 0 }, { nullptr, 0 } }, 3, true,
        -1 },
    { 4051, "成交量前50名", 7, RankingLayout::R58, { { "最新价格", 100 }, { "成交量", 100 }, { nullptr, 0 } }, 4,
        false, 1 },
    { 4052, "成交量后50名", 7, RankingLayout::R58, { { "最新价格", 100 }, { "成交量", 100 }, { nullptr, 0 } }, 4, true,
        -1 },
    { 4053, "成交额前50名", 9, RankingLayout::R58, { { "最新价格", 70 }, { "成交额", 90 }, { nullptr, 0 } }, 4, false,
        1 },
    { 4054, "成交额后50名", 9, RankingLayout::R58, { { "最新价格", 70 }, { "成交额", 90 }, { nullptr, 0 } }, 4, true,
        -1 },
    { 4055, "量比前50名", 11, RankingLayout::R58, { { "量比", 70 }, { "收盘价格", 90 }, { nullptr, 0 } }, 3, false,
        1 },
    { 4056, "量比后50名", 11, RankingLayout::R58, { { "量比", 70 }, { "收盘价格", 90 }, { nullptr, 0 } }, 3, true,
        -1 },
};

// The text of a fixed field: up to its terminator or its end, never past
// the last whole character.
std::string FieldText(const char* field, size_t size)
{
    const void* zero = std::memchr(field, 0, size);
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : size;
    size_t end = 0;
    for (size_t step; (step = MbcsCharSize(field, length, end)) != 0; end += step) {
        const unsigned char byte = static_cast<unsigned char>(field[end]);
        if (step == 1 && byte >= 0x81 && byte <= 0xFE)
            break; // the first half of a character whose second half is gone
    }
    return std::string(field, end);
}

template <class Record> Record ReadRecord(const uint8_t* at)
{
    Record record;
    std::memcpy(&record, at, sizeof(Record));
    return record;
}

void TakeHead(const RankingRecordHead& head, RankingRecord& out)
{
    out.key = head.key;
    out.market[0] = head.market[0];
    out.market[1] = head.market[1];
    out.code = FieldText(head.code, sizeof(head.code));
    out.name = FieldText(head.name, sizeof(head.name));
}

std::string Fixed2(double value)
{
    return FormatString("%.02f", value);
}

} // namespace

const RankingPage* FindRankingPage(UINT command)
{
    for (const RankingPage& page : kPages) {
        if (page.command == command)
            return &page;
    }
    return nullptr;
}

size_t RankingRecordSize(RankingLayout layout)
{
    switch (layout) {
    case RankingLayout::R60:
        return sizeof(RankingRecordR60);
    case RankingLayout::R62:
        return sizeof(RankingRecordR62);
    case RankingLayout::R54:
        return sizeof(RankingRecordR54);
    case RankingLayout::R58:
        return sizeof(RankingRecordR58);
    }
    return 0;
}

std::vector<RankingRecord> ParseRankingReply(const uint8_t* body, size_t length, RankingLayout layout)
{
    std::vector<RankingRecord> records;
    const size_t size = RankingRecordSize(layout);
    if (!body || size == 0)
        return records;
    records.reserve(length / size);
    for (size_t offset = 0; length - offset >= size; offset += size) {
        RankingRecord out;
        const uint8_t* at = body + offset;
        switch (layout) {
        case RankingLayout::R60: {
            const RankingRecordR60 r = ReadRecord<RankingRecordR60>(at);
            TakeHead(r.head, out);
            out.days = r.days;
            out.values[0] = r.priceThousandths / 1000.0;
            out.values[1] = r.changeThousandths / 1000.0;
            out.side = r.side;
            break;
        }
        case RankingLayout::R62: {
            const RankingRecordR62 r = ReadRecord<RankingRecordR62>(at);
            TakeHead(r.head, out);
            out.values[0] = r.price;
            out.values[1] = r.volume;
            out.values[2] = r.change;
            out.side = r.side;
            break;
        }
        case RankingLayout::R54: {
            const RankingRecordR54 r = ReadRecord<RankingRecordR54>(at);
            TakeHead(r.head, out);
            out.values[0] = r.price;
            out.side = r.side;
            break;
        }
        case RankingLayout::R58: {
            const RankingRecordR58 r = ReadRecord<RankingRecordR58>(at);
            TakeHead(r.head, out);
            out.values[0] = r.first;
            out.values[1] = r.second;
            out.side = r.side;
            break;
        }
        }
        records.push_back(out);
    }
    return records;
}

std::vector<RankingRow> RankingRowsFor(const RankingPage& page, const std::vector<RankingRecord>& records, int filter)
{
    std::vector<RankingRow> rows;
    if (filter != 0 && filter != 1 && filter != -1)
        return rows;
    for (const RankingRecord& record : records) {
        if (record.side != page.side)
            continue;
        if (filter == 1 && !(record.market[0] == 'S' && record.market[1] == 'H'))
            continue;
        if (filter == -1 && !(record.market[0] == 'S' && record.market[1] == 'Z'))
            continue;
        RankingRow row;
        row.key = record.key;
        row.cells.push_back(record.code);
        row.cells.push_back(record.name);
        switch (page.layout) {
        case RankingLayout::R60:
            row.cells.push_back(FormatString("%d", static_cast<int>(record.days)));
            row.cells.push_back(Fixed2(record.values[0]));
            row.cells.push_back(Fixed2(record.values[1]));
            break;
        case RankingLayout::R62:
            row.cells.push_back(Fixed2(record.values[0]));
            row.cells.push_back(FormatLargeNumber(record.values[1]));
            row.cells.push_back(Fixed2(record.values[2]));
            break;
        case RankingLayout::R54:
            row.cells.push_back(Fixed2(record.values[0]));
            break;
        case RankingLayout::R58:
            row.cells.push_back(Fixed2(record.values[0]));
            row.cells.push_back(page.type == 11 ? Fixed2(record.values[1]) : FormatLargeNumber(record.values[1]));
            break;
        }
        rows.push_back(row);
    }
    return rows;
}
