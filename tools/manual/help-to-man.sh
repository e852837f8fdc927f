#!/usr/bin/env bash
# Writes the zarnutils(1) manual page from the program's own --help, so that
# the manual and the help are one text and cannot drift
# (tools/zarnutils/usage_text.cpp holds it). The usage lines become the
# synopsis, the paragraphs before and after them the description, and each
# "Heading:" line below them a section. Within a section, flush-left lines
# are paragraphs that man fills to the reader's width; indented lines (tables,
# examples) are kept as laid out.
#
#   help-to-man.sh ZARNUTILS VERSION > zarnutils.1
set -euo pipefail
zarnutils=$1
version=$2

echo ".TH ZARNUTILS 1 \"\" \"zarnutils $version\" \"User Commands\""
# Left-aligned and unhyphenated: names, options and paths stay whole.
echo ".ad l"
echo ".nh"
echo ".SH NAME"
echo "zarnutils \\- call the Regedit and IniEdit classes, and reg and ini verbs"
"$zarnutils" --help | awk '
  # Backslashes and minus signs print as themselves (options stay ASCII
  # hyphen-minus, for copying); a leading dot or quote stays text.
  function roff(line) {
    gsub(/\\/, "\\e", line)
    gsub(/-/, "\\-", line)
    if (line ~ /^[.\047]/) line = "\\&" line
    return line
  }
  # mode: "" at a section start, "fill" in a paragraph, "nofill" in a block.
  function section(title) {
    if (mode == "nofill") print ".fi"
    print ".SH " title
    mode = ""; gap = 0
  }
  function text(line) {
    if (mode == "nofill") { print ".fi"; mode = "fill" }
    if (gap && mode != "") print ".PP"
    mode = "fill"; gap = 0
    print roff(line)
  }
  function block(line) {
    if (mode != "nofill") {
      if (gap && mode != "") print ".PP"
      print ".nf"
      mode = "nofill"
    }
    gap = 0
    print roff(line)
  }
  BEGIN { part = "intro"; count = 0 }
  part == "intro" && /^Usage:$/ { print ".SH SYNOPSIS"; print ".nf"; part = "usage"; next }
  part == "intro" { intro[count++] = $0; next }
  part == "usage" && /^$/ {
    print ".fi"
    section("DESCRIPTION")
    for (i = 0; i < count; i++) { if (intro[i] == "") gap = 1; else text(intro[i]) }
    gap = 1; part = "body"; next
  }
  part == "usage" { sub(/^  /, ""); print roff($0); next }
  /^[A-Z][A-Za-z ]*:$/ { section(toupper(substr($0, 1, length($0) - 1))); next }
  /^$/ { gap = 1; next }
  /^ / { block($0); next }
  { text($0) }
  END { if (mode == "nofill") print ".fi" }
'
