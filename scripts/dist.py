#!/usr/bin/python3
"""Packs what a Windows user downloads: Vexo.exe, the README and SHA256SUMS
(the SHA-256 of both, in sha256sum's format), into one zip that is the same
bytes for the same tree: fixed order, fixed times (SOURCE_DATE_EPOCH, the last
commit's date), fixed permissions.

Usage: dist.py OUT.zip EXE README
"""

import hashlib
import os
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01, the earliest time a zip entry can hold


def entry(name, epoch):
    info = zipfile.ZipInfo(name, time.gmtime(max(epoch, ZIP_EPOCH))[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 3  # Unix, so that the permissions below are read
    info.external_attr = 0o644 << 16
    return info


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    out, exe, readme = argv[1:]
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))
    files = [("Vexo.exe", open(exe, "rb").read()), ("README.md", open(readme, "rb").read())]
    sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))
    tmp = out + ".tmp"
    with zipfile.ZipFile(tmp, "w") as z:
        for name, data in files:
            z.writestr(entry(name, epoch), data, compresslevel=9)
    os.replace(tmp, out)
    print("dist: %s (%s)" % (out, ", ".join(name for name, _ in files)))
    print(sums, end="")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
