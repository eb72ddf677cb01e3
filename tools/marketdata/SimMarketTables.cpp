#include "tools/marketdata/SimMarketTables.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "tools/marketdata/SimPrices.h"

namespace {

const uint16_t kTagSH = 'S' | ('H' << 8);
const uint16_t kTagSZ = 'S' | ('Z' << 8);
const uint16_t kTagSB = 'S' | ('B' << 8);

const int kFinanceRecordSize = 166;
const int32_t kExchangeOffset = 28800;

void Put32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
void PutFloat(std::string& out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    Put32(out, bits);
}
void PutField(std::string& out, const std::string& text, size_t size)
{
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    out += field;
}
void SetAt(std::string& record, size_t offset, const void* data, size_t size)
{
    std::memcpy(&record[offset], data, size);
}
void SetFloatAt(std::string& record, size_t offset, float value)
{
    SetAt(record, offset, &value, 4);
}

// Midnight of a date in exchange time.
int32_t ExchangeDay(int year, int month, int day)
{
    // Days from 1970-01-01 by the civil-calendar formula.
    const int y = year - (month <= 2);
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int days = era * 146097 + doe - 719468;
    return days * 86400 - kExchangeOffset;
}

// The day itself when it is a weekday, else the Monday after.
int32_t NextWeekday(int32_t day)
{
    // 1970-01-01 was a Thursday: day 0 of the count is weekday 4.
    for (;;) {
        const int weekday = static_cast<int>(((day + kExchangeOffset) / 86400 + 4) % 7);
        if (weekday >= 1 && weekday <= 5)
            return day;
        day += 86400;
    }
}

struct NamedSecurity
{
    uint16_t tag;
    const char* code;
    const char* name;
    float price;
};

const NamedSecurity kIndexes[] = {
    { kTagSH, "1A0001", "上证指数", 3050.0f },
    { kTagSH, "1A0002", "Ａ股指数", 3190.0f },
    { kTagSH, "1A0003", "Ｂ股指数", 260.0f },
    { kTagSH, "000001", "上证综指", 3048.0f },
    { kTagSH, "000300", "沪深300", 3580.0f },
    { kTagSZ, "399001", "深证成指", 9650.0f },
    { kTagSZ, "399005", "中小板指", 6120.0f },
    { kTagSZ, "399006", "创业板指", 1880.0f },
};

// Names chosen for what their search keys exercise: characters with several
// readings (万 乐 长 重 行 银), full-width letters and digits, a name filling
// all ten bytes, a parenthesised number.
const NamedSecurity kNamedStocks[] = {
    { kTagSH, "600000", "浦发银行", 7.80f },
    { kTagSH, "600036", "招商银行", 33.20f },
    { kTagSH, "600519", "贵州茅台酒", 1650.0f },
    { kTagSH, "600028", "中国石化", 6.10f },
    { kTagSH, "600050", "中国联通", 4.90f },
    { kTagSH, "600104", "上汽集团", 14.30f },
    { kTagSH, "600900", "长江电力", 28.60f },
    { kTagSH, "600132", "重庆啤酒", 62.00f },
    { kTagSH, "601398", "工商银行", 5.40f },
    { kTagSH, "601988", "中国银行", 4.10f },
    { kTagSH, "601166", "兴业银行", 17.20f },
    { kTagSH, "600030", "中信证券", 20.50f },
    { kTagSZ, "000001", "平安银行", 10.80f },
    { kTagSZ, "000002", "万科Ａ", 7.20f },
    { kTagSZ, "000063", "中兴通讯", 29.90f },
    { kTagSZ, "000651", "格力电器", 39.50f },
    { kTagSZ, "000858", "五粮液", 140.0f },
    { kTagSZ, "002001", "新和成", 20.10f },
    { kTagSZ, "300104", "乐视网", 0.0f },
    { kTagSZ, "000012", "南玻Ａ", 5.30f },
    { kTagSZ, "002415", "海康威视", 31.00f },
    { kTagSZ, "000725", "京东方Ａ", 4.20f },
    { kTagSH, "900901", "云赛Ｂ股", 0.45f },
    { kTagSH, "900905", "老凤祥Ｂ", 2.60f },
    { kTagSH, "900932", "陆家嘴Ｂ", 0.80f },
    { kTagSZ, "200002", "万科Ｂ", 4.60f },
    { kTagSZ, "200011", "深物业Ｂ", 8.10f },
    { kTagSZ, "200058", "深赛格Ｂ", 3.40f },
    { kTagSB, "400001", "大自然３", 1.20f },
    { kTagSB, "400002", "长白⑴", 0.90f },
    { kTagSB, "400005", "海国实３", 1.50f },
    { kTagSB, "430002", "中科软件", 6.00f },
};

// What a real market's tables carry besides the usual, so that every run
// meets it: a name with a four-byte GB18030 character (a place name's
// character outside GBK), a name with stale bytes after its terminator.
const NamedSecurity kUnusualStocks[] = {
    { kTagSZ, "002987", "\x82\x31\xB7\x39\xC0\xE6\xB7\xA2\xD5\xB9", 11.40f },
    { kTagSH, "603987", "\xC9\xEA\xC1\xAA\0\xBB\xB7\xD2\x01\x7F", 9.60f },
};
// The length of such a name: all ten bytes, stale ones included.
const size_t kUnusualNameBytes = 10;

const char* const kNamePrefixes[] = { "华夏", "东方", "中信", "长安", "重工", "银河", "兴业", "海通", "广发",
    "南方", "北方", "天成", "金地", "宝钢", "光明", "新华", "国投", "招商", "中原", "西部", "大通", "恒生",
    "万向", "乐山", "行健", "朝阳", "长城", "重华", "丁香", "乐凯" };
const char* const kNameSuffixes[] = { "科技", "股份", "电子", "能源", "制药", "地产", "银行", "实业", "传媒",
    "电力", "化工", "机械", "汽车", "食品", "钢铁", "物流", "环保", "信息", "材料", "建设" };

const char* const kIndustries[] = {
    "银行",
    "证券",
    "保险",
    "房地产",
    "钢铁",
    "煤炭",
    "有色金属",
    "电力",
    "石油",
    "化工",
    "汽车",
    "家电",
    "食品饮料",
    "医药",
    "电子",
    "通信",
    "计算机",
    "传媒",
    "军工",
    "建材",
    "建筑",
    "交通运输",
    "港口",
    "航空",
    "物流",
    "农业",
    "纺织",
    "服装",
    "造纸",
    "环保",
    "旅游",
    "酒店",
    "商业百货",
    "零售",
    "机械",
    "电气设备",
    "仪器仪表",
    "船舶",
    "水泥",
    "玻璃",
    "酿酒",
    "水务",
    "燃气",
    "公路",
    "铁路",
    "综合",
    "文化",
    "教育",
};
const char* const kConcepts[] = { "新能源", "芯片", "人工智能", "5G", "物联网", "区块链", "大数据", "云计算",
    "新材料", "锂电池", "光伏", "风电", "稀土永磁", "黄金概念", "国企改革", "一带一路", "雄安新区", "自贸区",
    "高送转", "沪港通" };
const char* const kRegions[] = { "上海板块", "北京板块", "广东板块", "深圳板块", "浙江板块", "江苏板块",
    "山东板块", "四川板块", "湖北板块", "福建板块", "天津板块", "重庆板块" };

const int32_t kIndustryCategory = 0x01000000;
const int32_t kConceptCategory = 0x02000000;
const int32_t kRegionCategory = 0x03000000;

uint32_t KeyOf(uint16_t tag, const std::string& code)
{
    uint32_t key = static_cast<uint32_t>(std::stoul(code, nullptr, 16)) & 0xFFFFFF;
    if (tag == kTagSZ)
        key |= 0x1000000;
    else if (tag == kTagSB)
        key |= 0x2000000;
    return key;
}

std::string MarketText(uint16_t tag)
{
    return std::string(1, static_cast<char>(tag & 0xFF)) + static_cast<char>(tag >> 8);
}

} // namespace

