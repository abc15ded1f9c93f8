# fish completion for brulo: every option word with one or two hyphen-minus
# (-o and -l); folders after -f and -skip, a number of days after -older.

complete -c brulo -f
complete -c brulo -o help -l help -d 'show the usage'
complete -c brulo -o version -l version -d 'show the version'
complete -c brulo -o f -l f -x -a '(__fish_complete_directories)' -d 'clean this tree'
complete -c brulo -o current -l current -d 'clean the current directory'
complete -c brulo -o gototrashbox -l gototrashbox -d 'move the files to the trash'
complete -c brulo -o outputlog -l outputlog -d 'also write brulo_log.log'
complete -c brulo -o messagebox -l messagebox -d 'also show a failure in a message box'
complete -c brulo -o del0 -l del0 -d 'an empty *.sbr counts as a build output'
complete -c brulo -o vc -l vc -d 'clean mode'
complete -c brulo -o mingw -l mingw -d 'clean mode'
complete -c brulo -o alltrash_delete_mode -l alltrash_delete_mode -d 'clean mode'
complete -c brulo -o modern -l modern -d "also today's build outputs"
complete -c brulo -o dryrun -l dryrun -d 'list what would go, remove nothing'
complete -c brulo -o older -l older -x -d 'keep outputs younger than DAYS days'
complete -c brulo -o skip -l skip -x -a '(__fish_complete_directories)' -d 'do not enter directories named NAME'
complete -c brulo -o summary -l summary -d 'files and bytes removed per tree'
