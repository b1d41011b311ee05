#pragma once

// A main window for the dialog tests (help popups and message boxes are owned by it) and the help
// popups journalled since the test began.

#include <dialogs/ContextHelpWin.h>

#include <owl/Application.h>
#include <owl/FrameWindow.h>

#include <shell/Testing.h>
#include <user/Testing.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

class HelpFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::strcpy(HelpFilePath, "C:\\Orbivane\\orbivane.chm");
        std::strcpy(PopupTextPath, "C:\\Orbivane\\orbivane.chm::/CSOrbivane.txt");
        frame = new OWL::TFrameWindow(nullptr, "Orbivane");
        app.SetMainWindow(frame);
        frame->Create();
        shell::testing::reset();
    }
    void TearDown() override
    {
        user::testing::reset();
        shell::testing::reset();
    }

    // The popup ids shown so far.
    static std::vector<UINT> popups()
    {
        std::vector<UINT> ids;
        for (const auto& call : shell::testing::help_journal())
            if (call.command == HH_DISPLAY_TEXT_POPUP && call.popup)
                ids.push_back(call.popup->idString);
        return ids;
    }

    OWL::TApplication app { "Orbivane" };
    OWL::TFrameWindow* frame = nullptr;
};