SimMarketTables::SimMarketTables(uint32_t seed)
    : m_seed(seed)
    , m_refreshes(0)
{
    BuildSecurities();
    BuildExRights();
    BuildGroups();
}

uint32_t SimMarketTables::Hash(uint32_t a, uint32_t b, uint32_t c) const
{
    uint32_t h = m_seed ^ 0x9E3779B9u;
    for (uint32_t v : { a, b, c }) {
        h ^= v + 0x7F4A7C15u + (h << 6) + (h >> 2);
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
    }
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}

void SimMarketTables::BuildSecurities()
{
    std::set<uint32_t> used;
    auto add = [&](uint16_t tag, const std::string& code, const std::string& name, float price, bool index) {
        const uint32_t key = KeyOf(tag, code);
        if (!used.insert(key).second)
            return;
        m_securities.push_back(SimSecurity { key, tag, code, name, price, index });
    };
    for (const NamedSecurity& s : kIndexes)
        add(s.tag, s.code, s.name, s.price, true);
    for (const NamedSecurity& s : kNamedStocks)
        add(s.tag, s.code, s.name, s.price, false);

    struct Range
    {
        uint16_t tag;
        int first;
        int count;
    };
    const Range ranges[] = {
        { kTagSH, 600001, 120 },
        { kTagSH, 601001, 25 },
        { kTagSZ, 2, 70 },
        { kTagSZ, 2002, 45 },
        { kTagSZ, 300001, 30 },
        { kTagSH, 900906, 5 },
        { kTagSZ, 200012, 5 },
        { kTagSB, 400006, 6 },
    };
    const size_t prefixes = sizeof(kNamePrefixes) / sizeof(kNamePrefixes[0]);
    const size_t suffixes = sizeof(kNameSuffixes) / sizeof(kNameSuffixes[0]);
    uint32_t serial = 0;
    for (const Range& range : ranges) {
        for (int i = 0; i < range.count; ++i, ++serial) {
            char code[8];
            std::snprintf(code, sizeof(code), "%06d", range.first + i * 3);
            const uint32_t h = Hash(serial, 1, 0);
            std::string name = std::string(kNamePrefixes[h % prefixes]) + kNameSuffixes[(h >> 8) % suffixes];
            if (h % 23 == 0)
                name = "ＳＴ" + name.substr(0, 6); // four bytes of marks and three characters
            const float price = 2.0f + static_cast<float>(Hash(serial, 2, 0) % 6000) / 100.0f;
            add(range.tag, code, name, price, false);
        }
    }
    // Last, so the securities before them keep their data.
    for (const NamedSecurity& s : kUnusualStocks)
        add(s.tag, s.code, std::string(s.name, kUnusualNameBytes), s.price, false);
}

