// The program's resources as compiled from its resource script, read back from
// this test program (which carries the same compiled resources): the icon
// group's images, the main form's header and font, the languages and the version block.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "version.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The bytes of resource name/type in English (US); empty when there is none in that language.
std::vector<unsigned char> ResourceBytes(LPCSTR type, LPCSTR name) {
    HMODULE exe = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceExA(exe, type, name, kEnglishUs);
    if (found == nullptr)
        return {};
    const auto* data = static_cast<const unsigned char*>(::LockResource(::LoadResource(exe, found)));
    return std::vector<unsigned char>(data, data + ::SizeofResource(exe, found));
}

template <class T>
T Read(const std::vector<unsigned char>& bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

struct ResourceCase {
    const char* name;
    LPCSTR type;
    UINT id;
};

TEST(ProgramResources, AllInEnglishUs) {
    const ResourceCase cases[] = {
        {"icon group 128", RT_GROUP_ICON, 128},
        {"icon 1", RT_ICON, 1},
        {"icon 2", RT_ICON, 2},
        {"About dialog 100", RT_DIALOG, 100},
        {"main form 102", RT_DIALOG, 102},
        {"string block of 101", RT_STRING, 101 / 16 + 1},
        {"version 1", RT_VERSION, 1},
        {"manifest 1", RT_MANIFEST, 1},
    };
    for (const ResourceCase& c : cases) {
        EXPECT_FALSE(ResourceBytes(c.type, MAKEINTRESOURCEA(c.id)).empty()) << c.name << " in language 0x0409";
    }
}

struct IconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitsPerPixel;
    DWORD bytes;
    WORD id;
};

TEST(ProgramResources, IconGroupHasTwoSixteenColourImages) {
    const std::vector<unsigned char> group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(128));
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(Read<WORD>(group, 2), 1) << "resource type: icon";
    ASSERT_EQ(Read<WORD>(group, 4), 2) << "image count";
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    const IconEntry expected[] = {{32, 32, 16, 0, 1, 4, 0, 1}, {16, 16, 16, 0, 1, 4, 0, 2}};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t at = 6 + 14 * i;
        const IconEntry& e = expected[i];
        EXPECT_EQ(group[at], e.width) << "image " << i;
        EXPECT_EQ(group[at + 1], e.height) << "image " << i;
        EXPECT_EQ(group[at + 2], e.colours) << "image " << i;
        EXPECT_EQ(Read<WORD>(group, at + 4), e.planes) << "image " << i;
        EXPECT_EQ(Read<WORD>(group, at + 6), e.bitsPerPixel) << "image " << i;
        EXPECT_EQ(Read<WORD>(group, at + 12), e.id) << "image " << i;
        // The image itself: a DIB header of that size, 4 bits per pixel, one plane.
        const std::vector<unsigned char> image = ResourceBytes(RT_ICON, MAKEINTRESOURCEA(e.id));
        ASSERT_GE(image.size(), 40u) << "icon " << e.id;
        EXPECT_EQ(Read<DWORD>(image, 0), 40u) << "icon " << e.id;
        EXPECT_EQ(Read<LONG>(image, 4), e.width) << "icon " << e.id;
        EXPECT_EQ(Read<LONG>(image, 8), 2 * e.height) << "icon " << e.id << ": colour and mask rows";
        EXPECT_EQ(Read<WORD>(image, 12), 1) << "icon " << e.id;
        EXPECT_EQ(Read<WORD>(image, 14), 4) << "icon " << e.id;
        EXPECT_EQ(Read<DWORD>(group, at + 8), image.size()) << "icon " << e.id;
    }
}

TEST(ProgramResources, MainFormHeaderAndFont) {
    const std::vector<unsigned char> form = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEA(102));
    ASSERT_GE(form.size(), 26u);
    EXPECT_EQ(Read<WORD>(form, 0), 1) << "extended template version";
    EXPECT_EQ(Read<WORD>(form, 2), 0xFFFF) << "extended template signature";
    EXPECT_EQ(Read<DWORD>(form, 4), 0u) << "help id";
    EXPECT_EQ(Read<DWORD>(form, 8), 0x00040000u) << "extended style: WS_EX_APPWINDOW";
    EXPECT_EQ(Read<DWORD>(form, 12), 0x90C800C0u) << "style";
    EXPECT_EQ(Read<WORD>(form, 16), 37) << "controls";
    EXPECT_EQ(Read<SHORT>(form, 18), 0) << "x";
    EXPECT_EQ(Read<SHORT>(form, 20), 0) << "y";
    EXPECT_EQ(Read<SHORT>(form, 22), 320) << "width";
    EXPECT_EQ(Read<SHORT>(form, 24), 361) << "height";
    EXPECT_EQ(Read<WORD>(form, 26), 0) << "no menu";
    EXPECT_EQ(Read<WORD>(form, 28), 0) << "the dialog manager's own class";
    // The caption, then the font: point size, weight, italic, character set, face.
    std::size_t at = 30;
    std::wstring caption;
    for (wchar_t c; (c = Read<wchar_t>(form, at)) != 0; at += 2)
        caption += c;
    at += 2;
    EXPECT_FALSE(caption.empty()) << "caption";
    EXPECT_EQ(Read<WORD>(form, at), 8) << "point size";
    EXPECT_EQ(Read<WORD>(form, at + 2), 0) << "weight";
    EXPECT_EQ(form[at + 4], 0) << "italic";
    EXPECT_EQ(form[at + 5], 1) << "character set";
    std::wstring face;
    for (std::size_t i = at + 6; Read<wchar_t>(form, i) != 0; i += 2)
        face += Read<wchar_t>(form, i);
    EXPECT_TRUE(face == L"MS Sans Serif") << "font face";
}

// The string value of the version block's English (US) Unicode table.
std::string VersionString(const std::vector<char>& block, const char* key) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + key;
    if (!::VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "<missing>";
    return length == 0 || value == nullptr ? std::string() : std::string(value);
}

TEST(ProgramResources, VersionBlock) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const DWORD size = ::GetFileVersionInfoSizeA(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    // The build's four numbers, two to a DWORD, and as the texts write them.
    const std::array<DWORD, 4> version = {KESTRANE_VERSION_NUMBERS};
    const DWORD high = version[0] << 16 | version[1];
    const DWORD low = version[2] << 16 | version[3];
    const std::string version_text = std::to_string(version[0]) + ", " + std::to_string(version[1]) + ", " +
                                     std::to_string(version[2]) + ", " + std::to_string(version[3]);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 4u) << "VOS__WINDOWS32";
    EXPECT_EQ(fixed->dwFileType, 1u) << "VFT_APP";
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS, 0u);
    EXPECT_EQ(fixed->dwFileDateLS, 0u);

    struct StringCase {
        const char* key;
        std::string expected;
    };
    const StringCase strings[] = {
        {"CompanyName", ""},
        {"FileDescription", "Kestrane MFC Application"},
        {"FileVersion", version_text},
        {"InternalName", "Kestrane"},
        {"LegalCopyright", "Copyright (C) 2026 The Kestrane Developers"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "Kestrane.EXE"},
        {"ProductName", "Kestrane Application"},
        {"ProductVersion", version_text},
    };
    for (const StringCase& s : strings)
        EXPECT_EQ(VersionString(block, s.key), s.expected) << s.key;

    WORD* translation = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

}  // namespace
