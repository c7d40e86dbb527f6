#pragma once
// Identifiers of the program's resources: its icon, its dialogs and their controls.
#define IDI_BRIVOLEX 1
#define IDI_REGISTRY 2
#define IDI_SHORTCUT 3
#define IDI_FILE 4

#define IDD_PROGRESS 100
#define IDC_PROGRESS_ITEM 101
#define IDC_PROGRESS_COUNTER 102
#define IDC_PROGRESS_PROBLEMS 103
#define IDC_PROGRESS_BAR 104

#define IDD_OPTIONS 200
#define IDC_RUN_AUTOMATICALLY 201
#define IDC_WHEN_DAILY 202
#define IDC_WHEN_WEEKLY 203
#define IDC_WHEN_MONTHLY 204
#define IDC_DAYS 205
#define IDC_DELETE_READONLY 206
#define IDC_UPDATE 207
