#!/usr/bin/env bash
# What a user gets from a build: `cmake --install` into a scratch DESTDIR and
# the Debian package of `cpack`. Checks the installed files, and runs the
# installed programs from wherever the tree is moved or unpacked: they find
# their data relative to their own location.
#   tests/packaging/check-install.sh BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
build=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME"

id=org.sondrel.Sondrel
expected=(
  bin/sondrel bin/sondrel-cli share/sondrel/sondrel.htb
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/sondrel.1.gz share/man/man1/sondrel-cli.1.gz
  share/bash-completion/completions/sondrel-cli
  share/doc/sondrel/LICENSE share/doc/sondrel/THIRD-PARTY share/doc/sondrel/copyright
)
for size in 16 24 32 48 64 128 256 512; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done

# check_files ROOT: every expected file is under ROOT.
check_files() {
  local missing=""
  for f in "${expected[@]}"; do [ -f "$1/$f" ] || missing+=" $f"; done
  if [ -z "$missing" ]; then pass "$2: every expected file"; else fail "$2: missing$missing"; fi
}

# A WAV file of one second of a 441 Hz square wave, 44100 Hz, mono, 16-bit.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
make_wav() {
  local period="" i
  for ((i = 0; i < 50; i++)); do period+='\x00\x20'; done
  for ((i = 0; i < 50; i++)); do period+='\x00\xe0'; done
  {
    printf 'RIFF'; le32 $((36 + 88200)); printf 'WAVEfmt '; le32 16
    le16 1; le16 1; le32 44100; le32 88200; le16 2; le16 16
    printf 'data'; le32 88200
    for ((i = 0; i < 441; i++)); do printf "$period"; done
  } >"$1"
}

# check_programs ROOT NAME: the programs under ROOT list the 30 output
# formats, convert a WAV file to MP3, and the window starts.
check_programs() {
  local root=$1 name=$2 rows out
  rows=$("$root/bin/sondrel-cli" --list-formats | wc -l)
  if [ "$rows" -eq 30 ]; then pass "$name: --list-formats prints 30 rows"; else fail "$name: --list-formats prints $rows rows"; fi

  out=$scratch/out-$name
  mkdir -p "$out"
  make_wav "$scratch/tone.wav"
  local result
  result=$("$root/bin/sondrel-cli" --format mp3 --set DestOutputFolderOpt=399 \
    --set "DestSpecifiedFolder=$out" "$scratch/tone.wav" 2>&1)
  local codec duration
  codec=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$out/tone.mp3" 2>&1)
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$out/tone.mp3" 2>&1)
  if [ "$codec" = mp3 ] && awk -v d="$duration" 'BEGIN { exit !(d > 0.95 && d < 1.1) }'; then
    pass "$name: converts a WAV file to MP3"
  else
    fail "$name: converts a WAV file to MP3 ($result; codec '$codec', duration '$duration')"
  fi

  # The window starts and stays up until it is ended (124: ended by timeout).
  # Not the first start: the first one would open the help book in a browser.
  mkdir -p "$XDG_CONFIG_HOME/sondrel"
  printf '[Options]\nFirstRun=0\n' >"$XDG_CONFIG_HOME/sondrel/sondrel.conf"
  local status=0
  xvfb-run -a timeout 5 "$root/bin/sondrel" >"$scratch/window.log" 2>&1 || status=$?
  if [ "$status" -eq 124 ]; then pass "$name: the window starts"; else fail "$name: the window ended with status $status: $(cat "$scratch/window.log")"; fi
}

# 1. cmake --install into a scratch DESTDIR, under a prefix of its own.
prefix=/opt/sondrel-check
if DESTDIR=$scratch/stage cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  pass "cmake --install into DESTDIR"
else
  fail "cmake --install into DESTDIR: $(cat "$scratch/install.log")"
fi
check_files "$scratch/stage$prefix" "install"
outside=$(cd "$scratch/stage" && find . -mindepth 1 -maxdepth 2 ! -path ./opt ! -path "./opt/sondrel-check")
if [ -z "$outside" ]; then pass "install: nothing outside the prefix"; else fail "install: outside the prefix: $outside"; fi
check_desktop_data "$scratch/stage$prefix/share/applications/$id.desktop" \
  "$scratch/stage$prefix/share/metainfo/$id.metainfo.xml"

# 2. The installed tree moved to another folder runs from there.
mkdir -p "$scratch/moved/somewhere"
mv "$scratch/stage$prefix" "$scratch/moved/somewhere/else"
moved=$scratch/moved/somewhere/else
check_programs "$moved" "moved tree"
for program in sondrel sondrel-cli; do
  check_man_page "$moved/share/man/man1/$program.1.gz" "$moved/bin/$program"
done
check_completion "$moved/share/bash-completion/completions/sondrel-cli" "$moved/bin/sondrel-cli"

# 3. Without its data folder the tree still converts and the window starts.
rm -rf "$moved/share/sondrel"
check_programs "$moved" "tree without data folder"

# 4. The Debian package: computed dependencies, the soundfont recommended,
# its contents unpacked into a folder run as installed.
if (cd "$build" && cpack -G DEB -B "$scratch/package") >"$scratch/cpack.log" 2>&1; then
  pass "cpack builds a .deb"
else
  fail "cpack builds a .deb: $(cat "$scratch/cpack.log")"
fi
deb=$(ls "$scratch"/package/sondrel_*.deb 2>/dev/null | head -n 1)
if [ -n "$deb" ]; then
  info=$(dpkg-deb --info "$deb")
  echo "$info" | grep -E '^ (Package|Version|Depends|Recommends):'
  depends=$(sed -n 's/^ Depends: //p' <<<"$info")
  missing=""
  for lib in libavcodec libavformat libwxgtk3.2 libwxbase3.2 libopencore-amrnb libvo-amrwbenc \
    libsndfile libmpg123 libwavpack libopenmpt libfluidsynth libcdio libtag libresample libvorbis; do
    grep -qE "(^|, )$lib" <<<"$depends" || missing+=" $lib"
  done
  if [ -z "$missing" ]; then pass ".deb depends on the linked libraries"; else fail ".deb Depends lacks$missing: $depends"; fi
  if grep -qE '^ Recommends:.*timgm6mb-soundfont' <<<"$info" && grep -qE '^ Package: sondrel$' <<<"$info"; then
    pass ".deb is sondrel and recommends the soundfont"
  else
    fail ".deb is sondrel and recommends the soundfont"
  fi
  dpkg-deb -x "$deb" "$scratch/unpacked"
  check_files "$scratch/unpacked/usr" ".deb"
  check_programs "$scratch/unpacked/usr" "unpacked .deb"
else
  fail "no .deb in $scratch/package"
fi
summary
