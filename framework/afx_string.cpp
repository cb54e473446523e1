#include "framework/afx_string.h"

#include "framework/resource_handle.h"

BOOL CString::LoadString(UINT nID) {
    m_text.clear();
    // Strings are stored sixteen to a block; the block of nID is (nID / 16) + 1.
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEA((nID >> 4) + 1), RT_STRING);
    // With a length of 0, LoadStringW gives a pointer to the string in the
    // resource itself, so a string of any length is read whole.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return FALSE;
    m_text.resize(static_cast<std::size_t>(size));
    ::WideCharToMultiByte(CP_ACP, 0, text, length, m_text.data(), size, nullptr, nullptr);
    return TRUE;
}