void SimMarketTables::BuildExRights()
{
    // Priced from the base price until a series prices them from its closes.
    auto price = [](SimExRights& x, float basePrice) {
        const double close = basePrice > 0 ? basePrice : 10.0;
        x.cashDividend = x.cashYield > 0 ? static_cast<float>(std::round(close * x.cashYield * 100) / 100) : 0.0f;
        x.rightsPrice
            = x.rightsShares > 0 ? static_cast<float>(std::round(close * x.rightsDiscount * 100) / 100) : 0.0f;
    };
    for (size_t i = 0; i < m_securities.size(); ++i) {
        const SimSecurity& s = m_securities[i];
        if (s.index)
            continue;
        const uint32_t h = Hash(static_cast<uint32_t>(i), 3, 0);
        const bool forced = s.key == kSameDayExRightsKey || s.key == kManyGroupsKey;
        if (!forced && h % 4 != 0)
            continue;
        const int events = 1 + static_cast<int>((h >> 4) % 3);
        for (int e = 0; e < events; ++e) {
            const uint32_t g = Hash(static_cast<uint32_t>(i), 4, static_cast<uint32_t>(e));
            SimExRights x = {};
            x.key = s.key;
            x.time = NextWeekday(
                ExchangeDay(2019 + e * 2, 1 + static_cast<int>(g % 12), 1 + static_cast<int>((g >> 8) % 28)));
            switch ((g >> 16) % 3) {
            case 0:
                x.cashYield = 0.005 + 0.0003 * static_cast<double>((g >> 20) % 100);
                break;
            case 1:
                x.bonusShares = 0.1f * static_cast<float>(1 + (g >> 20) % 5);
                break;
            default:
                x.rightsShares = 0.1f + 0.1f * static_cast<float>((g >> 20) % 3);
                x.rightsDiscount = 0.6 + 0.1 * static_cast<double>((g >> 24) % 3);
                break;
            }
            price(x, s.basePrice);
            m_exRights.push_back(x);
        }
        if (s.key == kSameDayExRightsKey) {
            // Cash and bonus shares announced for the same day, an hour apart.
            SimExRights cash = {};
            cash.key = s.key;
            cash.time = ExchangeDay(2024, 7, 11) + 9 * 3600;
            cash.cashYield = 0.06;
            price(cash, s.basePrice);
            SimExRights bonus = {};
            bonus.key = s.key;
            bonus.time = ExchangeDay(2024, 7, 11) + 10 * 3600;
            bonus.bonusShares = 0.3f;
            m_exRights.push_back(cash);
            m_exRights.push_back(bonus);
        }
    }
}

