# Prints what zsh's completion offers for the last word of a line, one a line:
# an interactive zsh in a pseudo-terminal, with the completion system and the
# folder DIR on its fpath, is typed the line and a Tab, and every match that
# compadd would add is written out as it adds it. Tab runs the completion
# with a last step that marks it finished, so that nothing is read before.
#   zsh -f complete.zsh DIR LINE
dir=$1 line=$2
zmodload zsh/zpty || exit 2
out=$(mktemp -u)
# Waits until the file $1 exists, reading what the shell prints meanwhile.
wait_for() {
  local i junk
  for i in {1..400}; do
    [[ -e $1 ]] && return 0
    zpty -r -t z junk 2>/dev/null
    sleep 0.05
  done
  return 1
}
zpty -b z zsh -f -i
zpty -w z "PS1=''; fpath=(${(q)dir} \$fpath); autoload -Uz compinit; compinit -u -D"
zpty -w z "compadd() { local -a hits; builtin compadd -O hits \"\$@\"; print -rl -- \$hits >> ${(q)out}; builtin compadd \"\$@\"; }"
zpty -w z "finished() { touch ${(q)out}.done }; marked() { comppostfuncs=(finished); _main_complete }"
zpty -w z "zle -C marked-complete complete-word marked; bindkey '^I' marked-complete; touch ${(q)out}.ready"
wait_for $out.ready || { print -u2 "complete.zsh: zsh did not start"; zpty -d z; exit 2; }
zpty -w -n z "$line"$'\t'
wait_for $out.done || { print -u2 "complete.zsh: zsh did not complete the line"; zpty -d z; exit 2; }
zpty -d z
[[ -e $out ]] && grep -v '^$' $out
rm -f $out $out.ready $out.done
exit 0
