#include "companion.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace gui {
namespace {

const char* const header =
    "target_gas,target_pressure,barometric_pressure,temperature,altitude,relative_humidity,"
    "temperature_unit,pressure_unit,distance_unit\n";
constexpr std::size_t input_columns = 9;
// A log read leniently records it in a column of its own, before the answers.
constexpr std::size_t recorded_columns = 1;
constexpr std::size_t answer_columns = 6;  // four results, the error, the warning
constexpr DWORD run_limit_ms = 60000;

std::wstring from_utf8(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Every field in quotes, so blanks at either end are kept as they are.
void append_quoted(std::string& out, const std::wstring& text) {
    out += '"';
    for (char c : utf8(text)) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// One record of RFC 4180 text that holds no line break.
std::vector<std::string> split_record(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string read_all(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

HANDLE inheritable_output(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Runs the program with its standard output and error going to files; its exit
// code, or -1 when it could not start or did not end within the limit.
int run(const std::wstring& exe,
        const std::wstring& arguments,
        const std::wstring& out_path,
        const std::wstring& err_path) {
    HANDLE out = inheritable_output(out_path);
    HANDLE err = inheritable_output(err_path);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    int code = -1;
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, run_limit_ms) == WAIT_OBJECT_0) {
            DWORD exit_code = 0;
            GetExitCodeProcess(process.hProcess, &exit_code);
            code = static_cast<int>(exit_code);
        } else {
            TerminateProcess(process.hProcess, 255);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (err != INVALID_HANDLE_VALUE)
        CloseHandle(err);
    return code;
}

// One argument in the quoting the C runtime's command-line parser undoes.
std::wstring quoted_argument(const std::wstring& text) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

// The temporary files of one run of the companion, removed when done. Wine may
// close an ended child's copies of its standard handles a moment after the child
// is reported ended, and until then the files stay in use: so each run has names
// of its own, and removing them is tried again for a while.
struct TempFiles {
    std::wstring in, out, err;
    TempFiles() {
        static unsigned runs = 0;
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        const std::wstring base = std::wstring(folder) + L"kestrane-companion-" +
                                  std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++runs);
        in = base + L".csv", out = base + L".out", err = base + L".err";
    }
    ~TempFiles() {
        for (const std::wstring* path : {&in, &out, &err}) {
            for (int attempt = 0;
                 attempt < 200 && !DeleteFileW(path->c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND; ++attempt)
                Sleep(10);
        }
    }
};

}  // namespace

void enter(const Session& s, const Reading& reading, const std::wstring& marker) {
    for (std::size_t i = 0; i < control::inputs.size(); ++i)
        s.set_text(control::inputs[i], reading.fields[i]);
    for (std::size_t i = 0; i < control::lists.size(); ++i)
        s.select(control::lists[i], reading.units[i]);
    for (int id : control::results)
        s.set_text(id, marker);
}

Reading read_reading(const Session& s) {
    Reading r;
    for (std::size_t i = 0; i < control::inputs.size(); ++i)
        r.fields[i] = s.text(control::inputs[i]);
    for (std::size_t i = 0; i < control::lists.size(); ++i)
        r.units[i] = s.selection(control::lists[i]);
    return r;
}

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

std::string visible(const std::wstring& text, std::size_t limit) {
    std::string out;
    for (wchar_t c : text.substr(0, limit)) {
        if (c >= 0x20 && c < 0x7F && c != L'\\') {
            out += static_cast<char>(c);
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "\\u{%x}", static_cast<unsigned>(c));
            out += code;
        }
    }
    if (text.size() > limit)
        out += "...(" + std::to_string(text.size()) + " characters)";
    return out;
}

std::vector<Answer> ask_companion(const std::wstring& cli_exe,
                                  const std::array<std::vector<std::wstring>, 3>& unit_texts,
                                  const std::vector<Reading>& readings,
                                  std::string& failure) {
    std::string log = header;
    for (const Reading& reading : readings) {
        for (const std::wstring& field : reading.fields) {
            append_quoted(log, field);
            log += ',';
        }
        for (std::size_t list = 0; list < 3; ++list) {
            append_quoted(log, unit_texts[list].at(static_cast<std::size_t>(reading.units[list])));
            log += list < 2 ? ',' : '\n';
        }
    }

    const TempFiles files;
    {
        std::ofstream in(files.in.c_str(), std::ios::binary);
        in << log;
    }
    const int code = run(cli_exe, L"--lenient --csv " + quoted_argument(files.in), files.out, files.err);
    const std::string output = read_all(files.out), errors = read_all(files.err);

    // 0: every reading corrected; 1: some refused. Anything else is a fault of the run.
    if (code != 0 && code != 1) {
        failure = "kestrane-cli --csv ended with code " + std::to_string(code) + ", standard error: " + errors;
        return {};
    }
    std::vector<Answer> answers;
    std::istringstream lines(output);
    std::string line;
    for (std::size_t row = 0; std::getline(lines, line); ++row) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> fields = split_record(line);
        if (fields.size() != input_columns + recorded_columns + answer_columns) {
            failure = "kestrane-cli output line " + std::to_string(row + 1) + " has " + std::to_string(fields.size()) +
                      " fields: " + line;
            return {};
        }
        if (row == 0)
            continue;  // the header
        Answer answer;
        for (std::size_t i = 0; i < 4; ++i)
            answer.results[i] = from_utf8(fields[input_columns + recorded_columns + i]);
        answer.error = from_utf8(fields[input_columns + recorded_columns + 4]);
        answers.push_back(answer);
    }
    if (answers.size() != readings.size()) {
        failure = "kestrane-cli answered " + std::to_string(answers.size()) + " of " + std::to_string(readings.size()) +
                  " readings; standard error: " + errors;
        return {};
    }
    return answers;
}

Answer ask_companion(const std::wstring& cli_exe,
                     const std::array<std::vector<std::wstring>, 3>& unit_texts,
                     const Reading& reading,
                     std::string& failure) {
    static const wchar_t* const field_options[] = {L"--gas",         L"--target-pressure", L"--barometric-pressure",
                                                   L"--temperature", L"--altitude",        L"--humidity"};
    static const wchar_t* const unit_options[] = {L"--temperature-unit", L"--pressure-unit", L"--distance-unit"};
    std::wstring arguments = L"--lenient ";
    for (std::size_t f = 0; f < reading.fields.size(); ++f) {
        // "--option=text" keeps a text that starts with "-" from reading as an option;
        // an empty text needs an argument of its own.
        const std::wstring& text = reading.fields[f];
        arguments += std::wstring(field_options[f]) + (text.empty() ? L" \"\" " : L"=" + quoted_argument(text) + L" ");
    }
    for (std::size_t list = 0; list < 3; ++list) {
        arguments += std::wstring(unit_options[list]) + L"=" +
                     quoted_argument(unit_texts[list].at(static_cast<std::size_t>(reading.units[list]))) + L" ";
    }
    const TempFiles files;
    const int code = run(cli_exe, arguments, files.out, files.err);
    const std::string output = read_all(files.out), errors = read_all(files.err);
    Answer answer;
    // Corrected: four lines "Label: text", a pressure's unit after its text.
    // Refused: the message on standard error.
    if (code == 0) {
        std::istringstream lines(output);
        std::string line;
        std::size_t count = 0;
        for (; count < 4 && std::getline(lines, line); ++count) {
            const auto colon = line.find(": ");
            if (colon == std::string::npos)
                break;
            const std::string text = line.substr(colon + 2);
            answer.results[count] = from_utf8(text.substr(0, text.find(' ')));
        }
        if (count == 4)
            return answer;
    } else if (code == 1 && !errors.empty() && output.empty()) {
        answer.error = from_utf8(errors.substr(0, errors.find('\n')));
        return answer;
    }
    failure = "kestrane-cli ended with code " + std::to_string(code) + "; standard output: " + output +
              "; standard error: " + errors;
    answer.error = L"(no answer)";
    return answer;
}

}  // namespace gui
