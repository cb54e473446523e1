// Message maps: which handler each message reaches, how a derived class's map
// takes precedence over its base's, and what no map handles. No window needed.
#include <gtest/gtest.h>

#include <string>

#include "framework/afxwin.h"

namespace {

const HCURSOR kDragIcon = reinterpret_cast<HCURSOR>(static_cast<LONG_PTR>(0x1234));
const LPARAM kControl = static_cast<LPARAM>(0x4321);  // stands in for a control's window handle

// A window class whose handlers write what they were called with.
class BaseWnd : public CWnd {
public:
    using CWnd::OnWndMsg;
    std::string log;

protected:
    void OnPaint() { log += "base paint"; }
    void OnBaseCommand() { log += "base command"; }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    ON_WM_PAINT()
    ON_COMMAND(100, OnBaseCommand)
END_MESSAGE_MAP()
// clang-format on

class DerivedWnd : public BaseWnd {
protected:
    void OnPaint() { log += "derived paint"; }
    void OnClicked() { log += "clicked"; }
    void OnEditChange() { log += "edit change"; }
    void OnSysCommand(UINT nID, LPARAM lParam) {
        log += "sys command " + std::to_string(nID) + " " + std::to_string(lParam);
    }
    HCURSOR OnQueryDragIcon() {
        log += "drag icon";
        return kDragIcon;
    }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
    ON_WM_PAINT()
    ON_BN_CLICKED(300, OnClicked)
    ON_CONTROL(EN_CHANGE, 300, OnEditChange)
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()
// clang-format on

struct DispatchCase {
    const char* name;
    bool derived;  // sent to a DerivedWnd, else to a BaseWnd
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool handled;
    LRESULT result;
    const char* log;
};

TEST(MessageMap, Dispatch) {
    const DispatchCase cases[] = {
        {"derived entry hides the base's", true, WM_PAINT, 0, 0, true, 0, "derived paint"},
        {"base's own entry", false, WM_PAINT, 0, 0, true, 0, "base paint"},
        {"command found in the base map", true, WM_COMMAND, 100, 0, true, 0, "base command"},
        {"accelerator counts as a command", true, WM_COMMAND, MAKEWPARAM(100, 1), 0, true, 0, "base command"},
        {"notification of a control is not a command", true, WM_COMMAND, MAKEWPARAM(100, 1), kControl, false, 0, ""},
        {"button click", true, WM_COMMAND, MAKEWPARAM(300, BN_CLICKED), kControl, true, 0, "clicked"},
        {"edit notification", true, WM_COMMAND, MAKEWPARAM(300, EN_CHANGE), kControl, true, 0, "edit change"},
        {"notification with no entry", true, WM_COMMAND, MAKEWPARAM(300, EN_SETFOCUS), kControl, false, 0, ""},
        {"derived entries are not the base's", false, WM_COMMAND, MAKEWPARAM(300, BN_CLICKED), kControl, false, 0, ""},
        {"command with another id", true, WM_COMMAND, 101, 0, false, 0, ""},
        {"system command and its parameter", true, WM_SYSCOMMAND, 0xF063, 0x50006, true, 0, "sys command 61539 327686"},
        {"drag icon is the result", true, WM_QUERYDRAGICON, 0, 0, true, 0x1234, "drag icon"},
        {"message no map has", true, WM_SIZE, 0, 0, false, 0, ""},
        {"derived message entry is not the base's", false, WM_QUERYDRAGICON, 0, 0, false, 0, ""},
    };
    for (const DispatchCase& c : cases) {
        DerivedWnd derived;
        BaseWnd base;
        BaseWnd& wnd = c.derived ? derived : base;
        LRESULT result = 0;
        const bool handled = wnd.OnWndMsg(c.message, c.wParam, c.lParam, &result);
        EXPECT_EQ(handled, c.handled) << c.name << ": message " << c.message << " wParam " << c.wParam;
        EXPECT_EQ(result, c.result) << c.name << ": message " << c.message << " wParam " << c.wParam;
        EXPECT_EQ(wnd.log, c.log) << c.name << ": message " << c.message << " wParam " << c.wParam;
    }
}

}  // namespace
