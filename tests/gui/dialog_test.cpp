// The real Kestrane.exe, started and driven from this process as a user would:
// its state after start, calculations in every unit, the messages, the About
// dialog, and the ways it ends.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using gui::Session;

// Control ids of the main form.
constexpr int exit_button = 1, execute_button = 3;
constexpr int target_gas = 1005, target_pressure = 1006, barometric = 1007, temperature = 1008, altitude = 1009,
              humidity = 1010;
constexpr int calc_gas = 1011, calc_gas_pressure = 1012, vapor_pressure = 1013, corrected_barometer = 1014;
constexpr int temp_units = 1054, pressure_units = 1055, distance_units = 1056;

constexpr std::array<int, 6> input_ids = {target_gas, target_pressure, barometric, temperature, altitude, humidity};
constexpr std::array<int, 4> result_ids = {calc_gas, calc_gas_pressure, vapor_pressure, corrected_barometer};
constexpr std::array<int, 3> list_ids = {temp_units, pressure_units, distance_units};

const std::array<std::wstring, 6> default_inputs = {L"20.95", L"30.00", L"30.00", L"75", L"   0", L" 50"};

std::wstring kestrane_exe() {
    return gui::windows_path(KESTRANE_EXE);
}

// Everything a user can read off the main dialog: ten fields and three selections.
struct Screen {
    std::array<std::wstring, 6> inputs;
    std::array<std::wstring, 4> results;
    std::array<int, 3> selections{};
    bool operator==(const Screen&) const = default;
};

Screen read_screen(const Session& s) {
    Screen screen;
    for (std::size_t i = 0; i < input_ids.size(); ++i)
        screen.inputs[i] = s.text(input_ids[i]);
    for (std::size_t i = 0; i < result_ids.size(); ++i)
        screen.results[i] = s.text(result_ids[i]);
    for (std::size_t i = 0; i < list_ids.size(); ++i)
        screen.selections[i] = s.selection(list_ids[i]);
    return screen;
}

std::wstring describe(const Screen& screen) {
    std::wstring out = L"inputs";
    for (const auto& t : screen.inputs)
        out += L" \"" + t + L"\"";
    out += L", results";
    for (const auto& t : screen.results)
        out += L" \"" + t + L"\"";
    out += L", lists";
    for (int sel : screen.selections)
        out += L" " + std::to_wstring(sel);
    return out;
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// The four results as the form shows them: Calculated Gas (% Vol), Calculated Gas
// Pressure, Vapor Pressure (%), Corrected Barometer.
std::array<std::wstring, 4> read_results(const Session& s) {
    return {s.text(calc_gas), s.text(calc_gas_pressure), s.text(vapor_pressure), s.text(corrected_barometer)};
}

// Fills the six fields and three lists, as a user preparing one calculation.
void enter(const Session& s, const std::array<std::wstring, 6>& inputs, std::array<int, 3> units = {0, 0, 0}) {
    for (std::size_t i = 0; i < input_ids.size(); ++i)
        s.set_text(input_ids[i], inputs[i]);
    for (std::size_t i = 0; i < list_ids.size(); ++i)
        s.select(list_ids[i], units[i]);
}

class KestraneDialog : public testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<Session>(kestrane_exe());
        ASSERT_TRUE(session_->started()) << "Kestrane.exe did not show its dialog: "
                                         << narrow(session_->start_failure());
    }
    // Ends with the process killed if a test left it running.
    void TearDown() override { session_.reset(); }

    // Presses "Execute Calculation" where a message box must open, and returns it.
    HWND press_for_message() {
        s().post_click(execute_button);
        return s().wait_other_dialog(gui::wait_ms);
    }

    // Dismisses a message box with its OK button and waits until the dialog is back.
    void dismiss(HWND box) {
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(Session::wait_gone(box, gui::wait_ms)) << "message box " << box << " still open after OK";
        ASSERT_TRUE(s().sync()) << "dialog does not answer after the message box closed";
    }

    const Session& s() const { return *session_; }

