#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files given: the entries in the
order given, each with the time of SOURCE_DATE_EPOCH (in UTC), mode 0644 and
no extra fields, compressed at the highest level.

    dist-zip.py OUTPUT.zip NAME=PATH...
"""
import os
import sys
import time
import zipfile


def main(argv):
    if len(argv) < 3 or any("=" not in arg for arg in argv[2:]):
        sys.exit("usage: dist-zip.py OUTPUT.zip NAME=PATH...")
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        sys.exit("dist-zip.py: SOURCE_DATE_EPOCH is not set")
    # A zip stores local times from 1980 on, in two-second steps.
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    with zipfile.ZipFile(argv[1], "w") as archive:
        for arg in argv[2:]:
            name, path = arg.split("=", 1)
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.create_system = 3  # Unix, so that the mode below is read
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    main(sys.argv)
