// Command and resource ids the framework itself knows; usable from resource scripts too.
#pragma once

// The application's help command (the "Help" button or menu item).
#define ID_HELP 0xE146
// A control that the program never addresses.
#define IDC_STATIC (-1)
