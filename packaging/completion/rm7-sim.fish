# fish completion for rm7-sim, installed into fish's vendor_completions.d.

# rm7-sim's options; a new option is one more line here. It takes no other arguments.
complete -c rm7-sim -f
complete -c rm7-sim -s h -l help -d 'Print the options and exit'
complete -c rm7-sim -l help-all -d 'Print the options, the toolkit\'s too, and exit'
complete -c rm7-sim -s v -l version -d 'Print the version and exit'
complete -c rm7-sim -l records -x -d 'Records it holds (0: none)'
complete -c rm7-sim -l fast -d 'Send as fast as possible, not at 9600 baud'
complete -c rm7-sim -l settings -x -a '(__fish_complete_directories)' -d 'Settings folder for the ports/comN link'
complete -c rm7-sim -l com -x -d 'COM number of that link'
complete -c rm7-sim -l silent-after -x -d 'Fall silent after this many lines'
complete -c rm7-sim -l endless -x -d 'Send lines of this many bytes without end'
complete -c rm7-sim -l hang-up-after -x -d 'Hang up after this many lines'
complete -c rm7-sim -l stray -x -d 'Characters sent before each reply'
