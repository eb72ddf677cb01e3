#pragma once
// "techwin.conf": the number of indicator panes below the K-line chart's main
// pane and the indicator name of each, kept between runs. Little-endian: an
// int32 count, then per pane 40 bytes of UTF-16 name, zero-terminated and
// zero-padded (at most 19 units).
#include <cstdint>
#include <string>
#include <vector>

namespace kline {

const int kPaneNameRecordBytes = 40;
const int kPaneNameMaxUnits = 19;
const int kDefaultSubPaneCount = 2;

// "VOL", "MACD", "KDJ", "DMI", "DMA", "FSL", "TRIX", "CR", "BRAR".
const std::vector<std::wstring>& DefaultPaneNames();

struct PaneConfig
{
    int count = kDefaultSubPaneCount;
    std::vector<std::wstring> names; // at least 9 after loading
};

// Reads the file. A file that cannot be opened gives 2 panes; a short count
// leaves currentCount; counts above 9 read as 9 and below 0 as 0; a short
// record ends the names; names are padded with the defaults from their own
// position on, so the list always offers 9.
PaneConfig LoadPaneConfig(const std::string& path, int currentCount);

// The file's bytes for a count and the shown panes' names (longer names are
// cut to 19 units).
std::string EncodePaneConfig(int count, const std::vector<std::wstring>& names);

// Writes through a temporary file beside the target; false leaves the old file.
bool SavePaneConfig(const std::string& path, int count, const std::vector<std::wstring>& names);

}
