#!/usr/bin/env bash
# Plays the examples of the documentation, so that a page cannot show a
# session or a command line the programs no longer accept.
#
#   run_examples.sh SOURCE_DIR HOST MODULE ADMIN
#
# A block (fenced with ``` or indented by four blanks) is an example when the
# line before it (blank lines aside) is one of these marks:
#
#   <!-- example: scenario -->    quorvel-host plays it in a fresh copy of
#                                 examples/arena/; it must pass
#   <!-- example: file NAME -->   the block is the file NAME of the next
#                                 scenario's folder, or of the folder the next
#                                 commands run in
#   <!-- example: commands -->    each line runs in a fresh folder holding a
#                                 copy of examples/arena/ as my-arena/ and as
#                                 examples/arena/, with quorvel-host and
#                                 quorvel-admin (as written, or under
#                                 build/PRESET/) the built programs; in a
#                                 block with lines beginning "$ ", only those
#                                 are commands (the others show output); every
#                                 command must exit with status 0
set -uo pipefail

source_dir=$1
host=$2
module=$3
admin=$4
arena=$source_dir/examples/arena
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-docs-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

pages=("$source_dir/README.md" "$source_dir/host/README.md" "$source_dir"/docs/*.md)
examples=0
failures=0

# Writes each marked block of a page as scratch/blocks/N.KIND[.NAME] with its
# first line number in N.line.
extract() {
    local page=$1 out=$2
    mkdir -p "$out"
    awk -v out="$out" '
        function finish() {
            if (inBlock) { close(file); inBlock = 0; fenced = 0 }
        }
        inBlock && fenced {
            if ($0 ~ /^[ ]*```/) { finish(); next }
            print > file; next
        }
        inBlock && !fenced {
            if ($0 ~ /^    / || $0 ~ /^[ \t]*$/) { sub(/^    /, ""); print > file; next }
            finish()
        }
        /^<!-- example: [a-z]+( [^ ]+)? -->[ \t]*$/ {
            split($0, words, " ")
            kind = words[3]; name = (words[4] == "-->") ? "" : words[4]
            marked = NR; next
        }
        marked && /^[ \t]*$/ { next }
        marked {
            ++count
            file = out "/" count "." kind (name == "" ? "" : "." name)
            print NR > (out "/" count ".line"); close(out "/" count ".line")
            printf "" > file
            inBlock = 1
            if ($0 ~ /^[ ]*```/) { fenced = 1 } else { sub(/^    /, ""); print > file }
            marked = 0
        }
    ' "$page"
}

# The built programs in place of the names a page writes.
programs() {
    sed -E "s#(^|[;&|( ])(\\./|build/[a-z0-9]+/)?quorvel-host( |\$)#\\1\"\$QUORVEL_DOCS_HOST\" --module \"\$QUORVEL_DOCS_MODULE\"\\3#g; s#(^|[;&|( ])(\\./|build/[a-z0-9]+/)?quorvel-admin( |\$)#\\1\"\$QUORVEL_DOCS_ADMIN\"\\3#g"
}

report() {
    local where=$1 status=$2 log=$3
    examples=$((examples + 1))
    if [ "$status" -eq 0 ]; then
        echo "$where: passed"
    else
        failures=$((failures + 1))
        echo "$where: FAILED (status $status)"
        sed 's/^/    /' "$log"
    fi
}

export QUORVEL_DOCS_HOST=$host QUORVEL_DOCS_MODULE=$module QUORVEL_DOCS_ADMIN=$admin
export QUORVEL_RANDOM_SEED=9

for page in "${pages[@]}"; do
    blocks=$scratch/blocks/$(basename "$(dirname "$page")")-$(basename "$page")
    extract "$page" "$blocks"
    files=$scratch/files
    rm -rf "$files" && mkdir -p "$files"
    for block in $(ls "$blocks" 2>/dev/null | grep -v '\.line$' | sort -n); do
        number=${block%%.*}
        kind=${block#*.}
        name=${kind#*.}
        kind=${kind%%.*}
        where=${page#"$source_dir"/}:$(cat "$blocks/$number.line")
        log=$scratch/log
        case $kind in
        file)
            mkdir -p "$(dirname "$files/$name")"
            cp "$blocks/$block" "$files/$name"
            ;;
        scenario)
            seed=$scratch/seed
            rm -rf "$seed" && cp -R "$arena" "$seed" && cp -R "$files/." "$seed/"
            (cd "$scratch" && "$host" -q --module "$module" --seed "$seed" --cleanup \
                "$blocks/$block" </dev/null >"$log" 2>&1)
            report "$where" $? "$log"
            rm -rf "$files" && mkdir -p "$files"
            ;;
        commands)
            work=$scratch/work
            rm -rf "$work" && mkdir -p "$work/examples" && cp -R "$arena" "$work/my-arena" &&
                cp -R "$arena" "$work/examples/arena" && cp -R "$files/." "$work/"
            prompted=$(grep -c '^\$ ' "$blocks/$block")
            status=0
            : >"$log"
            while IFS= read -r line || [ -n "$line" ]; do
                if [ "$prompted" -gt 0 ]; then
                    case $line in '$ '*) ;; *) continue ;; esac
                fi
                line=${line#\$ }
                case $line in '' | '#'*) continue ;; esac
                echo "\$ $line" >>"$log"
                command=$(printf '%s\n' "$line" | programs)
                (cd "$work" && bash -c "$command" </dev/null >>"$log" 2>&1) || {
                    status=$?
                    break
                }
            done <"$blocks/$block"
            report "$where" $status "$log"
            rm -rf "$files" && mkdir -p "$files"
            ;;
        *)
            echo "$where: unknown example kind \"$kind\""
            failures=$((failures + 1))
            ;;
        esac
    done
done

echo "$examples examples, $failures failed"
if [ "$examples" -eq 0 ]; then
    echo "no marked example was found"
    exit 1
fi
[ "$failures" -eq 0 ]
