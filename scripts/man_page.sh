#!/bin/sh
# Writes a program's man page with help2man from its --help and --version,
# with a COMMANDS section of each subcommand's own --help (the subcommands
# are the ones the program's --help lists).
#   man_page.sh HELP2MAN PROGRAM SUMMARY OUTPUT
set -eu
help2man=$1
program=$2
summary=$3
output=$4
include=$output.include
commands=$("$program" --help | sed -n '/^Subcommands:/,$ { /^  [a-z]/ s/^  \([a-z0-9-]*\).*/\1/p }')
{
  echo "[COMMANDS]"
  for command in $commands; do
    echo ".SS $command"
    echo ".nf"
    # roff escapes: backslashes, and lines that would read as requests
    "$program" "$command" --help | sed -e 's/\\/\\e/g' -e 's/^[.'\'']/\\\&&/'
    echo ".fi"
  done
} >"$include"
"$help2man" --no-info --no-discard-stderr --section=1 --name="$summary" --include="$include" \
  --output="$output" "$program"
rm -f "$include"
