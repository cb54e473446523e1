// The main form's texts as the dialog manager builds them from template 102 of
// the program's resources (compiled from res/Kestrane.rc, as Kestrane.exe carries
// them), tied to the core's tables that every other front end reads them from.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/fields.h"
#include "core/form.h"
#include "core/results.h"
#include "core/units.h"
#include "res/resource.h"

namespace {

// Where a text sits on the form.
enum class Place { caption, label, group_title, button, other };

const char* Name(Place place) {
    constexpr const char* names[] = {"caption", "label", "group title", "button", "other control"};
    return names[static_cast<int>(place)];
}

struct FormText {
    Place place;
    std::string text;
};

// Every text the core's tables give the form, with the place it belongs in.
std::vector<FormText> TableTexts() {
    std::vector<FormText> texts = {{Place::caption, std::string(kestrane::form_caption)},
                                   {Place::label, std::string(kestrane::form_heading)},
                                   {Place::label, std::string(kestrane::form_credit)},
                                   {Place::button, std::string(kestrane::execute_button_text)},
                                   {Place::button, std::string(kestrane::exit_button_text)}};
    for (const auto& field : kestrane::field_table)
        texts.push_back({Place::label, std::string(field.label)});
    for (const auto& result : kestrane::result_table)
        texts.push_back({Place::label, std::string(result.label)});
    for (const auto& kind : kestrane::unit_kinds)
        texts.push_back({Place::label, std::string(kind.list_label)});
    for (std::string_view title : kestrane::form_group_titles)
        texts.push_back({Place::group_title, std::string(title)});
    return texts;
}

std::string TextOf(HWND hWnd) {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

Place PlaceOf(HWND control) {
    char name[32] = {};
    ::GetClassNameA(control, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0)
        return Place::label;
    if (lstrcmpiA(name, "Button") != 0)
        return Place::other;
    const LONG_PTR type = ::GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_GROUPBOX ? Place::group_title : Place::button;
}

// The caption and every text a control of the form starts with. The two frames
// with no title hold no text, so they are not among them.
std::vector<FormText> FormTexts(HWND form) {
    std::vector<FormText> texts = {{Place::caption, TextOf(form)}};
    for (HWND c = ::GetWindow(form, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
        std::string text = TextOf(c);
        if (!text.empty())
            texts.push_back({PlaceOf(c), std::move(text)});
    }
    return texts;
}

INT_PTR CALLBACK LeaveToTheDialogManager(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST(FormTexts, EveryTextOfTheTemplateIsTheCoresTableEntry) {
    HWND form = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CORRECTION_DIALOG), nullptr,
                                     &LeaveToTheDialogManager, 0);
    ASSERT_NE(form, nullptr) << "template " << IDD_CORRECTION_DIALOG << ", error " << ::GetLastError();
    const std::vector<FormText> onForm = FormTexts(form);
    ::DestroyWindow(form);

    const std::vector<FormText> inTables = TableTexts();
    for (const FormText& want : inTables) {
        int found = 0;
        for (const FormText& seen : onForm)
            found += seen.place == want.place && seen.text == want.text ? 1 : 0;
        EXPECT_EQ(found, 1) << Name(want.place) << " \"" << want.text << "\"";
    }
    for (const FormText& seen : onForm) {
        bool explained = false;
        for (const FormText& want : inTables)
            explained = explained || (seen.place == want.place && seen.text == want.text);
        EXPECT_TRUE(explained) << Name(seen.place) << " \"" << seen.text << "\" is in no table of the core";
    }
}

}  // namespace
