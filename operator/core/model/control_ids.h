// SPDX-License-Identifier: MIT
/* The identifiers of the main dialog (template 102) and its controls, for the
 * C++ of every front end and for the Windows resource compiler alike: plain
 * #defines, nothing the resource compiler cannot read. */
#ifndef KESTRIX_CONTROL_IDS_H
#define KESTRIX_CONTROL_IDS_H

#define IDD_KESTRIX_DIALOG 102
#define IDR_MAINFRAME 128

#ifndef IDOK
#  define IDOK 1
#endif
#ifndef IDC_STATIC
#  define IDC_STATIC (-1)
#endif
#define IDC_CONNECT 1000
#define IDC_DISCONNECT 1001
#define IDC_READ_ALL 1002
#define IDC_SET_TIME 1003
#define IDC_DELETE_ALL 1004
#define IDC_SAVE_FILE 1005
#define IDC_CLEAR_LIST 1006
#define IDC_RECORD_LIST 1008
#define IDC_PROGRESS 1009
#define IDC_QUERY_COUNT 1012
#define IDC_READ_ONE 1013
#define IDC_RECORD_COUNT 1014
#define IDC_SINGLE_NUMBER 1015
#define IDC_SET_KEY 1016
#define IDC_READ_KEY 1017
#define IDC_KEY_TEXT 1018
#define IDC_KEY_READBACK 1019
#define IDC_OPEN_COMPARE 1020
#define IDC_DOWNLOAD_COMPARE 1021
#define IDC_DELETE_COMPARE 1022
#define IDC_REMOVE_DUPLICATES 1023
#define IDC_RANGE_START 1024
#define IDC_RANGE_END 1025
#define IDC_READ_RANGE 1026

#endif
