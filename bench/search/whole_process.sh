#!/bin/bash
# Whole processes timed side by side with hyperfine, as a user runs them:
#
#   tavelo-cli search over 1,000 text files     beside  rg -il
#       (first search, on an emptied cache, and the same again)
#   tavelo-cli search over 2,000 documents      beside  recollq on an index of the same folder
#       (1,000 .txt, 500 .pdf, 250 .doc, 250 .xls; nothing changed since the last search)
#   tavelo-cli search of a book of one document, with and without the cache,
#       and on a cache of 100,000 texts (when fixed_costs_bench is built)
#
# Each pair is first checked to find the same files, then timed; the ratios
# (Tavelo / reference, lower is better) are printed at the end.
#
#   bench/search/whole_process.sh [BUILD_FOLDER] [CORPUS_FOLDER]
#
# BUILD_FOLDER (default: build) holds tavelo-cli and write_search_corpus
# (cmake --build BUILD --target tavelo-cli tavelo-reader write_search_corpus).
# CORPUS_FOLDER (default: $TMPDIR/tavelo-whole-process) is made once and
# reused, with Recoll's index (its own RECOLL_CONFDIR there) and Tavelo's text
# cache (its own XDG_CACHE_HOME there): the user's own are never touched.
set -euo pipefail

build=$(realpath "${1:-build}")
corpus=${2:-${TMPDIR:-/tmp}/tavelo-whole-process}
cli=$build/src/cli/tavelo-cli
writer=$build/bench/search/write_search_corpus
word=zorglub
runs=${RUNS:-20}

for tool in hyperfine rg recollindex recollq python3 catdoc xls2csv; do
    command -v "$tool" > /dev/null || { echo "$tool is missing" >&2; exit 2; }
done
[ -x "$cli" ] && [ -x "$writer" ] || { echo "build tavelo-cli, tavelo-reader and write_search_corpus in $build first" >&2; exit 2; }

if [ ! -f "$corpus/all.tvo" ]; then
    echo "Writing the corpus in $corpus" >&2
    "$writer" "$corpus" > /dev/null
fi
files=$corpus/files
export XDG_CACHE_HOME=$corpus/cache
export RECOLL_CONFDIR=$corpus/recoll
if [ ! -d "$RECOLL_CONFDIR/xapiandb" ]; then
    echo "Indexing $files with Recoll (once)" >&2
    mkdir -p "$RECOLL_CONFDIR"
    printf 'topdirs = %s\nnoaspell = 1\n' "$files" > "$RECOLL_CONFDIR/recoll.conf"
    # Recoll's own Word filter (antiword) refuses these files, and its Excel
    # one needs a Python module: the tools search_bench compares with do the work.
    cat > "$RECOLL_CONFDIR/mimeconf" <<'CONF'
[index]
application/msword = exec catdoc -d utf-8;mimetype=text/plain;charset=utf-8
application/vnd.ms-excel = exec xls2csv -d utf-8;mimetype=text/plain;charset=utf-8
CONF
    recollindex -c "$RECOLL_CONFDIR" > "$corpus/recollindex.log" 2>&1
fi

# The files Tavelo finds: one document per subject, named after it.
tavelo_files() {
    "$cli" search "$1" "$word" --scope contents 2> /dev/null | cut -f2 | sed "s|^|$files/|" | sort
}
rg_files() { rg -il "$word" "$files" --glob '*.txt' | sort; }
# Recoll indexes words: the corpus's office files hold the word inside a longer one.
recoll_files() { recollq -c "$RECOLL_CONFDIR" -b -n 0 "$word*" 2> /dev/null | sed 's|^file://||' | sort; }

