#!/usr/bin/env bash
# varcelctl's bash completion as bash runs it: each row is a command line
# being completed (the cursor at its end) and a word the offers must hold.
#
#   completion_test.sh COMPLETION_FILE VARCELCTL
set -uo pipefail
completion="$1"
varcelctl="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

source /usr/share/bash-completion/bash_completion || { echo "FAIL: no bash-completion" >&2; exit 1; }
source "$completion"

# A data folder with two macros, one of them with a blank in its name.
cp "$(dirname "$varcelctl")/../share/varcel/config.bin" "$work/config.bin"
printf '[Jump]\nItemCount=0\n[Fire Burst]\nItemCount=0\n' >"$work/record.ini"
data="--data-dir $work"

# Completes the line as bash would after a Tab and prints the offers, one a line.
offers() {
    # The program under test stands in for "varcelctl", as if found on PATH.
    local line="$varcelctl${1#varcelctl}"
    COMP_LINE="$line"
    COMP_POINT=${#line}
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _varcelctl varcelctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}"
}

failures=0
check() { # LINE WANTED [UNWANTED]
    local got
    got="$(offers "$1")"
    if ! grep -qxF -- "$2" <<<"$got"; then
        echo "FAIL: \"$1\" does not offer \"$2\"; it offers: $(tr '\n' ' ' <<<"$got")" >&2
        failures=$((failures + 1))
    fi
    if [[ -n ${3:-} ]] && grep -qxF -- "$3" <<<"$got"; then
        echo "FAIL: \"$1\" offers \"$3\"" >&2
        failures=$((failures + 1))
    fi
}

check "varcelctl " export
check "varcelctl " import
check "varcelctl im" import export
check "varcelctl --" --data-dir
check "varcelctl --sim-fault " unplug-after
check "varcelctl import --" --apply
check "varcelctl --link 0123456789AB:F0E1D2C3B4A59687 link " learn
check "varcelctl link learn --" --save
check "varcelctl button " B
check "varcelctl button A 3 " single-key
check "varcelctl button A 3 single-key F" F5
check "varcelctl button A 3 single-key Caps" 'Caps\ Lock'
check "varcelctl button A 3 single-key " 'Num\ Enter'
check "varcelctl button B 1 combo " 'Left\ Ctrl'
check "varcelctl button B 1 combo Ctrl Right" 'Right\ Shift'
check "varcelctl button A 2 multimedia V" Vol+
check "varcelctl button A 4 fire-key R-" R-CTRL
check "varcelctl button A 6 dpi-switch " loop
check "varcelctl rate " 1000
check "varcelctl dpi 2 " 4000
check "varcelctl rgb n" neon
check "varcelctl rgb neon 2." 2.5S
check "varcelctl rgb 2 " 8S
check "varcelctl dpi-color 1 " W
check "varcelctl color 3 o" off
check "varcelctl $data macro " confirm
check "varcelctl $data macro show " Jump
check "varcelctl $data macro show F" 'Fire\ Burst' Jump
"$varcelctl" $data profile save "Game Night" >/dev/null
check "varcelctl $data profile " rule
check "varcelctl $data profile load G" 'Game\ Night'
check "varcelctl $data button A 5 macro " 'Fire\ Burst'
check "varcelctl $data macro add Jump Space" 'Space\ Dn'
# Every subcommand varcelctl lists, and those of its commands that have their own.
for command in $("$varcelctl" --help | sed -n '/^Subcommands:/,$s/^  \([a-z-]*\) .*/\1/p'); do
    check "varcelctl " "$command"
    for sub in $("$varcelctl" "$command" --help | sed -n '/^Subcommands:/,$s/^  \([a-z-]*\) .*/\1/p'); do
        check "varcelctl $command " "$sub"
    done
done
check "varcelctl sim notify " dpi-stage
check "varcelctl rgb respiration " 6S
check "varcelctl rate " 1000

if ((failures)); then
    exit 1
fi
echo "completion: ok"
