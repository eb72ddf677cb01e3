#pragma once
// Resource ids of the window-framework tests.
#define IDD_TEST_DIALOG 3001
#define IDC_TEST_EDIT 3002
#define IDC_TEST_OWNERDRAW 3003
#define IDS_TEST_STRING 3004
#define IDR_TEST_ACCELERATORS 3010
