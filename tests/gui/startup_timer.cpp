// Times program starts for the startup benchmark: from CreateProcess to the moment
// its dialog's field 1005 reads "20.95", for each program in turn, interleaved so
// that both see the same machine load, and prints every time and the medians.
//   gui_startup_timer RUNS EXE...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

namespace {

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
    while (now_ms() - start < gui::wait_ms) {
        dialog = gui::find_main_dialog(process.dwProcessId);
        if (dialog && field_text(GetDlgItem(dialog, 1005)) == L"20.95") {
            elapsed = now_ms() - start;
            break;
        }
        Sleep(1);
    }
    if (dialog)
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, gui::wait_ms) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, gui::wait_ms);
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
        std::fprintf(stderr, "usage: gui_startup_timer RUNS EXE...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::wstring> exes;
    for (int i = 2; i < argc; ++i)
        exes.push_back(gui::windows_path(argv[i]));
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
