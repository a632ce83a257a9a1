#!/usr/bin/env python3
"""Writes the C++ definition of tavelo::EnglishCatalogue() from a Qt Linguist
.ts file: every finished translation, sorted by context then source (byte
order), for the programs that translate without Qt.

usage: ts_to_catalogue.py INPUT.ts OUTPUT.cpp
"""
import sys
import xml.etree.ElementTree as ET


def text_of(element):
    """The text of a <source> or <translation>, with lupdate's <byte value="xd"/>
    elements (control characters XML cannot hold) put back."""
    if element is None:
        return None
    parts = [element.text or ""]
    for child in element:
        if child.tag == "byte":
            value = child.get("value", "")
            code = int(value[1:], 16) if value[:1] in ("x", "X") else int(value)
            parts.append(chr(code))
        parts.append(child.tail or "")
    return "".join(parts)


def literal(text):
    out = ['"']
    for byte in text.encode("utf-8"):
        if byte in (0x22, 0x5C):
            out.append("\\" + chr(byte))
        elif 0x20 <= byte < 0x7F:
            out.append(chr(byte))
        else:
            out.append("\\%03o" % byte)
    out.append('"')
    return "".join(out)


def main():
    source_path, output_path = sys.argv[1], sys.argv[2]
    entries = {}
    for context in ET.parse(source_path).getroot().iter("context"):
        name = context.findtext("name") or ""
        for message in context.iter("message"):
            translation = message.find("translation")
            if translation is None or translation.get("type") in ("unfinished", "vanished", "obsolete"):
                continue
            target = text_of(translation)
            if not target:
                continue
            entries[(name.encode("utf-8"), text_of(message.find("source")).encode("utf-8"))] = target
    lines = [
        "// Generated from " + source_path.rsplit("/", 1)[-1] + " by cmake/ts_to_catalogue.py: do not edit.",
        '#include "base/catalogue.h"',
        "",
        "namespace tavelo {",
        "",
        "namespace {",
        "const CatalogueEntry kEntries[] = {",
    ]
    for (context, source) in sorted(entries):
        lines.append("    {%s, %s, %s}," % (literal(context.decode()), literal(source.decode()),
                                          literal(entries[(context, source)])))
    if not entries:
        lines.append('    {"", "", ""},')
    lines += [
        "};",
        "} // namespace",
        "",
        "std::span<const CatalogueEntry> EnglishCatalogue()",
        "{",
        "    return std::span<const CatalogueEntry>(kEntries).subspan(0, %d);" % len(entries),
        "}",
        "",
        "} // namespace tavelo",
        "",
    ]
    content = "\n".join(lines)
    try:
        with open(output_path, encoding="utf-8") as existing:
            if existing.read() == content:
                return
    except OSError:
        pass
    with open(output_path, "w", encoding="utf-8") as output:
        output.write(content)


if __name__ == "__main__":
    main()
