// Modal dialogs run from templates: end codes, default processing of what the
// map leaves alone, centring, message-box captions, owners and command routing.
#include <gtest/gtest.h>

#include <string>

#include "framework/afxwin.h"
#include "tests/framework/scripted_dialog.h"
#include "tests/framework/test_app.h"
#include "tests/framework/test_resource.h"

namespace {

// Clicks a button of the dialog as the user would.
void Click(ScriptedDialog& dlg, int id) {
    ::SendMessageA(::GetDlgItem(dlg.m_hWnd, id), BM_CLICK, 0, 0);
}

// Posts a key to the dialog's edit field, for the dialog manager to translate.
void PressKey(ScriptedDialog& dlg, WPARAM key) {
    HWND edit = ::GetDlgItem(dlg.m_hWnd, IDC_EDIT);
    ::PostMessageA(edit, WM_KEYDOWN, key, 0);
    ::PostMessageA(edit, WM_KEYUP, key, 0);
}

// The text of a window, whole.
std::string TextOf(HWND hWnd) {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

struct EndCase {
    const char* name;
    ScriptedDialog::Step end;
    INT_PTR expected;
};

TEST(Dialog, DoModalReturnsTheEndCode) {
    const EndCase cases[] = {
        {"OK button", [](ScriptedDialog& d) { Click(d, IDOK); }, IDOK},
        {"Cancel button", [](ScriptedDialog& d) { Click(d, IDCANCEL); }, IDCANCEL},
        {"Enter presses the default button", [](ScriptedDialog& d) { PressKey(d, VK_RETURN); }, IDOK},
        {"Esc cancels", [](ScriptedDialog& d) { PressKey(d, VK_ESCAPE); }, IDCANCEL},
        {"Close from the system menu", [](ScriptedDialog& d) { d.SendMessage(WM_SYSCOMMAND, SC_CLOSE); }, IDCANCEL},
        {"WM_CLOSE (the close box)", [](ScriptedDialog& d) { d.SendMessage(WM_CLOSE); }, IDCANCEL},
        {"EndDialog with a code of its own", [](ScriptedDialog& d) { d.EndDialog(42); }, 42},
    };
    for (const EndCase& c : cases) {
        ScriptedDialog dlg(IDD_PLAIN);
        dlg.steps = {c.end};
        EXPECT_EQ(dlg.DoModal(), c.expected) << c.name;
        EXPECT_EQ(dlg.m_hWnd, nullptr) << c.name << ": the object lets go of its window";
    }
}

TEST(Dialog, UnhandledButtonLeavesDialogRunning) {
    ScriptedDialog dlg(IDD_PLAIN);
    bool stillThere = false;
    dlg.steps = {[](ScriptedDialog& d) { Click(d, IDC_OTHER_BUTTON); },
                 [&](ScriptedDialog& d) {
                     stillThere = ::IsWindowVisible(d.m_hWnd) != FALSE;
                     d.EndDialog(IDOK);
                 }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(stillThere) << "a click on button " << IDC_OTHER_BUTTON << " ended the dialog";
}

TEST(Dialog, MissingTemplateFails) {
    ScriptedDialog dlg(IDS_MISSING);
    EXPECT_EQ(dlg.DoModal(), -1) << "template " << IDS_MISSING;
}

// Handles system commands itself and leaves every other one to the platform, as the main dialog does.
class SysCommandDialog : public ScriptedDialog {
public:
    SysCommandDialog() : ScriptedDialog(IDD_PLAIN) {}
    std::vector<UINT> seen;

protected:
    void OnSysCommand(UINT nID, LPARAM lParam) {
        seen.push_back(nID);
        if (nID != 0x0010)
            ScriptedDialog::OnSysCommand(nID, lParam);
    }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(SysCommandDialog, ScriptedDialog)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()
// clang-format on

TEST(Dialog, DefaultProcessing) {
    SysCommandDialog dlg;
    std::string caption;
    LRESULT defId = 0;
    bool visibleAfterOwnCommand = false;
    dlg.steps = {
        [&](ScriptedDialog& d) {
            // Messages with no entry anywhere in the chain reach the dialog manager.
            caption = TextOf(d.m_hWnd);
            defId = d.SendMessage(DM_GETDEFID);
        },
        [&](ScriptedDialog& d) {
            d.SendMessage(WM_SYSCOMMAND, 0x0010);
            visibleAfterOwnCommand = ::IsWindowVisible(d.m_hWnd) != FALSE;
        },
        // A system command the handler passes on: the platform closes the dialog.
        [](ScriptedDialog& d) { d.SendMessage(WM_SYSCOMMAND, SC_CLOSE); },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "SC_CLOSE passed to the default processing";
    EXPECT_EQ(caption, "Plain dialog") << "WM_GETTEXT";
    EXPECT_EQ(defId, MAKELRESULT(IDOK, DC_HASDEFID)) << "DM_GETDEFID";
    EXPECT_TRUE(visibleAfterOwnCommand) << "system command 0x0010";
    EXPECT_EQ(dlg.seen, (std::vector<UINT>{0x0010, SC_CLOSE}));
}

TEST(Dialog, CentredOnTheScreenAtInitialisation) {
    ScriptedDialog dlg(IDD_PLAIN);
    RECT window{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    dlg.steps = {[&](ScriptedDialog& d) {
        ::GetWindowRect(d.m_hWnd, &window);
        ::GetMonitorInfoA(::MonitorFromWindow(d.m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(dlg.DoModal(), IDOK);
    const RECT& area = monitor.rcWork;
    EXPECT_NEAR((window.left + window.right) / 2, (area.left + area.right) / 2, 1)
        << "window " << window.left << ".." << window.right << ", work area " << area.left << ".." << area.right;
    EXPECT_NEAR((window.top + window.bottom) / 2, (area.top + area.bottom) / 2, 1)
        << "window " << window.top << ".." << window.bottom << ", work area " << area.top << ".." << area.bottom;
}

TEST(Dialog, NotCentredWhenInitialisationPlacedIt) {
    ScriptedDialog dlg(IDD_MOVES_ITSELF);
    RECT window{};
    dlg.onInit = [](ScriptedDialog& d) { ::SetWindowPos(d.m_hWnd, nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER); };
    dlg.steps = {[&](ScriptedDialog& d) {
        ::GetWindowRect(d.m_hWnd, &window);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(window.left, 7) << "placed at 7, 9 by OnInitDialog";
    EXPECT_EQ(window.top, 9) << "placed at 7, 9 by OnInitDialog";
}

struct CaptionCase {
    const char* name;
    const char* caption;  // given to MessageBox; null for none
    const char* expected;
};

TEST(Dialog, MessageBoxCaption) {
    const CaptionCase cases[] = {
        {"no caption: the application's name (the executable's base name)", nullptr, "framework_tests"},
        {"a caption of its own", "Own caption", "Own caption"},
    };
    for (const CaptionCase& c : cases) {
        ScriptedDialog dlg(IDD_PLAIN);
        SeenWindow* seen = nullptr;
        int answer = 0;
        dlg.steps = {[&](ScriptedDialog& d) {
            seen = WatchForModal(d.m_hWnd, IDOK);
            answer = d.MessageBox("Some text", c.caption, MB_OK);
            d.EndDialog(IDOK);
        }};
        ASSERT_EQ(dlg.DoModal(), IDOK) << c.name;
        ASSERT_TRUE(seen != nullptr && seen->found) << c.name << ": no message box owned by the dialog";
        EXPECT_EQ(seen->caption, c.expected) << c.name;
        EXPECT_EQ(seen->text, "Some text") << c.name;
        EXPECT_FALSE(seen->ownerEnabled) << c.name << ": the dialog stays disabled while the box is open";
        EXPECT_EQ(answer, IDOK) << c.name;
    }
}

TEST(Dialog, ApplicationNameIsTheExecutablesBaseName) {
    EXPECT_STREQ(AfxGetAppName(), "framework_tests");
}

TEST(Dialog, RunningMainDialogOwnsADialogWithNoParent) {
    ScriptedDialog outer(IDD_PLAIN);
    HWND innerOwner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
    HWND outerWindow = nullptr;
    bool outerEnabledDuringInner = true;
    outer.steps = {[&](ScriptedDialog& o) {
        outerWindow = o.m_hWnd;
        ScriptedDialog inner(IDD_PLAIN);
        inner.steps = {[&](ScriptedDialog& i) {
            innerOwner = ::GetWindow(i.m_hWnd, GW_OWNER);
            outerEnabledDuringInner = ::IsWindowEnabled(outerWindow) != FALSE;
            i.EndDialog(IDCANCEL);
        }};
        EXPECT_EQ(inner.DoModal(), IDCANCEL);
        o.EndDialog(IDOK);
    }};
    TestApp().m_pMainWnd = &outer;
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(TestApp().m_pMainWnd, nullptr) << "the main window is forgotten when it goes";
    EXPECT_EQ(innerOwner, outerWindow) << "owner of a dialog run with no parent inside the main dialog";
    EXPECT_FALSE(outerEnabledDuringInner) << "the owner is disabled while the inner dialog runs";
}

TEST(Dialog, NoMainWindowMeansNoOwner) {
    TestApp().m_pMainWnd = nullptr;
    ScriptedDialog dlg(IDD_PLAIN);
    HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
    dlg.steps = {[&](ScriptedDialog& d) {
        owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        d.EndDialog(IDOK);
    }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(owner, nullptr) << "owner of a dialog run with no parent and no main window";
}

TEST(Dialog, HelpCommandGoesToTheApplication) {
    TestApp().helpCalls.clear();
    ScriptedDialog dlg(IDD_PLAIN);
    dlg.steps = {[](ScriptedDialog& d) {
        d.SendMessage(WM_COMMAND, ID_HELP);
        // A command the application has no handler for goes nowhere.
        d.SendMessage(WM_COMMAND, 0xE147);
        d.EndDialog(IDOK);
    }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ(TestApp().helpCalls.size(), 1u) << "ID_HELP and an unhandled command 0xE147";
    EXPECT_EQ(TestApp().helpCalls[0].command, static_cast<UINT>(HELP_FINDER)) << "ID_HELP";
    EXPECT_EQ(TestApp().helpCalls[0].data, 0u) << "ID_HELP";
}

TEST(Dialog, ControlsAndTheirText) {
    ScriptedDialog dlg(IDD_PLAIN);
    const std::string longText = std::string(29995, ' ') + "20.95";
    CWnd* first = nullptr;
    CWnd* second = nullptr;
    CWnd* missing = reinterpret_cast<CWnd*>(static_cast<LONG_PTR>(-1));
    CString read;
    dlg.steps = {[&](ScriptedDialog& d) {
        first = d.GetDlgItem(IDC_EDIT);
        second = d.GetDlgItem(IDC_EDIT);
        missing = d.GetDlgItem(999);
        first->SetWindowText(longText.c_str());
        first->GetWindowText(read);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(dlg.DoModal(), IDOK);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second) << "control " << IDC_EDIT << " looked up twice";
    EXPECT_EQ(missing, nullptr) << "control 999";
    EXPECT_EQ(read.View().size(), 30000u) << "29,995 spaces then 20.95";
    EXPECT_EQ(read.View(), longText) << "a 30,000-character text read back";
}

}  // namespace
