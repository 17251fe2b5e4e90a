# Checks shared by check-data.sh and check-install.sh; sourced, not run.
# Each check prints "ok: NAME" or "FAILED: NAME" with the reason; `summary`
# prints the counts and returns non-zero when a check failed.

PASSED=0
FAILED=0

pass() { echo "ok: $1"; PASSED=$((PASSED + 1)); }
fail() { echo "FAILED: $1"; FAILED=$((FAILED + 1)); }

# check NAME COMMAND...: passes when COMMAND succeeds; its output is shown on failure.
check() {
  local name=$1 output
  shift
  if output=$("$@" 2>&1); then pass "$name"; else fail "$name"; echo "$output" | sed 's/^/  /'; fi
}

summary() {
  echo "$PASSED passed, $FAILED failed"
  [ "$FAILED" -eq 0 ]
}

# The options a program's --help lists: every "-x" and "--name" that starts
# an indented line or follows "-x, " on one.
help_options() {
  "$1" --help | grep -oE '^ +(-[a-zA-Z], )?--?[a-zA-Z][a-zA-Z-]*' | grep -oE -- '--?[a-zA-Z][a-zA-Z-]*'
}

# check_man_page PAGE PROGRAM: the page renders without a warning and names
# every option of the program's --help.
check_man_page() {
  local page=$1 program=$2 name rendered warnings missing=""
  name=$(basename "$page")
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man --warnings -l "$page" 2>&1 >/dev/null) || true
  rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man -l "$page" 2>/dev/null) || true
  if [ -n "$rendered" ] && [ -z "$warnings" ] && grep -q '^NAME' <<<"$rendered"; then
    pass "man -l renders $name"
  else
    fail "man -l renders $name"
    echo "$warnings" | sed 's/^/  /'
  fi
  for option in $(help_options "$program"); do
    grep -qE -- "(^|[^a-zA-Z-])$option([^a-zA-Z-]|$)" <<<"$rendered" || missing+=" $option"
  done
  if [ -n "$(help_options "$program")" ] && [ -z "$missing" ]; then
    pass "$name names every option of $(basename "$program") --help"
  else
    fail "$name names every option of $(basename "$program") --help (missing:${missing:- no options found})"
  fi
}

# check_completion FILE PROGRAM: the completion offers every long option of
# --help, and the output formats after --format.
check_completion() {
  local file=$1 program=$2 missing=""
  local offered
  offered=$(bash -c '
    source "$1"
    COMP_WORDS=("$2" --); COMP_CWORD=1; _sondrel_cli; printf "%s\n" "${COMPREPLY[@]}"
    COMP_WORDS=("$2" --format m); COMP_CWORD=2; _sondrel_cli; printf "%s\n" "${COMPREPLY[@]}"
  ' _ "$file" "$program" 2>&1)
  for option in $(help_options "$program" | grep -- '^--'); do
    grep -qxF -- "$option" <<<"$offered" || missing+=" $option"
  done
  if [ -z "$missing" ] && grep -qx mp3 <<<"$offered"; then
    pass "bash completion offers every option and the formats"
  else
    fail "bash completion offers every option and the formats (missing:${missing} ${offered//$'\n'/ })"
  fi
}

# check_desktop_data DESKTOP METAINFO: both pass their validators.
check_desktop_data() {
  check "desktop-file-validate $(basename "$1")" desktop-file-validate "$1"
  check "appstreamcli validate $(basename "$2")" appstreamcli validate --no-net "$2"
}

# check_mime_types DESKTOP SOURCE_TYPE_CPP: for each extension the readers
# know (the table of decode/source_type.cpp) that shared-mime-info names a
# type for, the desktop entry's MimeType lists one of its types, so that the
# file manager offers Sondrel for it.
check_mime_types() {
  local listed missing="" ext types
  listed=$(sed -n 's/^MimeType=//p' "$1" | tr ';' '\n')
  for ext in $(grep -oE '\{"\.[a-z0-9]+", kSource' "$2" | grep -oE '[a-z0-9]+"' | tr -d '"'); do
    types=$(grep -iE ":\*\.$ext$" /usr/share/mime/globs2 | cut -d: -f2)
    [ -z "$types" ] && continue
    grep -qxF -f <(echo "$types") <<<"$listed" || missing+=" .$ext($(echo $types))"
  done
  if [ -z "$missing" ]; then pass "MimeType covers the readers' extensions"; else fail "MimeType lacks$missing"; fi
}
