#!/usr/bin/env bash
# Checks a shell's completion for kestrane-cli, as written by the build, against
# the cases of CASES: each line is completed by the real shell, with the script
# loaded as the shell finds it once installed, and what it offers must be the
# case's words exactly. PROGRAM, the built kestrane-cli, is put on the PATH:
# fish completes only a command it finds there.
#   check.sh bash|zsh|fish COMPLETIONS_DIR CASES PROGRAM
set -uo pipefail
[ $# -eq 4 ] || { echo "usage: check.sh bash|zsh|fish COMPLETIONS_DIR CASES PROGRAM" >&2; exit 2; }
shell=$1 dir=$(cd "$2" && pwd) cases=$3
PATH=$(cd "$(dirname "$4")" && pwd):$PATH
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/typed" "$work/bash/completions" "$work/fish"
touch "$work/typed/lab.txt" "$work/typed/readings.csv"
cp "$dir/kestrane-cli" "$work/bash/completions/"
cp "$dir/kestrane-cli.fish" "$work/fish/"
command -v "$shell" >/dev/null || { echo "FAIL: $shell is not installed (scripts/install-deps.sh)"; exit 1; }

# bash: bash-completion loads the script by the program's name; the line is
# split into words as readline splits it (at blanks, and around an =).
complete_bash() {
  BASH_COMPLETION_USER_DIR=$work/bash LINE=$1 bash --norc --noprofile -c '
    source /usr/share/bash-completion/bash_completion || exit 2
    __load_completion kestrane-cli || exit 2
    function=$(complete -p kestrane-cli | sed -n "s/.* -F \([^ ]*\) .*/\1/p")
    read -ra COMP_WORDS <<<"${LINE//=/ = }"
    [[ $LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$LINE COMP_POINT=${#LINE}
    "$function" kestrane-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    for reply in "${COMPREPLY[@]}"; do eval "printf \"%s\\n\" $reply"; done'
}

complete_zsh() {
  zsh -f "$here/complete.zsh" "$dir" "$1"
}

# fish: found on its completion path by the program's name. fish offers
# --option=value whole; the value alone is compared.
complete_fish() {
  local word=${1##* }
  fish --no-config -c 'set -p fish_complete_path $argv[1]; complete -C $argv[2]' "$work/fish" "$1" |
    cut -f1 | if [[ $word == -*=* ]]; then sed "s/^[^=]*=//"; else cat; fi
}

failures=0 count=0
while IFS= read -r case; do
  [[ $case == \[* ]] || continue
  line=${case#[} line=${line%%]*}
  expected=$(tr ' ' '\n' <<<"${case#*] }" | grep -v '^$' | sort)
  [[ $case == *"]" ]] && expected=""
  offered=$(cd "$work/typed" && "complete_$shell" "$line" | sort -u) || { echo "FAIL: $shell could not complete [$line]"; exit 1; }
  count=$((count + 1))
  if [[ $offered != "$expected" ]]; then
    echo "FAIL: $shell [$line]: offered $(tr '\n' ' ' <<<"$offered")instead of $(tr '\n' ' ' <<<"$expected")"
    failures=$((failures + 1))
  fi
done <"$cases"
[ "$count" -gt 0 ] || { echo "FAIL: no cases in $cases"; exit 1; }
echo "$shell: $((count - failures)) of $count lines completed as expected"
[ "$failures" -eq 0 ]
