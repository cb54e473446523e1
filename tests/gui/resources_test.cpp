// The resources of Kestrane.exe read back from the file: the main form's template,
// the About template, the string table, the icon group and the version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "driver.h"
#include "version.h"

namespace {

constexpr WORD english_us = 0x0409;

// Resource type ids, as plain numbers (the RT_ macros are pointers).
constexpr WORD rt_icon = 3, rt_dialog = 5, rt_string = 6, rt_group_icon = 14, rt_version = 16;

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Reads little-endian fields one after another out of a resource's bytes.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    std::size_t offset() const { return pos_; }
    void align(std::size_t to) { pos_ = (pos_ + to - 1) / to * to; }

    template <typename T>
    T take() {
        T value{};
        if (pos_ + sizeof(T) > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    std::wstring text() {
        std::wstring out;
        for (wchar_t c = take<wchar_t>(); ok_ && c != 0; c = take<wchar_t>())
            out += c;
        return out;
    }

    // A name or ordinal field of a dialog template: 0xFFFF then the ordinal, or a string.
    struct NameOrOrdinal {
        std::optional<WORD> ordinal;
        std::wstring name;
    };
    NameOrOrdinal name_or_ordinal() {
        NameOrOrdinal out;
        if (pos_ + 2 <= size_ && data_[pos_] == 0xFF && data_[pos_ + 1] == 0xFF) {
            pos_ += 2;
            out.ordinal = take<WORD>();
        } else {
            out.name = text();
        }
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// The executable loaded as data: its resources can be read whatever its machine type.
class ResourceFile {
public:
    explicit ResourceFile(const std::wstring& path)
        : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceFile() {
        if (module_)
            FreeLibrary(module_);
    }
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    HMODULE module() const { return module_; }

    // The bytes of one resource in US English; empty when there is none.
    std::vector<std::uint8_t> bytes(WORD type, WORD id) const {
        HRSRC found = FindResourceExW(module_, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(id), english_us);
        if (!found)
            return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
        if (!data)
            return {};
        return {data, data + SizeofResource(module_, found)};
    }

    // Every resource of the given types, as type -> id -> languages.
    std::map<WORD, std::map<WORD, std::set<WORD>>> inventory(const std::vector<WORD>& types) const {
        std::map<WORD, std::map<WORD, std::set<WORD>>> out;
        for (WORD type : types) {
            Collect collect{&out[type], module_, type};
            EnumResourceNamesW(module_, MAKEINTRESOURCEW(type), collect_name, reinterpret_cast<LONG_PTR>(&collect));
        }
        return out;
    }

private:
    struct Collect {
        std::map<WORD, std::set<WORD>>* ids;
        HMODULE module;
        WORD type;
    };
    static BOOL CALLBACK collect_name(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR param) {
        auto* collect = reinterpret_cast<Collect*>(param);
        // A named (not numbered) resource shows as id 0: the tables have none.
        const WORD id = IS_INTRESOURCE(name) ? static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)) : 0;
        auto& languages = (*collect->ids)[id];
        EnumResourceLanguagesW(module, MAKEINTRESOURCEW(collect->type), name, collect_language,
                               reinterpret_cast<LONG_PTR>(&languages));
        return TRUE;
    }
    static BOOL CALLBACK collect_language(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
        reinterpret_cast<std::set<WORD>*>(param)->insert(language);
        return TRUE;
    }

    HMODULE module_;
};

// Style bits of the kinds of control on the main form.
constexpr DWORD child = WS_CHILD | WS_VISIBLE;
constexpr DWORD push_button = child | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD unit_list = child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD input_field = child | WS_TABSTOP | WS_BORDER | ES_CENTER | ES_AUTOHSCROLL;
constexpr DWORD result_field = input_field | ES_READONLY;
constexpr DWORD label = child | WS_GROUP | SS_LEFT;
constexpr DWORD frame = child | BS_GROUPBOX;

constexpr WORD button_class = 0x0080, edit_class = 0x0081, static_class = 0x0082, combo_class = 0x0085;
constexpr DWORD unaddressed = 0xFFFFFFFF;  // id -1

struct ControlRow {
    DWORD id;
    WORD class_ordinal;
    DWORD style;
    short x, y, cx, cy;
    const wchar_t* text;  // nullptr: a text of the program's own choosing
};

// The main form, control by control in template order.
const ControlRow main_form[] = {
    {IDOK, button_class, push_button, 129, 332, 50, 14, L"Exit Program"},
    {1054, combo_class, unit_list, 38, 54, 67, 87, L""},
    {1055, combo_class, unit_list, 118, 54, 67, 87, L""},
    {1056, combo_class, unit_list, 200, 54, 67, 87, L""},
    {1005, edit_class, input_field, 60, 93, 45, 14, L""},
    {1006, edit_class, input_field, 200, 93, 45, 14, L""},
    {1007, edit_class, input_field, 60, 134, 45, 14, L""},
    {1008, edit_class, input_field, 200, 134, 45, 14, L""},
    {1009, edit_class, input_field, 60, 167, 45, 14, L""},
    {1010, edit_class, input_field, 200, 167, 45, 14, L""},
    {3, button_class, push_button, 106, 211, 89, 14, L"Execute Calculation"},
    {unaddressed, static_class, label, 89, 11, 130, 8, nullptr},
    {unaddressed, static_class, label, 115, 22, 72, 8, nullptr},
    {unaddressed, button_class, frame, 7, 36, 306, 36, L"Units"},
    {unaddressed, button_class, frame, 7, 75, 306, 36, L"Target Setpoints"},
    {unaddressed, button_class, frame, 7, 114, 306, 79, L"Environment"},
    {unaddressed, button_class, frame, 7, 197, 306, 36, L"Calculation Activation"},
    {unaddressed, button_class, frame, 7, 236, 306, 85, L"Partial Pressure Calculation Results"},
    {unaddressed, static_class, label, 41, 44, 59, 8, L"Temperature Units"},
    {unaddressed, static_class, label, 127, 45, 46, 8, L"Pressure Units"},
    {unaddressed, static_class, label, 53, 83, 60, 8, L"Target Gas (% Vol)"},
    {unaddressed, static_class, label, 196, 83, 51, 8, L"Target Pressure"},
    {unaddressed, static_class, label, 52, 123, 64, 8, L"Barometric Pressure"},
    {unaddressed, static_class, label, 201, 123, 41, 8, L"Temperature"},
    {unaddressed, static_class, label, 70, 156, 24, 8, L"Altitude"},
    {unaddressed, static_class, label, 209, 45, 47, 8, L"Distance Units"},
    {unaddressed, static_class, label, 191, 156, 67, 8, L"Relative Humidity (%)"},
    {1011, edit_class, result_field, 60, 257, 45, 14, L""},
    {unaddressed, static_class, label, 48, 246, 72, 8, L"Calculated Gas (% Vol)"},
    {1012, edit_class, result_field, 200, 257, 45, 14, L""},
    {unaddressed, static_class, label, 182, 246, 78, 8, L"Calculated Gas Pressure"},
    {1013, edit_class, result_field, 60, 297, 45, 14, L""},
    {unaddressed, static_class, label, 54, 285, 60, 8, L"Vapor Pressure (%)"},
    {1014, edit_class, result_field, 200, 297, 45, 14, L""},
    {unaddressed, static_class, label, 190, 285, 66, 8, L"Corrected Barometer"},
    {unaddressed, button_class, frame, 7, 0, 306, 36, L""},
    {unaddressed, button_class, frame, 7, 323, 306, 31, L""},
};

// One control of an extended dialog template.
struct ControlItem {
    DWORD help_id = 0, ex_style = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    Reader::NameOrOrdinal window_class, text;
    WORD extra = 0;
};

// An extended dialog template, as the dialog manager reads it.
struct DialogTemplate {
    WORD version = 0, signature = 0;
    DWORD help_id = 0, ex_style = 0, style = 0;
    WORD count = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    Reader::NameOrOrdinal menu, window_class;
    std::wstring caption;
    WORD point_size = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring face;
    std::vector<ControlItem> items;
    bool complete = false;  // every byte the header and items promise was there
};

DialogTemplate parse_dialog(const std::vector<std::uint8_t>& bytes) {
    DialogTemplate t;
    Reader r(bytes.data(), bytes.size());
    t.version = r.take<WORD>();
    t.signature = r.take<WORD>();
    if (t.version != 1 || t.signature != 0xFFFF)
        return t;
    t.help_id = r.take<DWORD>();
    t.ex_style = r.take<DWORD>();
    t.style = r.take<DWORD>();
    t.count = r.take<WORD>();
    t.x = r.take<short>();
    t.y = r.take<short>();
    t.cx = r.take<short>();
    t.cy = r.take<short>();
    t.menu = r.name_or_ordinal();
    t.window_class = r.name_or_ordinal();
    t.caption = r.text();
    if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
        t.point_size = r.take<WORD>();
        t.weight = r.take<WORD>();
        t.italic = r.take<BYTE>();
        t.charset = r.take<BYTE>();
        t.face = r.text();
    }
    for (WORD i = 0; i < t.count && r.ok(); ++i) {
        r.align(4);
        ControlItem item;
        item.help_id = r.take<DWORD>();
        item.ex_style = r.take<DWORD>();
        item.style = r.take<DWORD>();
        item.x = r.take<short>();
        item.y = r.take<short>();
        item.cx = r.take<short>();
        item.cy = r.take<short>();
        item.id = r.take<DWORD>();
        item.window_class = r.name_or_ordinal();
        item.text = r.name_or_ordinal();
        item.extra = r.take<WORD>();
        r.align(2);
        for (WORD b = 0; b < item.extra; ++b)
            r.take<BYTE>();
        if (r.ok())
            t.items.push_back(item);
    }
    t.complete = r.ok() && t.items.size() == t.count;
    return t;
}

// The i686 build is the one KESTRANE_I686_EXE names (a path of the Linux file
// system); empty when it names none.
std::wstring executable(bool i686) {
    if (!i686)
        return gui::windows_path(KESTRANE_EXE);
    const char* other = std::getenv("KESTRANE_I686_EXE");
    return other && *other ? gui::windows_path(other) : std::wstring();
}

// Both builds carry the same resources; the i686 one is always checked, so the
// test must be told where it is (make test does): a test that passes without
// looking would hide a build that was never made.
class Resources : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        path_ = executable(GetParam());
        if (path_.empty())
            FAIL() << "KESTRANE_I686_EXE names no i686 build: set it to build/mingw-i686/app/Kestrane.exe "
                      "(make windows-i686 builds it)";
        ASSERT_NE(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES) << "no file at " << narrow(path_);
        file_ = std::make_unique<ResourceFile>(path_);
        ASSERT_NE(file_->module(), nullptr)
            << "LoadLibraryEx failed for " << narrow(path_) << ", error " << GetLastError();
    }
    const ResourceFile& file() const { return *file_; }
    std::wstring path_;
    std::unique_ptr<ResourceFile> file_;
};

