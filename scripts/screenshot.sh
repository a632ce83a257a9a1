#!/usr/bin/env bash
# Builds the program, makes a sample book with tavelo-cli and takes a picture
# of the main window under Xvfb (package xvfb) into docs/screenshot.png.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="${1:-$root/docs/screenshot.png}"

cmake -S "$root" -B "$build" -G Ninja -DTAVELO_GUI=ON >/dev/null
cmake --build "$build" -j2 --target tavelo tavelo-cli

# A fixed folder, so that the document paths in the picture read well.
work="${TMPDIR:-/tmp}/tavelo-exemple"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
docs="$work/Papiers"
mkdir -p "$docs"
printf 'Avis d'"'"'imposition 2007\nMontant : 1 254 €\n' > "$docs/avis_2007.txt"
printf 'Facture EDF\n' > "$docs/edf_janvier.txt"

cat > "$work/exemple.json" <<JSON
{"subjects":[
 {"general_title":"Impôts","name":"Revenus 2007","state":0,
  "expected":"Avis d'imposition 2007 attendu en septembre.\nVérifier le montant du prélèvement mensuel.",
  "documents":["$docs/avis_2007.txt","$docs/declaration_2007.pdf","$docs/accuse_reception.odt"]},
 {"general_title":"Impôts","name":"Revenus 2006","state":1,"documents":["$docs/avis_2006.pdf"]},
 {"general_title":"Impôts","name":"Taxe foncière","state":0,"expected":"Échéancier à demander"},
 {"general_title":"EDF","name":"Factures 2007","state":0,"documents":["$docs/edf_janvier.txt"]},
 {"general_title":"EDF","name":"Contrat","state":1},
 {"general_title":"Banque","name":"Compte courant","state":1},
 {"general_title":"Banque","name":"Épargne logement","state":0,"expected":"Relevé annuel"},
 {"general_title":"assurance","name":"Habitation","state":1},
 {"general_title":"assurance","name":"Voiture","state":0,"expected":"Attestation 2008"},
 {"general_title":"Écoles","name":"Inscription","state":0}
]}
JSON
book="$work/Maison.tvo"
"$build/src/cli/tavelo-cli" create "$work/exemple.json" "$book" --force

mkdir -p "$(dirname "$out")"
HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
TAVELO_CAPTURE="$out" TAVELO_CAPTURE_SUBJECT="Revenus 2007" \
  xvfb-run -a -s "-screen 0 1280x800x24" "$build/src/app/tavelo" "$book"
echo "$out"
