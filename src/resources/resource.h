/* Resource names and numeric ids shared by setup.rc and the setup's code. */
#ifndef TARNWELL_RESOURCE_H
#define TARNWELL_RESOURCE_H

/* Resources are addressed by name. Code sees each name as a string; the
   resource compiler sees the bare word, which it takes as that same name
   (a quoted name there would run into an adjacent quoted file name). */
#ifdef RC_INVOKED
#define RT_PAYLOAD      EXE
#else
#define DLG_COPY        "DLG_COPY"
#define DLG_GETGROUP    "DLG_GETGROUP"
#define DLG_GETDIR      "DLG_GETDIR"
#define DLG_BROWSE      "DLG_BROWSE"
#define DLG_GETSRCDIR   "DLG_GETSRCDIR"
#define DLG_INSTALL     "DLG_INSTALL"
#define APP_MAIN        "APP_MAIN"
#define TW_BMP          "TW_BMP"
#define ARDLOGO         "ARDLOGO"
#define RT_PAYLOAD      "EXE"
#endif

/* Main window: the command it posts itself to start the workflow. */
#define IDM_START       100

/* Id of static labels that code never addresses. */
#define IDC_STATIC      (-1)

/* DLG_COPY: progress dialog (IDCANCEL is its Cancel button). */
#define IDC_COPY_STATUS             954

/* DLG_GETGROUP: group name (IDOK, IDCANCEL). */
#define IDC_GETGROUP_PROMPT         3010
#define IDC_GETGROUP_COMBO          2405

/* DLG_GETDIR: directory prompt (IDOK, IDCANCEL). */
#define IDC_GETDIR_PROMPT           3010
#define IDC_GETDIR_EDIT             954
#define IDC_GETDIR_BROWSE           2416

/* DLG_BROWSE and DLG_GETSRCDIR: templates of the classic open-file dialog.
   Apart from the prompt line, the ids are the platform's own (dlgs.h name in brackets). */
#define IDC_BROWSE_PROMPT           1511
#define IDC_BROWSE_FILENAME         1152    /* edt1 */
#define IDC_BROWSE_CURDIR           1088    /* stc1 */
#define IDC_BROWSE_DIRLIST          1121    /* lst2 */
#define IDC_BROWSE_DRIVES           1137    /* cmb2 */
#define IDC_BROWSE_HELP             1038    /* pshHelp */
#define IDC_BROWSE_FILELIST         1120    /* lst1 */
#define IDC_BROWSE_READONLY         1040    /* chx1 */
#define IDC_BROWSE_TYPELABEL        1089    /* stc2 */
#define IDC_BROWSE_TYPES            1136    /* cmb1 */

/* DLG_INSTALL: install-or-remove question (IDOK Continue, IDCANCEL Exit). */
#define IDC_INSTALL_INSTALL         1851
#define IDC_INSTALL_REMOVE          1852

/* String table, shell: start-up and main window. */
#define IDS_PRODUCT_TITLE           9999
#define IDS_CLASS_REGISTER_FAILED   10046
#define IDS_WINDOW_CREATE_FAILED    10047

/* String table, install workflow. */
#define IDS_NT_TOO_OLD              10015
#define IDS_NO_SOURCE               10019
#define IDS_NO_DESTINATION          10023
#define IDS_DATA_DIR_TITLE          10024
#define IDS_DATA_DIR_FAILED         10026
#define IDS_CREATING_GROUP          10034
#define IDS_INSTALL_FAILED          10035
#define IDS_CONGRATULATIONS         10038
#define IDS_INSTALL_SUCCESS         10040
#define IDS_EXTRACTION_FAILED       10070
#define IDS_SETUP_DAMAGED           10102

/* String table, payload extraction and cleanup. */
#define IDS_EXTRACTING              10073
#define IDS_EXTRACT_WRITE_ERROR     10074
#define IDS_EXTRACT_CREATE_ERROR    10075
#define IDS_RESOURCE_LOAD_FAILED    10076
#define IDS_RESOURCE_FIND_FAILED    10077
#define IDS_REMOVING_TEMP_FILE      10078

