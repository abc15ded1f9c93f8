#!/usr/bin/env zsh
# Prints what zsh offers for a command line typed up to the cursor, one match a
# line, with the completion functions of a folder:
#   zsh -f tests/completions/complete.zsh COMPLETIONS_DIR 'brulo --o'
# Completion runs only inside the line editor, so an interactive zsh is started
# on a pseudo-terminal; it sources this file again with --inside to set up.

if [[ $1 == --inside ]]; then
  PS1=
  unsetopt zle_bracketed_paste
  fpath=($2 $fpath)
  autoload -Uz compinit && compinit -u -D
  bindkey '^I' complete-word
  # A line of its own before and after the matches; then the shell ends.
  brulo_mark() { print -r -- '<<mark>>'; }
  compprefuncs=(brulo_mark)
  comppostfuncs=(brulo_mark exit)
  compadd() {
    # Calls that only collect words (-O, -A, -D) offer nothing themselves.
    if [[ ${@[1,(i)(-|--)]} == *-(O|A|D)\ * ]]; then builtin compadd "$@"; return; fi
    local -a hits prefix
    builtin compadd -A hits "$@"
    zparseopts -E P:=prefix
    (( $#hits )) && print -rl -- "${prefix[2]}${^hits[@]}"
    builtin compadd "$@"
  }
  print -r -- '<<ready>>'
  return
fi

zmodload zsh/zpty
zpty shell zsh -f -i
zpty -w shell "source ${(q)0:A} --inside ${(q)1:A}"
zpty -r -m shell ignored '*<<ready>>*' || exit 2
zpty -n -w shell "$2"$'\t'
output=
while zpty -r shell chunk; do output+=$chunk; done
zpty -d shell
print -r -- ${output//$'\r'/} | awk '/<<mark>>/ { inside = !inside; next } inside' | sort -u
