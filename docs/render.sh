#!/usr/bin/env bash
# Renders the Markdown pages of docs/ into OUT_DIR as HTML that reads
# offline: NAME.md becomes NAME.html (index.md the index.html), links
# between pages point at the .html files, every heading gets the anchor that
# GitHub gives it (so "page.md#heading" links work the same in both forms),
# and all pages share style.css. Fails, naming page and link, when a link
# leads to no page or no heading of the rendered set; a link out of docs/
# ("../README.md") is let through with a note, as it works in the
# repository only.
#
# The converter is cmark-gfm: the reference implementation of GitHub
# Flavored Markdown, so tables and autolinks render as they do where the
# Markdown is read; a small C program (under 1 MB installed with its two
# libraries) that renders all pages in a blink. pandoc would do the same
# at 170 MB; python3-markdown and discount differ from GFM in table and
# list details; the original Markdown.pl has no tables.
# Usage: docs/render.sh OUT_DIR
set -euo pipefail
docs="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ $# -ne 1 ]; then
  echo "usage: docs/render.sh OUT_DIR" >&2
  exit 2
fi
out=$1
command -v cmark-gfm >/dev/null || { echo "render.sh: cmark-gfm is missing (bash scripts/setup.sh installs it)" >&2; exit 1; }
[ -f "$docs/index.md" ] || { echo "render.sh: $docs/index.md is missing" >&2; exit 1; }
mkdir -p "$out"

for page in "$docs"/*.md; do
  name=$(basename "$page" .md)
  # Raw HTML passes through (--unsafe): the pages are our own.
  cmark-gfm --unsafe -e table -e autolink "$page" >"$out/$name.body"
done
for image in "$docs"/*.png "$docs"/*.svg; do
  [ -f "$image" ] && cp "$image" "$out/"
done

cat >"$out/style.css" <<'CSS'
body { font: 16px/1.5 system-ui, "Segoe UI", sans-serif; color: #1f2328; max-width: 52em;
       margin: 0 auto; padding: 1em 2em 3em; }
nav { font-size: 90%; border-bottom: 1px solid #d0d7de; padding-bottom: .5em; }
h1, h2, h3 { line-height: 1.25; } h2 { border-bottom: 1px solid #d0d7de; padding-bottom: .2em; }
a { color: #0969da; }
code, pre { font: 90% Consolas, "DejaVu Sans Mono", monospace; background: #f6f8fa; }
code { padding: .1em .3em; border-radius: 4px; }
pre { padding: .8em 1em; overflow: auto; border-radius: 6px; } pre code { padding: 0; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #d0d7de; padding: .3em .7em; vertical-align: top; text-align: left; }
th { background: #f6f8fa; }
blockquote { margin-left: 0; padding-left: 1em; border-left: 4px solid #d0d7de; color: #59636e; }
CSS

perl -CSD -e '
use strict; use warnings;
my $out = shift;
my (%anchors, %html);
sub text_of { my $t = shift; $t =~ s/<[^>]*>//g; $t =~ s/&lt;/</g; $t =~ s/&gt;/>/g;
  $t =~ s/&quot;/"/g; $t =~ s/&#39;/\x27/g; $t =~ s/&amp;/&/g; return $t; }
sub escape { my $t = shift; $t =~ s/&/&amp;/g; $t =~ s/</&lt;/g; $t =~ s/>/&gt;/g; return $t; }
for my $body (sort glob("$out/*.body")) {
  (my $name = $body) =~ s{.*/|\.body$}{}g;
  open my $in, "<", $body or die "$body: $!"; local $/; my $html = <$in>; close $in; unlink $body;
  # GitHub anchors: lower case, punctuation dropped, spaces as hyphens,
  # and -1, -2 ... after a repeated one.
  my %seen;
  $html =~ s{<h([1-6])>(.*?)</h\1>}{
    my ($level, $inner) = ($1, $2);
    my $slug = lc text_of($inner); $slug =~ s/[^\w\- ]//g; $slug =~ tr/ /-/;
    my $id = $seen{$slug}++ ? "$slug-" . ($seen{$slug} - 1) : $slug;
    $anchors{$name}{$id} = 1;
    "<h$level id=\"$id\">$inner</h$level>" }gse;
  # Links to other pages: NAME.md becomes NAME.html.
  $html =~ s{href="(?:\./)?([\w.-]+)\.md(#[^"]*)?"}{"href=\"$1.html" . ($2 // "") . "\""}ge;
  $html{$name} = $html;
}
my (@broken, @outside);
for my $name (sort keys %html) {
  while ($html{$name} =~ /href="([^"]*)"/g) {
    my $link = $1;
    next if $link =~ /^[a-z][a-z0-9+.-]*:/i;
    if ($link =~ m{^\.\./}) { push @outside, "$name.md: \"$link\" leaves docs/ and works in the repository only"; next; }
    my ($file, $fragment) = $link =~ /^([^#]*)(?:#(.*))?$/;
    my $target = $file eq "" ? $name : $file =~ /^([\w.-]+)\.html$/ ? $1 : undef;
    if (defined $target && exists $html{$target}) {
      next if !defined $fragment || $fragment eq "" || $anchors{$target}{$fragment};
      push @broken, "$name.md: \"$link\" names no heading of $target.md";
    } elsif (!($file ne "" && $file !~ m{/} && -f "$out/$file")) {
      push @broken, "$name.md: \"$link\" leads to no page of docs/";
    }
  }
}
print STDERR "render.sh: note: $_\n" for @outside;
if (@broken) { print STDERR "render.sh: $_\n" for @broken; exit 1; }
for my $name (sort keys %html) {
  my ($title) = $html{$name} =~ m{<h1[^>]*>(.*?)</h1>}s;
  $title = defined $title ? escape(text_of($title)) : $name;
  open my $page, ">", "$out/$name.html" or die "$out/$name.html: $!";
  print $page "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n",
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n",
    "<title>$title</title>\n<link rel=\"stylesheet\" href=\"style.css\">\n</head>\n<body>\n",
    ($name eq "index" ? "" : "<nav><a href=\"index.html\">Contents</a></nav>\n"),
    "<main>\n$html{$name}</main>\n</body>\n</html>\n";
  close $page;
}
' "$out"
