#include "framework/win_app.h"

#include <commctrl.h>

#include "framework/afxres.h"
#include "framework/resource_handle.h"
#include "framework/wnd.h"

namespace {
CWinApp* g_app = nullptr;

// The full path of the module's file, however long.
std::string ModulePath(HINSTANCE hInstance) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(hInstance, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()
// clang-format on

CWinApp::CWinApp(LPCSTR lpszAppName) {
    if (lpszAppName != nullptr)
        m_appName = lpszAppName;
    if (g_app == nullptr)
        g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::InitModule(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow) {
    m_hInstance = hInstance;
    m_lpCmdLine = lpCmdLine;
    m_nCmdShow = nCmdShow;
    AfxSetInstanceHandle(hInstance);

    const std::string path = ModulePath(hInstance);
    const std::size_t slash = path.find_last_of("\\/:");
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = file.find_last_of('.');
    if (m_appName.empty())
        m_appName = dot == std::string::npos ? file : file.substr(0, dot);
    const std::size_t pathDot = path.find_last_of('.');
    m_helpFilePath = (pathDot == std::string::npos || pathDot < slash + 1 ? path : path.substr(0, pathDot)) + ".HLP";
}

int CWinApp::Run() {
    MSG msg{};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

void CWinApp::OnHelp() {
    WinHelp(0, HELP_FINDER);
}

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd) {
    CWnd* main = AfxGetMainWnd();
    ::WinHelpA(main != nullptr ? main->GetSafeHwnd() : nullptr, m_helpFilePath.c_str(), nCmd, dwData);
}

BOOL CWinApp::Enable3dControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    return ::InitCommonControlsEx(&controls);
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app != nullptr ? g_app->m_pMainWnd : nullptr;
}

LPCSTR AfxGetAppName() {
    return g_app != nullptr ? g_app->GetAppName() : "";
}

void AfxForgetMainWnd(const CWnd* pWnd) {
    if (g_app != nullptr && g_app->m_pMainWnd == pWnd)
        g_app->m_pMainWnd = nullptr;
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    if (g_app == nullptr)
        return FALSE;
    g_app->InitModule(hInstance, lpCmdLine, nCmdShow);
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow))
        return -1;
    // InitInstance returning FALSE means the application has done its work (a
    // dialog-based program runs its dialog there): no message loop follows.
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}

void AfxEnableControlContainer() {}
