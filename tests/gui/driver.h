// Drives a running Kestrane.exe from another process, as a user would: finds its
// dialog, reads and writes field texts and list selections, presses buttons and
// keys, and finds the windows it opens. Only messages that Wine carries across
// processes are used (the W forms of list messages, WM_GETTEXT, BM_CLICK, ...).
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace gui {

// Control ids of the main dialog.
namespace control {
inline constexpr int execute = 3;
inline constexpr std::array<int, 6> inputs = {1005, 1006, 1007, 1008, 1009, 1010};
inline constexpr std::array<int, 4> results = {1011, 1012, 1013, 1014};
inline constexpr std::array<int, 3> lists = {1054, 1055, 1056};
}  // namespace control

// What one press of Execute Calculation showed.
struct PressOutcome {
    bool answered = false;  // the dialog answered again afterwards
    bool box = false;       // a message box opened (and was closed with OK)
    std::wstring message;   // its text
    std::size_t boxes = 0;  // how many dialogs besides the main one were open with it
};

// The Windows path (drive Z:) of a file of the Linux build tree.
std::wstring windows_path(const std::string& unix_path);

// How long any single wait of the driver lasts before it counts as a failure.
inline constexpr DWORD wait_ms = 10000;

// A message box or other dialog as another process sees it.
struct DialogView {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;  // the message text (static 0xFFFF), if there is one
    HWND owner = nullptr;
    std::vector<int> button_ids;  // visible buttons, in child order
    std::vector<std::wstring> button_texts;
    bool has_icon = false;  // a visible static that shows an icon
};

// Reads what a user sees of a dialog window.
DialogView view_dialog(HWND dialog);

// One run of Kestrane.exe, from its start to its end (or to being killed when
// a test leaves it running).
class Session {
public:
    explicit Session(const std::wstring& exe);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Whether the program started and its main dialog showed within the wait.
    bool started() const { return dialog_ != nullptr; }
    const std::wstring& start_failure() const { return failure_; }

    HWND dialog() const { return dialog_; }
    DWORD thread_id() const { return thread_id_; }
    HWND item(int id) const { return GetDlgItem(dialog_, id); }

    // The whole text of a control, read with WM_GETTEXT.
    std::wstring text(int id) const;
    // Sets the whole text of a control with WM_SETTEXT, as a paste over all of it would.
    void set_text(int id, const std::wstring& text) const;

    // The entries of a drop-down list, with CB_GETLBTEXT (wide).
    std::vector<std::wstring> entries(int list) const;
    int selection(int list) const;
    void select(int list, int index) const;

    // Clicks a button and returns once the dialog has handled the click; false
    // when it did not return within the wait (a modal window opened, or a hang).
    bool click(int id) const;
    // Clicks a button without waiting, for a click that opens a modal window.
    void post_click(int id) const;
    // Presses Execute Calculation. With a message box expected, waits for it, reads
    // it and closes it with OK; otherwise waits until the press is handled, and
    // reads and closes a box that opened all the same.
    PressOutcome press_execute(bool box_expected) const;
    // Posts a key press (down and up) to a window, as the keyboard would queue it.
    static void post_key(HWND target, UINT vk);
    // The control that has the keyboard focus in the program's thread.
    HWND focus() const;
    // Presses Tab until the focus reaches control id (at most 16 times), waiting
    // for each press to move it; returns the ids the focus passed through.
    std::vector<int> tab_to(int id) const;

    // Waits for a visible dialog of this process other than the main one (a message
    // box, the About dialog); nullptr when none appears within ms.
    HWND wait_other_dialog(DWORD ms) const;
    // The visible dialogs of this process other than the main one, now.
    std::vector<HWND> other_dialogs() const;
    // Waits until a window is gone.
    static bool wait_gone(HWND hwnd, DWORD ms);
    // Waits until the dialog's thread has handled everything sent so far.
    bool sync() const;

    // Waits for the process to end; true when it did within ms.
    bool wait_exit(DWORD ms) const;
    bool running() const;
    DWORD pid() const { return process_.dwProcessId; }

private:
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
    DWORD thread_id_ = 0;
    std::wstring failure_;
};

// The main dialog of a process: its visible #32770 window that holds field 1005.
HWND find_main_dialog(DWORD pid);

}  // namespace gui
