// The dialog under abuse: presses faster than it can answer them, a real mouse
// click on Execute Calculation while a message box is open, and text with tabs and
// line breaks pasted from the clipboard. After each the program must still run and
// answer, show what kestrane-cli prints for what its fields hold, and have changed
// no field but the results.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "companion.h"
#include "driver.h"

namespace {

using gui::Reading;
using gui::Session;
using gui::visible;
using gui::control::execute;
using gui::control::inputs;
using gui::control::lists;
using gui::control::results;

const std::wstring marker = L"<not written>";

std::array<std::wstring, 4> read_results(const Session& s) {
    return {s.text(results[0]), s.text(results[1]), s.text(results[2]), s.text(results[3])};
}

std::string describe(const Reading& r) {
    std::string out;
    for (const auto& f : r.fields)
        out += "\"" + visible(f) + "\" ";
    for (int u : r.units)
        out += "[" + std::to_string(u) + "]";
    return out;
}

std::string describe(const std::array<std::wstring, 4>& texts) {
    std::string out;
    for (const auto& t : texts)
        out += " \"" + visible(t) + "\"";
    return out;
}

class KestraneAbuse : public testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<Session>(gui::windows_path(KESTRANE_EXE));
        ASSERT_TRUE(session_->started()) << "Kestrane.exe did not show its dialog: "
                                         << visible(session_->start_failure());
    }
    void TearDown() override { session_.reset(); }
    const Session& s() const { return *session_; }

    void enter(const Reading& r) const { gui::enter(s(), r, marker); }

    // What kestrane-cli prints for a reading given as its options (a log cannot
    // carry the carriage return a paste may leave in a field).
    gui::Answer companion(const Reading& r) const {
        std::array<std::vector<std::wstring>, 3> units;
        for (std::size_t i = 0; i < lists.size(); ++i)
            units[i] = s().entries(lists[i]);
        std::string failure;
        const auto answer = gui::ask_companion(gui::windows_path(KESTRANE_CLI_EXE), units, r, failure);
        if (!failure.empty())
            ADD_FAILURE() << "no answer from kestrane-cli for " << describe(r) << ": " << failure;
        return answer;
    }

    // The program runs and answers, holds the reading it was given, showed what
    // kestrane-cli prints for it (the same message, or the same results; a message
    // leaves the marked results), and no other window is open.
    void expect_intact(const Reading& entered,
                       const gui::PressOutcome& shown,
                       const gui::Answer& expected,
                       const char* after) const {
        ASSERT_TRUE(s().running()) << "Kestrane.exe ended after " << after;
        ASSERT_TRUE(s().sync()) << "Kestrane.exe does not answer after " << after;
        const Reading now = gui::read_reading(s());
        EXPECT_TRUE(now.fields == entered.fields && now.units == entered.units)
            << after << " changed an input: entered " << describe(entered) << ", now " << describe(now);
        const bool refused = !expected.error.empty();
        EXPECT_EQ(shown.box, refused) << after << ": message box \"" << visible(shown.message)
                                      << "\", kestrane-cli's error \"" << visible(expected.error) << "\"";
        EXPECT_EQ(shown.message, expected.error) << after;
        const auto wanted = refused ? std::array<std::wstring, 4>{marker, marker, marker, marker} : expected.results;
        const auto results_now = read_results(s());
        EXPECT_EQ(results_now, wanted) << after << ": results" << describe(results_now) << ", expected"
                                       << describe(wanted);
        EXPECT_TRUE(s().other_dialogs().empty()) << "a window is open after " << after;
    }
    void expect_intact(const Reading& entered, const char* after) const {
        gui::PressOutcome pressed;
        pressed.answered = true;
        expect_intact(entered, pressed, companion(entered), after);
    }

private:
    std::unique_ptr<Session> session_;
};

// A reading in the second unit of every list, far from the defaults.
const Reading metric = {{L"20.9", L"760", L"748", L"25", L"1200", L"65"}, {1, 1, 1}};

TEST_F(KestraneAbuse, TwoHundredQueuedPressesEndWithTheResultsOfTheReading) {
    enter(metric);
    HWND first_result = s().item(results[0]);
    SendMessageW(first_result, EM_SETSEL, 0, 0);
    constexpr int presses = 200;
    const ULONGLONG start = GetTickCount64();
    for (int i = 0; i < presses; ++i)
        ASSERT_TRUE(PostMessageW(s().item(execute), BM_CLICK, 0, 0)) << "press " << i << " not queued";
    // Posted messages are handled in order, so a selection posted after the presses
    // shows once every press before it has been handled.
    ASSERT_TRUE(PostMessageW(first_result, EM_SETSEL, 1, 2));
    DWORD selection = 0;
    while (GetTickCount64() - start < 4 * gui::wait_ms) {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(first_result, EM_GETSEL, 0, 0, SMTO_NORMAL, gui::wait_ms, &answer))
            selection = static_cast<DWORD>(answer);
        if (selection == MAKELONG(1, 2))
            break;
        Sleep(5);
    }
    ASSERT_EQ(selection, static_cast<DWORD>(MAKELONG(1, 2)))
        << "the presses were not all handled within " << 4 * gui::wait_ms << " ms; selection of 1011 is "
        << LOWORD(selection) << "-" << HIWORD(selection);
    std::printf("%d queued presses handled in %llu ms\n", presses, GetTickCount64() - start);
    expect_intact(metric, "200 queued presses");
}

