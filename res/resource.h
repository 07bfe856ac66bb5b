// Numbers of the program's resources, shared by the resource script and the
// code that looks them up.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUORVIN_DIALOG 102
#define IDR_MAINFRAME 128
// Not 1 to 16, which the loader takes for manifests of its own.
#define IDR_VISUAL_STYLES 129

// The notice of rights in the About box and the version block.
#define QUORVIN_COPYRIGHT "Copyright (C) 2026 Quorvin"

// The system-menu command that shows the About box; the system keeps the
// lowest four bits of system commands for itself.
#define IDM_ABOUTBOX 0x0010