private:
    std::unique_ptr<Session> session_;
};

TEST_F(KestraneDialog, StartsWithDefaultsAndEmptyResults) {
    struct FieldCase {
        int id;
        const wchar_t* text;
    };
    const FieldCase fields[] = {
        {target_gas, L"20.95"}, {target_pressure, L"30.00"}, {barometric, L"30.00"}, {temperature, L"75"},
        {altitude, L"   0"},    {humidity, L" 50"},          {calc_gas, L""},        {calc_gas_pressure, L""},
        {vapor_pressure, L""},  {corrected_barometer, L""},
    };
    for (const auto& field : fields) {
        EXPECT_EQ(s().text(field.id), field.text) << "field " << field.id << " after start";
    }

    struct ListCase {
        int id;
        std::vector<std::wstring> entries;
    };
    const ListCase lists[] = {
        {temp_units, {L"Degrees F", L"Degrees C"}},
        {pressure_units, {L"In Hg", L"mm Hg", L"Bar", L"KPa"}},
        {distance_units, {L"Feet", L"Meters"}},
    };
    for (const auto& list : lists) {
        EXPECT_EQ(s().entries(list.id), list.entries) << "entries of list " << list.id;
        EXPECT_EQ(s().selection(list.id), 0) << "selection of list " << list.id;
    }
}

TEST_F(KestraneDialog, OpensCentredWithFocusOnExitProgram) {
    HWND dlg = s().dialog();
    RECT window{};
    ASSERT_TRUE(GetWindowRect(dlg, &window));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(dlg, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    // Centring divides by two, so either side may get the odd pixel.
    const long dx = (window.left - work.left) - (work.right - window.right);
    const long dy = (window.top - work.top) - (work.bottom - window.bottom);
    EXPECT_LE(std::labs(dx), 1) << "window " << window.left << "," << window.top << "-" << window.right << ","
                                << window.bottom << " not centred across work area " << work.left << "-" << work.right;
    EXPECT_LE(std::labs(dy), 1) << "window " << window.left << "," << window.top << "-" << window.right << ","
                                << window.bottom << " not centred down work area " << work.top << "-" << work.bottom;

    HWND focus = s().focus();
    EXPECT_EQ(focus, s().item(exit_button))
        << "focus not on Exit Program, focus=" << focus << " (id " << GetDlgCtrlID(focus) << ")";

    const auto style = static_cast<DWORD>(GetWindowLongW(dlg, GWL_STYLE));
    const DWORD wanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(style & wanted, wanted) << "window style " << std::hex << style;
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u) << "window style " << std::hex << style;
    const auto ex_style = static_cast<DWORD>(GetWindowLongW(dlg, GWL_EXSTYLE));
    EXPECT_TRUE(ex_style & WS_EX_APPWINDOW) << "extended style " << std::hex << ex_style;
}

// Expected texts from the worked examples of the correction; the Bar, KPa and mixed
// rows were worked out by hand from the same steps (fields rounded to single
// precision, units brought to in Hg / deg F / feet, then the vapour and height formulas).
struct CalculationCase {
    const char* name;
    std::array<std::wstring, 6> inputs;
    std::array<int, 3> units;             // temperature, pressure, distance list indices
    std::array<std::wstring, 4> results;  // 1011, 1012, 1013, 1014
};

