#include "tests/framework/test_app.h"

// clang-format off
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

namespace {
CTestApp theApp;

// Prepares the application as the framework's start-up would, before any test runs.
struct AppSetUp {
    AppSetUp() { AfxWinInit(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT); }
} setUp;
}  // namespace

CTestApp& TestApp() {
    return theApp;
}
