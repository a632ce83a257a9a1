#!/usr/bin/env bash
# Makes the small office documents under tests/fixtures/documents with real
# office software (LibreOffice, headless), so that the search's readers are
# tested on files as such software writes them. Run once; the results are
# committed. Needs root for apt-get when LibreOffice is missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$here/tests/fixtures/documents"
mkdir -p "$out"

if ! command -v soffice >/dev/null; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
    libreoffice-writer-nogui libreoffice-calc-nogui
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert() { # filter input-filter source
  soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    ${2:+--infilter="$2"} --convert-to "$1" --outdir "$work" "$3" >/dev/null 2>&1
}

# A letter over several paragraphs, with formatting inside words and accents.
cat >"$work/lettre.html" <<'HTML'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Lettre</title></head><body>
<p>Objet : résiliation du contrat d'électricité</p>
<p>Madame, Monsieur,</p>
<p>Veuillez trouver ci-joint la fac<b>tu</b>re n° 2006-123 de l'ÉTÉ dernier, numéro client ZX-42.</p>
<p>Je vous prie de clore mon compte au 31 décembre. Mot-clé : Quincaillerie.</p>
<p>Salutations distinguées.</p>
</body></html>
HTML
convert 'doc:MS Word 97' 'HTML (StarWriter)' "$work/lettre.html"
convert 'rtf:Rich Text Format' 'HTML (StarWriter)' "$work/lettre.html"
cp "$work/lettre.doc" "$out/lettre.doc"
cp "$work/lettre.rtf" "$out/lettre.rtf"

# A report of three pages; some words only on the last one.
cat >"$work/rapport.html" <<'HTML'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Rapport</title></head><body>
<h1>Résumé des dépenses</h1><p>Première page : électricité et chauffage.</p>
<p style="page-break-before: always">Deuxième page : assurance habitation.</p>
<p style="page-break-before: always">Troisième page : quittance de loyer, référence QZ-77.</p>
</body></html>
HTML
convert 'pdf:writer_pdf_Export' 'HTML (StarWriter)' "$work/rapport.html"
cp "$work/rapport.pdf" "$out/rapport.pdf"

# A workbook of three sheets: text, numbers and accents; some words only on the last sheet.
cat >"$work/comptes.fods" <<'FODS'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:body><office:spreadsheet>
  <table:table table:name="Janvier">
   <table:table-row><table:table-cell office:value-type="string"><text:p>Libellé</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Montant</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Électricité</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="123.45"><text:p>123.45</text:p></table:table-cell></table:table-row>
  </table:table>
  <table:table table:name="Février">
   <table:table-row><table:table-cell office:value-type="string"><text:p>Assurance habitation</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="42"><text:p>42</text:p></table:table-cell></table:table-row>
  </table:table>
  <table:table table:name="Mars">
   <table:table-row><table:table-cell/><table:table-cell/>
    <table:table-cell office:value-type="string"><text:p>Zèbre rayé (réf. 7*8?)</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell office:value-type="float" office:value="3.25"><text:p>3.25</text:p></table:table-cell></table:table-row>
  </table:table>
 </office:spreadsheet></office:body>
</office:document>
FODS
convert 'xls:MS Excel 97' '' "$work/comptes.fods"
cp "$work/comptes.xls" "$out/comptes.xls"

# Plain text in the three encodings a text file may have.
text='Facture d'"'"'électricité : café crème, été 2006.'
printf '%s\n' "$text" >"$out/utf8.txt"
{ printf '\xff\xfe'; printf '%s\n' "$text" | iconv -f UTF-8 -t UTF-16LE; } >"$out/utf16.txt"
printf '%s\n' "$text" | iconv -f UTF-8 -t WINDOWS-1252 >"$out/cp1252.txt"

ls -l "$out"
