/* String-table entries of the uninstaller, beside the setup's own. */
#ifndef TW_REMOVETW_RES_H
#define TW_REMOVETW_RES_H

#define IDS_UNINSTALL_CONFIRM       12000
#define IDS_UNINSTALL_BAD_COMMAND   12001

#endif
