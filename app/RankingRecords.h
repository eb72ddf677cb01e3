#pragma once
// The service's rankings: which page each ranking command shows, the packed
// records of a ranking reply, and the list rows a page makes of them.
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class RankingLayout { R60, R62, R54, R58 };

#pragma pack(push, 1)
// Every record starts with this. The texts are zero-terminated within their
// fields when the server is well behaved.
struct RankingRecordHead
{
    uint32_t key;
    char market[2]; // "SH" or "SZ"
    char code[10];
    char name[32]; // code page 936
};
struct RankingRecordR60
{
    RankingRecordHead head;
    uint16_t days; // length of the streak
    uint32_t priceThousandths;
    int32_t changeThousandths; // percent
    int16_t side;
};
struct RankingRecordR62
{
    RankingRecordHead head;
    float price;
    float volume;
    float change; // percent
    int16_t side;
};
struct RankingRecordR54
{
    RankingRecordHead head;
    float price;
    int16_t side;
};
struct RankingRecordR58
{
    RankingRecordHead head;
    float first;
    float second;
    int16_t side;
};
#pragma pack(pop)
static_assert(sizeof(RankingRecordHead) == 48, "ranking record head");
static_assert(sizeof(RankingRecordR60) == 60, "ranking layout R60");
static_assert(sizeof(RankingRecordR62) == 62, "ranking layout R62");
static_assert(sizeof(RankingRecordR54) == 54, "ranking layout R54");
static_assert(sizeof(RankingRecordR58) == 58, "ranking layout R58");

struct RankingColumn
{
    const char* title;
    int32_t width;
};

struct RankingPage
{
    UINT command;
    const char* title;
    int32_t type; // of the request
    RankingLayout layout;
    RankingColumn columns[3]; // after number, code and name; title null past the last
    int32_t sortColumn;
    bool ascending;
    int16_t side; // 1 the upper list, -1 the lower
};

// The page of a command 4045-4056; null for any other.
const RankingPage* FindRankingPage(UINT command);
size_t RankingRecordSize(RankingLayout layout);

// One record as the dialog keeps it: texts cut at their terminator (or the
// field's end) and on a character boundary, values by layout.
struct RankingRecord
{
    uint32_t key = 0;
    char market[2] = { 0, 0 };
    std::string code;
    std::string name;
    uint32_t days = 0; // R60
    double values[3] = { 0, 0, 0 }; // R60: price, change; R62: price, volume, change; R54: price; R58: first, second
    int16_t side = 0;
};

// The whole records of a body, in order; an incomplete last record is dropped.
std::vector<RankingRecord> ParseRankingReply(const uint8_t* body, size_t length, RankingLayout layout);

// One list row: the texts of columns 1 onwards (code, name, values), the
// record's key as the row's data.
struct RankingRow
{
    uint32_t key = 0;
    std::vector<std::string> cells;
};

// Filter 0 all, 1 Shanghai, -1 Shenzhen (any other shows nothing). Only the
// page's side shows. Rows in reply order.
std::vector<RankingRow> RankingRowsFor(const RankingPage& page, const std::vector<RankingRecord>& records, int filter);
