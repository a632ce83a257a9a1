#!/usr/bin/env bash
# Makes the scans under tests/fixtures/scans: a short letter of two pages
# laid out by LibreOffice (headless), rendered at 300 dpi in grey by
# pdftoppm as a scanner would give it (PNG, JPEG, two-page TIFF), an
# image-only PDF of those pages (img2pdf) and a PDF whose first page has a
# text layer and whose second is a scan (pdfunite). Run once; the results are
# committed. They are kept apart from tests/fixtures/documents, the seeds of
# the text fuzz targets, where OCR and large images would only slow those
# down. Needs root for apt-get when a tool is missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$here/tests/fixtures/scans"
mkdir -p "$out"

need=()
command -v soffice >/dev/null || need+=(libreoffice-writer-nogui)
command -v pdftoppm >/dev/null || need+=(poppler-utils)
command -v img2pdf >/dev/null || need+=(img2pdf)
command -v tiffcp >/dev/null || need+=(libtiff-tools)
command -v pnmtopng >/dev/null || need+=(netpbm)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${need[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A flat OpenDocument text on A6 pages; each argument is a paragraph, "--" a
# page break.
write_fodt() { # file paragraphs...
  local file=$1; shift
  {
    cat <<'HEAD'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:font-face-decls>
  <style:font-face style:name="DejaVu Serif" svg:font-family="'DejaVu Serif'" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"/>
 </office:font-face-decls>
 <office:styles>
  <style:default-style style:family="paragraph">
   <style:paragraph-properties fo:margin-bottom="0.3cm"/>
   <style:text-properties style:font-name="DejaVu Serif" fo:font-size="11pt" fo:language="fr" fo:country="FR"/>
  </style:default-style>
 </office:styles>
 <office:automatic-styles>
  <style:page-layout style:name="pm1">
   <style:page-layout-properties fo:page-width="10.5cm" fo:page-height="14.8cm"
    fo:margin-top="1.2cm" fo:margin-bottom="1.2cm" fo:margin-left="1.2cm" fo:margin-right="1.2cm"/>
  </style:page-layout>
  <style:style style:name="Next" style:family="paragraph">
   <style:paragraph-properties fo:break-before="page"/>
  </style:style>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1"/></office:master-styles>
 <office:body><office:text>
HEAD
    local next=""
    for p in "$@"; do
      if [ "$p" = "--" ]; then next=' text:style-name="Next"'; continue; fi
      printf '  <text:p%s>%s</text:p>\n' "$next" "$p"
      next=""
    done
    printf ' </office:text></office:body>\n</office:document>\n'
  } >"$file"
}

to_pdf() { # source.fodt
  soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to pdf:writer_pdf_Export --outdir "$work" "$1" >/dev/null 2>&1
}

# The letter: some words only on its second page.
write_fodt "$work/lettre.fodt" \
  "Objet : résiliation du contrat d'électricité" \
  "Madame, Monsieur," \
  "Veuillez trouver ci-joint la facture de l'été dernier pour le logement de la rue des Lilas." \
  "Je vous prie de clore mon compte au 31 décembre." \
  "Salutations distinguées." \
  -- \
  "Annexe : relevé du compteur" \
  "Le technicien a remplacé la chaudière du sous-sol le 12 mars." \
  "Montant de l'intervention : 245 euros."
to_pdf "$work/lettre.fodt"

# The text page of the mixed PDF.
write_fodt "$work/quittance.fodt" \
  "Quittance de loyer" \
  "Reçu de Madame Martin la somme de 620 euros pour le loyer du mois de mars."
to_pdf "$work/quittance.fodt"

# Pages as a scanner gives them: 300 dpi, 8-bit grey (pdftoppm writes grey
# PGM; netpbm compresses it as each format does).
pdftoppm -r 300 -gray "$work/lettre.pdf" "$work/page"
for n in 1 2; do
  pnmtopng -compression 9 "$work/page-$n.pgm" >"$work/page-$n.png"
  pnmtojpeg --quality=60 --density=300x300dpi "$work/page-$n.pgm" >"$work/page-$n.jpg"
  pnmtotiff -lzw -xresolution 300 -yresolution 300 <"$work/page-$n.pgm" >"$work/page-$n.tif"
done

cp "$work/page-1.png" "$out/lettre.png"
cp "$work/page-1.jpg" "$out/lettre.jpg"
tiffcp -c lzw "$work/page-1.tif" "$work/page-2.tif" "$out/lettre.tif"
img2pdf -s 300dpi -o "$out/lettre.pdf" "$work/page-1.jpg" "$work/page-2.jpg"
img2pdf -s 300dpi -o "$work/scan-page-2.pdf" "$work/page-2.jpg"
pdfunite "$work/quittance.pdf" "$work/scan-page-2.pdf" "$out/mixte.pdf"
# A poster of 5 × 5 m without text: a small grey image over the whole page.
pgmmake 0.5 8 8 | pnmtopng >"$work/grey8.png"
img2pdf -s 200inx200in -o "$out/affiche.pdf" "$work/grey8.png"

ls -l "$out"

# Seeds of the image fuzz target: small pieces of the scan in each format and
# codec a scanner or camera writes, and headers that claim huge images.
seeds="$here/fuzz/search/image-seeds"
mkdir -p "$seeds"
pamcut -left 140 -top 150 -width 96 -height 40 "$work/page-1.pgm" >"$work/tiny.pgm"
pamcut -left 140 -top 600 -width 96 -height 40 "$work/page-1.pgm" >"$work/tiny2.pgm"
pgmtoppm rgb:30/30/a0-rgb:ff/ff/f0 "$work/tiny.pgm" >"$work/tiny.ppm"
pnmtopng -compression 9 "$work/tiny.pgm" >"$seeds/grey.png"
pnmtopng -compression 9 -force "$work/tiny.ppm" >"$seeds/colour.png"
pnmtopng -compression 9 -interlace -alpha=<(pgmmake 0.5 96 40) "$work/tiny.ppm" >"$seeds/alpha-interlaced.png"
pnmtojpeg --quality=50 "$work/tiny.pgm" >"$seeds/grey.jpg"
pnmtojpeg --quality=50 --progressive "$work/tiny.ppm" >"$seeds/colour-progressive.jpg"
pnmtotiff -lzw <"$work/tiny.pgm" >"$work/a.tif"
pnmtotiff -lzw <"$work/tiny2.pgm" >"$work/b.tif"
tiffcp -c lzw "$work/a.tif" "$work/b.tif" "$seeds/two-pages.tif"
pamthreshold -simple "$work/tiny.pgm" | pamtopnm | pnmtotiff -g4 >"$seeds/bilevel-g4.tif"
pnmtotiff -truecolor <"$work/tiny.ppm" >"$work/c.tif"
tiffcp -c jpeg -r 16 "$work/c.tif" "$seeds/colour-jpeg.tif"
python3 - "$seeds" <<'PY'
import struct, sys, zlib
seeds = sys.argv[1]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 100000, 100000, 8, 0, 0, 0, 0)) \
    + chunk(b"IDAT", zlib.compress(b"\0" * 64)) + chunk(b"IEND", b"")
open(seeds + "/huge.png", "wb").write(png)
jpeg = b"\xff\xd8\xff\xdb" + struct.pack(">H", 67) + b"\0" + b"\1" * 64 \
    + b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, 65500, 65500, 1) + b"\1\x11\0" \
    + b"\xff\xda" + struct.pack(">HB", 8, 1) + b"\1\0\0\x3f\0" + b"\0\0\xff\xd9"
open(seeds + "/huge.jpg", "wb").write(jpeg)
def entry(tag, kind, value):
    packed = struct.pack("<HH", value, 0) if kind == 3 else struct.pack("<I", value)
    return struct.pack("<HHI", tag, kind, 1) + packed
ifd = struct.pack("<H", 9) + entry(256, 4, 100000) + entry(257, 4, 100000) + entry(258, 3, 8) \
    + entry(259, 3, 1) + entry(262, 3, 1) + entry(273, 4, 122) + entry(277, 3, 1) + entry(278, 4, 100000) \
    + entry(279, 4, 1) + struct.pack("<I", 0)
open(seeds + "/huge.tif", "wb").write(b"II*\0" + struct.pack("<I", 8) + ifd + b"\x80")
PY
ls -l "$seeds"
