#pragma once

// Identifiers shared by the program and the tools that drive it from outside (window
// classes, control ids, menu command ids). Plain integers, no <windows.h>.

#define PELLITON_APP_CLASS L"PellitonApplication"
#define PELLITON_METER_CLASS L"TPellitonForm"
#define PELLITON_TITLE L"Pelliton"

// Meter window controls.
#define IDC_LABEL1 101
#define IDC_LABEL2 102
#define IDC_LABEL3 103

// Popup menu commands. Each item keeps the id it was given; the menu's order is in
// ui/meter/meter_menu_win32.cpp.
#define IDM_SHUFFLE 201
#define IDM_FREEZE 202
#define IDM_USAGE_STATISTICS 203
#define IDM_CYCLE_DATE 204
#define IDM_CLOCK_COLOR 205
#define IDM_DISPLAY_FONT_SIZE 206
#define IDM_CHANGE_NETWORK 207
#define IDM_STAY_ON_TOP 208
#define IDM_EXIT_MENU 209
#define IDM_REMOVE_PROGRAM 210
#define IDM_WEB_SITE 211
#define IDM_ABOUT 212
#define IDM_DATA_CAP 213
#define IDM_USAGE_HISTORY 214
#define IDM_SHOW_METER 215
#define IDM_METERED_CONNECTIONS 216
#define IDM_PLAN_HOURS 217

// Connection selection dialog ("Select Appropriate Connection").
#define IDC_CONN_LABEL1 301
#define IDC_CONN_LISTBOX1 302
// BitBtn1 and BitBtn2 are IDOK (1) and IDCANCEL (2).

// Billing cycle date dialog ("Cycle Date Selection"); BitBtn1 IDOK, BitBtn2 IDCANCEL.
#define IDC_CYCLE_LABEL1 311
#define IDC_CYCLE_LISTBOX1 312

// Display size dialog ("Alter Display Size"); BitBtn1 IDOK, BitBtn2 IDCANCEL.
#define IDC_SIZE_LABEL1 321
#define IDC_SIZE_TRACKBAR1 322

// Data cap dialog ("Monthly Data Cap"); BitBtn1 IDOK, BitBtn2 IDCANCEL.
#define IDC_CAP_EDIT1 331
#define IDC_CAP_PROBLEM1 332
#define IDC_CAP_EDIT2 333
#define IDC_CAP_PROBLEM2 334
#define IDC_CAP_LINE1 335
#define IDC_CAP_LINE2 336
#define IDC_CAP_LINE3 337
#define IDC_CAP_LABEL1 338
#define IDC_CAP_LABEL2 339
// The cycle's total corrected to the provider's figure: "Used so far this cycle".
#define IDC_CAP_LABEL3 340
#define IDC_CAP_EDIT3 341
#define IDC_CAP_PROBLEM3 342
// With a plan beside the allowance, five lines more: IDC_CAP_LINE4 to IDC_CAP_LINE4 + 4.
#define IDC_CAP_LINE4 343

// "Metered Connections": the list with check boxes and the note under it; BitBtn1 IDOK,
// BitBtn2 IDCANCEL.
#define IDC_METERED_LIST 351
#define IDC_METERED_NOTE 352

// Plan hours dialog ("Plan Hours"): the off-peak window, what its traffic counts toward, the
// off-peak and the daily allowance, each entry's reason under it, the allowances' lines;
// BitBtn1 IDOK, BitBtn2 IDCANCEL.
#define IDC_PLAN_WINDOW 361
#define IDC_PLAN_FROM 362
#define IDC_PLAN_TO_LABEL 363
#define IDC_PLAN_TO 364
#define IDC_PLAN_WINDOW_PROBLEM 365
#define IDC_PLAN_RULE_LABEL 366
#define IDC_PLAN_FREE 367
#define IDC_PLAN_OWN 368
#define IDC_PLAN_OWN_THEN_MAIN 369
#define IDC_PLAN_OFFPEAK_LABEL 370
#define IDC_PLAN_OFFPEAK 371
#define IDC_PLAN_OFFPEAK_PROBLEM 372
#define IDC_PLAN_OFFPEAK_WARNING_LABEL 373
#define IDC_PLAN_OFFPEAK_WARNING 374
#define IDC_PLAN_OFFPEAK_WARNING_PROBLEM 375
#define IDC_PLAN_DAILY_LABEL 376
#define IDC_PLAN_DAILY 377
#define IDC_PLAN_DAILY_PROBLEM 378
#define IDC_PLAN_DAILY_WARNING_LABEL 379
#define IDC_PLAN_DAILY_WARNING 380
#define IDC_PLAN_DAILY_WARNING_PROBLEM 381
#define IDC_PLAN_RESET_LABEL 382
#define IDC_PLAN_RESET 383
#define IDC_PLAN_RESET_PROBLEM 384
#define IDC_PLAN_LINE1 385  // to IDC_PLAN_LINE1 + 7

// The maker's web site: caption of the menu item and target of the shell's "open". A
// reserved name, so that the command can never send anybody to a site we do not control.
#define PELLITON_WEB_SITE "www.pelliton.example"
#define PELLITON_WEB_SITE_URL "http://www.pelliton.example/"

// Monthly statistics window ("Zorvane Pelliton Monthly Stats").
#define IDC_STAT_LABEL1 401
#define IDC_STAT_STATICTEXT1 402
#define IDC_STAT_BITBTN1 403

// Usage history window ("Usage History"): the cycle's line above the chart, the chosen day's
// line under it, the buttons, the day chart (it takes the focus) and the hour chart.
#define IDC_HIST_CYCLE 411
#define IDC_HIST_DAY 412
#define IDC_HIST_EARLIER 413
#define IDC_HIST_LATER 414
#define IDC_HIST_EXPORT 415
#define IDC_HIST_CLOSE 416
#define IDC_HIST_CHART 417
#define IDC_HIST_HOURS 418
// The plan's allowances, one line each joined, beside the buttons.
#define IDC_HIST_PLAN 419
