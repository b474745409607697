#!/bin/bash
# Runs the shell blocks of the given Markdown pages against the simulator, so every command a
# page shows still works as written.
#   doc_blocks_test.sh BUILD_DIR PAGE...
# ```sh blocks run line by line under `set -e`; in ```console blocks the `$ ` lines run and the
# lines below them, up to the next blank line or command, must appear in what the command
# printed (the documents' example home, /home/me, stands for the scratch home). A block whose
# opening fence follows a line `<!-- doc-test: skip REASON -->` is not run (it needs a real
# monitor, root, or builds the project). Each block starts from fresh simulator state, with
# `build/normal` standing for BUILD_DIR and BUILD_DIR on PATH.
set -u
build_dir=$(cd "$1" && pwd)
shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

ran=0
skipped=0
failed=0

# Splits a page into blocks: block_kind[i] (sh|console|skip:REASON), block_text[i], block_line[i].
parse_page() {
    local page=$1
    block_kind=()
    block_text=()
    block_line=()
    local n=0 in_block=0 kind="" text="" start=0 prev="" line
    while IFS= read -r line || [ -n "$line" ]; do
        n=$((n + 1))
        if [ $in_block -eq 0 ]; then
            if [[ $line =~ ^\`\`\`(sh|bash|shell|console)[[:space:]]*$ ]]; then
                in_block=1
                text=""
                start=$n
                kind=${BASH_REMATCH[1]}
                [ "$kind" = console ] || kind=sh
                if [[ $prev =~ ^\<\!--\ doc-test:\ skip\ (.*)\ --\>$ ]]; then
                    kind="skip:${BASH_REMATCH[1]}"
                fi
            elif [[ $line =~ ^\`\`\` ]]; then
                in_block=2
            fi
        elif [[ $line =~ ^\`\`\` ]]; then
            if [ $in_block -eq 1 ]; then
                block_kind+=("$kind")
                block_text+=("$text")
                block_line+=("$start")
            fi
            in_block=0
        elif [ $in_block -eq 1 ]; then
            text+="$line"$'\n'
        fi
        prev=$line
    done <"$page"
}

# A private machine for one block: home, XDG folders, simulator state, a build/normal link.
fresh_machine() {
    rm -rf "$scratch/run"
    mkdir -p "$scratch/run/home" "$scratch/run/cwd/build" "$scratch/run/runtime"
    chmod 700 "$scratch/run/runtime"
    ln -s "$build_dir" "$scratch/run/cwd/build/normal"
}

run_in_machine() {
    (
        cd "$scratch/run/cwd" || exit 99
        export HOME="$scratch/run/home"
        export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
        export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$scratch/run/runtime"
        export ORVALE_SIM_CONFIG=default ORVALE_SIM_STATE="$scratch/run/state.json"
        export ORVALE_CTL_WAITS=virtual
        export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$scratch/run/no-bus"
        export PATH="$build_dir:$PATH"
        bash -e -o pipefail -c "$1"
    )
}

run_sh_block() {
    local out
    if ! out=$(run_in_machine "$1" 2>&1); then
        printf '%s\n' "$out" | sed 's/^/    | /'
        return 1
    fi
}

run_console_block() {
    local text=$1 cmd="" expected=() line
    local -a cmds=() wants=()
    local want=""
    while IFS= read -r line; do
        if [[ $line == '$ '* ]]; then
            [ -z "$cmd" ] || { cmds+=("$cmd"); wants+=("$want"); }
            cmd=${line#\$ }
            want=""
        elif [ -n "$line" ] && [ -n "$cmd" ]; then
            want+="$line"$'\n'
        fi
    done <<<"$text"
    [ -z "$cmd" ] || { cmds+=("$cmd"); wants+=("$want"); }
    local i out status=0
    for i in "${!cmds[@]}"; do
        if ! out=$(run_in_machine "${cmds[$i]}" 2>&1); then
            echo "    \$ ${cmds[$i]}: failed"
            printf '%s\n' "$out" | sed 's/^/    | /'
            return 1
        fi
        out=${out//$scratch\/run\/home//home/me}
        while IFS= read -r line; do
            [ -n "$line" ] || continue
            if ! grep -qxF -- "$line" <<<"$out"; then
                echo "    \$ ${cmds[$i]}: missing output line: $line"
                printf '%s\n' "$out" | sed 's/^/    | /'
                status=1
            fi
        done <<<"${wants[$i]}"
    done
    return $status
}

for page in "$@"; do
    parse_page "$page"
    for i in "${!block_kind[@]}"; do
        where="$page:${block_line[$i]}"
        case ${block_kind[$i]} in
        skip:*)
            echo "skip $where (${block_kind[$i]#skip:})"
            skipped=$((skipped + 1))
            continue
            ;;
        esac
        fresh_machine
        if [ "${block_kind[$i]}" = console ]; then
            run_console_block "${block_text[$i]}"
        else
            run_sh_block "${block_text[$i]}"
        fi
        if [ $? -eq 0 ]; then
            echo "ok   $where"
        else
            echo "FAIL $where"
            failed=$((failed + 1))
        fi
        ran=$((ran + 1))
    done
done

echo "$ran blocks run, $skipped skipped, $failed failed"
[ $failed -eq 0 ] && [ $ran -gt 0 ]
