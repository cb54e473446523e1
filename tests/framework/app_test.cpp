// The application object and start-up, string resources, the search for the
// module that holds a resource, and menus.
#include <gtest/gtest.h>

#include <string>

#include "framework/afxwin.h"
#include "tests/framework/test_app.h"
#include "tests/framework/test_resource.h"

namespace {

struct StartCase {
    const char* name;
    std::function<BOOL(CTestApp&)> initInstance;
    int expectedExitCode;
};

TEST(WinMain, RunsInitInstanceAndReturnsTheExitCode) {
    const StartCase cases[] = {
        {"InitInstance FALSE: no message loop, exit code 0", [](CTestApp&) { return FALSE; }, 0},
        {"InitInstance TRUE: the loop runs until WM_QUIT and returns its code",
         [](CTestApp&) {
             ::PostQuitMessage(7);
             return TRUE;
         },
         7},
    };
    char commandLine[] = "ignored arguments";
    for (const StartCase& c : cases) {
        int calls = 0;
        HINSTANCE instance = nullptr;
        LPSTR line = nullptr;
        int show = 0;
        TestApp().initInstance = [&](CTestApp& app) {
            ++calls;
            instance = app.m_hInstance;
            line = app.m_lpCmdLine;
            show = app.m_nCmdShow;
            return c.initInstance(app);
        };
        const int exitCode = AfxWinMain(::GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWMINIMIZED);
        TestApp().initInstance = nullptr;
        EXPECT_EQ(exitCode, c.expectedExitCode) << c.name;
        EXPECT_EQ(calls, 1) << c.name;
        EXPECT_EQ(instance, ::GetModuleHandleA(nullptr)) << c.name;
        EXPECT_EQ(line, commandLine) << c.name;
        EXPECT_EQ(show, SW_SHOWMINIMIZED) << c.name;
    }
    EXPECT_STREQ(AfxGetAppName(), "framework_tests") << "named after the executable again";
}

struct StringCase {
    const char* name;
    UINT id;
    BOOL loaded;
    std::string expected;
};

TEST(CString, LoadString) {
    std::string digits;
    for (int i = 0; i < 60; ++i)
        digits += "0123456789";
    const StringCase cases[] = {
        {"a short string", IDS_GREETING, TRUE, "Hello from the string table"},
        {"600 characters, read whole", IDS_LONG, TRUE, digits},
        {"an id in a block that exists but not itself", IDS_GREETING + 2, FALSE, ""},
        {"an id in no block", 5000, FALSE, ""},
    };
    for (const StringCase& c : cases) {
        CString text("left over");
        EXPECT_EQ(text.LoadString(c.id), c.loaded) << c.name << ": id " << c.id;
        EXPECT_EQ(text.View(), c.expected) << c.name << ": id " << c.id;
        EXPECT_EQ(text.IsEmpty(), c.expected.empty()) << c.name << ": id " << c.id;
    }
}

TEST(Resources, FindResourceHandle) {
    HINSTANCE exe = ::GetModuleHandleA(nullptr);
    struct Case {
        const char* name;
        LPCSTR resource;
    };
    const Case cases[] = {
        {"dialog of the executable", MAKEINTRESOURCEA(IDD_PLAIN)},
        {"a dialog nobody has: still the executable", MAKEINTRESOURCEA(4321)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AfxFindResourceHandle(c.resource, RT_DIALOG), exe) << c.name;
}

TEST(CMenu, FromHandleAndAppend) {
    EXPECT_EQ(CMenu::FromHandle(nullptr), nullptr) << "null handle";
    HMENU handle = ::CreatePopupMenu();
    CMenu* menu = CMenu::FromHandle(handle);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(CMenu::FromHandle(handle), menu) << "one wrapper per handle";

    EXPECT_TRUE(menu->AppendMenu(MF_SEPARATOR)) << "separator";
    EXPECT_TRUE(menu->AppendMenu(MF_STRING, 0x0010, "&Item")) << "text item 0x0010";
    ASSERT_EQ(::GetMenuItemCount(handle), 2) << "after a separator and a text item";
    EXPECT_NE(::GetMenuState(handle, 0, MF_BYPOSITION) & MF_SEPARATOR, 0u) << "item 0";
    EXPECT_EQ(::GetMenuItemID(handle, 1), 0x0010u) << "item 1";
    char text[32] = {};
    ::GetMenuStringA(handle, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Item") << "item 1";
    ::DestroyMenu(handle);
}

}  // namespace
