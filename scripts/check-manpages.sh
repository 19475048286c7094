#!/usr/bin/env bash
# Keeps the manual pages in step with the programs:
#   scripts/check-manpages.sh BINDIR
# every command tintwell-cli --help lists has a section (.SS "command ...) in
# tintwell-cli.1 naming every option of its own --help; every option of
# tintwell-sim --help is under OPTIONS of tintwell-sim.1, and every command
# of its standard-input "help" list is set in bold under COMMANDS.
set -euo pipefail
bin=${1:?usage: check-manpages.sh BINDIR}
man=$(cd "$(dirname "$0")/../docs/man" && pwd)
status=0
missing() {
    echo "$1" >&2
    status=1
}
# The page as plain text for matching: roff's escaped hyphens and font changes undone.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$man/$1"; }
# Lines from the heading matching $2 up to the next section heading.
section() { awk -v h="$2" 'index($0, h) == 1 { on = 1; print; next } on && /^\.S[SH]/ { on = 0 } on' <<<"$1"; }
options() { grep -oE -- '--[a-z][a-z0-9-]*' | grep -vx -- --help | sort -u; }

cli=$(plain tintwell-cli.1)
commands=$("$bin/tintwell-cli" --help | awk '/^commands:/ { on = 1; next } on && NF == 0 { exit } on { print $1 }')
[ "$(wc -l <<<"$commands")" -ge 10 ] || missing "tintwell-cli --help lists no commands"
for c in $commands; do
    part=$(section "$cli" ".SS \"$c")
    [ -n "$part" ] || { missing "tintwell-cli.1: no section for $c"; continue; }
    for o in $("$bin/tintwell-cli" "$c" --help | options); do
        grep -q -- "$o" <<<"$part" || missing "tintwell-cli.1: $c lacks $o"
    done
done
section "$cli" ".SH EXIT STATUS" | grep -qx '\.B 3' || missing "tintwell-cli.1: exit status 3 missing"

sim=$(plain tintwell-sim.1)
sim_options=$(section "$sim" ".SH OPTIONS")
for o in $("$bin/tintwell-sim" --help | options); do
    grep -q -- "$o" <<<"$sim_options" || missing "tintwell-sim.1: option $o missing"
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
help=$(printf 'help\n' | "$bin/tintwell-sim" --dir "$dir" --fast 2>/dev/null | grep '^ok ')
sim_commands=$(section "$sim" ".SH COMMANDS" | grep '^\.B')
names=$(sed -e 's/^ok //' <<<"$help" | grep -oE '(^|; )[a-z]+' | sed 's/^; //')
[ "$(wc -l <<<"$names")" -ge 10 ] || missing "tintwell-sim lists no commands"
for n in $names; do
    grep -qw -- "$n" <<<"$sim_commands" || missing "tintwell-sim.1: command $n missing"
done
[ $status -eq 0 ] && echo "manual pages in step: $(wc -w <<<"$commands") commands, $(wc -w <<<"$names") simulator commands"
exit $status
