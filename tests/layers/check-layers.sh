#!/usr/bin/env bash
# The folders under src/ are layers. A folder may include only the folders
# below it in this list; the pages sit side by side and never include each
# other; the store includes no Qt at all. Prints each offending include and
# fails when there is one, or when a folder is missing from the list.
# usage: check-layers.sh SRC_DIR
set -u
src=${1:?usage: check-layers.sh SRC_DIR}

declare -A rank=(
    [store]=0 [language]=1 [units]=2 [platform]=3 [memo]=4 [widgets]=5 [reports]=6
    [bicycles]=7 [rides]=7 [maintenance]=7 [statistics]=7 [options]=7 [tools]=7
    [app]=8
)
page_rank=7
status=0

for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if [ -z "${rank[$folder]+set}" ]; then
        echo "src/$folder has no place in the layer list of $0"
        status=1
    fi
done

while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    text=${rest#*:}
    from=${file#"$src"/}
    from=${from%%/*}
    [ -n "${rank[$from]+set}" ] || continue
    if [[ $text =~ \#include[[:space:]]*\"([a-z]+)/ ]]; then
        to=${BASH_REMATCH[1]}
        [ -n "${rank[$to]+set}" ] || continue
        if [ "$to" != "$from" ]; then
            if [ "${rank[$to]}" -gt "${rank[$from]}" ] ||
               { [ "${rank[$to]}" -eq "$page_rank" ] && [ "${rank[$from]}" -eq "$page_rank" ]; }; then
                echo "src/$from may not include $to: ${file#"$src"/}:$line: $text"
                status=1
            fi
        fi
    elif [[ $text =~ \#include[[:space:]]*\"[^/\"]+\" ]]; then
        echo "include without its folder: ${file#"$src"/}:$line: $text"
        status=1
    fi
    if [ "$from" = store ] && [[ $text =~ \#include[[:space:]]*\<Q ]]; then
        echo "the store uses no Qt: ${file#"$src"/}:$line: $text"
        status=1
    fi
done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.h.in' -E '^[[:space:]]*#[[:space:]]*include' "$src")

[ $status -eq 0 ] && echo "layers hold"
exit $status