const CalculationCase calculation_cases[] = {
    {"defaults",
     {L"20.95", L"30.00", L"30.00", L"75", L"   0", L" 50"},
     {0, 0, 0},
     {L"20.64", L"6.19", L"1.5", L"29.56"}},
    {"dry air", {L"20.95", L"30.00", L"30.00", L"75", L"   0", L"0"}, {0, 0, 0}, {L"20.95", L"6.29", L"0.0", L"30.00"}},
    {"saturated air",
     {L"20.95", L"30.00", L"30.00", L"75", L"   0", L"100"},
     {0, 0, 0},
     {L"20.34", L"6.10", L"2.9", L"29.13"}},
    {"5000 feet",
     {L"20.95", L"30.00", L"30.00", L"75", L"5000", L" 50"},
     {0, 0, 0},
     {L"17.29", L"5.19", L"1.5", L"24.76"}},
    {"1000 meters",
     {L"20.95", L"30.00", L"30.00", L"75", L"1000", L" 50"},
     {0, 0, 1},
     {L"18.38", L"5.52", L"1.5", L"26.32"}},
    {"25 degrees C",
     {L"20.95", L"30.00", L"30.00", L"25", L"   0", L" 50"},
     {1, 0, 0},
     {L"20.62", L"6.19", L"1.6", L"29.53"}},
    {"760 mm Hg",
     {L"20.95", L"760", L"760", L"75", L"   0", L" 50"},
     {0, 1, 0},
     {L"20.64", L"156.89", L"1.5", L"29.48"}},
    // 1.01325 bar = 29.92133 in Hg: corrected barometer 29.48437, gas pressure 0.2091759 bar.
    {"1.01325 Bar",
     {L"20.95", L"1.01325", L"1.01325", L"75", L"   0", L" 50"},
     {0, 2, 0},
     {L"20.64", L"0.21", L"1.5", L"29.48"}},
    // 1000 bar = 29530.0 in Hg; gas 100 % makes the gas pressure 999.9852 bar, enough digits to see the factor.
    {"1000 Bar",
     {L"100", L"1000", L"1000", L"75", L"   0", L" 50"},
     {0, 2, 0},
     {L"100.00", L"999.99", L"0.0", L"29529.62"}},
    // 101.325 kPa = 29.92142 in Hg (factor 3.38637, not 100 x the bar factor): gas pressure 20.91759 kPa.
    {"101.325 KPa",
     {L"20.95", L"101.325", L"101.325", L"75", L"   0", L" 50"},
     {0, 3, 0},
     {L"20.64", L"20.92", L"1.5", L"29.48"}},
    {"10000 KPa",
     {L"100", L"10000", L"10000", L"75", L"   0", L" 50"},
     {0, 3, 0},
     {L"99.99", L"9998.52", L"0.0", L"2952.58"}},
    // 25 C = 77 F, 760 and 700 mm Hg = 29.92126 and 27.55906 in Hg, 1000 m = 3280.8 ft.
    {"C, mm Hg and meters",
     {L"20.95", L"760", L"700", L"25", L"1000", L"80"},
     {1, 1, 1},
     {L"16.70", L"126.91", L"2.7", L"23.85"}},
    // 20 C, 150 and 100 kPa, 300 m, gas 50 %.
    {"C, KPa and meters",
     {L"50", L"150", L"100", L"20", L"300", L"30"},
     {1, 3, 1},
     {L"31.96", L"47.94", L"0.7", L"28.32"}},
    // Reads as exactly 100 in single precision, so it passes the gas check.
    {"gas 100.000001",
     {L"100.000001", L"30.00", L"30.00", L"75", L"   0", L" 50"},
     {0, 0, 0},
     {L"98.54", L"29.56", L"1.5", L"29.56"}},
    // The negative zero of a tiny negative humidity is kept.
    {"humidity -0.0001",
     {L"20.95", L"30.00", L"30.00", L"75", L"   0", L"-0.0001"},
     {0, 0, 0},
     {L"20.95", L"6.29", L"-0.0", L"30.00"}},
    // Exactly 20.125: the tie rounds away from zero, as the platform's runtime does.
    {"tie 20.125",
     {L"20.125", L"30.00", L"30.00", L"75", L"   0", L"0"},
     {0, 0, 0},
     {L"20.13", L"6.04", L"0.0", L"30.00"}},
    // The scan stops at the first character that cannot continue a number.
    {"trailing text",
     {L"20.95abc", L"30.00 in", L"30.00", L"75F", L"0x1A", L" 50%"},
     {0, 0, 0},
     {L"20.64", L"6.19", L"1.5", L"29.56"}},
};

