// Resource and control ids of Kestrane, shared by the resource script and the code.
#pragma once

// Dialogs, strings and the icon.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_CORRECTION_DIALOG 102
#define IDR_MAINFRAME 128

// The About entry of the main dialog's system menu. System-menu commands must be
// below 0xF000 and have their low four bits clear.
#define IDM_ABOUTBOX 0x0010

// Controls of the main dialog.
#define IDC_EXECUTE 3
#define IDC_TARGET_GAS 1005
#define IDC_TARGET_PRESSURE 1006
#define IDC_BAROMETRIC 1007
#define IDC_TEMPERATURE 1008
#define IDC_ALTITUDE 1009
#define IDC_HUMIDITY 1010
#define IDC_CALC_GAS 1011
#define IDC_CALC_GAS_PRESSURE 1012
#define IDC_VAPOR_PRESSURE 1013
#define IDC_CORRECTED_BAROMETER 1014
#define IDC_TEMP_UNITS 1054
#define IDC_PRESSURE_UNITS 1055
#define IDC_DISTANCE_UNITS 1056
