// The main dialog run in-process on the program's own resources: what another
// process cannot see under Wine (the system menu), and the dialog manager's part
// in it (Enter in a field, the About box's owner, icons).
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/framework/scripted_dialog.h"
#include "tests/framework/test_app.h"
#include "ui/correction_dlg.h"

namespace {

constexpr UINT kNextStep = WM_APP + 0x200;
// The code a test ends the dialog with, to tell its own end from the dialog's.
constexpr int kStillRunning = 77;

// The main dialog with test steps, one per posted message, once it is up.
class TestedCorrectionDlg : public CCorrectionDlg {
public:
    using Step = std::function<void(TestedCorrectionDlg&)>;
    TestedCorrectionDlg() = default;
    std::vector<Step> steps;
    // The device contexts WM_ICONERASEBKGND came with.
    std::vector<WPARAM> iconErases;

    using CCorrectionDlg::SendMessage;
    // The text of control id.
    std::string Text(int id) const {
        CString text;
        GetDlgItem(id)->GetWindowText(text);
        return std::string(text.View());
    }

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CCorrectionDlg::OnInitDialog();
        ::PostMessageA(m_hWnd, kNextStep, 0, 0);
        return result;
    }
    // Runs a step on the step message and records WM_ICONERASEBKGND, ahead of the
    // dialog's own message map; everything else, and the erase itself, is the dialog's.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kNextStep) {
            RunNextStep();
            return 0;
        }
        if (message == WM_ICONERASEBKGND)
            iconErases.push_back(wParam);
        return CCorrectionDlg::WindowProc(message, wParam, lParam);
    }

private:
    // Runs the next step and posts the message for the one after it.
    void RunNextStep() {
        if (m_next < steps.size())
            steps[m_next++](*this);
        if (m_next < steps.size())
            ::PostMessageA(m_hWnd, kNextStep, 0, 0);
    }

    std::size_t m_next = 0;
};

// Runs the dialog as the application does, as its main window.
INT_PTR RunMain(TestedCorrectionDlg& dlg) {
    TestApp().m_pMainWnd = &dlg;
    return dlg.DoModal();
}