TEST_F(KestraneDialog, CalculatesInEveryUnit) {
    for (const auto& c : calculation_cases) {
        SCOPED_TRACE(c.name);
        enter(s(), c.inputs, c.units);
        ASSERT_TRUE(s().click(execute_button)) << "Execute Calculation did not return (a message box?)";
        EXPECT_EQ(read_results(s()), c.results)
            << "results of " << c.name << "; screen: " << narrow(describe(read_screen(s())));
        EXPECT_TRUE(s().other_dialogs().empty()) << "a window opened for " << c.name;
    }
}

TEST_F(KestraneDialog, SecondPressWritesTheSameResultsAgain) {
    const std::array<std::wstring, 4> expected = {L"20.64", L"6.19", L"1.5", L"29.56"};
    ASSERT_TRUE(s().click(execute_button));
    ASSERT_EQ(read_results(s()), expected) << "first press";
    // Marks the fields, so that a second press that writes nothing shows.
    for (int id : result_ids)
        s().set_text(id, L"x");
    ASSERT_TRUE(s().click(execute_button));
    EXPECT_EQ(read_results(s()), expected) << "second press";
    const std::array<std::wstring, 6> unchanged = default_inputs;
    EXPECT_EQ(read_screen(s()).inputs, unchanged) << "the press changed an input field";
}

struct MessageCase {
    const char* name;
    int field;
    const wchar_t* text;
    const wchar_t* message;
};

const MessageCase message_cases[] = {
    {"gas above 100", target_gas, L"100.0001", L"Error: Gas Percent Outside of Range"},
    {"gas negative", target_gas, L"-1", L"Error: Gas Percent Outside of Range"},
    {"gas not a number", target_gas, L"abc", L"Error: Gas Percent Outside of Range"},
    {"target pressure zero", target_pressure, L"0", L"Error: Target Pressure Outside of Range"},
    {"barometric negative", barometric, L"-30", L"Error: Barometric Pressure Outside of Range"},
    {"temperature empty", temperature, L"", L"Error: Temperature Outside of Range"},
    {"altitude -0.001", altitude, L"-0.001", L"Error: Altitude Outside of Range"},
    {"humidity -0.0002", humidity, L"-0.0002", L"Error: Relative Humidity Outside of Range"},
    {"humidity above 100", humidity, L"100.01", L"Error: Relative Humidity Outside of Range"},
};

TEST_F(KestraneDialog, ShowsEachMessageInAnOkOnlyBoxOwnedByTheDialog) {
    for (const auto& c : message_cases) {
        SCOPED_TRACE(c.name);
        enter(s(), default_inputs);
        s().set_text(c.field, c.text);
        HWND box = press_for_message();
        ASSERT_NE(box, nullptr) << "no message box for " << c.name;
        const gui::DialogView view = gui::view_dialog(box);
        EXPECT_EQ(view.text, c.message);
        EXPECT_EQ(view.caption, L"Kestrane") << "caption of the message box";
        EXPECT_EQ(view.owner, s().dialog()) << "owner of the message box";
        EXPECT_EQ(view.button_ids, std::vector<int>{IDOK}) << "buttons of the message box";
        EXPECT_EQ(view.button_texts, std::vector<std::wstring>{L"OK"}) << "button texts of the message box";
        EXPECT_FALSE(view.has_icon) << "the message box shows an icon";
        EXPECT_FALSE(IsWindowEnabled(s().dialog())) << "main dialog enabled while its message box is open";
        ASSERT_NO_FATAL_FAILURE(dismiss(box));
        EXPECT_TRUE(IsWindowEnabled(s().dialog())) << "main dialog still disabled after the message box";
        EXPECT_TRUE(s().other_dialogs().empty()) << "a second window opened after the message";
        EXPECT_EQ(read_results(s()), (std::array<std::wstring, 4>{L"", L"", L"", L""}))
            << "a refused run wrote results";
    }
}

