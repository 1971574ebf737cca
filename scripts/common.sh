# Sourced by the scripts: one line per step, and a step's own output shown
# only when it fails.

# The Debian tree holding Wine 10, made by scripts/setup.
QV_WINE10_TREE=${QV_WINE10_TREE:-/var/cache/qv/wine10-trixie}

# step NAME WHAT...: prints "NAME: WHAT".
step() {
    local name=$1
    shift
    printf '%s: %s\n' "$name" "$*"
}

# run_logged COMMAND...: runs quietly; on failure shows the last 60 lines it
# printed and returns its status.
run_logged() {
    local out status
    out=$(mktemp)
    if "$@" >"$out" 2>&1; then
        rm -f "$out"
        return 0
    else
        status=$?
    fi
    echo "---- $* failed ($status); its output:" >&2
    tail -n 60 "$out" >&2
    rm -f "$out"
    return $status
}

# as_root COMMAND...: runs it as root (directly, or through sudo).
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
