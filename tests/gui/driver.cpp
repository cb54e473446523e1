#include "driver.h"

#include <algorithm>

namespace gui {
namespace {

// A sent message that fails or times out leaves result at 0: callers check the text, not a code.
LRESULT send(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, DWORD ms = wait_ms) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wparam, lparam, SMTO_NORMAL, ms, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

std::wstring class_name(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring window_text(HWND hwnd) {
    const auto length = send(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> dialogs;
};

BOOL CALLBACK collect_dialog(HWND hwnd, LPARAM lparam) {
    auto* found = reinterpret_cast<ProcessWindows*>(lparam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == found->pid && class_name(hwnd) == L"#32770")
        found->dialogs.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> dialogs_of(DWORD pid) {
    ProcessWindows found{pid, {}};
    EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&found));
    return found.dialogs;
}

BOOL CALLBACK collect_child(HWND hwnd, LPARAM lparam) {
    reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::wstring windows_path(const std::string& unix_path) {
    std::wstring path = L"Z:";
    for (char c : unix_path)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

DialogView view_dialog(HWND dialog) {
    DialogView view;
    view.hwnd = dialog;
    view.caption = window_text(dialog);
    view.owner = GetWindow(dialog, GW_OWNER);
    if (HWND text = GetDlgItem(dialog, 0xFFFF))
        view.text = window_text(text);
    std::vector<HWND> children;
    EnumChildWindows(dialog, collect_child, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        if (GetParent(child) != dialog || !IsWindowVisible(child))
            continue;
        const std::wstring kind = class_name(child);
        if (_wcsicmp(kind.c_str(), L"Button") == 0) {
            view.button_ids.push_back(GetDlgCtrlID(child));
            view.button_texts.push_back(window_text(child));
        } else if (_wcsicmp(kind.c_str(), L"Static") == 0 && send(child, STM_GETICON, 0, 0) != 0) {
            view.has_icon = true;
        }
    }
    return view;
}

HWND find_main_dialog(DWORD pid) {
    for (HWND hwnd : dialogs_of(pid)) {
        if (IsWindowVisible(hwnd) && GetDlgItem(hwnd, 1005))
            return hwnd;
    }
    return nullptr;
}

Session::Session(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_)) {
        failure_ = L"CreateProcess failed, error " + std::to_wstring(GetLastError()) + L" for " + exe;
        process_ = {};
        return;
    }
    const ULONGLONG deadline = GetTickCount64() + wait_ms;
    while (GetTickCount64() < deadline) {
        if (HWND hwnd = find_main_dialog(process_.dwProcessId)) {
            dialog_ = hwnd;
            thread_id_ = GetWindowThreadProcessId(hwnd, nullptr);
            // Initialisation is over once the thread answers a sent message.
            if (!sync())
                failure_ = L"the dialog does not answer messages";
            return;
        }
        if (WaitForSingleObject(process_.hProcess, 10) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process_.hProcess, &code);
            failure_ = L"the program ended before showing its dialog, exit code " + std::to_wstring(code);
            return;
        }
    }
    failure_ = L"no dialog with field 1005 within " + std::to_wstring(wait_ms) + L" ms";
}

Session::~Session() {
    if (!process_.hProcess)
        return;
    if (running()) {
        TerminateProcess(process_.hProcess, 255);
        WaitForSingleObject(process_.hProcess, wait_ms);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::wstring Session::text(int id) const {
    return window_text(item(id));
}

void Session::set_text(int id, const std::wstring& text) const {
    send(item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::wstring> Session::entries(int list) const {
    std::vector<std::wstring> result;
    HWND combo = item(list);
    const auto count = send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0)
            break;
        std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
        const auto copied = send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
        result.push_back(entry);
    }
    return result;
}

int Session::selection(int list) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(item(list), CB_GETCURSEL, 0, 0, SMTO_NORMAL, wait_ms, &result))
        return -2;
    return static_cast<int>(static_cast<LRESULT>(result));
}

void Session::select(int list, int index) const {
    send(item(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool Session::click(int id) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(item(id), BM_CLICK, 0, 0, SMTO_NORMAL, wait_ms, &result) != 0;
}

void Session::post_click(int id) const {
    PostMessageW(item(id), BM_CLICK, 0, 0);
}

PressOutcome Session::press_execute(bool box_expected) const {
    PressOutcome outcome;
    HWND box = nullptr;
    if (box_expected) {
        post_click(control::execute);
        box = wait_other_dialog(wait_ms);
    } else if (!click(control::execute)) {
        box = wait_other_dialog(0);
    }
    if (box) {
        outcome.box = true;
        outcome.boxes = other_dialogs().size();
        outcome.message = view_dialog(box).text;
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        if (!wait_gone(box, wait_ms))
            return outcome;
    }
    outcome.answered = sync();
    return outcome;
}

void Session::post_key(HWND target, UINT vk) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    const auto down = static_cast<LPARAM>(1 | (scan << 16));
    const auto up = static_cast<LPARAM>(1 | (scan << 16) | (1u << 30) | (1u << 31));
    PostMessageW(target, WM_KEYDOWN, vk, down);
    PostMessageW(target, WM_KEYUP, vk, up);
}

HWND Session::focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread_id_, &info))
        return nullptr;
    return info.hwndFocus;
}

std::vector<int> Session::tab_to(int id) const {
    std::vector<int> visited;
    for (int press = 0; press < 16 && focus() != item(id); ++press) {
        HWND from = focus();
        post_key(from, VK_TAB);
        const ULONGLONG deadline = GetTickCount64() + wait_ms;
        while (focus() == from && GetTickCount64() < deadline)
            Sleep(5);
        if (focus() == from)
            break;
        visited.push_back(GetDlgCtrlID(focus()));
    }
    return visited;
}

std::vector<HWND> Session::other_dialogs() const {
    std::vector<HWND> others;
    for (HWND hwnd : dialogs_of(process_.dwProcessId)) {
        if (hwnd != dialog_ && IsWindowVisible(hwnd))
            others.push_back(hwnd);
    }
    return others;
}

HWND Session::wait_other_dialog(DWORD ms) const {
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        const auto others = other_dialogs();
        if (!others.empty()) {
            // Its creation is over once its thread answers.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(others.front(), WM_NULL, 0, 0, SMTO_NORMAL, wait_ms, &ignored);
            return others.front();
        }
        Sleep(10);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool Session::wait_gone(HWND hwnd, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    while (IsWindow(hwnd)) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
    return true;
}

bool Session::sync() const {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, wait_ms, &ignored) != 0;
}

bool Session::wait_exit(DWORD ms) const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0;
}

bool Session::running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

}  // namespace gui