TEST_F(KestraneDialog, RefusedRunKeepsEarlierResults) {
    ASSERT_TRUE(s().click(execute_button));
    const Screen before = read_screen(s());
    ASSERT_EQ(before.results, (std::array<std::wstring, 4>{L"20.64", L"6.19", L"1.5", L"29.56"}));

    s().set_text(humidity, L"101");
    s().select(pressure_units, 1);
    Screen expected = before;
    expected.inputs[5] = L"101";
    expected.selections[1] = 1;
    HWND box = press_for_message();
    ASSERT_NE(box, nullptr) << "no message box for humidity 101";
    EXPECT_EQ(gui::view_dialog(box).text, L"Error: Relative Humidity Outside of Range");
    ASSERT_NO_FATAL_FAILURE(dismiss(box));
    const Screen after = read_screen(s());
    EXPECT_EQ(after, expected) << "screen after the refused run: " << narrow(describe(after));
}

TEST_F(KestraneDialog, FirstRefusedFieldGivesTheOnlyMessage) {
    // Target pressure is checked before humidity, and the run stops there.
    s().set_text(target_pressure, L"0");
    s().set_text(humidity, L"200");
    HWND box = press_for_message();
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(gui::view_dialog(box).text, L"Error: Target Pressure Outside of Range");
    ASSERT_NO_FATAL_FAILURE(dismiss(box));
    // A second message would open as soon as the first one closed.
    HWND second = s().wait_other_dialog(500);
    EXPECT_EQ(second, nullptr) << "a second message followed: "
                               << (second ? narrow(gui::view_dialog(second).text) : std::string());
}

TEST_F(KestraneDialog, EnterInAFieldRunsTheCalculation) {
    s().set_text(humidity, L"0");
    // Tab order: Exit Program, the three lists, then the target gas field.
    ASSERT_EQ(s().tab_to(target_gas), (std::vector<int>{temp_units, pressure_units, distance_units, target_gas}))
        << "controls the focus passed through on Tab from Exit Program";
    HWND focus = s().focus();
    Session::post_key(focus, VK_RETURN);
    const ULONGLONG deadline = GetTickCount64() + gui::wait_ms;
    while (s().text(calc_gas).empty() && GetTickCount64() < deadline)
        Sleep(10);
    EXPECT_EQ(read_results(s()), (std::array<std::wstring, 4>{L"20.95", L"6.29", L"0.0", L"30.00"}))
        << "results after Enter in field 1005";
    EXPECT_TRUE(s().running()) << "Enter in a field ended the program";
    EXPECT_EQ(s().focus(), s().item(target_gas)) << "Enter moved the focus, focus id " << GetDlgCtrlID(s().focus());
}

TEST_F(KestraneDialog, EnterInAFieldShowsAMessageForRefusedInput) {
    s().set_text(altitude, L"-5");
    const std::vector<int> visited = s().tab_to(altitude);
    ASSERT_EQ(s().focus(), s().item(altitude))
        << "Tab did not reach field 1009, stopped at id " << (visited.empty() ? 0 : visited.back());
    Session::post_key(s().focus(), VK_RETURN);
    HWND box = s().wait_other_dialog(gui::wait_ms);
    ASSERT_NE(box, nullptr) << "Enter in field 1009 opened no message box";
    EXPECT_EQ(gui::view_dialog(box).text, L"Error: Altitude Outside of Range");
    ASSERT_NO_FATAL_FAILURE(dismiss(box));
}

TEST_F(KestraneDialog, TypingPastTheFieldsWidthKeepsEveryCharacter) {
    // Far wider than the field: without automatic horizontal scrolling the edit
    // would refuse the characters that do not fit.
    const std::wstring typed = L"20.95" + std::wstring(60, L'0') + L"1";
    ASSERT_EQ(s().tab_to(target_gas).back(), target_gas);
    HWND field = s().item(target_gas);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(field, EM_SETSEL, 0, -1, SMTO_NORMAL, gui::wait_ms, &ignored);
    for (wchar_t c : typed)
        PostMessageW(field, WM_CHAR, c, 1);
    const ULONGLONG deadline = GetTickCount64() + gui::wait_ms;
    while (s().text(target_gas).size() < typed.size() && GetTickCount64() < deadline)
        Sleep(10);
    EXPECT_EQ(s().text(target_gas), typed) << "text of field 1005 after typing " << typed.size() << " characters";
    ASSERT_TRUE(s().click(execute_button));
    EXPECT_EQ(read_results(s()), (std::array<std::wstring, 4>{L"20.64", L"6.19", L"1.5", L"29.56"}));
}

