#pragma once
// Resource, control and command identifiers of the band.

#define IDS_PRODUCT_NAME 1

#define IDC_SEARCHBOX 7000
#define IDC_MENUBUTTON 7106

#define IDD_SIMPLEBAR 7200
#define IDD_ABOUT 7201
#define IDB_EDITFIELD_ICON 7202
#define IDB_MENU_MARK_FIRST 7204
#define IDB_MENU_MARK_LAST 7208
