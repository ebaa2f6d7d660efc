#!/usr/bin/env bash
# Tab completion of rm7-download and rm7-sim: in bash and fish the words offered (every option the
# program's --help lists, and for --port the COM numbers that have a device, found through the built
# program in a settings folder of the test's own); zsh's script is checked for its syntax, as its
# completion runs only in an interactive shell.
#   completion.sh RM7_DOWNLOAD RM7_SIM COMPLETION_FOLDER
set -uo pipefail
download=$1 sim=$2 scripts=$3
passed=0 failed=0

check() { # check WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then
        passed=$((passed + 1)) && echo "PASS   : $1"
    else
        failed=$((failed + 1)) && printf 'FAIL!  : %s\n   expected: %s\n   actual:   %s\n' "$1" "$2" "$3"
    fi
}

# The long options a program's --help lists, in its order.
help_options() { "$1" --help | sed -n 's/^ *\(-[a-z], \)\{0,1\}\(--[a-z-]*\).*/\2/p' | joined; }
# Lines as one line of words; words as lines.
joined() { paste -sd' ' -; }
lines() { tr ' ' '\n' | grep .; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
ports=$XDG_CONFIG_HOME/korvane/ports
mkdir -p "$ports"
ln -s /dev/null "$ports/com2"     # leads to a device
ln -s "$work/gone" "$ports/com3"  # wins over the table's /dev/ttyS2 and leads nowhere
ln -s /dev/null "$ports/com40"    # beyond the table, reached by its link alone
PATH="$(dirname "$download"):$(dirname "$sim"):$PATH"

# --- bash --------------------------------------------------------------------------------------------
source "$scripts/rm7-download.bash"
check "bash: rm7-download registered" "complete -F _rm7_download rm7-download" "$(complete -p rm7-download)"
check "bash: rm7-sim registered" "complete -F _rm7_sim rm7-sim" "$(complete -p rm7-sim)"

# Outside a real completion compopt refuses to work; note what the script asks of it instead.
compopt() { requested+=("$*"); }
# The words offered for the last word of the line, then "|" and what the script asked of compopt.
offered() {
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMP_POINT=${#COMP_LINE} COMPREPLY=() requested=()
    local function
    function=$(complete -p "$1" | awk '{ print $3 }')
    "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}|${requested[*]}"
}

check "bash: rm7-download -- offers what --help lists" "$(help_options "$download")|" \
    "$(offered rm7-download --count --)"
check "bash: rm7-sim -- offers what --help lists" "$(help_options "$sim")|" "$(offered rm7-sim --)"
check "bash: a started option" "--quiet|" "$(offered rm7-download --count --q)"
check "bash: --download offers files" "|-o default" "$(offered rm7-download --download '')"
check "bash: --import offers files and folders" "|-o default" "$(offered rm7-download --import a.csv '')"
check "bash: --export's file" "|-o default" "$(offered rm7-download --export 1 '')"
check "bash: rm7-sim --settings offers folders" "|-o dirnames" "$(offered rm7-sim --settings '')"
check "bash: --into offers folders" "|-o dirnames" "$(offered rm7-download --collect --into '')"
check "bash: --collect's --port offers ports" "$(offered rm7-download --port '')" "$(offered rm7-download --collect --port 3 --port '')"
check "bash: rm7-sim --records offers nothing" "|" "$(offered rm7-sim --records '')"

ports_offered=$(offered rm7-download --port '')
words=${ports_offered%|*}
numbers=$(lines <<<"$words" | grep -E '^[0-9]+$' | joined)
listed() { [[ " $numbers " == *" $1 "* ]] && echo yes || echo no; }
check "bash: --port keeps the program's order" "|-o nosort" "|${ports_offered#*|}"
check "bash: --port offers a linked device" yes "$(listed 2)"
check "bash: --port offers a link beyond the table" yes "$(listed 40)"
check "bash: --port leaves out a link that leads nowhere" no "$(listed 3)"
check "bash: --port numbers ascend" "$(lines <<<"$numbers" | sort -n | joined)" "$numbers"
devices_after=$(lines <<<"$words" | sed "1,$(wc -w <<<"$numbers")d" | grep -c -v '^/dev/')
check "bash: --port offers device paths after the numbers" 0 "$devices_after"
check "bash: --port= as --port" "$ports_offered" "$(offered rm7-download --port = '')"
check "bash: --port 4" "$(lines <<<"$numbers" | grep '^4' | joined)|-o nosort" "$(offered rm7-download --port 4)"
check "bash: --port with a path offers files" "|-o default" "$(offered rm7-download --port /dev/nu)"

# --- fish ---------------------------------------------------------------------------------------------
if command -v fish >/dev/null; then
    for script in "$scripts"/*.fish; do
        check "fish: $(basename "$script") parses" "" "$(fish --no-execute "$script" 2>&1)"
    done
    # The completions fish would show, by its own completer, with only this folder's scripts loaded.
    fish_offered() {
        fish --no-config -c "set fish_complete_path '$scripts'; complete -C '$1'" | cut -f1 | joined
    }
    sorted() { lines | sort | joined; }
    check "fish: rm7-download -- offers what --help lists" "$(help_options "$download" | sorted)" \
        "$(fish_offered 'rm7-download --' | sorted)"
    check "fish: rm7-sim -- offers what --help lists" "$(help_options "$sim" | sorted)" \
        "$(fish_offered 'rm7-sim --' | sorted)"
    check "fish: --port offers what bash offers" "$words" "$(fish_offered 'rm7-download --port ')"
else
    echo "SKIP   : fish is not installed"
fi

# --- zsh ----------------------------------------------------------------------------------------------
if command -v zsh >/dev/null; then
    check "zsh: _rm7-download parses" "" "$(zsh -n "$scripts/_rm7-download" 2>&1)"
else
    echo "SKIP   : zsh is not installed"
fi

echo "Totals: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
