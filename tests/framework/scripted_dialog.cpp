#include "tests/framework/scripted_dialog.h"

namespace {
constexpr UINT kNextStep = WM_APP + 0x100;
constexpr UINT_PTR kWatchdog = 0x5EED;

// The one watch that WatchForModal keeps at a time.
struct Watch {
    HWND owner = nullptr;
    int closeId = IDOK;
    UINT_PTR timer = 0;
    SeenWindow seen;
} g_watch;

BOOL CALLBACK FindModal(HWND hWnd, LPARAM found) {
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (std::string(className) == "#32770" && ::IsWindowVisible(hWnd) && ::GetWindow(hWnd, GW_OWNER) == g_watch.owner) {
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK LookForModal(HWND, UINT, UINT_PTR, DWORD) {
    HWND modal = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindModal, reinterpret_cast<LPARAM>(&modal));
    if (modal == nullptr)
        return;
    ::KillTimer(nullptr, g_watch.timer);
    SeenWindow& seen = g_watch.seen;
    seen.found = true;
    seen.owner = ::GetWindow(modal, GW_OWNER);
    seen.ownerEnabled = ::IsWindowEnabled(seen.owner) != FALSE;
    char text[512] = {};
    ::GetWindowTextA(modal, text, sizeof text);
    seen.caption = text;
    text[0] = '\0';
    ::GetDlgItemTextA(modal, 0xFFFF, text, sizeof text);
    seen.text = text;
    ::PostMessageA(modal, WM_COMMAND, static_cast<WPARAM>(g_watch.closeId), 0);
}
}  // namespace

BOOL ScriptedDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (onInit)
        onInit(*this);
    ::SetTimer(m_hWnd, kWatchdog, 20000, nullptr);
    ::PostMessageA(m_hWnd, kNextStep, 0, 0);
    return TRUE;
}

LRESULT ScriptedDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The step message and the watchdog's timer are the test's own. The message map
    // has entries only for the messages the product's dialogs handle, so these are
    // taken here, ahead of it.
    if (message == kNextStep) {
        RunNextStep();
        return 0;
    }
    if (message == WM_TIMER && wParam == kWatchdog) {
        EndDialog(kTimedOut);
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void ScriptedDialog::RunNextStep() {
    if (m_next < steps.size())
        steps[m_next++](*this);
    if (m_hWnd != nullptr && m_next < steps.size())
        ::PostMessageA(m_hWnd, kNextStep, 0, 0);
}

SeenWindow* WatchForModal(HWND owner, int closeId) {
    if (g_watch.timer != 0)
        ::KillTimer(nullptr, g_watch.timer);
    g_watch = Watch{};
    g_watch.owner = owner;
    g_watch.closeId = closeId;
    g_watch.timer = ::SetTimer(nullptr, 0, 20, &LookForModal);
    return &g_watch.seen;
}
