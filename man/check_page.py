#!/usr/bin/env python3
"""Checks a program's manual pages against its --help, in French and English:
each page formats without a warning from groff, and every line of the help
(but the "Usage :" title, which the page calls SYNOPSIS) is in the formatted
page, the two compared with their white space and typographic quotes and
dashes made plain.

usage: check_page.py GROFF PROGRAM PAGES_FOLDER NAME
"""
import os
import subprocess
import sys

PLAIN = {"\u2212": "-", "\u2010": "-", "\u2019": "'", "\u2018": "'", "\u02dc": "~", "\u02c6": "^",
         "\u201c": '"', "\u201d": '"'}


def plain(text):
    for fancy, simple in PLAIN.items():
        text = text.replace(fancy, simple)
    return " ".join(text.split())


def main():
    groff, program, pages, name = sys.argv[1:5]
    failures = []
    for language, folder, locale in (("fr", "man1", "fr_FR.UTF-8"), ("en", "en/man1", "en_GB.UTF-8")):
        page = os.path.join(pages, folder, name + ".1")
        check = subprocess.run([groff, "-man", "-Tutf8", "-ww", "-z", page], capture_output=True, text=True)
        if check.returncode != 0 or check.stderr:
            failures.append("%s: groff warns:\n%s" % (page, check.stderr))
        formatted = subprocess.run([groff, "-man", "-Tutf8", "-P-c", "-P-b", "-P-u", "-P-o", page],
                                   capture_output=True, text=True, check=True).stdout
        environment = {k: v for k, v in os.environ.items() if k not in ("LANGUAGE", "LC_ALL", "LC_MESSAGES")}
        environment["LANG"] = locale
        environment["QT_QPA_PLATFORM"] = "offscreen"
        help_text = subprocess.run([program, "--help"], capture_output=True, text=True, env=environment,
                                   check=True).stdout
        page_text = plain(formatted)
        usage_title = help_text.splitlines()[2]
        for line in help_text.splitlines():
            if line.strip() and line != usage_title and plain(line) not in page_text:
                failures.append("%s (%s): not in the page: %r" % (name, language, line.strip()))
    if failures:
        print("\n".join(failures))
        sys.exit(1)
    print("%s: the pages say what --help says, in French and in English" % name)


if __name__ == "__main__":
    main()