struct AboutCase {
    const char* name;
    WPARAM command;
    int close_with;
};

TEST_F(KestraneDialog, AboutOpensModallyFromTheSystemMenu) {
    const AboutCase cases[] = {{"0x0010, closed with OK", 0x0010, IDOK},
                               {"0x0013, closed with Cancel", 0x0013, IDCANCEL}};
    ASSERT_TRUE(s().click(execute_button));
    s().select(distance_units, 1);
    s().set_text(temperature, L"80");
    const Screen before = read_screen(s());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PostMessageW(s().dialog(), WM_SYSCOMMAND, c.command, 0);
        HWND about = s().wait_other_dialog(gui::wait_ms);
        ASSERT_NE(about, nullptr) << "no About dialog for system command " << std::hex << c.command;
        EXPECT_EQ(GetWindow(about, GW_OWNER), s().dialog()) << "owner of the About dialog";
        EXPECT_FALSE(IsWindowEnabled(s().dialog())) << "main dialog enabled while About is open";
        EXPECT_TRUE(IsWindowVisible(about)) << "About dialog not visible";
        PostMessageW(about, WM_COMMAND, static_cast<WPARAM>(c.close_with), 0);
        ASSERT_TRUE(Session::wait_gone(about, gui::wait_ms)) << "About did not close on command " << c.close_with;
        ASSERT_TRUE(s().sync());
        EXPECT_TRUE(IsWindowEnabled(s().dialog())) << "main dialog still disabled after About";
        EXPECT_TRUE(s().running()) << "closing About ended the program";
        const Screen after = read_screen(s());
        EXPECT_EQ(after, before) << "screen after About: " << narrow(describe(after));
    }
}

TEST_F(KestraneDialog, OtherSystemCommandsOpenNoAbout) {
    // 0x0020 differs from the About command in a bit above the low four.
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutW(s().dialog(), WM_SYSCOMMAND, 0x0020, 0, SMTO_NORMAL, 2000, &ignored))
        << "system command 0x0020 did not return";
    EXPECT_TRUE(s().other_dialogs().empty()) << "system command 0x0020 opened a window";
    EXPECT_TRUE(s().running());
}

struct LongTextCase {
    const char* name;
    int field;
    std::wstring text;
    const wchar_t* message;               // or nullptr when the run succeeds
    std::array<std::wstring, 4> results;  // with every other field at its default
};

TEST_F(KestraneDialog, ReadsThirtyThousandCharacterFields) {
    const LongTextCase cases[] = {
        {"gas with 29,995 trailing zeros",
         target_gas,
         L"20.95" + std::wstring(29995, L'0'),
         nullptr,
         {L"20.64", L"6.19", L"1.5", L"29.56"}},
        {"humidity after 29,997 spaces",
         humidity,
         std::wstring(29997, L' ') + L"100",
         nullptr,
         {L"20.34", L"6.10", L"2.9", L"29.13"}},
        {"altitude with 29,996 trailing letters",
         altitude,
         L"5000" + std::wstring(29996, L'x'),
         nullptr,
         {L"17.29", L"5.19", L"1.5", L"24.76"}},
        {"gas 100.1 after 29,995 spaces",
         target_gas,
         std::wstring(29995, L' ') + L"100.1",
         L"Error: Gas Percent Outside of Range",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.text.size(), 30000u);
        enter(s(), default_inputs);
        for (int id : result_ids)
            s().set_text(id, L"");
        s().set_text(c.field, c.text);
        const std::wstring held = s().text(c.field);
        ASSERT_EQ(held.size(), 30000u) << "field " << c.field << " holds " << held.size() << " characters";
        EXPECT_TRUE(held == c.text) << "field " << c.field << " changed the text it was given";
        if (c.message) {
            HWND box = press_for_message();
            ASSERT_NE(box, nullptr) << "no message box";
            EXPECT_EQ(gui::view_dialog(box).text, c.message);
            ASSERT_NO_FATAL_FAILURE(dismiss(box));
        } else {
            ASSERT_TRUE(s().click(execute_button)) << "Execute Calculation did not return";
            EXPECT_EQ(read_results(s()), c.results);
        }
    }
}

