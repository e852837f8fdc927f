#!/usr/bin/env bash
# Writes the zarnutils(1) manual page from the program's own --help, so that
# the manual and the help are one text and cannot drift: the usage lines
# become the synopsis, the opening paragraphs the description, and each
# "Heading:" line below them a section, its lines kept as laid out.
#
#   help-to-man.sh ZARNUTILS VERSION > zarnutils.1
set -euo pipefail
zarnutils=$1
version=$2

echo ".TH ZARNUTILS 1 \"\" \"zarnutils $version\" \"User Commands\""
echo ".SH NAME"
echo "zarnutils \\- call the Regedit and IniEdit classes, and reg and ini verbs"
"$zarnutils" --help | awk '
  # Backslashes print as themselves; a leading dot or quote stays text.
  function roff(line) {
    gsub(/\\/, "\\e", line)
    if (line ~ /^[.\047]/) line = "\\&" line
    return line
  }
  # The paragraph before "Usage:" opens the description, after the synopsis.
  BEGIN { started = 0; beforeUsage = 1; intro = "" }
  beforeUsage && /^Usage:$/ { print ".SH SYNOPSIS"; print ".nf"; inUsage = 1; beforeUsage = 0; next }
  beforeUsage { intro = intro roff($0) "\n"; next }
  inUsage && /^$/ {
    print ".fi"; print ".SH DESCRIPTION"; print ".nf"; printf "%s\n", intro
    inUsage = 0; started = 1; next
  }
  /^[A-Z][^:]*(\(.*\))?:$/ && !inUsage {
    if (started) print ".fi"
    print ".SH " toupper(substr($0, 1, length($0) - 1))
    print ".nf"
    started = 1
    next
  }
  { print roff($0) }
  END { print ".fi" }
'