/* String table, copy engine. */
#define IDS_INSTALL_CAPTION         10004
#define IDS_COPY_FAILED             10005
#define IDS_CREATING_ICONS          10028
#define IDS_OVERWRITE_PROMPT        10079
#define IDS_OVERWRITE_CAPTION       10080
#define IDS_INSERT_DISK             10081
#define IDS_CHANGE_DISK             10082
#define IDS_COPYING                 10083
#define IDS_TARGET_OPEN_FAILED      11622

/* String table, undo of a failed install and files in use. */
#define IDS_CHANGES_UNDONE          10103
#define IDS_UNDO_FAILED             10104
#define IDS_REPLACE_AT_RESTART      10105
#define IDS_OLD_FILE_AT_RESTART     10106
#define IDS_RESTART_NOT_REGISTERED  10107
#define IDS_REMOVE_AT_RESTART       10108
#define IDS_REMOVE_RESTART          10109
#define IDS_RESTART_COMPLETES_INSTALL 10110

/* String table, runs that were killed, runs at the same time, prompts nobody answers, writes
   that fail under the journal and the record. */
#define IDS_INTERRUPTED_UNDONE      10111
#define IDS_INTERRUPTED_FINISHED    10112
#define IDS_JOURNAL_ENTRY_REFUSED   10113
#define IDS_ANOTHER_RUN             10114
#define IDS_PROMPT_UNANSWERED       10115
#define IDS_PROGMAN_UNDO_FAILED     10116
#define IDS_JOURNAL_WRITE_FAILED    10117
#define IDS_RECORD_WRITE_FAILED     10118

/* String table, libraries the setup loads from the system directory. */
#define IDS_LZ32_MISSING            10120

/* String table, the command line. */
#define IDS_BAD_COMMAND             10129
#define IDS_BAD_COMMAND_NO_VALUE    10130
#define IDS_BAD_COMMAND_TOO_LONG    10131
#define IDS_BAD_COMMAND_NOT_ABSOLUTE 10132
#define IDS_BAD_COMMAND_BAD_NAME    10133
#define IDS_BAD_COMMAND_BAD_GROUP   10134
#define IDS_BAD_COMMAND_LOG_FAILED  10135
#define IDS_OPTION_NOT_USED         10136

/* String table, paths Windows gives in a form that lost characters outside the code page;
   the names of those paths follow IDS_PATH_TEMP in the order of enum AnsiPathKind. */
#define IDS_PATH_SHORT_FORM         10150
#define IDS_PATH_FALLBACK           10151
#define IDS_PATH_REFUSED            10152
#define IDS_PATH_TEMP               10153
#define IDS_PATH_PROGRAM            10154
#define IDS_PATH_CURRENT            10155
#define IDS_PATH_START_MENU         10156

/* String table, removal of a prior installation. */
#define IDS_REMOVE_COMPLETE         10010
#define IDS_REMOVE_CAPTION          10011
#define IDS_REMOVE_INCOMPLETE       10012
#define IDS_REMOVE_NO_RECORD        10013
#define IDS_REMOVING_INSTALLATION   10086
#define IDS_REMOVING_FILE           10088
#define IDS_REMOVE_FILE_FAILED      10089
#define IDS_REMOVING_ICON           10090
#define IDS_REMOVING_HKCU           10092
#define IDS_REMOVING_HKLM           10093

/* String table, user prompts: directory prompt, browser, source and destination. */
#define IDS_BROWSE_FILTER           10001
#define IDS_BROWSE_TITLE            10002
#define IDS_CREATE_DIR_FAILED       10003
#define IDS_DEST_ERROR_CAPTION      10016
#define IDS_SOURCE_DIR_TITLE        10017
#define IDS_LOCATE_SOURCE           10018
#define IDS_PROGRAM_DIR_TITLE       10020
#define IDS_ENTER_DESTINATION       10021
#define IDS_DEST_CREATE_FAILED      10022

/* String table, setup action dialog. */
#define IDS_ACTION_INSTALL          10071
#define IDS_ACTION_REMOVE           10072

/* String table, refusals of answers the setup cannot use. */
#define IDS_SOURCE_TOO_LONG         10100
#define IDS_GROUP_QUOTE_REFUSED     10101

#endif /* TARNWELL_RESOURCE_H */
