#!/bin/bash
# tavelo-cli find beside Recoll's recollq over the same 2,000 documents (1,000
# text files, 500 PDF, 250 Word, 250 Excel), both warm: Tavelo's text cache is
# filled by a first find, Recoll's index by recollindex. Both must find the
# same documents for the same words before they are timed with hyperfine.
#
#   bench/search/find_vs_recoll.sh [BUILD_FOLDER]
#
# Everything (corpus, book, Tavelo's cache, Recoll's configuration and index)
# lives in a temporary folder, removed at the end; nothing of the user's own
# cache or Recoll index is read or written.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
bench=$build/bench/search/quick_search_bench
cli=$build/src/cli/tavelo-cli
for tool in "$bench" "$cli"; do
    [ -x "$tool" ] || { echo "missing $tool: build quick_search_bench and tavelo-cli first" >&2; exit 2; }
done
for tool in recollindex recollq hyperfine jq; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

word=zorglub
second=facture
work=$(mktemp -d "${TMPDIR:-/tmp}/tavelo-find-vs-recoll-XXXXXX")
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
book=$work/book.tvo

echo "== corpus"
"$bench" --write-corpus "$corpus"
"$cli" create "$corpus/book.json" "$book" >/dev/null
echo "$(find "$corpus" -type f | grep -cv -e book.json -e sought.txt) documents in $corpus"

export XDG_CACHE_HOME=$work/cache
export RECOLL_CONFDIR=$work/recoll
mkdir -p "$XDG_CACHE_HOME" "$RECOLL_CONFDIR"
# Recoll reads PDF with pdftotext and Excel with its own xls-dump.py, as its
# default mimeconf says. Its Word handler (antiword) refuses these small
# letters ("the text stream of this file is too small to handle"): catdoc
# reads them, as it does in search_bench. Text files in Windows-1252 do not
# decode as UTF-8, but Recoll still indexes their ASCII words, and the words
# sought here are ASCII.
cat >"$RECOLL_CONFDIR/recoll.conf" <<EOF
topdirs = $corpus
skippedNames+ = book.json sought.txt
noaspell = 1
loglevel = 2
EOF
cat >"$RECOLL_CONFDIR/mimeconf" <<'EOF'
[index]
application/msword = exec catdoc -d utf-8 -w ; mimetype = text/plain ; charset = utf-8
EOF

echo "== first runs (cold)"
start=$(date +%s.%N)
"$cli" find "$book" "$word" >/dev/null
echo "tavelo-cli find, reading the 2,000 documents into its cache: $(echo "$(date +%s.%N) - $start" | bc) s"
start=$(date +%s.%N)
recollindex >"$work/recollindex.log" 2>&1
echo "recollindex over the same folder: $(echo "$(date +%s.%N) - $start" | bc) s"

# The documents each tool finds for a query, one path a line, sorted.
tavelo_found() { "$cli" find "$book" "$@" --json | jq -r '.[].document | select(. != null)' | sort; }
recoll_found() { recollq -b -n 0 "$@" 2>/dev/null | sed -n 's|^file://||p' | sort; }
by_kind() { sed 's/.*\.//' | sort | uniq -c | tr '\n' ' '; }

status=0
check() {
    local label=$1; shift
    tavelo_found "$@" >"$work/tavelo.txt"
    recoll_found "$@" >"$work/recoll.txt"
    echo "$label: tavelo-cli $(wc -l <"$work/tavelo.txt") [$(by_kind <"$work/tavelo.txt")]," \
         "recollq $(wc -l <"$work/recoll.txt") [$(by_kind <"$work/recoll.txt")]"
    if ! cmp -s "$work/tavelo.txt" "$work/recoll.txt"; then
        echo "  not the same documents:"
        diff "$work/tavelo.txt" "$work/recoll.txt" | sed -n 's/^\([<>]\) /  \1 /p' | head -20
        comm -13 "$work/tavelo.txt" "$work/recoll.txt" | by_kind | sed 's/^/  only recollq: /'
        echo
        comm -23 "$work/tavelo.txt" "$work/recoll.txt" | by_kind | sed 's/^/  only tavelo-cli: /'
        echo
        status=1
    fi
}

echo "== same documents?"
sort "$corpus/sought.txt" >"$work/sought.txt"
tavelo_found "$word" >"$work/tavelo.txt"
if cmp -s "$work/tavelo.txt" "$work/sought.txt"; then
    echo "tavelo-cli finds the $(wc -l <"$work/sought.txt") documents the corpus put \"$word\" in"
else
    echo "tavelo-cli does not find the documents the corpus put \"$word\" in"
    status=1
fi
check "\"$word\"" "$word"
check "\"$word $second\"" "$word" "$second"
if [ $status -ne 0 ]; then
    echo "the two tools disagree: no timing" >&2
    exit 1
fi

echo "== timings (warm)"
hyperfine -N --warmup 3 --export-json "$work/one.json" \
    -n "tavelo-cli find $word" "$cli find $book $word" \
    -n "recollq -b $word" "recollq -b $word"
hyperfine -N --warmup 3 --export-json "$work/two.json" \
    -n "tavelo-cli find $word $second" "$cli find $book $word $second" \
    -n "recollq -b $word $second" "recollq -b $word $second"

echo "== ratios (mean time of tavelo-cli find / recollq; target <= 1.0)"
for file in one two; do
    jq -r '"\(.results[0].command): \(.results[0].mean * 1000 | . * 10 | round / 10) ms, " +
           "\(.results[1].command): \(.results[1].mean * 1000 | . * 10 | round / 10) ms, " +
           "ratio \(.results[0].mean / .results[1].mean | . * 100 | round / 100)"' "$work/$file.json"
done