void SimMarketTables::BuildGroups()
{
    const int industries = static_cast<int>(sizeof(kIndustries) / sizeof(kIndustries[0]));
    const int concepts = static_cast<int>(sizeof(kConcepts) / sizeof(kConcepts[0]));
    const int regions = static_cast<int>(sizeof(kRegions) / sizeof(kRegions[0]));
    m_groups.push_back({ kIndustryCategory, "行业板块" });
    for (int i = 0; i < industries; ++i)
        m_groups.push_back({ kIndustryCategory | (i + 1), kIndustries[i] });
    m_groups.push_back({ kConceptCategory, "概念板块" });
    for (int i = 0; i < concepts; ++i)
        m_groups.push_back({ kConceptCategory | (i + 1), kConcepts[i] });
    m_groups.push_back({ kRegionCategory, "地区板块" });
    for (int i = 0; i < regions; ++i)
        m_groups.push_back({ kRegionCategory | (i + 1), kRegions[i] });

    for (size_t i = 0; i < m_securities.size(); ++i) {
        const SimSecurity& s = m_securities[i];
        if (s.index)
            continue;
        const uint32_t h = Hash(static_cast<uint32_t>(i), 5, 0);
        m_members.push_back({ s.key, kIndustryCategory | static_cast<int32_t>(1 + h % industries) });
        const int conceptCount = s.key == kManyGroupsKey ? 17 : static_cast<int>((h >> 8) % 3);
        const int firstConcept = static_cast<int>((h >> 12) % concepts);
        for (int c = 0; c < conceptCount; ++c)
            m_members.push_back({ s.key, kConceptCategory | (1 + (firstConcept + c) % concepts) });
        m_members.push_back({ s.key, kRegionCategory | static_cast<int32_t>(1 + (h >> 20) % regions) });
    }
}

const SimSecurity* SimMarketTables::Find(uint32_t key) const
{
    for (const SimSecurity& s : m_securities)
        if (s.key == key)
            return &s;
    return nullptr;
}

int32_t SimMarketTables::TableVersion(uint16_t command) const
{
    return static_cast<int32_t>(20260000 + command + (m_seed % 97));
}

