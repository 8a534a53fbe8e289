// Help from the host's menu: one HTML Help call, its window stored.
#include "about_robot.h"
#include "help_calls.h"

#include "plugin/plugin_state.h"

#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <string>

extern "C" void _ODBG_Pluginaction(int32_t origin, int32_t action, void* item);

enum { ACTION_HELP = 1 };

using HelpCommandTest = HelpStateTest;

TEST_F(HelpCommandTest, MenuHelpOpensTheFileAndStoresItsWindow) {
    _ODBG_Pluginaction(0, ACTION_HELP, nullptr);

    const std::vector<HelpCall> calls = HelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caller, nullptr);
    EXPECT_EQ(calls[0].file, "Vorlane.chm");
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HH_DISPLAY_TOPIC));
    EXPECT_EQ(calls[0].data, 0u);
    ASSERT_NE(calls[0].result, nullptr);
    EXPECT_EQ(HelpWindowHandle, calls[0].result);
    EXPECT_TRUE(IsWindow(HelpWindowHandle));

    PumpMessagesFor(1500);
    Screenshot shot;
    ASSERT_TRUE(CaptureWindow(HelpWindowHandle, &shot));
    EXPECT_TRUE(WriteBmp(shot, std::string(SCREENSHOT_DIR) + "/help_window.bmp"));
}

TEST_F(HelpCommandTest, MenuHelpWithoutTheFileStoresZeroAndAboutOpensIdle) {
    char hostFolder[MAX_PATH];
    GetCurrentDirectoryA(sizeof hostFolder, hostFolder);
    char emptyFolder[MAX_PATH];
    GetTempPathA(sizeof emptyFolder, emptyFolder);
    lstrcatA(emptyFolder, "vorlane-no-help");
    CreateDirectoryA(emptyFolder, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(emptyFolder));
    WriteHelpHandle(MakeStaleHandle());

    _ODBG_Pluginaction(0, ACTION_HELP, nullptr);
    SetCurrentDirectoryA(hostFolder);

    ASSERT_EQ(HelpCallCount(), 1);
    EXPECT_EQ(HelpCalls()[0].result, nullptr);
    EXPECT_EQ(HelpWindowHandle, nullptr);

    AboutRun run;
    RunAbout(&run);
    EXPECT_NE(run.about, nullptr);
    EXPECT_TRUE(run.helpEnabledAtOpen);
}
