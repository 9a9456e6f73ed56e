// Identifiers of the DLL's resources, shared by the .rc file and the code.
#pragma once

#define IDD_CABRILLO 101
#define IDD_MODE_PANEL 107
#define IDD_MULTIPLIERS 108
#define IDI_PLUGIN 110