same() {
    if ! diff <(eval "$2") <(eval "$3") > /dev/null; then
        echo "$1: the two tools do not find the same files:" >&2
        diff <(eval "$2") <(eval "$3") | head >&2
        exit 1
    fi
    echo "$1: both find the same $(eval "$2" | wc -l) files" >&2
}
"$cli" search "$corpus/all.tvo" "$word" --scope contents > /dev/null 2>&1 || true
same "text files" "tavelo_files $corpus/text.tvo" rg_files
same "all kinds" "tavelo_files $corpus/all.tvo" recoll_files
diff <(tavelo_files "$corpus/all.tvo") "$corpus/all.expected" > /dev/null || { echo "wrong answer" >&2; exit 1; }

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
bench() { # name, hyperfine arguments...
    local name=$1
    shift
    hyperfine -N --style basic --warmup 3 --runs "$runs" -i --export-json "$results/$name.json" "$@" >&2
}
search="$cli search"
bench text_first --prepare "$cli cache clear" "$search $corpus/text.tvo $word --scope contents" "rg -il $word $files --glob *.txt"
$search "$corpus/text.tvo" $word --scope contents > /dev/null 2>&1 || true
bench text_repeat "$search $corpus/text.tvo $word --scope contents" "$search $corpus/text.tvo $word --scope contents --no-cache" "rg -il $word $files --glob *.txt"
$search "$corpus/all.tvo" $word --scope contents > /dev/null 2>&1 || true
bench all_repeat "$search $corpus/all.tvo $word --scope contents" "recollq -c $RECOLL_CONFDIR -b -n 0 $word*"
bench one_document "$search $corpus/one.tvo $word --scope contents" "$search $corpus/one.tvo $word --scope contents --no-cache"

# A book of one document on a cache of 100,000 texts (made once by
# fixed_costs_bench, which times the same in-process).
fixed=$build/bench/search/fixed_costs_bench
if [ -x "$fixed" ]; then
    export TAVELO_FIXED_COSTS_CACHE=$corpus/cache-100k
    "$fixed" --benchmark_filter=Reference > /dev/null
    for kind in txt rtf; do
        printf '{"subjects":[{"general_title":"G","name":"lettre","documents":["%s"]}]}' \
            "$TAVELO_FIXED_COSTS_CACHE/lettre.$kind" > "$results/one-$kind.json"
        "$cli" create "$results/one-$kind.json" "$corpus/one-$kind-100k.tvo" --force > /dev/null
    done
    XDG_CACHE_HOME=$TAVELO_FIXED_COSTS_CACHE bench one_100k \
        "$search $corpus/one-txt-100k.tvo $word --scope contents" \
        "$search $corpus/one-rtf-100k.tvo $word --scope contents" \
        "$search $corpus/one-rtf-100k.tvo $word --scope contents --no-cache"
fi

python3 - "$results" <<'PY'
import json, os, sys
folder = sys.argv[1]
def means(name):
    with open(os.path.join(folder, name + ".json")) as f:
        return [r["mean"] * 1000 for r in json.load(f)["results"]]
t_first, rg_first = means("text_first")
t_rep, t_rep_nocache, rg_rep = means("text_repeat")
all_rep, recoll = means("all_repeat")
one, one_nocache = means("one_document")
rows = [
    ("1,000 .txt, first search (emptied cache) / rg -il", t_first, rg_first),
    ("1,000 .txt, nothing changed / rg -il", t_rep, rg_rep),
    ("1,000 .txt, --no-cache / rg -il", t_rep_nocache, rg_rep),
    ("1,000 .txt, cache / --no-cache", t_rep, t_rep_nocache),
    ("2,000 documents, nothing changed / recollq", all_rep, recoll),
    ("one document, cache / --no-cache", one, one_nocache),
]
print("%-52s %10s %10s %7s" % ("", "Tavelo ms", "ref. ms", "ratio"))
for label, mine, reference in rows:
    print("%-52s %10.1f %10.1f %6.2fx" % (label, mine, reference, mine / reference))
print("one document, cache on: %.1f ms whole process" % one)
if os.path.exists(os.path.join(folder, "one_100k.json")):
    txt, rtf, rtf_nocache = means("one_100k")
    print("cache of 100,000 texts, one document, whole process: .txt %.1f ms, .rtf %.1f ms "
          "(.rtf --no-cache %.1f ms)" % (txt, rtf, rtf_nocache))
PY
