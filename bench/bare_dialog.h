// Resource ids shared by bare_dialog.cpp and bare_dialog.rc.
#pragma once

#define IDD_BARE_DIALOG 100
#define IDC_BARE_LIST 1000
