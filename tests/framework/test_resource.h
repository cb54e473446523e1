// Ids of the framework tests' own resources.
#pragma once

#define IDD_PLAIN 7200
#define IDD_MOVES_ITSELF 7201
#define IDC_EDIT 10
#define IDC_OTHER_BUTTON 11
#define IDS_GREETING 300
#define IDS_LONG 301
#define IDS_MISSING 399
