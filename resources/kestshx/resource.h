#pragma once
// Resource, control and string identifiers of the context-menu extension.

// Menu texts of the four commands, in the order of their offsets.
#define IDS_COPYPATHNAME 1
#define IDS_COPYSHORTPATHNAME 2
#define IDS_OPENINCMDWND 3
#define IDS_RUNWITHPARAMS 4
// Help texts of the four commands.
#define IDS_COPYPATHNAME_HELP 11
#define IDS_COPYSHORTPATHNAME_HELP 12
#define IDS_OPENINCMDWND_HELP 13
#define IDS_RUNWITHPARAMS_HELP 14
// Error message templates: the system's text for the error, then a detail.
#define IDS_ERR_SETCLIPBOARDDATA 15
#define IDS_ERR_GLOBALLOCK 16
#define IDS_ERR_GLOBALALLOC 17
#define IDS_ERR_OPENCLIPBOARD 18
#define IDS_ERR_OPENCMDWINDOW 19
#define IDS_REPORT_PROBLEM 20
#define IDS_ERR_RUNFILE 21

#define IDB_MENUBITMAP 1003

#define IDD_RUNPARAMS 2000
#define IDC_RUNPARAMS_ARGUMENTS 1001
#define IDC_RUNPARAMS_PATH 1002
