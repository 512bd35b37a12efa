#!/usr/bin/env python3
"""Packs the release archive ambertille-VERSION.zip.

    make_archive.py WINDRES EXE CHM LIESMICH OUTDIR EPOCH

VERSION is the fixed file version of EXE's version resource, the number its
About box shows, read back with the resource compiler. LIESMICH is UTF-8
text with @VERSION@ in it; the archive holds it as LIESMICH.txt with a
UTF-8 byte order mark and CRLF line ends, which every Notepad reads with its
umlauts, whatever the system's code page. Every entry is dated EPOCH (the
commit's time), in name order, with the attributes of a plain file made on
Windows, so the same inputs always give the same bytes. Prints the path of
the archive.
"""

import os
import re
import subprocess
import sys
import time
import zipfile

ZIP_EARLIEST = (1980, 1, 1, 0, 0, 0)
FILE_ATTRIBUTE_ARCHIVE = 0x20
MS_DOS = 0


class PackageError(Exception):
    pass


def file_version(windres, exe):
    script = subprocess.run([windres, "-i", exe, "-O", "rc"], check=True,
                            stdout=subprocess.PIPE).stdout.decode("utf-8", errors="replace")
    match = re.search(r"^\s*FILEVERSION\s+(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)", script, re.MULTILINE)
    if not match:
        raise PackageError(f"{exe} has no version resource")
    return ".".join(match.groups())


def readme_bytes(path, version):
    with open(path, encoding="utf-8") as stream:
        text = stream.read().replace("@VERSION@", version)
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def entry(name, epoch):
    stamp = max(time.gmtime(epoch)[:6], ZIP_EARLIEST)
    info = zipfile.ZipInfo(name, date_time=stamp)
    info.create_system = MS_DOS
    info.external_attr = FILE_ATTRIBUTE_ARCHIVE
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(argv):
    if len(argv) != 7:
        print("usage: make_archive.py WINDRES EXE CHM LIESMICH OUTDIR EPOCH", file=sys.stderr)
        return 2
    windres, exe, chm, liesmich, outdir, epoch = argv[1:]
    try:
        version = file_version(windres, exe)
        contents = {"LIESMICH.txt": readme_bytes(liesmich, version)}
        for path in (exe, chm):
            with open(path, "rb") as stream:
                contents[os.path.basename(path)] = stream.read()
    except (OSError, subprocess.CalledProcessError, PackageError) as error:
        print(f"make_archive: {error}", file=sys.stderr)
        return 1
    archive = os.path.join(outdir, f"ambertille-{version}.zip")
    with zipfile.ZipFile(archive, "w") as zip_file:
        for name in sorted(contents):
            zip_file.writestr(entry(name, int(epoch)), contents[name], compresslevel=9)
    print(archive)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
