#pragma once

// The window's eye icon: the lowest icon id, so that Explorer shows it for the program file.
#define IDI_QUILLON 1
