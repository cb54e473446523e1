// A program that imports one function of each kind Kestrane.exe must not import:
// the import check is run on it and must name every one. Built only, never run;
// the calls sit behind a condition no start meets, so nothing here ever executes.
// winsock2.h must come before windows.h, and shellapi.h after it.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
    if (command_line == nullptr || command_line[0] != '\x01')
        return 0;
    WSADATA sockets{};
    WSAStartup(MAKEWORD(2, 2), &sockets);
    RegSetValueExW(HKEY_CURRENT_USER, L"probe", 0, REG_SZ, nullptr, 0);
    STARTUPINFOW startup{};
    PROCESS_INFORMATION process{};
    wchar_t program[] = L"probe";
    CreateProcessW(nullptr, program, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    WinExec("probe", SW_SHOW);
    ShellExecuteW(nullptr, L"open", L"probe", nullptr, nullptr, SW_SHOW);
    HANDLE file = CreateFileW(L"probe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "x", 1, &written, nullptr);
    if (std::FILE* stream = std::fopen("probe", "w")) {
        std::fputs("probe", stream);
        std::fclose(stream);
    }
    return 0;
}