SimReply SimMarketTables::CodeTableReply() const
{
    SimReply reply;
    reply.value = kHeaderWord1;
    reply.value2 = static_cast<uint32_t>(TableVersion(0x201));
    for (const SimSecurity& s : m_securities) {
        Put32(reply.body, s.key);
        PutField(reply.body, s.name, 10);
    }
    return reply;
}

SimReply SimMarketTables::QuotesReply()
{
    const uint32_t refresh = static_cast<uint32_t>(m_refreshes.fetch_add(1));
    SimReply reply;
    reply.value = kHeaderWord1;
    reply.value2 = static_cast<uint32_t>(TableVersion(0x202)) + refresh;
    for (size_t i = 0; i < m_securities.size(); ++i) {
        const SimSecurity& s = m_securities[i];
        const uint32_t h = Hash(static_cast<uint32_t>(i), 6, refresh);
        const double reference = s.basePrice > 0 ? s.basePrice : 10.0;
        // A new listing's previous close is its issue price.
        const double previousClose = s.key == kNewListingKey ? reference : s.basePrice;
        // Every fifth quote or so stands still at this refresh; the rest move up to 10 %.
        const double change = (h % 5 == 0) ? 0.0 : (static_cast<double>(h % 2001) - 1000.0) / 10000.0;
        double last = (previousClose > 0 ? previousClose : reference) * (1.0 + change);
        if (s.key == kSuspendedKey)
            last = 0;
        // A suspended security does not open: no open, high or low either.
        const double open = s.key == kSuspendedKey
            ? 0.0
            : reference * (1.0 + static_cast<double>(static_cast<int>((h >> 12) % 41) - 20) / 1000.0);
        const double high = std::max(open, last) * 1.01;
        const double low = std::min(open, last) * 0.99;
        const uint32_t volume = s.key == kSuspendedKey ? 0 : (1000 + (h >> 8) % 100000) * (refresh + 1);
        LiveQuote live = {};
        const bool fromSeries = m_liveQuotes && s.key != kSuspendedKey && s.key != kNewListingKey
            && m_liveQuotes(s.key, live) && live.last > 0;
        Put32(reply.body, static_cast<uint32_t>(i));
        Put32(reply.body, s.key);
        if (fromSeries) {
            Put32(reply.body, Thousandths(live.last));
            Put32(reply.body, live.volume);
            Put32(reply.body, live.amount);
            Put32(reply.body, Thousandths(live.previousClose));
            Put32(reply.body, Thousandths(live.open));
            Put32(reply.body, Thousandths(live.high));
            Put32(reply.body, Thousandths(live.low));
            continue;
        }
        Put32(reply.body, Thousandths(last));
        Put32(reply.body, volume);
        Put32(reply.body, static_cast<uint32_t>(volume * std::max(last, 0.0) / 10.0));
        Put32(reply.body, Thousandths(previousClose));
        Put32(reply.body, Thousandths(open));
        Put32(reply.body, Thousandths(high));
        Put32(reply.body, Thousandths(low));
    }
    return reply;
}

