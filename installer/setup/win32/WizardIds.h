// Control identifiers of the setup's dialog (WizardForm.rc), shared with
// the tests that drive it.
#pragma once

#define IDD_WIZARD 100
#define IDC_HEADING 1001
#define IDC_TEXT 1002
#define IDC_FOLDER 1003
#define IDC_BROWSE 1004
#define IDC_GROUP 1005
#define IDC_NOGROUP 1006
#define IDC_PROGRESS 1007
#define IDC_STATUS 1008
#define IDC_VIEWREADME 1009
#define IDC_BACK 1010
#define IDC_NEXT 1011
#define IDC_SPACE 1012
#define IDC_SUBTITLE 1013
#define IDC_GROUPBROWSE 1014
#define IDD_UNINSTALL 101
// The Finished page's programs to start: IDC_RUN0 + their index.
#define IDC_RUN0 1100
