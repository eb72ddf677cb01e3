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

// Texts of the quote side panel: quote-table labels, list titles and
// headers, cost-page texts.
#define IDS_ORDER_RATIO 138
#define IDS_ORDER_DIFFERENCE 139
#define IDS_ASK5 140 // 140-144: ask levels 5 down to 1
#define IDS_BID1 145 // 145-149: bid levels 1 to 5
#define IDS_LAST_PRICE 150
#define IDS_TODAY_OPEN 151
#define IDS_PRICE_CHANGE 152
#define IDS_CHANGE_PERCENT 154
#define IDS_HIGH 155
#define IDS_TOTAL_VOLUME 156
#define IDS_LOW 157
#define IDS_VOLUME_RATIO 159
#define IDS_INNER_VOLUME 161
#define IDS_OUTER_VOLUME 164
#define IDS_TICK_LIST_TITLE 171
#define IDS_MINUTE_LIST_TITLE 174
#define IDS_LIST_TIME 179
#define IDS_LIST_PRICE 180
#define IDS_LIST_VOLUME 181
#define IDS_COST_WITHIN_DAYS 194
#define IDS_COST_BEFORE_DAYS 195
#define IDS_PROFIT_RATIO 196
#define IDS_AVERAGE_COST 197
#define IDS_COST_BAND_90 198
#define IDS_COST_BAND_70 199

// The minute chart: its title, the data window's amount row, the volume-ratio
// pane's title and the chip page's tab.
#define IDS_MINUTE_AMOUNT 188
#define IDS_MINUTE_CHART 189
#define IDS_VOLUME_RATIO_PANE 190
#define IDS_PAGE_CHIPS 192

// The F10 view's waiting text.
#define IDS_F10_DOWNLOADING 187

// The menu commands' dialogs: about box, trend evaluation, proxy settings,
// web page and ranking statistics, with their controls.
#define IDD_ABOUT 100
#define IDC_ABOUT_LINK 286
#define IDC_ABOUT_VERSION 287
#define IDC_ABOUT_PUBLISHER 288
#define IDD_TREND_EVALUATION 205
#define IDC_TREND_NAME 1008
#define IDC_TREND_CODE 1009
#define IDC_TREND_EVALUATE 1010
#define IDC_TREND_RESULT 1013
#define IDC_TREND_PROGRESS 1018
#define IDD_PROXY_SET 212
#define IDC_PROXY_ADDRESS 1037
#define IDC_PROXY_PORT_LABEL 1038
#define IDC_PROXY_PORT 1039
#define IDC_PROXY_ADDRESS_LABEL 1040
#define IDC_PROXY_NONE 1041
#define IDC_PROXY_SYSTEM 1042
#define IDC_PROXY_NAMED 1043
#define IDC_PROXY_USER 1044
#define IDC_PROXY_PASSWORD 1045
#define IDC_PROXY_PASSWORD_LABEL 1046
#define IDC_PROXY_USER_LABEL 1047
#define IDC_PROXY_SOCKS4 1048
#define IDC_PROXY_SOCKS5 1049
#define IDC_PROXY_HTTP 1050
#define IDD_WEB_SOURCE 213
#define IDD_STATISTICS 214
#define IDC_STATISTICS_TITLE 1013
#define IDC_STATISTICS_LIST 1014
#define IDC_STATISTICS_ALL 1015
#define IDC_STATISTICS_SHANGHAI 1016
#define IDC_STATISTICS_SHENZHEN 1017

// The indicator manager: the indicators by category, the chosen ones, and
// the buttons that move indicators between them, save and restore.
#define IDD_TECH_MANAGER 210
#define IDC_TECH_LIST 1005
#define IDC_TECH_TREE 1006
#define IDC_TECH_ADD 1007
#define IDC_TECH_REMOVE 1008
#define IDC_TECH_SAVE 1011
#define IDC_TECH_RESTORE 1012
#define IDC_TECH_CLOSE 1013

// The login dialog and its controls.
#define IDD_LOGIN 204
#define IDC_LOGIN_NAME 1002
#define IDC_LOGIN_PASSWORD 1003
#define IDC_LOGIN_SERVER 1004
#define IDC_LOGIN_PROXY 1005
#define IDC_LOGIN_STEP 1011
#define IDC_LOGIN_SAVE 1012
#define IDC_LOGIN_REGISTER 1013
#define IDC_LOGIN_RETRIEVE 1014
#define IDC_LOGIN_CHAT 1015
#define IDC_LOGIN_PROGRESS 1020
#define IDC_LOGIN_PERCENT 1021
#define IDC_LOGIN_SERVER_LABEL 1023
#define IDC_LOGIN_NAME_LABEL 1024
#define IDC_LOGIN_PASSWORD_LABEL 1025
