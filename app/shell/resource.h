// Resource ids of Quillon.exe.
#pragma once

#define IDI_QUILLON 148
#define ID_TRAY_EXIT 149
