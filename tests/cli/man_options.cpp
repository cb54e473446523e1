// The OPTIONS of kestrane-cli's manual page, written from the command line as
// the program sets it up (visit_listed): the names, values, defaults, help and
// examples --help shows, in its groups, so that the page can neither tell of
// an option the program lacks nor miss one it has. The title line's source,
// "Kestrane 1.1.0", is written from the program's version the same way.
//
//   man_options PAGE           0 when the list between PAGE's two marks and the
//                              title's version are the ones written here; 1,
//                              naming the first line that differs and how to
//                              write it anew, when they are not
//   man_options --update PAGE  writes the list and the version into PAGE
#include <CLI/CLI.hpp>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/command_line.h"

#ifndef KESTRANE_VERSION
#error "KESTRANE_VERSION is set by the build"
#endif

namespace {

constexpr std::string_view begin_mark =
    ".\\\" The options below are written from kestrane-cli's own tables by tests/cli/man_options.cpp; "
    "do not edit them here.\n";
constexpr std::string_view end_mark = ".\\\" The end of the options written from kestrane-cli's tables.\n";
// The title line's source names the program with its version.
constexpr std::string_view program_title = "Kestrane";

// Text as roff prints it: backslashes shown, and every minus sign a real one,
// so that an option copied from the page is typed right.
std::string roff(std::string_view text) {
    std::string out = text.starts_with('.') || text.starts_with('\'') ? "\\&" : "";
    for (const char c : text)
        out += c == '\\' ? "\\e" : c == '-' ? "\\-" : std::string(1, c);
    return out;
}

std::string font(char f, std::string_view text) {
    return "\\f" + std::string(1, f) + roff(text) + "\\fR";
}

// Text whose blanks neither break a line nor shrink: an example, a default ("   0").
std::string unbroken(std::string text) {
    for (std::size_t at = 0; (at = text.find(' ', at)) != std::string::npos; at += 2)
        text.replace(at, 1, "\\ ");
    return text;
}

// "\fB\-o\fR, \fB\-\-output\fR \fIFILE\fR": the names as the help shows them,
// a positional's in italics as the synopsis writes it.
std::string names_line(const CLI::Option* option, const CLI::App& command) {
    if (option == nullptr)
        return font('B', command.get_name());
    std::istringstream names(option->get_name(option->get_positional(), true));
    std::string line;
    for (std::string name; std::getline(names, name, ',');)
        line.append(line.empty() ? "" : ", ").append(font(option->get_positional() ? 'I' : 'B', name));
    const std::string value = option->get_type_name().substr(0, option->get_type_name().find(":{"));
    return value.empty() ? line : line + " " + font('I', value);
}

// What an option does, its default, what it needs and its example, one sentence a line.
std::string entry_text(const CLI::Option* option, const CLI::App& command) {
    const std::string help = option == nullptr ? command.get_description() : option->get_description();
    const std::size_t example = help.rfind(kestrane::cli::example_mark);
    std::string text = roff(help.substr(0, example));
    text += text.ends_with('.') ? "\n" : ".\n";
    if (option != nullptr && !option->get_default_str().empty()) {
        text += "Default: \\(lq" + unbroken(roff(option->get_default_str())) + "\\(rq.\n";
    }
    if (option != nullptr && option->get_required())
        text += "Required.\n";
    for (const CLI::Option* needed : option == nullptr ? std::set<CLI::Option*>{} : option->get_needs())
        text += "Only with " + font('B', needed->get_name()) + ".\n";
    if (example != std::string::npos)
        text += "Example: " + unbroken(font('B', help.substr(example + kestrane::cli::example_mark.size()))) + "\n";
    return text;
}

std::string options_section() {
    std::string text;
    std::string_view last_group;
    kestrane::cli::visit_listed([&](std::string_view group, const CLI::App& command, const CLI::Option* option) {
        if (group != last_group)
            text.append(".SS ").append(group).append("\n");
        last_group = group;
        text += ".TP\n" + names_line(option, command) + "\n" + entry_text(option, command);
    });
    return text;
}

// The page with the title's source ("Kestrane" and the version, the .TH
// line's fourth argument) and the options written anew; empty when the page
// lacks the title or the marks.
std::string written_page(const std::string& page) {
    const std::string source = "\"" + std::string(program_title) + " " + KESTRANE_VERSION + "\"";
    const std::size_t title = page.starts_with(".TH ") ? page.find("\"" + std::string(program_title)) : 0;
    const std::size_t title_end = page.find('"', title + 1);
    const std::size_t begin = page.find(begin_mark);
    const std::size_t end = page.find(end_mark);
    if (title == 0 || title > page.find('\n') || begin == std::string::npos || end == std::string::npos || end < begin)
        return {};
    const std::size_t from = begin + begin_mark.size();
    return page.substr(0, title) + source + page.substr(title_end + 1, from - title_end - 1) + options_section() +
           page.substr(end);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc == 3 ? argv[1] : "";
    if (argc != 2 && mode != "--update") {
        std::cerr << "usage: man_options [--update] PAGE\n";
        return 2;
    }
    const char* path = argv[argc - 1];
    std::ostringstream read;
    read << std::ifstream(path, std::ios::binary).rdbuf();
    const std::string page = read.str();
    const std::string written = written_page(page);
    if (written.empty()) {
        std::cerr << path << ": no title line .TH ... \"" << program_title << " VERSION\" ..., or no marks around the"
                  << " options (the lines " << begin_mark << "and " << end_mark << ")";
        return 2;
    }
    if (mode == "--update") {
        std::ofstream(path, std::ios::binary) << written;
        return 0;
    }
    if (page == written)
        return 0;
    std::size_t same = 0;
    while (same < page.size() && same < written.size() && page[same] == written[same])
        ++same;
    const auto line = std::count(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(same), '\n') + 1;
    std::cerr << path << ":" << line << ": the page differs from kestrane-cli's own options and version from here on:\n"
              << written.substr(written.rfind('\n', same) + 1, 400)
              << "\nWrite them anew with: cmake --build --preset native --target man_options_update\n";
    return 1;
}
