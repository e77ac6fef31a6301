#!/usr/bin/env python3
"""Writes the release's zip from the staged files, the same bytes wherever
and whenever it runs: the entries in the order given, each with the release's
time (as UTC: a zip's times have no zone), one file mode, no owner, no extra
fields. The staged files get that time too, as the installer stores each
file's time.

    zip_release.py EPOCH STAGE ZIP NAME...
"""

import os
import sys
import time
import zipfile


def main():
    if len(sys.argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    epoch, stage, target, names = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
    # A zip cannot hold a time before 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(target, "w") as archive:
        for name in names:
            path = os.path.join(stage, name)
            os.utime(path, (epoch, epoch))
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.create_system = 3
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main())
