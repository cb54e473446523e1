// A modal dialog that runs a test's steps once it is up, one step per posted
// message, so that whatever a step posts is handled before the next step runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/afxwin.h"

// The code a scripted dialog ends with when its steps take too long.
inline constexpr int kTimedOut = 0x7E57;

class ScriptedDialog : public CDialog {
public:
    using Step = std::function<void(ScriptedDialog&)>;

    explicit ScriptedDialog(UINT nIDTemplate, CWnd* pParent = nullptr) : CDialog(nIDTemplate, pParent) {}

    // Called from OnInitDialog, before the dialog is shown.
    Step onInit;
    // Run in order after initialisation; the last one should end the dialog.
    std::vector<Step> steps;

    // Exposed for the steps.
    using CDialog::SendMessage;

protected:
    BOOL OnInitDialog() override;
    // Runs the next step on the posted step message, and ends a dialog whose steps
    // never ended it when the watchdog fires; the rest goes to the dialog.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Runs the next step and posts the message for the one after it.
    void RunNextStep();

    std::size_t m_next = 0;
};

// What was seen of a modal window (a message box or a dialog) that opened over a test's dialog.
struct SeenWindow {
    bool found = false;
    std::string caption;
    std::string text;  // the message box's text (static control 0xFFFF)
    HWND owner = nullptr;
    bool ownerEnabled = true;
};

// Watches, while a modal window runs, for a visible dialog-class window owned by
// owner; records it and presses its button closeId. Call before opening the window;
// the result is complete once the modal run returns.
SeenWindow* WatchForModal(HWND owner, int closeId);
