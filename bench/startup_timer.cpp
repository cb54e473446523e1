// Times program starts for the start-up benchmark: from CreateProcess to the moment
// its dialog's field 1005 reads "20.95", for each program in turn, interleaved so
// that all see the same machine load, and prints every time and the medians.
//   startup_timer RUNS EXE...        (EXE as a path of the Linux file system)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// How long one start may take before it counts as a failure.
constexpr double wait_ms = 10000;

double now_ms() {
    static const double ticks_per_ms = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / ticks_per_ms;
}

// The Windows path (drive Z:) of a file of the Linux file system.
std::wstring windows_path(const char* unix_path) {
    std::wstring path = L"Z:";
    for (const char* c = unix_path; *c != '\0'; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return path;
}

// What find_dialog looks for, and what it found.
struct DialogSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK take_dialog_of_process(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (pid != search->pid || lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, 1005))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The process's visible dialog that holds field 1005, or null.
HWND find_dialog(DWORD pid) {
    DialogSearch search{pid, nullptr};
    EnumWindows(take_dialog_of_process, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring field_text(HWND field) {
    wchar_t text[32] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(field, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000, &copied))
        return {};
    return text;
}

// One start of exe; the milliseconds until its field reads the default, or -1.
double time_start(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + exe + L"\"";
    const double start = now_ms();
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    double elapsed = -1;
    HWND dialog = nullptr;
    while (now_ms() - start < wait_ms) {
        dialog = find_dialog(process.dwProcessId);
        if (dialog && field_text(GetDlgItem(dialog, 1005)) == L"20.95") {
            elapsed = now_ms() - start;
            break;
        }
        Sleep(1);
    }
    if (dialog)
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    const auto wait = static_cast<DWORD>(wait_ms);
    if (WaitForSingleObject(process.hProcess, wait) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, wait);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_timer RUNS EXE...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::wstring> exes;
    for (int i = 2; i < argc; ++i)
        exes.push_back(windows_path(argv[i]));
    // One start of each first, untimed, so that the files are in the cache.
    for (const auto& exe : exes)
        time_start(exe);
    std::vector<std::vector<double>> times(exes.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < exes.size(); ++i) {
            const double ms = time_start(exes[i]);
            if (ms < 0) {
                std::fprintf(stderr, "%s: dialog with \"20.95\" in field 1005 did not show\n", argv[2 + i]);
                return 1;
            }
            times[i].push_back(ms);
        }
    }
    for (std::size_t i = 0; i < exes.size(); ++i) {
        std::printf("%s:", argv[2 + i]);
        for (double t : times[i])
            std::printf(" %.1f", t);
        std::printf("\nmedian %.1f ms\n", median(times[i]));
    }
    return 0;
}
