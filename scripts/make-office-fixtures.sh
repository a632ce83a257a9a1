#!/usr/bin/env bash
# Makes the Office Open XML and OpenDocument fixtures under
# tests/fixtures/documents with LibreOffice (headless), from flat OpenDocument
# sources written here: a letter (.docx, .odt) with a header, a footer, a
# footnote, a comment and a table; a workbook (.xlsx, .ods) of two sheets; a
# presentation (.pptx, .odp) of two slides with speaker notes. Each place
# holds a word found nowhere else, which the tests look for. Run once; the
# results are committed. Needs root for apt-get when LibreOffice is missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$here/tests/fixtures/documents"
mkdir -p "$out"

if ! command -v soffice >/dev/null || [ ! -e /usr/lib/libreoffice/program/libscdlo.so ] ||
   [ ! -e /usr/lib/libreoffice/program/libsdlo.so ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
    libreoffice-writer-nogui libreoffice-calc-nogui libreoffice-impress-nogui
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert() { # filter source
  soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to "$1" --outdir "$work" "$2" >/dev/null 2>&1
}
namespaces='xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"'

# A letter: a word cut by formatting, accents, a footnote, a comment, a table
# of two cells, a header and a footer.
cat >"$work/courrier.fodt" <<FODT
<?xml version="1.0" encoding="UTF-8"?>
<office:document $namespaces office:mimetype="application/vnd.oasis.opendocument.text">
 <office:automatic-styles>
  <style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
  <style:page-layout style:name="pm1">
   <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"/>
   <style:header-style/><style:footer-style/>
  </style:page-layout>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Standard" style:page-layout-name="pm1">
   <style:header><text:p>Hirondelle et fils</text:p></style:header>
   <style:footer><text:p>Pied de page : Pélican</text:p></style:footer>
  </style:master-page>
 </office:master-styles>
 <office:body><office:text>
  <text:p>Objet : résiliation du contrat d'électricité</text:p>
  <text:p>Veuillez trouver la fac<text:span text:style-name="T1">tu</text:span>re n° 2006-123 de l'ÉTÉ dernier, mot-clé Quincaillerie.<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>Note : Coquelicot des champs.</text:p></text:note-body></text:note> Suite du texte.</text:p>
  <text:p>Voir la remarque<office:annotation><dc:creator>Moi</dc:creator><text:p>Remarque : Libellule.</text:p></office:annotation> ici.</text:p>
  <table:table table:name="Tableau1">
   <table:table-column table:number-columns-repeated="2"/>
   <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Tournesol</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Marmotte</text:p></table:table-cell>
   </table:table-row>
  </table:table>
  <text:p>Salutations distinguées.</text:p>
 </office:text></office:body>
</office:document>
FODT
convert 'docx:MS Word 2007 XML' "$work/courrier.fodt"
convert 'odt:writer8' "$work/courrier.fodt"

# A workbook of two sheets: text, a number, a date, a formula, a boolean; some
# words only on the second sheet.
cat >"$work/budget.fods" <<FODS
<?xml version="1.0" encoding="UTF-8"?>
<office:document $namespaces office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:date-style style:name="N1"><number:day number:style="long"/><number:text>/</number:text>
   <number:month number:style="long"/><number:text>/</number:text><number:year number:style="long"/></number:date-style>
  <number:boolean-style style:name="N2"><number:boolean/></number:boolean-style>
  <style:style style:name="ce1" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="N1"/>
  <style:style style:name="ce2" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="N2"/>
 </office:automatic-styles>
 <office:body><office:spreadsheet>
  <table:table table:name="Janvier">
   <table:table-row><table:table-cell office:value-type="string"><text:p>Libellé</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Montant</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Électricité</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="123.45"><text:p>123.45</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Échéance</text:p></table:table-cell>
    <table:table-cell table:style-name="ce1" office:value-type="date" office:date-value="2006-12-31"><text:p>31/12/2006</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Double</text:p></table:table-cell>
    <table:table-cell table:formula="of:=[.B2]*2" office:value-type="float" office:value="246.9"><text:p>246.9</text:p></table:table-cell></table:table-row>
  </table:table>
  <table:table table:name="Février">
   <table:table-row><table:table-cell/>
    <table:table-cell office:value-type="string"><text:p>Zèbre rayé (réf. 7*8?)</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell table:style-name="ce2" office:value-type="boolean" office:boolean-value="true"><text:p>VRAI</text:p></table:table-cell>
    <table:table-cell table:number-columns-repeated="2" office:value-type="string"><text:p>Bis</text:p></table:table-cell></table:table-row>
  </table:table>
 </office:spreadsheet></office:body>
</office:document>
FODS
convert 'xlsx:Calc MS Excel 2007 XML' "$work/budget.fods"
convert 'ods:calc8' "$work/budget.fods"

# A presentation: a title and a table on the first slide, speaker notes on
# the second.
frame='svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="3cm"'
cat >"$work/diaporama.fodp" <<FODP
<?xml version="1.0" encoding="UTF-8"?>
<office:document $namespaces office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:automatic-styles>
  <style:page-layout style:name="PM1"><style:page-layout-properties fo:page-width="28cm" fo:page-height="21cm"/></style:page-layout>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Standard" style:page-layout-name="PM1"/></office:master-styles>
 <office:body><office:presentation>
  <draw:page draw:name="p1" draw:master-page-name="Standard">
   <draw:frame $frame><draw:text-box><text:p>Bilan annuel du Kangourou</text:p></draw:text-box></draw:frame>
   <draw:frame svg:x="2cm" svg:y="8cm" svg:width="20cm" svg:height="4cm"><table:table>
    <table:table-column table:number-columns-repeated="2"/>
    <table:table-row><table:table-cell><text:p>Cerise</text:p></table:table-cell><table:table-cell><text:p>Prune</text:p></table:table-cell></table:table-row>
   </table:table></draw:frame>
  </draw:page>
  <draw:page draw:name="p2" draw:master-page-name="Standard">
   <draw:frame $frame><draw:text-box><text:p>Deuxième diapositive : Ornithorynque</text:p></draw:text-box></draw:frame>
   <presentation:notes><draw:frame presentation:class="notes" $frame><draw:text-box><text:p>Penser au Baobab</text:p></draw:text-box></draw:frame></presentation:notes>
  </draw:page>
 </office:presentation></office:body>
</office:document>
FODP
convert 'pptx:Impress MS PowerPoint 2007 XML' "$work/diaporama.fodp"
convert 'odp:impress8' "$work/diaporama.fodp"

for f in courrier.docx courrier.odt budget.xlsx budget.ods diaporama.pptx diaporama.odp; do
  cp "$work/$f" "$out/$f"
done
ls -l "$out"
