#!/usr/bin/env python3
"""Writes the seed inputs of the office fuzz targets (fuzz/search/fuzz_open_xml
and fuzz_open_document): the XML parts of the LibreOffice fixtures, each
behind the byte that tells the target which part it is (see the targets), and
small hostile archives: a part whose declared size lies, a directory that
declares a million entries, deep nesting, entity declarations. Run after
scripts/make-office-fixtures.sh; the results are committed."""
import os
import struct
import zipfile
import zlib

here = os.path.dirname(os.path.abspath(__file__))
fixtures = os.path.join(here, "..", "tests", "fixtures", "documents")
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'


def write(folder, name, data):
    path = os.path.join(here, "..", "fuzz", "search", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


def part(fixture, name):
    with zipfile.ZipFile(os.path.join(fixtures, fixture)) as z:
        return z.read(name)


def stored_zip(entries, declared=None):
    """A stored archive; `declared` overrides the size its directory gives."""
    out, directory = b"", b""
    for name, data in entries:
        name = name.encode()
        size = len(data) if declared is None else declared
        fields = struct.pack("<HHHHHIII", 20, 0, 0, 0, 0, zlib.crc32(data), len(data), size)
        directory += struct.pack("<IH", 0x02014B50, 20) + fields + struct.pack("<HHHHHII", len(name), 0, 0, 0, 0, 0, len(out)) + name
        out += struct.pack("<I", 0x04034B50) + fields + struct.pack("<HH", len(name), 0) + name + data
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(directory), len(out), 0)
    return out + directory + end


# Open XML: 'w' document.xml, 's' a worksheet, 'S' shared strings, 'y' styles,
# 'p' a slide.
write("open_xml_seeds", "document.xml", b"w" + part("courrier.docx", "word/document.xml"))
write("open_xml_seeds", "footnotes.xml", b"w" + part("courrier.docx", "word/footnotes.xml"))
write("open_xml_seeds", "sheet1.xml", b"s" + part("budget.xlsx", "xl/worksheets/sheet1.xml"))
write("open_xml_seeds", "sharedStrings.xml", b"S" + part("budget.xlsx", "xl/sharedStrings.xml"))
write("open_xml_seeds", "styles.xml", b"y" + part("budget.xlsx", "xl/styles.xml"))
write("open_xml_seeds", "slide1.xml", b"p" + part("diaporama.pptx", "ppt/slides/slide1.xml"))
write("open_xml_seeds", "deep.xml", b"w<w:document " + W.encode() + b">" + b"<w:p>" * 5000 + b"</w:p>" * 5000 + b"</w:document>")
write("open_xml_seeds", "entities.xml", b'w<!DOCTYPE w [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;">]><w:document ' + W.encode() + b"><w:t>&b;</w:t></w:document>")
body = b"<w:document " + W.encode() + b"><w:body><w:p><w:r><w:t>" + b"a" * 20000 + b"</w:t></w:r></w:p></w:body></w:document>"
write("open_xml_seeds", "lying-size.docx", stored_zip([("word/document.xml", body)], declared=100))
many = stored_zip([("word/document.xml", body[:200])])
# The same archive, its end record declaring a million entries (ZIP64).
record = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, 10**6, 10**6, 0, 0)
locator = struct.pack("<IIQI", 0x07064B50, 0, len(many) - 22, 1)
write("open_xml_seeds", "million-entries.docx", many[:-22] + record + locator + many[-22:-14] + b"\xff\xff" * 2 + many[-10:])

# OpenDocument: 't' content.xml of a text, 'h' its styles.xml, 'c' content.xml
# of a workbook, 'd' content.xml of a presentation, 'm' the manifest.
write("open_document_seeds", "text-content.xml", b"t" + part("courrier.odt", "content.xml"))
write("open_document_seeds", "text-styles.xml", b"h" + part("courrier.odt", "styles.xml"))
write("open_document_seeds", "sheet-content.xml", b"c" + part("budget.ods", "content.xml"))
write("open_document_seeds", "slides-content.xml", b"d" + part("diaporama.odp", "content.xml"))
write("open_document_seeds", "manifest.xml", b"m" + part("courrier.odt", "META-INF/manifest.xml"))
write("open_document_seeds", "repeated.xml", b'c<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      b'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">'
      b'<table:table><table:table-row table:number-rows-repeated="1048576"><table:table-cell table:number-columns-repeated="16384" '
      b'office:value-type="string"><text:p>x</text:p></table:table-cell></table:table-row></table:table></office:document-content>')
write("open_document_seeds", "deep.xml", b"c<a>" + b"<b>" * 5000 + b"</b>" * 5000 + b"</a>")
