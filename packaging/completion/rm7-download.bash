# bash completion for rm7-download and rm7-sim                      -*- shell-script -*-
# Installed as bash-completion/completions/rm7-download, with rm7-sim a link to it: bash-completion
# loads it the first time either command is completed. Without bash-completion, source it by hand.

# rm7-download's options, one word each; ":kind" says what the option takes (see _rm7_complete).
# A new option is one more word here.
_rm7_download() {
    local options=(-h --help --help-all -v --version --download:file --count --collect --port:port
        --into:folder --name:value --retries:value --retry-delay:value --no-archive --import --controllers
        --status --overdue:value --export:value --from:value --to:value --plain --quiet --verbose)
    _rm7_complete
}

# rm7-sim's options, as above.
_rm7_sim() {
    local options=(-h --help --help-all -v --version --records:value --fast --settings:folder --com:value
        --silent-after:value --hang-up-after:value --stray:value --endless:value)
    _rm7_complete
}

# Completes the current word from the caller's "options":
#   file    file names (the shell's own completion, "~" and quoting included)
#   folder  folder names
#   port    the COM numbers that have a device, then serial devices; a path when the word begins as one
#   value   something to type (a number, a text): nothing is offered
_rm7_complete() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # "=" breaks words, so "--port=5" arrives as "--port" "=" "5".
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    local option kind= names=()
    for option in "${options[@]}"; do
        names+=("${option%%:*}")
        [[ $option == *:* && ${option%%:*} == "$prev" ]] && kind=${option#*:}
    done

    COMPREPLY=()
    case $kind in
        file) compopt -o default ;;
        folder) compopt -o dirnames ;;
        port)
            if [[ $cur == [/.~]* ]]; then
                compopt -o default
            else
                _rm7_ports "${COMP_WORDS[0]}" "$cur"
            fi
            ;;
        value) ;;
        *)
            # --import takes files and folders after the options, --export the file to write.
            if [[ $cur != -* && " ${COMP_WORDS[*]} " == *" --"@(import|export)" "* ]]; then
                compopt -o default
            elif [[ -z $cur || $cur == -* ]]; then
                mapfile -t COMPREPLY < <(compgen -W "${names[*]}" -- "$cur")
            fi
            ;;
    esac
    return 0
}

# The COM numbers that have a device, as the program itself finds them (its settings-folder links and
# fixed table), in their order; then, for an empty word, the USB serial devices by path.
_rm7_ports() {
    local program=$1 cur=$2 numbers=() device
    command -v "$program" >/dev/null 2>&1 || program=rm7-download
    mapfile -t numbers < <("$program" --list-ports 2>/dev/null)
    mapfile -t COMPREPLY < <(compgen -W "${numbers[*]}" -- "$cur")
    if [[ -z $cur ]]; then
        for device in /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do
            [[ -e $device ]] && COMPREPLY+=("$device")
        done
    fi
    compopt -o nosort
}

complete -F _rm7_download rm7-download
complete -F _rm7_sim rm7-sim
