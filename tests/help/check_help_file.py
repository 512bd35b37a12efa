#!/usr/bin/env python3
"""Reads the compiled help file back with chmls and compares it with the
help pages it was built from.

    check_help_file.py CHM SOURCE_DIR

The viewer reads a German help file's titles, contents and index in code
page 1252, so everything read back is decoded in it; a page compiled in
UTF-8 would come back garbled ("MenÃ¼s") and fail here. The index is also
checked the way a user meets it: sorted, every entry leading to a page and
an anchor that exist, and no page left out.
"""

import html.parser
import os
import re
import subprocess
import sys
import tempfile

CODE_PAGE = "cp1252"


def chmls(*args):
    return subprocess.run(["chmls", "--no-page", *args], check=True,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout


def compiled_file(chm, name):
    """One file of the help file, as bytes."""
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, os.path.basename(name))
        chmls("extract", chm, name, out)
        with open(out, "rb") as stream:
            return stream.read()


def compiled_titles(chm):
    """Page name -> title, from the #TOPICS file that search results and
    favourites show."""
    titles = {}
    title = None
    for line in chmls("printtopics", chm).decode(CODE_PAGE, errors="replace").splitlines():
        field, _, value = line.strip().partition(":")
        value = re.sub(r"\(\d+\)$", "", value)
        if field.strip() == "Tag name":
            title = value
        elif field.strip() == "Tag value" and title not in (None, "-1"):
            titles[value] = title
    return titles


def compiled_window_title(chm):
    for line in chmls("printsystem", chm).decode(CODE_PAGE, errors="replace").splitlines():
        if "Title from [options]" in line:
            return line.split(":", 1)[1].strip(" \x00")
    return None


class SitemapReader(html.parser.HTMLParser):
    """The entries of a contents or index sitemap: (depth, name, locals)."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.entries = []
        self.depth = 0
        self.current = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "ul":
            self.depth += 1
        elif tag == "object" and attrs.get("type") == "text/sitemap":
            self.current = (self.depth, [], [])
        elif tag == "param" and self.current is not None:
            kind = attrs.get("name", "").lower()
            if kind == "name":
                self.current[1].append(attrs.get("value", ""))
            elif kind == "local":
                self.current[2].append(attrs.get("value", ""))

    def handle_endtag(self, tag):
        if tag == "ul":
            self.depth -= 1
        elif tag == "object" and self.current is not None:
            depth, names, locals_ = self.current
            self.entries.append((depth, names[0] if names else "", tuple(locals_)))
            self.current = None


def sitemap(text):
    reader = SitemapReader()
    reader.feed(text)
    return reader.entries


def read_source(source_dir, name):
    with open(os.path.join(source_dir, name), encoding="utf-8") as stream:
        return stream.read()


def project_options(source_dir, project):
    options, files, section = {}, [], None
    for line in read_source(source_dir, project).splitlines():
        line = line.strip()
        if line.startswith("["):
            section = line
        elif section == "[OPTIONS]" and "=" in line:
            key, value = line.split("=", 1)
            options[key.strip().lower()] = value.strip()
        elif section == "[FILES]" and line:
            files.append(line)
    return options, files


def page_title(text):
    match = re.search(r"<title>(.*?)</title>", text, re.IGNORECASE | re.DOTALL)
    return html.unescape(match.group(1).strip()) if match else None


def page_anchors(text):
    return set(re.findall(r"""\b(?:id|name)\s*=\s*["']([^"']+)["']""", text))


def sort_key(name):
    """German dictionary order, as the index shows it: case, umlauts and
    hyphens do not count."""
    key = name.lower().replace("-", "")
    for umlaut, letter in (("ä", "a"), ("ö", "o"), ("ü", "u"), ("ß", "ss")):
        key = key.replace(umlaut, letter)
    return key


def check(chm, source_dir):
    faults = []
    projects = [name for name in os.listdir(source_dir) if name.endswith(".hhp")]
    options, files = project_options(source_dir, projects[0])
    pages = {name: read_source(source_dir, name) for name in files if name.endswith(".html")}

    # Titles as the viewer shows them in search results, favourites and its caption.
    titles = compiled_titles(chm)
    for name, text in sorted(pages.items()):
        if titles.get(name) != page_title(text):
            faults.append(f"{name}: title {titles.get(name)!r} in the help file, "
                          f"{page_title(text)!r} in the page")
    if compiled_window_title(chm) != options.get("title"):
        faults.append(f"window title {compiled_window_title(chm)!r}, project says {options.get('title')!r}")

    # Contents and index read back entry by entry.
    compiled_names = set(chmls("-n", "list", chm).decode(CODE_PAGE, errors="replace").split())
    for option in ("contents file", "index file"):
        name = options.get(option)
        if not name:
            faults.append(f"the project names no {option}")
            continue
        source = sitemap(read_source(source_dir, name))
        compiled = sitemap(compiled_file(chm, "/" + name).decode(CODE_PAGE, errors="replace"))
        if source != compiled:
            differing = [pair for pair in zip(source, compiled) if pair[0] != pair[1]]
            faults.append(f"{name}: {len(source)} entries in the source, {len(compiled)} in the help "
                          f"file; first differing: {differing[:1]}")
        for depth, entry, locals_ in source:
            if not locals_:
                faults.append(f"{name}: {entry!r} leads nowhere")
            for local in locals_:
                page, _, anchor = local.partition("#")
                if "/" + page not in compiled_names:
                    faults.append(f"{name}: {entry!r} leads to {page}, which the help file lacks")
                elif anchor and anchor not in page_anchors(pages.get(page, "")):
                    faults.append(f"{name}: {entry!r} leads to {local}, an anchor the page lacks")

    index = sitemap(read_source(source_dir, options.get("index file", "")))
    keywords = [entry for depth, entry, _ in index if depth == 1]
    for before, after in zip(keywords, keywords[1:]):
        if sort_key(before) > sort_key(after):
            faults.append(f"index: {after!r} stands after {before!r}")
    indexed = {local.partition("#")[0] for _, _, locals_ in index for local in locals_}
    for name in sorted(set(pages) - indexed):
        faults.append(f"index: no entry leads to {name}")
    return faults


def main(argv):
    if len(argv) != 3:
        print("usage: check_help_file.py CHM SOURCE_DIR", file=sys.stderr)
        return 2
    faults = check(argv[1], argv[2])
    for fault in faults:
        print(fault)
    print(f"help file: {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