SimReply SimMarketTables::FinanceReply() const
{
    SimReply reply;
    reply.value = kHeaderWord1;
    reply.value2 = static_cast<uint32_t>(TableVersion(0x203));
    Put32(reply.body, kFinanceMagic);
    Put32(reply.body, kFinanceRecordSize);
    const int32_t reportDate = ExchangeDay(2025, 6, 30);
    for (size_t i = 0; i < m_securities.size(); ++i) {
        const SimSecurity& s = m_securities[i];
        if (s.index)
            continue;
        const uint32_t h = Hash(static_cast<uint32_t>(i), 7, 0);
        std::string record(kFinanceRecordSize, '\0');
        SetAt(record, 0, &s.marketTag, 2);
        SetAt(record, 4, s.code.data(), s.code.size());
        const int32_t date = s.key == kZeroReportDateKey ? 0 : reportDate;
        SetAt(record, 14, &date, 4);
        const float total = 10000.0f + static_cast<float>(h % 2000000);
        SetFloatAt(record, 18, total); // total shares, 10,000s
        SetFloatAt(record, 42, total * (0.4f + (h >> 24) % 60 / 100.0f)); // circulating shares
        SetFloatAt(record, 54, total * 3.1f); // total assets
        SetFloatAt(record, 94, total * 0.8f); // main business income
        SetFloatAt(record, 134, total * 0.05f); // net profit
        SetFloatAt(record, 146, 0.01f * static_cast<float>(h % 300)); // earnings per share
        SetFloatAt(record, 150, 1.0f + 0.01f * static_cast<float>(h % 900));
        SetFloatAt(record, 162, 0.1f * static_cast<float>(h % 250));
        reply.body += record;
    }
    // A record of a market this program does not show, as a server serving
    // more markets sends it.
    std::string further(kFinanceRecordSize, '\0');
    SetAt(further, 0, "BJ", 2);
    SetAt(further, 4, "430047", 6);
    SetAt(further, 14, &reportDate, 4);
    SetFloatAt(further, 18, 12000.0f);
    SetFloatAt(further, 42, 6000.0f);
    reply.body += further;
    return reply;
}

SimReply SimMarketTables::ExRightsReply() const
{
    SimReply reply;
    reply.value = kHeaderWord1;
    reply.value2 = static_cast<uint32_t>(TableVersion(0x204));
    Put32(reply.body, 0); // two words the client passes over
    Put32(reply.body, 0);
    uint32_t current = 0xFFFFFFFF;
    for (const SimExRights& x : m_exRights) {
        if (x.key != current) {
            current = x.key;
            const SimSecurity* s = Find(x.key);
            std::string marker;
            Put32(marker, 0xFFFFFFFF);
            PutField(marker, MarketText(s ? s->marketTag : kTagSH), 2);
            PutField(marker, s ? s->code : std::string(), 14);
            reply.body += marker;
        }
        Put32(reply.body, static_cast<uint32_t>(x.time));
        PutFloat(reply.body, x.bonusShares);
        PutFloat(reply.body, x.rightsShares);
        PutFloat(reply.body, x.rightsPrice);
        PutFloat(reply.body, x.cashDividend);
    }
    return reply;
}

SimReply SimMarketTables::GroupsReply() const
{
    SimReply reply;
    reply.value = kHeaderWord1;
    reply.value2 = static_cast<uint32_t>(TableVersion(0x206));
    Put32(reply.body, static_cast<uint32_t>(m_groups.size()));
    for (const SimGroup& g : m_groups) {
        Put32(reply.body, static_cast<uint32_t>(g.id));
        PutField(reply.body, g.name, 40);
    }
    Put32(reply.body, static_cast<uint32_t>(m_members.size()));
    for (const SimGroupMember& m : m_members) {
        Put32(reply.body, m.key);
        Put32(reply.body, static_cast<uint32_t>(m.blockId));
    }
    return reply;
}

void SimMarketTables::Install(QuoteSimulator& simulator)
{
    simulator.SetHandler(0x201, [this](const SimRequest&) { return CodeTableReply(); });
    simulator.SetHandler(0x202, [this](const SimRequest&) { return QuotesReply(); });
    simulator.SetHandler(0x203, [this](const SimRequest&) { return FinanceReply(); });
    simulator.SetHandler(0x204, [this](const SimRequest&) { return ExRightsReply(); });
    simulator.SetHandler(0x206, [this](const SimRequest&) { return GroupsReply(); });
}

std::string SimMarketTables::Delivered(const SimReply& reply)
{
    std::string stream;
    Put32(stream, reply.value);
    Put32(stream, reply.value2);
    return stream + reply.body;
}
