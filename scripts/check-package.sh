#!/usr/bin/env bash
# Checks the Debian package: lintian finds no error in it, and it installs into
# a clean Debian 12 root (debootstrap --variant=minbase) with apt, which proves
# that its computed dependencies are enough; there tavelo-cli and tavelo answer
# --version and --help, then the package is purged and must leave no file.
# The developer's own system is never touched: everything happens in a
# throwaway root under a temporary folder.
#
#   scripts/check-package.sh build/tavelo_1.0.2_amd64.deb
#
# Needs root (debootstrap and chroot) and a Debian mirror; without root the
# clean-root part is skipped with a message. TAVELO_MIRROR overrides the mirror.
set -euo pipefail
deb=$(realpath "$1")
mirror=${TAVELO_MIRROR:-http://deb.debian.org/debian}

echo "== lintian $deb"
# Errors fail the check; warnings are shown.
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"

if [ "$(id -u)" -ne 0 ]; then
  echo "check-package: not root, the installation into a clean root is skipped"
  exit 0
fi

work=$(mktemp -d /tmp/tavelo-clean-root.XXXXXX)
root=$work/root
cleanup() {
  for m in proc dev/pts dev; do
    mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m" || true
  done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

start=$(date +%s)
echo "== debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; exit 1; }
made=$(date +%s)
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/tavelo.deb"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./tavelo.deb"
in_root apt-get update -q >/dev/null
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/tavelo.deb \
  >"$work/install.log" 2>&1 || { tail -30 "$work/install.log"; exit 1; }
installed=$(date +%s)

echo "== run in the clean root"
in_root tavelo-cli --version
in_root tavelo --version
# Whole outputs are taken before they are looked at: under pipefail a reader
# that stops early (head, grep -q) would end the writer by SIGPIPE.
help=$(in_root env LANG=en_US.UTF-8 tavelo-cli --help)
echo "${help%%$'\n'*}"
[ -x "$root/usr/libexec/tavelo/tavelo-reader" ] || { echo "reader program missing"; exit 1; }
[ -x "$root/usr/libexec/tavelo/tavelo-scan" ] || { echo "scanning program missing"; exit 1; }
[ -f "$root/usr/libexec/tavelo/tavelo-unicode.so" ] || { echo "Unicode module missing"; exit 1; }
# A book whose one document is read by the reader program, which the search
# finds in /usr/libexec/tavelo; its accented word needs the Unicode module,
# loaded from there too.
printf '{\\rtf1\\ansi Relev\\'"'"'e9 du compteur}' >"$root/tmp/releve.rtf"
echo '{"subjects":[{"general_title":"EDF","name":"2006","documents":["/tmp/releve.rtf"]}]}' >"$root/tmp/essai.json"
in_root tavelo-cli create /tmp/essai.json /tmp/essai.tvo
dump=$(in_root tavelo-cli dump /tmp/essai.tvo)
[[ $dump == *'"name":"2006"'* ]] || { echo "the installed tool did not write the book"; exit 1; }
[ "$(in_root tavelo-cli search /tmp/essai.tvo relevé --scope contents --no-cache)" = "$(printf 'EDF\t2006')" ] ||
  { echo "the installed search did not find the word in the document"; exit 1; }

echo "== purge"
in_root dpkg -L tavelo | sort >"$work/files"
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q tavelo >"$work/purge.log" 2>&1 ||
  { tail -20 "$work/purge.log"; exit 1; }
left=0
while read -r path; do
  if [ -f "$root$path" ] || [ -L "$root$path" ]; then
    echo "left behind: $path"
    left=1
  fi
done <"$work/files"
[ "$left" -eq 0 ]
if in_root dpkg-query -W tavelo >/dev/null 2>&1; then
  echo "tavelo is still known to dpkg after the purge"
  exit 1
fi
done_at=$(date +%s)
echo "check-package: lintian clean, installed and purged in a clean root" \
  "(debootstrap $((made - start)) s, install $((installed - made)) s, run and purge $((done_at - installed)) s)"
