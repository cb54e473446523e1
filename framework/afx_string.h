// A text value in the platform's ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// A string of any length that converts to LPCSTR and can be loaded from a string table.
class CString {
public:
    CString() = default;
    CString(LPCSTR lpsz)
        : m_text(lpsz != nullptr ? lpsz : "") {}  // NOLINT(google-explicit-constructor): as text literals
    explicit CString(std::string_view text) : m_text(text) {}

    // Loads string nID from the module that holds it; FALSE, and empty, when
    // there is no such string or it is empty.
    BOOL LoadString(UINT nID);

    bool IsEmpty() const { return m_text.empty(); }
    operator LPCSTR() const { return m_text.c_str(); }  // NOLINT(google-explicit-constructor): passed to the API as is
    // The text with its length, for code that takes views.
    std::string_view View() const { return m_text; }

private:
    std::string m_text;
};
