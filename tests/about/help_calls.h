// The test's own HtmlHelpA: it records every call the plug-in makes and
// hands it on to the real one in hhctrl.ocx. Linked in place of the
// import library, so the plug-in's code is unchanged.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

struct HelpCall {
    HWND caller;
    std::string file;
    UINT command;
    DWORD_PTR data;
    HWND result;
};

// Safe to read from another thread.
int HelpCallCount();

// The calls since the last reset (read on the plug-in's thread).
std::vector<HelpCall> HelpCalls();
void HelpCallsReset();

// Closes every help window through the real HTML Help, unrecorded.
void CloseHelpWindowsUnrecorded();

// Every test of Help and About starts and ends with no HTML Help call
// counted, no help window open and no help window known.
class HelpStateTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
