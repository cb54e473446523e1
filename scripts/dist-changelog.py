#!/usr/bin/env python3
"""Writes CHANGELOG.md as a Debian changelog, the form Debian tools read in a
package's changelog.gz: one entry per release, newest first, each headed
"kestrane-cli (VERSION) unstable; urgency=medium", its text as items under
their headings, and a closing line with the maintainer and the release's date.
The text is CHANGELOG.md's own, without its Markdown marks, in lines of at
most 80 characters.

    dist-changelog.py CHANGELOG.md MAINTAINER > changelog
"""
import datetime
import re
import sys
import textwrap

PACKAGE = "kestrane-cli"
RELEASE = re.compile(r"^## (\S+) — (\d{4}-\d{2}-\d{2})$")


def plain(text):
    """Markdown's emphasis, code and escape marks taken out."""
    return re.sub(r"\*\*|`", "", text)


def paragraphs(lines):
    """The release's text as (heading, indent, text) items: a bullet or
    paragraph with its continuation lines joined; indent 0 for a top-level
    item, 1 for a nested one."""
    items, heading = [], None
    for line in lines:
        if line.startswith("### "):
            heading = line[4:].strip()
        elif not line.strip():
            items.append(None)
        elif re.match(r"^ *- ", line):
            items.append([heading, 1 if line.startswith("  ") else 0, line.split("- ", 1)[1].strip()])
        elif items and items[-1] is not None:
            items[-1][2] += " " + line.strip()
        else:
            items.append([heading, 0, line.strip()])
    return [item for item in items if item is not None]


def entry(version, date, lines, maintainer):
    """One release as a Debian changelog entry."""
    out = [f"{PACKAGE} ({version}) unstable; urgency=medium", ""]
    last_heading = None
    for heading, indent, text in paragraphs(lines):
        if heading != last_heading:
            out.append(f"  * {heading}:")
            last_heading = heading
        nested = heading is not None
        first = "    " * (indent + nested) + ("  * " if not nested else "- ")
        rest = " " * len(first)
        out += textwrap.wrap(plain(text), 80, initial_indent=first, subsequent_indent=rest,
                             break_on_hyphens=False, break_long_words=False)
    day = datetime.datetime.strptime(date, "%Y-%m-%d").replace(tzinfo=datetime.timezone.utc)
    out += ["", f" -- {maintainer}  {day.strftime('%a, %d %b %Y %H:%M:%S +0000')}", ""]
    return out


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: dist-changelog.py CHANGELOG.md MAINTAINER")
    with open(argv[1], encoding="utf-8") as f:
        lines = f.read().splitlines()
    releases = [(i, RELEASE.match(line)) for i, line in enumerate(lines) if RELEASE.match(line)]
    if not releases:
        sys.exit(f"dist-changelog.py: no release headings (## VERSION — YYYY-MM-DD) in {argv[1]}")
    out = []
    for n, (start, match) in enumerate(releases):
        end = releases[n + 1][0] if n + 1 < len(releases) else len(lines)
        out += entry(match.group(1), match.group(2), lines[start + 1:end], argv[2])
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main(sys.argv)
