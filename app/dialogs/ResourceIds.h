#pragma once

// Ids of the program's resources: dialogs, controls, bitmaps, icon, strings
// and the splash timer.

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

constexpr int kDialogAbout = 100;
constexpr int kDialogMain = 102;
constexpr int kDialogError = 190;
constexpr int kDialogSplash = 201;

constexpr int kStringAboutItem = 101;   // the About item of the system menu
constexpr int kIconMain = 128;
constexpr int kBitmapAbout = 184;
constexpr int kBitmapSplash = 212;

constexpr int kControlFiles = 1000;
constexpr int kControlObjects = 1008;
constexpr int kControlSplashPicture = 1012;
constexpr int kControlSave = 1016;
constexpr int kControlAbout = 1027;
constexpr int kControlFunctionSort = 1028;
constexpr int kControlSubsort = 1029;
constexpr int kControlRoomSort = 1030;
constexpr int kControlDining = 1031;
constexpr int kControlOutdoor = 1032;
constexpr int kControlShopping = 1033;
constexpr int kControlStreet = 1034;
constexpr int kControlOther = 1035;
constexpr int kControlErrorText = 1036;

// System command of the About item; the platform's own commands use the
// values from 0xF000 up.
constexpr unsigned kCommandAbout = 16;
constexpr unsigned kCommandMinimize = 0xF020;
constexpr unsigned kCommandClose = 0xF060;

constexpr int kSplashTimerId = 257;
constexpr int kSplashPeriodMs = 6500;
