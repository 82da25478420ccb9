#!/usr/bin/env bash
# cli_docs_test.sh <korvane> <manual page> <completion>: the manual page
# renders without a warning and documents every subcommand and option the
# program's parser knows; the bash completion completes them, word by word,
# as bash does on Tab.
set -euo pipefail

korvane=$1 manual=$2 completion=$3
fail() {
  echo "cli docs test: $*" >&2
  exit 1
}
tree=$("$korvane" --command-tree)

warnings=$(man --warnings -l "$manual" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man --warnings: $warnings"
page=$(MANWIDTH=200 man -l "$manual" 2>/dev/null)
# Every command path and every option of the tree, from the program itself.
mapfile -t paths < <(/usr/bin/python3 -c 'import json, sys
def walk(node, path):
    for sub in node["subcommands"]:
        print(" ".join(path + [sub["name"]]))
        walk(sub, path + [sub["name"]])
walk(json.loads(sys.argv[1]), [])' "$tree")
((${#paths[@]} > 5)) || fail "the tree has ${#paths[@]} commands"
mapfile -t options < <(/usr/bin/python3 -c 'import json, sys
def walk(node):
    for o in node["options"]:
        print(*o["names"]) if not o["positional"] else None
    for sub in node["subcommands"]:
        walk(sub)
walk(json.loads(sys.argv[1]))' "$tree" | tr ' ' '\n' | sort -u)
for path in "${paths[@]}"; do
  grep -qE "^   $path\$" <<<"$page" || fail "the manual page has no section for '$path'"
done
for option in "${options[@]}"; do
  grep -qF -- "$option" <<<"$page" || fail "the manual page does not name $option"
done
for section in "EXIT STATUS" ENVIRONMENT FILES; do
  grep -q "^$section" <<<"$page" || fail "the manual page has no $section"
done

# complete <words...>: what Tab offers after the words (the last one is being typed).
complete_words() {
  bash --norc --noprofile -c 'source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _korvane
    printf "%s\n" "${COMPREPLY[@]}" | sort | xargs' _ "$completion" korvane "$@"
}
check() {
  local expected=$1
  shift
  local got
  got=$(complete_words "$@")
  [[ $got == "$expected" ]] || fail "korvane $* <Tab>: '$got', expected '$expected'"
}
# The rule: at each command path, a word completes to the subcommands there,
# a dash to its options and the global ones.
for path in "" "${paths[@]}"; do
  read -ra words <<<"$path"
  expected=$(/usr/bin/python3 -c 'import json, sys
node = json.loads(sys.argv[1])
for word in sys.argv[2:]:
    node = next(s for s in node["subcommands"] if s["name"] == word)
print(" ".join(sorted(s["name"] for s in node["subcommands"])))' "$tree" "${words[@]}")
  check "$expected" "${words[@]}" ""
done
check "status" st
check "trace trigger" tr
check "connect" --resource PXI0::0::INSTR trigger con
check "--check" status --format json --c
check "--simulate" --sim
# An option's value is no command, even when it reads like one.
check "trace trigger" --resource status tr
# The program's own options also follow a command.
check "--simulate" trigger show --sim
# And as a person uses it: Tab in an interactive bash in a terminal (tmux).
server=korvane-completion-$$
tmux_() { tmux -L "$server" -f /dev/null "$@"; }
trap 'tmux -L "$server" kill-server 2>/dev/null || true' EXIT
bin=$(mktemp -d)
ln -s "$(realpath "$korvane")" "$bin/korvane"
tmux_ new-session -d -s t -x 100 -y 20 \
  "env PATH=$bin:/usr/bin:/bin PS1='READY\$ ' INPUTRC=/dev/null bash --norc --noprofile -i"
tmux_ send-keys -t t "source $(realpath "$completion")" Enter
tmux_ send-keys -t t "korvane trigger con" Tab
# screen_shows <text>: waits until the pane shows the text (at most 30 s).
screen_shows() {
  local i
  for ((i = 0; i < 300; i++)); do
    tmux_ capture-pane -p -t t | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  fail "the terminal never showed '$1':$(tmux_ capture-pane -p -t t)"
}
screen_shows 'READY$ korvane trigger connect'
tmux_ send-keys -t t C-u "korvane tr" Tab Tab
screen_shows 'trace    trigger'
rm -rf "$bin"
echo "cli docs test passed: ${#paths[@]} commands, ${#options[@]} options"