TEST_P(Resources, HoldsExactlyTheListedResourcesInUsEnglish) {
    using Ids = std::map<WORD, std::set<WORD>>;
    const std::set<WORD> english = {english_us};
    // String 101 lives in block 101 / 16 + 1 = 7.
    const std::map<WORD, Ids> expected = {
        {rt_icon, {{1, english}, {2, english}}},
        {rt_dialog, {{100, english}, {102, english}}},
        {rt_string, {{7, english}}},
        {rt_group_icon, {{128, english}}},
        {rt_version, {{1, english}}},
    };
    const auto found = file().inventory({rt_icon, rt_dialog, rt_string, rt_group_icon, rt_version});
    for (const auto& [type, ids] : expected) {
        const auto it = found.find(type);
        ASSERT_NE(it, found.end()) << "type " << type;
        EXPECT_EQ(it->second, ids) << "ids and languages of resource type " << type << ", saw " << it->second.size()
                                   << " ids";
    }
}

TEST_P(Resources, MainFormTemplateMatchesTheTable) {
    const auto bytes = file().bytes(rt_dialog, 102);
    ASSERT_FALSE(bytes.empty()) << "no dialog 102 in US English";
    const DialogTemplate t = parse_dialog(bytes);
    ASSERT_EQ(t.version, 1) << "not an extended template";
    ASSERT_EQ(t.signature, 0xFFFF) << "not an extended template";
    ASSERT_TRUE(t.complete) << "template ends early: " << t.items.size() << " of " << t.count << " controls";

    const DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(t.style, style) << std::hex << "dialog style " << t.style;
    EXPECT_EQ(t.ex_style, static_cast<DWORD>(WS_EX_APPWINDOW)) << std::hex << "dialog extended style " << t.ex_style;
    EXPECT_EQ(t.help_id, 0u);
    EXPECT_EQ(t.count, 37) << "control count";
    EXPECT_EQ((std::vector<int>{t.x, t.y, t.cx, t.cy}), (std::vector<int>{0, 0, 320, 361})) << "position and size";
    EXPECT_FALSE(t.menu.ordinal) << "menu ordinal " << t.menu.ordinal.value_or(0);
    EXPECT_EQ(t.menu.name, L"") << "menu";
    EXPECT_FALSE(t.window_class.ordinal) << "window class ordinal " << t.window_class.ordinal.value_or(0);
    EXPECT_EQ(t.window_class.name, L"") << "own window class instead of the dialog manager's";
    EXPECT_FALSE(t.caption.empty()) << "no caption";
    EXPECT_EQ(t.point_size, 8);
    EXPECT_EQ(t.face, L"MS Sans Serif");
    EXPECT_EQ(t.weight, 0);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, 1);

    const std::size_t rows = std::size(main_form);
    for (std::size_t i = 0; i < rows && i < t.items.size(); ++i) {
        const ControlRow& want = main_form[i];
        const ControlItem& got = t.items[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " id " + std::to_string(static_cast<int>(want.id)));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.window_class.ordinal.value_or(0), want.class_ordinal)
            << "class " << narrow(got.window_class.name);
        EXPECT_EQ(got.style, want.style) << std::hex << "style " << got.style << ", expected " << want.style;
        EXPECT_EQ(got.ex_style, 0u) << std::hex << "extended style " << got.ex_style;
        EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}),
                  (std::vector<int>{want.x, want.y, want.cx, want.cy}));
        EXPECT_FALSE(got.text.ordinal) << "text is an ordinal " << got.text.ordinal.value_or(0);
        if (want.text) {
            EXPECT_EQ(got.text.name, want.text);
        } else {
            EXPECT_FALSE(got.text.name.empty()) << "empty title or credit line";
        }
        EXPECT_EQ(got.extra, 0) << "creation data";
    }
    // The heading and the caption are two different titles of the application.
    if (t.items.size() > 11) {
        EXPECT_NE(t.items[11].text.name, t.caption) << "heading repeats the caption \"" << narrow(t.caption) << "\"";
    }
}