TEST(CorrectionDialog, SystemMenuEndsWithTheAboutEntry) {
    TestedCorrectionDlg dlg;
    int count = 0;
    UINT separatorState = 0;
    UINT lastId = 0;
    char lastText[64] = {};
    dlg.steps = {[&](TestedCorrectionDlg& d) {
        HMENU menu = ::GetSystemMenu(d.m_hWnd, FALSE);
        count = ::GetMenuItemCount(menu);
        separatorState = ::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION);
        lastId = ::GetMenuItemID(menu, count - 1);
        ::GetMenuStringA(menu, static_cast<UINT>(count - 1), lastText, sizeof lastText, MF_BYPOSITION);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(RunMain(dlg), IDOK);
    ASSERT_GE(count, 2);
    EXPECT_NE(separatorState & MF_SEPARATOR, 0u) << "item " << count - 2 << " of " << count;
    EXPECT_EQ(lastId, 0x0010u) << "item " << count - 1 << " of " << count;
    EXPECT_STREQ(lastText, "&About Kestrane...") << "item " << count - 1 << " of " << count;
}

TEST(CorrectionDialog, IconsAreTheProgramsIcon) {
    TestedCorrectionDlg dlg;
    LRESULT big = 0, small = 0, drag = 0;
    dlg.steps = {[&](TestedCorrectionDlg& d) {
        big = d.SendMessage(WM_GETICON, ICON_BIG);
        small = d.SendMessage(WM_GETICON, ICON_SMALL);
        drag = d.SendMessage(WM_QUERYDRAGICON);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(RunMain(dlg), IDOK);
    EXPECT_NE(drag, 0) << "WM_QUERYDRAGICON";
    EXPECT_EQ(big, drag) << "WM_GETICON ICON_BIG";
    EXPECT_EQ(small, drag) << "WM_GETICON ICON_SMALL";
}

TEST(CorrectionDialog, PaintsItsIconOnlyWhileMinimised) {
    TestedCorrectionDlg dlg;
    std::size_t erasesWhileNormal = 99;
    bool minimised = false;
    dlg.steps = {[&](TestedCorrectionDlg& d) {
        ::RedrawWindow(d.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        erasesWhileNormal = d.iconErases.size();
        ::ShowWindow(d.m_hWnd, SW_MINIMIZE);
        minimised = d.IsIconic() != FALSE;
        ::InvalidateRect(d.m_hWnd, nullptr, TRUE);
        d.SendMessage(WM_PAINT);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(RunMain(dlg), IDOK);
    EXPECT_EQ(erasesWhileNormal, 0u) << "painted while not minimised";
    ASSERT_TRUE(minimised);
    ASSERT_EQ(dlg.iconErases.size(), 1u) << "WM_PAINT while minimised";
    EXPECT_NE(dlg.iconErases[0], 0u) << "the paint context's device is the first parameter";
}

struct AboutCase {
    const char* name;
    WPARAM command;
};

TEST(CorrectionDialog, AboutEntryOpensTheAboutBoxOwnedByTheDialog) {
    const AboutCase cases[] = {{"the menu's id", 0x0010}, {"low four bits set", 0x0013}};
    for (const AboutCase& c : cases) {
        TestedCorrectionDlg dlg;
        SeenWindow* about = nullptr;
        bool enabledAfter = false;
        dlg.steps = {[&](TestedCorrectionDlg& d) {
            about = WatchForModal(d.m_hWnd, IDOK);
            d.SendMessage(WM_SYSCOMMAND, c.command);
            enabledAfter = ::IsWindowEnabled(d.m_hWnd) != FALSE;
            d.EndDialog(IDOK);
        }};
        ASSERT_EQ(RunMain(dlg), IDOK) << c.name;
        ASSERT_TRUE(about != nullptr && about->found) << c.name << ": no About box owned by the dialog";
        EXPECT_EQ(about->caption, "About Kestrane") << c.name;
        EXPECT_FALSE(about->ownerEnabled) << c.name << ": the dialog is disabled while the About box runs";
        EXPECT_TRUE(enabledAfter) << c.name;
    }
}

struct EnterCase {
    const char* name;
    void (*focus)(TestedCorrectionDlg& dlg, HWND field);
};

TEST(CorrectionDialog, EnterInAFieldRunsTheCalculation) {
    const EnterCase cases[] = {
        {"field reached with the keyboard",
         [](TestedCorrectionDlg& d, HWND field) {
             d.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
         }},
        {"field clicked into", [](TestedCorrectionDlg&, HWND field) { ::SetFocus(field); }},
        {"keyboard to Exit Program, then a field clicked into",
         [](TestedCorrectionDlg& d, HWND field) {
             d.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(d.m_hWnd, IDOK)), TRUE);
             ::SetFocus(field);
         }},
    };
    for (const EnterCase& c : cases) {
        TestedCorrectionDlg dlg;
        std::string gas, gasPressure, vapor, barometer;
        dlg.steps = {[&](TestedCorrectionDlg& d) {
                         HWND field = ::GetDlgItem(d.m_hWnd, IDC_HUMIDITY);
                         c.focus(d, field);
                         ::PostMessageA(field, WM_KEYDOWN, VK_RETURN, 0);
                         ::PostMessageA(field, WM_KEYUP, VK_RETURN, 0);
                     },
                     [&](TestedCorrectionDlg& d) {
                         gas = d.Text(IDC_CALC_GAS);
                         gasPressure = d.Text(IDC_CALC_GAS_PRESSURE);
                         vapor = d.Text(IDC_VAPOR_PRESSURE);
                         barometer = d.Text(IDC_CORRECTED_BAROMETER);
                         d.EndDialog(kStillRunning);
                     }};
        ASSERT_EQ(RunMain(dlg), kStillRunning) << c.name << ": Enter ended the dialog instead of calculating";
        EXPECT_EQ(gas, "20.64") << c.name;
        EXPECT_EQ(gasPressure, "6.19") << c.name;
        EXPECT_EQ(vapor, "1.5") << c.name;
        EXPECT_EQ(barometer, "29.56") << c.name;
    }
}

TEST(CorrectionDialog, WholeFieldTextIsRead) {
    TestedCorrectionDlg dlg;
    std::string gas;
    dlg.steps = {[&](TestedCorrectionDlg& d) {
        // Cut short anywhere, this text would hold no number at all.
        const std::string text = std::string(29995, ' ') + "20.95";
        ::SetDlgItemTextA(d.m_hWnd, IDC_TARGET_GAS, text.c_str());
        ::SendMessageA(::GetDlgItem(d.m_hWnd, IDC_EXECUTE), BM_CLICK, 0, 0);
        gas = d.Text(IDC_CALC_GAS);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(RunMain(dlg), IDOK);
    EXPECT_EQ(gas, "20.64") << "target gas: 29,995 spaces then 20.95";
}

TEST(CorrectionDialog, RefusedRunShowsItsMessageAndKeepsResults) {
    TestedCorrectionDlg dlg;
    SeenWindow* seen = nullptr;
    std::string before, after;
    dlg.steps = {[&](TestedCorrectionDlg& d) {
        ::SendMessageA(::GetDlgItem(d.m_hWnd, IDC_EXECUTE), BM_CLICK, 0, 0);
        before = d.Text(IDC_CALC_GAS) + "|" + d.Text(IDC_CALC_GAS_PRESSURE) + "|" + d.Text(IDC_VAPOR_PRESSURE) + "|" +
                 d.Text(IDC_CORRECTED_BAROMETER);
        ::SetDlgItemTextA(d.m_hWnd, IDC_HUMIDITY, "101");
        seen = WatchForModal(d.m_hWnd, IDOK);
        ::SendMessageA(::GetDlgItem(d.m_hWnd, IDC_EXECUTE), BM_CLICK, 0, 0);
        after = d.Text(IDC_CALC_GAS) + "|" + d.Text(IDC_CALC_GAS_PRESSURE) + "|" + d.Text(IDC_VAPOR_PRESSURE) + "|" +
                d.Text(IDC_CORRECTED_BAROMETER);
        d.EndDialog(IDOK);
    }};
    ASSERT_EQ(RunMain(dlg), IDOK);
    EXPECT_EQ(before, "20.64|6.19|1.5|29.56") << "the default inputs";
    EXPECT_EQ(after, before) << "relative humidity 101";
    ASSERT_TRUE(seen != nullptr && seen->found) << "no message box owned by the dialog";
    EXPECT_EQ(seen->text, "Error: Relative Humidity Outside of Range") << "relative humidity 101";
    EXPECT_EQ(seen->caption, "correction_dialog_tests") << "the application's name";
}

}  // namespace
