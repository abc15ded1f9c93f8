# bash completion for brulo                                  -*- shell-script -*-
# Every option word with one or two hyphen-minus; folders after -f and -skip.

_brulo() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  case $prev in
    -f | --f | -skip | --skip)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return
      ;;
    -older | --older)
      return
      ;;
  esac
  local words=(help version f current gototrashbox outputlog messagebox del0 vc mingw
    alltrash_delete_mode modern dryrun older skip summary)
  local word options=()
  for word in "${words[@]}"; do options+=("-$word" "--$word"); done
  mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
}
complete -F _brulo brulo
