#!/usr/bin/env bash
# Prints what bash's completion function offers for a command line typed up to
# the cursor, one match a line:
#   bash tests/completions/complete.bash completions/brulo.bash 'brulo --o'
# Not -e: a completion function may let a command fail, as compopt does outside
# a real completion.
source "$1" || exit 2
COMP_LINE=$2
COMP_POINT=${#COMP_LINE}
read -ra COMP_WORDS <<<"$COMP_LINE"
[[ $COMP_LINE == *' ' ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
complete -p "${COMP_WORDS[0]}" >/dev/null || exit 2  # registered for the command
_brulo "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | sort -u
