#!/usr/bin/env python3
"""Compiles the German help pages into one .chm file with chmcmd.

    compile_help.py CHMCMD SOURCE_DIR WORK_DIR OUTPUT

The pages are kept in UTF-8, but the HTML Help viewer reads a German help
file's topic titles, its table of contents and its index in code page 1252
(the file's language decides it). chmcmd copies the bytes of each <title>
and of the sitemaps as they stand, so the pages are converted to that code
page in a copy before they are compiled. In a page's body a character the
code page lacks becomes a character reference; in a title, a sitemap or the
project, where no reference would be read as one, it stops the build with
its place named.

chmcmd writes the time of day of the build into two fields of the file. Both
are set to zero afterwards, so the same pages always give the same bytes.
chmcmd also reports a missing anchor or file as "Error:" and still exits
with 0; such a report fails the build here.
"""

import os
import shutil
import struct
import subprocess
import sys

CODE_PAGE = "cp1252"
TEXT_SUFFIXES = (".html", ".htm", ".hhc", ".hhk", ".hhp", ".css")
UTF8_DECLARATION = "charset=utf-8"
CP1252_DECLARATION = "charset=windows-1252"

# The file header's time stamp, and the #SYSTEM record that repeats it:
# record code 10, four bytes long, right after the file's version number.
HEADER_TIME_OFFSET = 0x10
HEADER_CONTENT_OFFSET = 0x58
SYSTEM_TIME_RECORD = struct.pack("<IHH", 3, 10, 4)


class HelpBuildError(Exception):
    pass


def to_code_page(text, name):
    """The text in code page 1252, or an error naming the first character
    that has no place in it."""
    try:
        return text.encode(CODE_PAGE)
    except UnicodeEncodeError as error:
        line = text.count("\n", 0, error.start) + 1
        char = text[error.start]
        raise HelpBuildError(
            f"{name}:{line}: '{char}' (U+{ord(char):04X}) is not in code page 1252, "
            "which the help viewer reads titles, contents and index in")


def page_to_code_page(text, name):
    title_end = text.lower().find("</title>")
    to_code_page(text[:max(title_end, 0)], name)
    return text.encode(CODE_PAGE, errors="xmlcharrefreplace")


def copy_pages(source_dir, work_dir):
    if os.path.isdir(work_dir):
        shutil.rmtree(work_dir)
    os.makedirs(work_dir)
    for name in sorted(os.listdir(source_dir)):
        source = os.path.join(source_dir, name)
        target = os.path.join(work_dir, name)
        if not os.path.isfile(source):
            continue
        if not name.lower().endswith(TEXT_SUFFIXES):
            shutil.copyfile(source, target)
            continue
        with open(source, encoding="utf-8") as stream:
            text = stream.read()
        if name.lower().endswith((".html", ".htm")):
            converted = page_to_code_page(declare_code_page(text, name), name)
        else:
            converted = to_code_page(text, name)
        with open(target, "wb") as stream:
            stream.write(converted)


def declare_code_page(text, name):
    lowered = text.lower()
    start = lowered.find(UTF8_DECLARATION)
    if start < 0:
        raise HelpBuildError(f"{name}: the page does not declare '{UTF8_DECLARATION}'")
    return text[:start] + CP1252_DECLARATION + text[start + len(UTF8_DECLARATION):]


def run_chmcmd(chmcmd, work_dir, project):
    result = subprocess.run([chmcmd, "--verbosity", "0", project], cwd=work_dir,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    report = result.stdout.decode(CODE_PAGE, errors="replace")
    errors = [line for line in report.splitlines() if line.startswith("Error")]
    if result.returncode != 0 or errors:
        raise HelpBuildError("chmcmd failed:\n" + report)


def system_file_offset(chm_path):
    """Where the #SYSTEM file lies within the uncompressed section, as the
    archive's directory says (read with chmls, from the same package)."""
    listing = subprocess.run(["chmls", "--no-page", "list", chm_path], check=True,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    for line in listing.decode(CODE_PAGE, errors="replace").splitlines():
        fields = line.split()
        if len(fields) == 4 and fields[3] == "/#SYSTEM" and fields[0] == "0":
            return int(fields[1])
    raise HelpBuildError("the compiled help file has no #SYSTEM in its uncompressed section")


def clear_build_time(chm_path):
    system_offset = system_file_offset(chm_path)
    with open(chm_path, "r+b") as stream:
        data = stream.read()
        if data[:4] != b"ITSF":
            raise HelpBuildError(f"{chm_path} is not a compiled help file")
        content_offset, = struct.unpack_from("<Q", data, HEADER_CONTENT_OFFSET)
        record = content_offset + system_offset
        if data[record:record + len(SYSTEM_TIME_RECORD)] != SYSTEM_TIME_RECORD:
            raise HelpBuildError("the #SYSTEM file does not start with its time record")
        stream.seek(HEADER_TIME_OFFSET)
        stream.write(bytes(4))
        stream.seek(record + len(SYSTEM_TIME_RECORD))
        stream.write(bytes(4))


def main(argv):
    if len(argv) != 5:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    chmcmd, source_dir, work_dir, output = argv[1:]
    projects = [name for name in os.listdir(source_dir) if name.endswith(".hhp")]
    try:
        if len(projects) != 1:
            raise HelpBuildError(f"{source_dir} must hold exactly one .hhp project")
        copy_pages(source_dir, work_dir)
        run_chmcmd(chmcmd, work_dir, projects[0])
        compiled = os.path.join(work_dir, os.path.splitext(projects[0])[0] + ".chm")
        clear_build_time(compiled)
        shutil.copyfile(compiled, output)
    except HelpBuildError as error:
        print(f"compile_help: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