TEST_P(Resources, AboutTemplateIsADialogThatCloses) {
    const auto bytes = file().bytes(rt_dialog, 100);
    ASSERT_FALSE(bytes.empty()) << "no dialog 100 in US English";
    // Either template form will do for the About dialog; an extended one is read through.
    const DialogTemplate t = parse_dialog(bytes);
    if (t.signature != 0xFFFF) {
        GTEST_SKIP() << "About template is not extended; its presence is all that is checked";
    }
    ASSERT_TRUE(t.complete) << "template ends early: " << t.items.size() << " of " << t.count << " controls";
    bool closes = false;
    for (const auto& item : t.items) {
        closes |= item.window_class.ordinal == button_class && (item.id == IDOK || item.id == IDCANCEL);
    }
    EXPECT_TRUE(closes) << "no OK or Cancel button among " << t.items.size() << " controls";
    EXPECT_FALSE(t.style & WS_CHILD) << std::hex << "About style " << t.style;
}

TEST_P(Resources, AboutMenuString) {
    const auto block = file().bytes(rt_string, 101 / 16 + 1);
    ASSERT_FALSE(block.empty()) << "no string block 7 in US English";
    Reader r(block.data(), block.size());
    std::vector<std::wstring> strings;
    for (int i = 0; i < 16 && r.ok(); ++i) {
        const auto length = r.take<WORD>();
        std::wstring s;
        for (WORD c = 0; c < length; ++c)
            s += r.take<wchar_t>();
        strings.push_back(s);
    }
    ASSERT_TRUE(r.ok()) << "string block of " << block.size() << " bytes ends early";
    for (int i = 0; i < 16; ++i) {
        const wchar_t* want = i == 101 % 16 ? L"&About Kestrane..." : L"";
        EXPECT_EQ(strings[static_cast<std::size_t>(i)], want) << "string " << (96 + i);
    }
}

