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

// The about box and its accessories.
#define IDI_PRODUCT 7100
#define IDC_DONATE_LINK 7104
#define IDC_CONTRIBUTORS 7105
#define IDC_VERSION 7107
