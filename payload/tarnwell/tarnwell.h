/* Resource ids of the sample Tarnwell program. */
#ifndef TARNWELL_APP_H
#define TARNWELL_APP_H

#define IDD_TARNWELL        100
#define IDC_TW_TITLE        1001
#define IDC_TW_HOST         1002
#define IDC_TW_VERSION      1003

#endif