struct EndingCase {
    const char* name;
    void (*act)(const Session&);
};

const EndingCase ending_cases[] = {
    {"Exit Program", [](const Session& s) { s.post_click(exit_button); }},
    {"Esc", [](const Session& s) { Session::post_key(s.focus(), VK_ESCAPE); }},
    {"Esc in a field",
     [](const Session& s) {
         s.tab_to(humidity);
         Session::post_key(s.focus(), VK_ESCAPE);
     }},
    {"close box", [](const Session& s) { PostMessageW(s.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"WM_CLOSE", [](const Session& s) { PostMessageW(s.dialog(), WM_CLOSE, 0, 0); }},
};

TEST(KestraneEnds, ByEachOfItsThreeWays) {
    for (const auto& c : ending_cases) {
        SCOPED_TRACE(c.name);
        Session s(kestrane_exe());
        ASSERT_TRUE(s.started()) << narrow(s.start_failure());
        HWND dlg = s.dialog();
        c.act(s);
        EXPECT_TRUE(s.wait_exit(gui::wait_ms)) << c.name << " did not end the process";
        EXPECT_FALSE(IsWindow(dlg)) << "dialog still exists after " << c.name;
    }
}

// The driver against a dialog program of known behaviour; the no-trace check also
// runs it alone first, so that what Wine writes on any program's first start is
// not put down to Kestrane.
TEST(KestraneBaseline, DriverReadsAndClosesAMinimalDialog) {
    Session s(gui::windows_path(MINIMAL_DIALOG_EXE));
    ASSERT_TRUE(s.started()) << narrow(s.start_failure());
    EXPECT_EQ(s.text(1005), L"20.95");
    EXPECT_EQ(s.focus(), s.item(IDOK)) << "focus id " << GetDlgCtrlID(s.focus());
    PostMessageW(s.dialog(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(s.wait_exit(gui::wait_ms)) << "minimal dialog did not end on WM_CLOSE";
}

// One whole use of the program, from start to Exit Program.
TEST(KestraneSession, CalculatesRefusesShowsAboutAndExits) {
    Session s(kestrane_exe());
    ASSERT_TRUE(s.started()) << narrow(s.start_failure());
    ASSERT_TRUE(s.click(execute_button));
    EXPECT_EQ(read_results(s), (std::array<std::wstring, 4>{L"20.64", L"6.19", L"1.5", L"29.56"}));

    s.set_text(barometric, L"0");
    s.post_click(execute_button);
    HWND box = s.wait_other_dialog(gui::wait_ms);
    ASSERT_NE(box, nullptr) << "no message box for barometric pressure 0";
    EXPECT_EQ(gui::view_dialog(box).text, L"Error: Barometric Pressure Outside of Range");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(Session::wait_gone(box, gui::wait_ms));

    PostMessageW(s.dialog(), WM_SYSCOMMAND, 0x0010, 0);
    HWND about = s.wait_other_dialog(gui::wait_ms);
    ASSERT_NE(about, nullptr) << "no About dialog";
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Session::wait_gone(about, gui::wait_ms));

    s.select(temp_units, 1);
    s.select(pressure_units, 3);
    s.select(distance_units, 1);
    s.set_text(barometric, L"30.00");
    ASSERT_TRUE(s.click(execute_button));
    s.post_click(exit_button);
    EXPECT_TRUE(s.wait_exit(gui::wait_ms)) << "Exit Program did not end the process";
}

}  // namespace