TEST_P(Resources, IconGroupHoldsTwoSixteenColourImages) {
    const auto group = file().bytes(rt_group_icon, 128);
    ASSERT_FALSE(group.empty()) << "no icon group 128 in US English";
    Reader r(group.data(), group.size());
    EXPECT_EQ(r.take<WORD>(), 0) << "reserved";
    EXPECT_EQ(r.take<WORD>(), 1) << "type (1 = icon)";
    const WORD count = r.take<WORD>();
    ASSERT_EQ(count, 2) << "images in the group";
    struct Entry {
        int size, colours, planes, bits, id;
    };
    const Entry want[] = {{32, 16, 1, 4, 1}, {16, 16, 1, 4, 2}};
    for (const Entry& w : want) {
        SCOPED_TRACE("icon " + std::to_string(w.id));
        const BYTE width = r.take<BYTE>(), height = r.take<BYTE>(), colours = r.take<BYTE>();
        r.take<BYTE>();
        const WORD planes = r.take<WORD>(), bits = r.take<WORD>();
        const DWORD bytes_in_res = r.take<DWORD>();
        const WORD id = r.take<WORD>();
        ASSERT_TRUE(r.ok()) << "group entry ends early";
        EXPECT_EQ((std::vector<int>{width, height, colours, planes, bits, id}),
                  (std::vector<int>{w.size, w.size, w.colours, w.planes, w.bits, w.id}))
            << "width, height, colours, planes, bits, id";

        const auto image = file().bytes(rt_icon, id);
        ASSERT_EQ(image.size(), bytes_in_res) << "size of icon " << id;
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header{};
        std::memcpy(&header, image.data(), sizeof header);
        // The image's height counts the colour bitmap and the mask.
        EXPECT_EQ((std::vector<long>{header.biWidth, header.biHeight, header.biPlanes, header.biBitCount}),
                  (std::vector<long>{w.size, 2 * w.size, 1, 4}))
            << "width, height, planes, bits of the image";
    }
}

