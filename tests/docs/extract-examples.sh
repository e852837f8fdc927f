#!/usr/bin/env bash
# Extracts the examples of Markdown pages: every fenced block of LANGUAGE
# (vbscript, jscript or cpp) becomes a file OUT_DIR/NNN.EXT, with
# OUT_DIR/NNN.where naming its page and line. When the block is followed,
# past blank lines only, by a line "Output:" and a ```text block, that
# block's lines become OUT_DIR/NNN.out; a line "Output (64-bit host):" or
# "Output (32-bit host):" instead gives OUT_DIR/NNN.out.64-bit or
# NNN.out.32-bit, the output that host alone prints. docs/development.md
# describes the convention.
#
#   extract-examples.sh LANGUAGE EXT OUT_DIR PAGE...
set -euo pipefail
language=$1
ext=$2
out=$3
shift 3
mkdir -p "$out"
awk -v language="$language" -v ext="$ext" -v out="$out" '
  function flush_name(n) { return sprintf("%s/%03d", out, n) }
  FNR == 1 { state = "text"; }
  # Inside an example: copy lines until the closing fence.
  state == "example" {
    if ($0 ~ /^```[ \t]*$/) { close(flush_name(count) "." ext); state = "after"; next }
    print > (flush_name(count) "." ext)
    next
  }
  # Inside an output block: copy lines until the closing fence.
  state == "output" {
    if ($0 ~ /^```[ \t]*$/) { close(target); state = "after"; next }
    print > target
    found[target] = 1
    next
  }
  # After an example or an output block: blank lines, an "Output" label and
  # the text block it names belong to it; anything else ends it.
  state == "after" || state == "label" {
    if ($0 ~ /^[ \t]*$/) next
    if (state == "after" && $0 ~ /^Output( \((32|64)-bit host\))?:[ \t]*$/) {
      target = flush_name(count) ".out"
      if (match($0, /(32|64)-bit/)) target = target "." substr($0, RSTART, RLENGTH)
      state = "label"
      next
    }
    if (state == "label") {
      if ($0 !~ /^```text[ \t]*$/) {
        printf "%s:%d: an Output label must be followed by a ```text block\n", FILENAME, FNR > "/dev/stderr"
        bad = 1
      }
      printf "" > target
      state = "output"
      next
    }
    state = "text"
  }
  state == "text" && $0 ~ ("^```" language "[ \t]*$") {
    count++
    printf "%s:%d\n", FILENAME, FNR > (flush_name(count) ".where")
    close(flush_name(count) ".where")
    printf "" > (flush_name(count) "." ext)
    state = "example"
    next
  }
  state == "text" && /^```/ { state = "fence"; next }
  state == "fence" { if ($0 ~ /^```[ \t]*$/) state = "text"; next }
  END { exit bad }
' "$@"
