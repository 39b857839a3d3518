#!/bin/sh
# Every relative link of the README and the docs/ pages names a file or folder
# of the tree, so a page moved or renamed cannot leave a reader at a dead end.
# Usage: docs_links_test.sh SOURCE_DIR
set -u
src=${1:?source folder}
broken=0
checked=0
for page in "$src"/README.md "$src"/docs/*.md; do
    dir=$(dirname "$page")
    # Targets of [text](target), without URLs and without the #anchor part.
    for target in $(grep -o '\]([^) ]*)' "$page" | sed 's/^](//; s/)$//; s/#.*//' | grep -v '^[a-z][a-z+.-]*:' | grep -v '^$'); do
        checked=$((checked + 1))
        if [ ! -e "$dir/$target" ]; then
            echo "${page#"$src"/}: no such file: $target"
            broken=$((broken + 1))
        fi
    done
done
echo "$checked links checked, $broken broken"
[ "$checked" -gt 0 ] && [ "$broken" -eq 0 ]