// A mouse click through the display's own input, at the centre of a control.
void real_click(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

// Waits up to ms for the result fields to hold something other than the marker.
bool wait_results_written(const Session& s, DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    while (s.text(results[3]) == marker || s.text(results[1]) == marker) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
    return true;
}

TEST_F(KestraneAbuse, AClickOnExecuteWhileAMessageIsOpenStartsNoSecondRun) {
    Reading refused = metric;
    refused.fields[0] = L"101";
    enter(refused);
    s().post_click(execute);
    HWND box = s().wait_other_dialog(gui::wait_ms);
    ASSERT_NE(box, nullptr) << "no message box for gas 101";
    EXPECT_FALSE(IsWindowEnabled(s().dialog())) << "the dialog is enabled while its message box is open";

    // The box opens over the middle of the dialog; it is moved off the button, so
    // that the click lands on the button and not on the box.
    SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT box_rect{}, button_rect{}, overlap{};
    GetWindowRect(box, &box_rect);
    GetWindowRect(s().item(execute), &button_rect);
    ASSERT_FALSE(IntersectRect(&overlap, &box_rect, &button_rect))
        << "the message box at " << box_rect.left << "," << box_rect.top << "-" << box_rect.right << ","
        << box_rect.bottom << " still covers the button at " << button_rect.left << "," << button_rect.top;
    for (int i = 0; i < 3; ++i)
        real_click(s().item(execute));
    Sleep(500);  // time for the clicks to travel through the display to the program
    const auto open = s().other_dialogs();
    EXPECT_EQ(open, std::vector<HWND>{box}) << open.size() << " windows besides the dialog after clicking Execute";
    EXPECT_EQ(read_results(s()), (std::array<std::wstring, 4>{marker, marker, marker, marker}))
        << "a click while the message was open wrote results:" << describe(read_results(s()));
    EXPECT_EQ(gui::view_dialog(box).text, L"Error: Gas Percent Outside of Range");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Session::wait_gone(box, gui::wait_ms)) << "the message box did not close on OK";
    ASSERT_TRUE(s().sync());
    EXPECT_TRUE(IsWindowEnabled(s().dialog())) << "the dialog stays disabled after its message box closed";

    // The same click with the dialog enabled runs the calculation: the clicks above
    // reached the program and were refused by it, not lost on the way.
    enter(metric);
    real_click(s().item(execute));
    ASSERT_TRUE(wait_results_written(s(), gui::wait_ms)) << "a click on the enabled Execute Calculation did nothing";
    expect_intact(metric, "a click on the enabled button");
}

// Text with tabs and line breaks on the clipboard, as another program would put it there.
bool put_on_clipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool done = false;
    if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!done)
            GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

struct PasteCase {
    const char* name;
    int field;  // index into inputs
    std::wstring pasted;
};

TEST_F(KestraneAbuse, PastedTabsAndLineBreaksChangeOnlyTheirField) {
    std::wstring long_text = L"748";
    while (long_text.size() < 30000)
        long_text += L"\t5";
    long_text.resize(30000);
    const PasteCase cases[] = {
        {"tab inside a number", 3, L"2\t5"},
        {"CR LF after a number", 5, L"65\r\n70"},
        {"LF before a number", 4, L"\n1200"},
        {"tabs, CR and LF mixed", 1, L"7\t60\r7\n\t"},
        {"30,000 characters with tabs", 2, long_text},
        {"30,000 characters with tabs after a line break", 0, L"20.9\r\n" + long_text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        enter(metric);
        ASSERT_TRUE(put_on_clipboard(c.pasted)) << "the clipboard took no text";
        HWND field = s().item(inputs[static_cast<std::size_t>(c.field)]);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(field, EM_SETSEL, 0, -1, SMTO_NORMAL, gui::wait_ms, &ignored);
        ASSERT_TRUE(SendMessageTimeoutW(field, WM_PASTE, 0, 0, SMTO_NORMAL, gui::wait_ms, &ignored))
            << "the paste did not return";
        Reading pasted = metric;
        pasted.fields[static_cast<std::size_t>(c.field)] = s().text(inputs[static_cast<std::size_t>(c.field)]);
        const std::wstring& held = pasted.fields[static_cast<std::size_t>(c.field)];
        std::printf("%s: pasted %zu characters, the field holds %zu: \"%s\"\n", c.name, c.pasted.size(), held.size(),
                    visible(held, 40).c_str());
        const gui::Answer expected = companion(pasted);
        const gui::PressOutcome shown = s().press_execute(!expected.error.empty());
        expect_intact(pasted, shown, expected, c.name);
    }
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
}

}  // namespace
