#!/usr/bin/env python3
"""Reads the compiled help file back with chmls and compares it with the
help pages it was built from.

    check_help_file.py CHM SOURCE_DIR

The viewer reads a German help file's titles, contents and index in code
page 1252, so everything read back is decoded in it: a page compiled in
UTF-8 comes back garbled ("MenÃ¼s") and fails here. The index is checked
as a user meets it, too: sorted, every entry leading to a page and anchor
that exist, no page left out.
"""

import html.parser
import os
import re
import subprocess
import sys
import tempfile


def chmls(*args):
    """What chmls says, empty where it finds nothing (a file without window
    definitions, say)."""
    out = subprocess.run(["chmls", "--no-page", *args],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    return out.decode("cp1252", errors="replace")


def compiled_file(chm, name):
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "file")
        chmls("extract", chm, "/" + name, out)
        with open(out, "rb") as stream:
            return stream.read().decode("cp1252", errors="replace")


def compiled_titles(chm):
    """Page -> title from #TOPICS, which search results and favourites show,
    and the viewer's caption from #SYSTEM and #WINDOWS under "title" and
    "window"."""
    titles = {}
    for title, page in re.findall(r"Tag name\s*:(.*?)(?:\(\d+\))?\n\s*Tag value\s*:(.*?)\(\d+\)",
                                  chmls("printtopics", chm)):
        titles[page] = title
    system = re.search(r"Title from \[options\]\s*:(.*)", chmls("printsystem", chm))
    titles["title"] = system.group(1).strip(" \x00") if system else None
    window = re.search(r"Title Bar Text\s*:\s*(.*) \(index value", chmls("printwindows", chm))
    titles["window"] = window.group(1) if window else None
    return titles


class SitemapReader(html.parser.HTMLParser):
    """A contents or index sitemap as a list of (depth, name, locals)."""

    def __init__(self, text):
        super().__init__()
        self.entries, self.depth, self.current = [], 0, None
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "ul":
            self.depth += 1
        elif tag == "object" and attrs.get("type") == "text/sitemap":
            self.current = {"name": [], "local": []}
        elif tag == "param" and self.current is not None:
            self.current.get(attrs.get("name", "").lower(), []).append(attrs.get("value", ""))

    def handle_endtag(self, tag):
        if tag == "ul":
            self.depth -= 1
        elif tag == "object" and self.current is not None:
            names = self.current["name"] or [""]
            self.entries.append((self.depth, names[0], tuple(self.current["local"])))
            self.current = None


def sort_key(name):
    """German dictionary order: case, umlauts and hyphens do not count."""
    key = name.lower().replace("-", "")
    for umlaut, letter in (("ä", "a"), ("ö", "o"), ("ü", "u"), ("ß", "ss")):
        key = key.replace(umlaut, letter)
    return key


def check(chm, source_dir):
    def source(name):
        with open(os.path.join(source_dir, name), encoding="utf-8") as stream:
            return stream.read()

    project = source(next(name for name in os.listdir(source_dir) if name.endswith(".hhp")))
    options = {key.strip().lower(): value.strip()
               for key, value in re.findall(r"^([^\[=\n]+)=(.*)$", project, re.MULTILINE)}
    files = project.split("[FILES]", 1)[1].split()
    pages = {name: source(name) for name in files if name.endswith(".html")}
    expected = {name: html.unescape(re.search(r"<title>(.*?)</title>", text, re.S).group(1))
                for name, text in pages.items()}
    expected["title"] = expected["window"] = options["title"]
    faults = []

    titles = compiled_titles(chm)
    for name in sorted(expected):
        if titles.get(name) != expected[name]:
            faults.append(f"{name}: title {titles.get(name)!r} in the help file, {expected[name]!r} in the source")

    present = set(chmls("-n", "list", chm).split())
    for sitemap in (options["contents file"], options["index file"]):
        entries = SitemapReader(source(sitemap)).entries
        compiled = SitemapReader(compiled_file(chm, sitemap)).entries
        for mine, theirs in zip(entries, compiled):
            if mine != theirs:
                faults.append(f"{sitemap}: {theirs} in the help file, {mine} in the source")
        if len(entries) != len(compiled):
            faults.append(f"{sitemap}: {len(compiled)} entries in the help file, {len(entries)} in the source")
        for _, entry, locals_ in entries:
            page, _, anchor = (locals_ or ("",))[0].partition("#")
            if "/" + page not in present:
                faults.append(f"{sitemap}: {entry!r} leads to {page!r}, which the help file lacks")
            elif anchor and not re.search(rf"""\b(id|name)=["']{re.escape(anchor)}["']""", pages[page]):
                faults.append(f"{sitemap}: {entry!r} leads to {page}#{anchor}, an anchor the page lacks")

    index = SitemapReader(source(options["index file"])).entries
    keywords = [entry for depth, entry, _ in index if depth == 1]
    faults += [f"index: {after!r} stands after {before!r}"
               for before, after in zip(keywords, keywords[1:]) if sort_key(before) > sort_key(after)]
    indexed = {local.partition("#")[0] for _, _, locals_ in index for local in locals_}
    faults += [f"index: no entry leads to {name}" for name in sorted(set(pages) - indexed)]
    return faults


def main(argv):
    if len(argv) != 3:
        print("usage: check_help_file.py CHM SOURCE_DIR", file=sys.stderr)
        return 2
    faults = check(argv[1], argv[2])
    print("\n".join(faults + [f"help file: {len(faults)} faults"]))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
