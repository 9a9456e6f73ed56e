// Identifiers of the DLL's resources, shared by the .rc file and the code.
#pragma once

#define IDD_CABRILLO 101
#define IDD_MODE_PANEL 107
#define IDD_MULTIPLIERS 108
#define IDI_PLUGIN 110

// Mode panel
#define IDC_MODE_CW 1003
#define IDC_MODE_SSB 1004
#define IDC_MODE_PSK125 1005
#define IDC_VIEW_RDA 1115
#define IDC_VIEW_MULT 1116

// Multiplier window
#define IDC_GRID 1003
