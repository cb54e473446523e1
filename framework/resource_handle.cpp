#include "framework/resource_handle.h"

namespace {
HINSTANCE g_instance = nullptr;
}  // namespace

HINSTANCE AfxGetInstanceHandle() {
    return g_instance != nullptr ? g_instance : ::GetModuleHandleA(nullptr);
}

void AfxSetInstanceHandle(HINSTANCE hInstance) {
    g_instance = hInstance;
}

HINSTANCE AfxFindResourceHandle(LPCSTR, LPCSTR) {
    return AfxGetInstanceHandle();
}
