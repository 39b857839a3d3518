#!/bin/sh
# The README and the docs/ pages say nothing the tree contradicts: every
# relative link names a file or folder, every path and symbol they name in
# code is there, every test the safety table cites exists, the layers'
# picture is the libraries CMake builds, every varcelctl command they show
# is one varcelctl has, and the bus page's RunCommand leaves out what the
# service does.
# Usage: docs_links_test.sh SOURCE_DIR [VARCELCTL]
set -u
src=${1:?source folder}
ctl=${2:-}
broken=0
checked=0
bad() { echo "$*"; broken=$((broken + 1)); }
# The text in code: fenced blocks' lines and `inline` spans.
code() { awk '/^ *```/ {f = !f; next} f {print; next} {n = split($0, a, "`"); for (i = 2; i <= n; i += 2) print a[i]}' "$@"; }
for page in "$src"/README.md "$src"/docs/*.md; do
    dir=$(dirname "$page")
    # Targets of [text](target), without URLs and without the #anchor part.
    for target in $(grep -o '\]([^) ]*)' "$page" | sed 's/^](//; s/)$//; s/#.*//' | grep -v '^[a-z][a-z+.-]*:' | grep -v '^$'); do
        checked=$((checked + 1))
        [ -e "$dir/$target" ] || bad "${page#"$src"/}: no such file: $target"
    done
    # Paths of the tree (a file, a stem such as src/control/workspace, a glob)
    # and symbols (CamelCase, camelCase, Type::member) named in code.
    for path in $(code "$page" | grep -oE '^(src|tests|bench|scripts|tools|packaging|docs)/[A-Za-z0-9_./*@-]*$'); do
        checked=$((checked + 1))
        [ -n "$(cd "$src" && ls -d $path $path.* 2>/dev/null)" ] || bad "${page#"$src"/}: no such path: $path"
    done
    for symbol in $(code "$page" | grep -E '^([A-Z][a-z]+[A-Z][A-Za-z0-9]*|[a-z]+[A-Z][A-Za-z0-9]*|[A-Za-z]+::[A-Za-z]+)$' | sort -u); do
        checked=$((checked + 1))
        m=${symbol##*::}
        grep -rqE -- "\b$m\(|$symbol\b|^[^/]*\b$m\b" "$src/src" "$src/tests" "$src/tools" "$src/packaging" || bad "${page#"$src"/}: no such symbol: $symbol"
    done
done

# The last column of the safety tables: GoogleTest names (Suite.Name) or CTest names.
for name in $(grep '^| ' "$src/docs/safety.md" | sed 's/.*|\(.*\)|[[:space:]]*$/\1/' | grep -o '`[A-Za-z0-9_.]*`' | tr -d '`'); do
    checked=$((checked + 1))
    case $name in
        *.*) grep -rqE "^TEST(_F|_P)?\(${name%%.*}, *${name#*.}\)" "$src/tests" ;;
        *) grep -rqE "add_test\(NAME ${name}([ )]|$)|foreach\(test .*\b${name}\b" "$src/tests" ;;
    esac || bad "docs/safety.md: no such test: $name"
done

# What the bus page says RunCommand refuses is what the service refuses.
said=$(grep '`RunCommand(as args)`' "$src/docs/dbus.md" | sed 's/.* but \(.*\) given .*/\1/' | grep -o '`[a-z-]*`' | tr -d '`' | sort | xargs)
done_=$(sed -n '/^bool goesThroughRunningProgram/,/^}/p' "$src/src/service/service_core.cpp" | grep -o 'command != "[a-z-]*"' | cut -d'"' -f2 | sort | xargs)
checked=$((checked + 1))
[ -n "$said" ] && [ "$said" = "$done_" ] || bad "docs/dbus.md: RunCommand refuses '$said', the service '$done_'"

# The layers' picture (docs/design.md, the block under "## The layers"):
# every library and program folder of src/ drawn once as "NAME (its
# folders)", every target drawn above each one it links, never beside it.
picture=$(awk '/^## The layers/ {s = 1} s && /^```/ {if (f) exit; f = 1; next} f' "$src/docs/design.md")
cmake=$(cat "$src"/src/CMakeLists.txt "$src"/src/*/CMakeLists.txt "$src"/src/*/*.cmake | tr '\n' ' ')
row() { echo "$picture" | grep -nE "(^|[^a-z_])$1 \(" | cut -d: -f1; }
for layer in $(echo "$cmake" | grep -oE 'varcel_(layer|program_folder)\([a-z_ ]+\)' | sed 's/^[a-z_]*(\(.*\))/\1/' | tr ' ' ','); do
    name=${layer%%,*} folders=$(echo "${layer#*,}" | tr ',' '\n' | sed 's|^|src/|' | sort | xargs)
    checked=$((checked + 1))
    [ "$(row "$name" | wc -l)" = 1 ] || { bad "docs/design.md: the layers' picture draws $name $(row "$name" | wc -l) times"; continue; }
    drawn=$(echo "$picture" | sed -n "s/.*$name (\([^)]*\)).*/\1/p" | tr ', ' '\n\n' | grep . | sort | xargs)
    [ "$drawn" = "$folders" ] || bad "docs/design.md: the picture draws $name of $drawn, src/ builds it of $folders"
done
for link in $(echo "$cmake" | grep -oE 'target_link_libraries\([a-z_]+ [^)]*\)' | sed 's/^[a-z_]*(\(.*\))/\1/' | tr ' ' ','); do
    from=${link%%,*}
    for to in $(echo "${link#*,}" | tr ',' '\n' | grep -xE 'varcel_[a-z_]+'); do
        [ -n "$(row "$from")" ] && [ -n "$(row "$to")" ] || continue
        checked=$((checked + 1))
        [ "$(row "$from" | head -1)" -lt "$(row "$to" | head -1)" ] || bad "docs/design.md: $from links $to but is not drawn above it"
    done
done

# Every `varcelctl ...` in code (inline or a block) names a command, and a
# subcommand of it where it has any, of varcelctl's own help.
if [ -n "$ctl" ]; then
    commands() { "$ctl" "$@" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NF > 1 {print $1}'; }
    top=$(commands)
    valued=$("$ctl" --help | grep -oE '^ +(-[a-z],)?--[a-z-]+ [A-Z]' | grep -oE -- '--[a-z-]+' | xargs)
    shown=$(code "$src"/README.md "$src"/docs/*.md | grep -o 'varcelctl\( [^ |;&)`#]*\)*' | sort -u)
    while read -r _ words; do
        set -- $words
        while [ $# -gt 0 ] && [ "${1#-}" != "$1" ]; do
            case " $valued " in *" $1 "*) shift ;; esac
            [ $# -gt 0 ] && shift
        done
        case ${1:-} in [a-z]*) ;; *) continue ;; esac
        checked=$((checked + 1))
        echo "$top" | grep -qx "$1" || { bad "no such command: varcelctl $words"; continue; }
        subs=$(commands "$1")
        case ${2:-} in [a-z]*) [ -z "$subs" ] || echo "$subs" | grep -qx "$2" || bad "no such command: varcelctl $words" ;; esac
    done <<EOF
$shown
EOF
fi
echo "$checked links, tests and commands checked, $broken wrong"
[ "$checked" -gt 0 ] && [ "$broken" -eq 0 ]
