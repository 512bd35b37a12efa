#pragma once

// Icon groups
#define IDI_APP                 101
#define IDI_UNINSTALL           102
#define IDI_EXIT                103
#define IDI_BROWSE              104
#define IDI_SEPARATOR           105
#define IDI_MOVE_UP             106
#define IDI_MOVE_DOWN           107
#define IDI_APP_ON_LIGHT        108

// Dialog templates
#define IDD_MANIPULATE          201
#define IDD_REGISTER            202
#define IDD_OPTIONS             203
#define IDD_ABOUT               204
#define IDD_HELP                205

// Menu commands; a tool n is IDM_EDIT_TOOLS + n in the tools menu
#define IDM_EDIT_TOOLS          2024
#define IDM_ABOUT               2025
#define IDM_USAGE               2026
#define IDM_UNINSTALL           2027
#define IDM_EXIT                2028

// Shared by the entry editor and the options dialog: "&Schließen"
#define IDC_CLOSE               302

// List editor (201); IDHELP (9) and IDCANCEL (2) are the system's
#define IDC_SAVE                301
#define IDC_MOVE_UP             303
#define IDC_MOVE_DOWN           304
#define IDC_NEW                 305
#define IDC_EDIT                306
#define IDC_DELETE              307
#define IDC_OPTIONS             308
#define IDC_SEPARATOR           309
#define IDC_TOOL_LIST           1005

// Entry editor (202)
#define IDC_BROWSE              310
#define IDC_ICON_BROWSE         311
#define IDC_ICON_POSITION       406
#define IDC_ICON_RESOURCE       407
#define IDC_ICON_COUNT          408
#define IDC_GROUP_LABEL         410
#define IDC_NAME                501
#define IDC_PATH                502
#define IDC_PARAM               503
#define IDC_WORKING             504
#define IDC_DESCRIPTION         505
#define IDC_ICON_FILE           506
#define IDC_SHOW_MODE           601
#define IDC_GROUP               604
#define IDC_SEPARATOR_TOGGLE    707
#define IDC_RUN_AS              709
#define IDC_SUBMENU             710
#define IDC_ICON_PREVIEW        1002
#define IDC_ICON_SPIN           1003
#define IDC_ICON_FRAME          1004

// Options dialog (203)
#define IDC_PREVIEW             403
#define IDC_FACE_LABEL          404
#define IDC_SIZE_LABEL          405
#define IDC_FACE                602
// winuser.h names a system cursor IDC_SIZE; in our units the control wins.
#ifdef IDC_SIZE
#undef IDC_SIZE
#endif
#define IDC_SIZE                603
#define IDC_BOLD                701
#define IDC_ITALIC              702
#define IDC_UNDERLINE           703
#define IDC_SYSTEM_FONT         704
#define IDC_LARGE_ICONS         705
#define IDC_SHORT_PATH          706
#define IDC_FONT_GROUP          1001
#define IDC_HOTKEY_LABEL        409
#define IDC_HOTKEY              708

// About box (204) and command-line help screen (205)
#define IDC_ABOUT_TEXT          401
#define IDC_USAGE               402
