#include "framework/resource_handle.h"

namespace {
HINSTANCE g_instance = nullptr;
HINSTANCE g_resource = nullptr;
}  // namespace

HINSTANCE AfxGetInstanceHandle() {
    return g_instance != nullptr ? g_instance : ::GetModuleHandleA(nullptr);
}

void AfxSetInstanceHandle(HINSTANCE hInstance) {
    g_instance = hInstance;
}

HINSTANCE AfxGetResourceHandle() {
    return g_resource != nullptr ? g_resource : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE hResource) {
    g_resource = hResource;
}

HINSTANCE AfxFindResourceHandle(LPCSTR lpszName, LPCSTR lpszType) {
    HINSTANCE resource = AfxGetResourceHandle();
    if (::FindResourceA(resource, lpszName, lpszType) != nullptr)
        return resource;
    HINSTANCE instance = AfxGetInstanceHandle();
    if (instance != resource && ::FindResourceA(instance, lpszName, lpszType) != nullptr)
        return instance;
    return resource;
}