// One node of a version block: key, value and children.
struct VersionNode {
    std::wstring key;
    WORD type = 0;
    std::vector<std::uint8_t> value;
    std::vector<VersionNode> children;
};

bool parse_version_node(const std::uint8_t* data, std::size_t size, VersionNode& node, std::size_t& length) {
    Reader r(data, size);
    length = r.take<WORD>();
    const WORD value_length = r.take<WORD>();
    node.type = r.take<WORD>();
    if (!r.ok() || length > size || length < 6)
        return false;
    node.key = r.text();
    r.align(4);
    // Text values count characters, binary ones bytes.
    const std::size_t value_bytes = node.type == 1 ? value_length * 2u : value_length;
    if (r.offset() + value_bytes > length)
        return false;
    node.value.assign(data + r.offset(), data + r.offset() + value_bytes);
    std::size_t pos = (r.offset() + value_bytes + 3) / 4 * 4;
    while (pos < length) {
        VersionNode child_node;
        std::size_t child_length = 0;
        if (!parse_version_node(data + pos, length - pos, child_node, child_length))
            return false;
        node.children.push_back(child_node);
        pos = (pos + child_length + 3) / 4 * 4;
    }
    return r.ok();
}

std::wstring node_text(const VersionNode& node) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < node.value.size(); i += 2) {
        const auto c = static_cast<wchar_t>(node.value[i] | (node.value[i + 1] << 8));
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

TEST_P(Resources, VersionBlockMatchesTheTable) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information, error " << GetLastError();
    std::vector<std::uint8_t> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
    ASSERT_EQ(fixed_size, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    // The build's four numbers, two to a DWORD, and as the texts write them.
    const std::vector<DWORD> version = {KESTRANE_VERSION_NUMBERS};
    ASSERT_EQ(version.size(), 4u);
    const DWORD high = version[0] << 16 | version[1];
    const DWORD low = version[2] << 16 | version[3];
    const std::wstring version_text = std::to_wstring(version[0]) + L", " + std::to_wstring(version[1]) + L", " +
                                      std::to_wstring(version[2]) + L", " + std::to_wstring(version[3]);
    EXPECT_EQ((std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS}),
              (std::vector<DWORD>{high, low, high, low}))
        << "file and product version (" << KESTRANE_VERSION_TEXT << ")";
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS, 0u);
    EXPECT_EQ(fixed->dwFileDateLS, 0u);

    WORD* translation = nullptr;
    UINT translation_size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &translation_size));
    ASSERT_EQ(translation_size, 4u) << "one translation entry";
    EXPECT_EQ(translation[0], 0x0409) << "translation language";
    EXPECT_EQ(translation[1], 1200) << "translation code page";

    // The string table read node by node, so that an entry too many shows as well as one missing.
    const auto bytes = file().bytes(rt_version, 1);
    ASSERT_FALSE(bytes.empty()) << "no version resource 1 in US English";
    VersionNode root;
    std::size_t root_length = 0;
    ASSERT_TRUE(parse_version_node(bytes.data(), bytes.size(), root, root_length)) << "malformed version block";
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");
    const VersionNode* table = nullptr;
    int string_file_infos = 0, tables = 0;
    for (const auto& node : root.children) {
        if (node.key != L"StringFileInfo")
            continue;
        ++string_file_infos;
        for (const auto& t : node.children) {
            ++tables;
            if (t.key == L"040904B0" || t.key == L"040904b0")
                table = &t;
        }
    }
    EXPECT_EQ(string_file_infos, 1);
    EXPECT_EQ(tables, 1) << "string tables in the version block";
    ASSERT_NE(table, nullptr) << "no string table 040904B0";
    std::map<std::wstring, std::wstring> entries;
    for (const auto& e : table->children)
        entries[e.key] = node_text(e);
    EXPECT_EQ(entries.size(), table->children.size()) << "an entry appears twice";
    const wchar_t* const any = nullptr;  // LegalCopyright: the program's own text
    const std::map<std::wstring, const wchar_t*> want = {
        {L"CompanyName", L""},
        {L"FileDescription", L"Kestrane MFC Application"},
        {L"FileVersion", version_text.c_str()},
        {L"InternalName", L"Kestrane"},
        {L"LegalCopyright", any},
        {L"LegalTrademarks", L""},
        {L"OriginalFilename", L"Kestrane.EXE"},
        {L"ProductName", L"Kestrane Application"},
        {L"ProductVersion", version_text.c_str()},
    };
    for (const auto& [key, value] : entries) {
        EXPECT_TRUE(want.count(key)) << "unexpected entry " << narrow(key) << " = \"" << narrow(value) << "\"";
    }
    for (const auto& [key, value] : want) {
        const auto it = entries.find(key);
        if (it == entries.end()) {
            ADD_FAILURE() << "no entry " << narrow(key);
        } else if (value) {
            EXPECT_EQ(it->second, value) << "value of " << narrow(key);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Builds,
                         Resources,
                         testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& build) { return build.param ? "i686" : "x86_64"; });

}  // namespace
