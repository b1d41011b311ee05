// The About box over the running program's version resource, and the version reader.

#include "HelpFixture.h"

#include <DialogDriver.h>

#include <dialogs/AboutDlg.h>
#include <dialogs/ProjectRCVersion.h>
#include <resources/AboutDialog.h>
#include <resources/VersionResource.h>

#include <base/Process.h>
#include <shell/Version.h>

#include <string>
#include <vector>

namespace {

using namespace dialog_driver;

class AboutBoxTest : public HelpFixture {
protected:
    void SetUp() override
    {
        HelpFixture::SetUp();
        previous = base::set_launcher([this](const std::string& line, UINT) {
            launched.push_back(line);
            return 42u;
        });
    }
    void TearDown() override
    {
        base::set_launcher(previous);
        shell::unregister_version_info();
        HelpFixture::TearDown();
    }

    // The box's texts: caption, version line, copyright, link.
    std::vector<std::string> shown(const std::function<void(HWND)>& act = {})
    {
        std::vector<std::string> texts;
        AboutDlg box(frame);
        user::testing::set_dialog_script(IDD_ABOUT, [&](const user::testing::ModalDialog& d) {
            texts = { d.caption, text(d.dialog, IDC_ABOUT_VERSION), text(d.dialog, IDC_ABOUT_COPYRIGHT), text(d.dialog, IDC_ABOUT_LINK) };
            if (act)
                act(d.dialog);
            user::testing::press_dialog_button(d.dialog, IDCANCEL);
        });
        EXPECT_EQ(box.Execute(), IDCANCEL);
        return texts;
    }

    base::Launcher previous;
    std::vector<std::string> launched;
};

TEST_F(AboutBoxTest, TheBoxShowsTheVersionAndCopyrightOfTheRunningBuildAndItsLinkOpensTheWebPage)
{
    RegisterVersionResource();
    auto texts = shown([](HWND d) {
        HWND link = item(d, IDC_ABOUT_LINK);
        SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        pump(d);
    });
    EXPECT_EQ(texts, (std::vector<std::string> { "About Fernwick", "Orbivane Version  " BUILD_VERSION,
                         "Copyright (C) 2026 Kestrelon", "orbivane.example.org" }));
    EXPECT_EQ(launched, std::vector<std::string> { "xdg-open \"http://orbivane.example.org\"" });
}

TEST_F(AboutBoxTest, WithoutAVersionResourceOrItsTranslationTheTemplateTextsStay)
{
    shell::unregister_version_info();
    EXPECT_EQ(shown()[1], "Version ");
    EXPECT_EQ(shown()[2], "Copyright");

    shell::VersionInfo untranslated;
    untranslated.tables = { { "040904b0", { { "ProductName", "Orbivane" }, { "ProductVersion", "9" } } } };
    shell::register_version_info(untranslated);
    EXPECT_EQ(shown()[1], "Version ");
    ProjectRCVersion version(nullptr);
    const char* text = nullptr;
    EXPECT_FALSE(version.GetProductName(text));
    EXPECT_EQ(version.StringKey("ProductName"), "");
}

TEST_F(AboutBoxTest, TheReaderLooksStringsUpInTheFirstTranslationsTable)
{
    shell::VersionInfo info;
    info.translations = { { 0x0409, 0x04b0 }, { 0x0407, 0x04e4 } };
    info.tables = { { "040904b0", { { "ProductName", "Orbivane" }, { "SpecialBuild", "night" } } },
        { "040704e4", { { "ProductVersion", "2.0" }, { "LegalCopyright", "(c) de" } } } };
    shell::register_version_info(info);
    ProjectRCVersion version(nullptr);
    EXPECT_EQ(version.StringKey("ProductName"), "\\StringFileInfo\\040904b0\\ProductName");
    const char* text = nullptr;
    ASSERT_TRUE(version.GetProductName(text));
    EXPECT_STREQ(text, "Orbivane");
    ASSERT_TRUE(version.GetSpecialBuild(text));
    EXPECT_STREQ(text, "night");
    EXPECT_FALSE(version.GetProductVersion(text)) << "another translation's table is not read";
    EXPECT_FALSE(version.GetLegalCopyright(text));
    // Without the version the box keeps its version line.
    EXPECT_EQ(shown()[1], "Version ");
}

}
