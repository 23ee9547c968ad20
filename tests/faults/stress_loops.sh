#!/bin/bash
# The writers of the stress trial, each until SECONDS have passed; every line one outcome. BASE
# records were there first.
#   stress_loops.sh cli DIR SECONDS SEED BASE CLI TAG  add/update/delete of its own records, and
#                                                      updates of the first records' content
#   stress_loops.sh hand DIR SECONDS SEED BASE         hand edits of the first records: sed -i adds
#                                                      an x to KEY3, a rename-in a y to KEY2
#   stress_loops.sh lock DIR SECONDS SEED BASE         sitekanri.lock replaced by rename, over and over
mode=$1 dir=$2 end=$(( $(date +%s) + $3 )) base=$5 cli=$6 tag=$7
RANDOM=$4
case $mode in
cli)
    i=0; live=()
    while [ "$(date +%s)" -lt $end ]; do
        i=$((i + 1)); r=$((RANDOM % 10))
        if [ $r -lt 4 ] || [ ${#live[@]} -eq 0 ]; then
            if n=$("$cli" --dir "$dir" add --name "$tag-$i" --url "http://$tag.example/$i" 2>/dev/null); then
                echo "add $n $tag-$i"; live+=("$n")
            else echo "addfail 0 $tag-$i"; fi
        elif [ $r -lt 6 ]; then
            n=${live[$((RANDOM % ${#live[@]}))]}
            if "$cli" --dir "$dir" update "$n" --content "c$i" >/dev/null 2>&1; then echo "update $n c$i"
            else echo "updatefail $n c$i"; fi
        elif [ $r -lt 8 ]; then
            "$cli" --dir "$dir" update $((RANDOM % base + 1)) --content "$tag$i" >/dev/null 2>&1
        else
            k=$((RANDOM % ${#live[@]})); n=${live[$k]}
            if "$cli" --dir "$dir" delete "$n" >/dev/null 2>&1; then
                echo "delete $n -"; live=("${live[@]:0:$k}" "${live[@]:$((k + 1))}")
            else echo "deletefail $n -"; fi
        fi
    done ;;
hand)
    while [ "$(date +%s)" -lt $end ]; do
        n=$((RANDOM % base + 1)); f="$dir/data$n.ini"
        [ -f "$f" ] || continue
        if [ $((RANDOM % 2)) -eq 0 ]; then
            sed -i 's/^KEY3=\(x*\)/KEY3=\1x/' "$f" && echo "x $n"
        else
            sed 's/^KEY2=\(y*\)/KEY2=\1y/' "$f" > "$dir/.hand.part" && mv -f "$dir/.hand.part" "$f" && echo "y $n"
        fi
    done ;;
lock)
    while [ "$(date +%s)" -lt $end ]; do
        : > "$dir/.lock.part" && mv -f "$dir/.lock.part" "$dir/sitekanri.lock"; sleep 0.002
    done ;;
esac
