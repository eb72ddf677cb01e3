#pragma once
// Resource ids of the program (shared by the resource scripts and the code that loads them).

// The main frame: program icon, caption menu and accelerators share one id.
#define IDR_MAINFRAME 126
#define IDI_MAINFRAME 126

// Cursors of the skinned list: column resize and the hand over links.
#define IDC_COLUMN_RESIZE 201
#define IDC_LINK_HAND 203

// Menu images of the main frame's owner-drawn menus: 16 x 16 images side by side.
#define IDB_MENU_IMAGES 224

// Drop-down menus, each a single pop-up.
#define IDR_VIEW_CONTEXT 207
#define IDR_MAIN_INDICATORS 209
#define IDR_ADJUSTMENT 225
#define IDR_SPECIAL_INDICATORS 226
#define IDR_PERIODS 228
#define IDR_STOCK_POOLS 229

// K-line chart: the cursor over a pane border.
#define IDC_PANE_SPLIT 202

// K-line chart: the waiting text and the captions of the side-panel pages.
#define IDS_KLINE_DOWNLOADING 129
#define IDS_SIDE_PAGE_SECTORS 130
#define IDS_SIDE_PAGE_TICKS 131
#define IDS_SIDE_PAGE_PRICES 132
#define IDS_SIDE_PAGE_FINANCE 133
#define IDS_SIDE_PAGE_ORDERS 134
#define IDS_SIDE_PAGE_DIAGNOSIS 135
#define IDS_SIDE_PAGE_CHIPS 136
#define IDS_SIDE_PAGE_COSTS 137
