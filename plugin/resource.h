// Resource and control numbers of Vorlane's About window and icon. Shared
// by the resource script and the code, so plain #defines only.
#pragma once

#define ABOUT_DIALOG 100

// The numbers the window's code addresses the controls by.
#define ABOUT_TITLE 1        // first log line, large navy text
#define ABOUT_AUTHOR 2       // second log line
#define ABOUT_LOWER_PANEL 3
#define ABOUT_BACK 4
#define ABOUT_HELP 5

// The remaining controls, numbered so that they can be found.
#define ABOUT_BACKGROUND 10
#define ABOUT_UPPER_PANEL 11
#define ABOUT_SEPARATOR 12
#define ABOUT_FOR_LABEL 13
#define ABOUT_AUDIENCE 14
#define ABOUT_CREDIT 15
