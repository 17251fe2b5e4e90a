#!/usr/bin/env bash
# The desktop files of a build tree, before installing: the desktop entry and
# the AppStream metadata are valid, the manual pages render and name every
# option of --help, the bash completion offers them.
#   tests/packaging/check-data.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/checks.sh"
src=$1
build=$2

check_desktop_data "$src/data/org.sondrel.Sondrel.desktop" "$src/data/org.sondrel.Sondrel.metainfo.xml"
check_mime_types "$src/data/org.sondrel.Sondrel.desktop" "$src/src/decode/source_type.cpp"
for program in sondrel sondrel-cli; do
  check_man_page "$build/data/$program.1" "$build/src/$program"
done
check_completion "$src/data/completion/sondrel-cli" "$build/src/sondrel-cli"
summary
