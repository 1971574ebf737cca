#!/usr/bin/env bash
# in-tree.sh TREE COMMAND [ARGS...]: runs COMMAND inside the Debian tree TREE
# (another Wine release), in a mount namespace of its own. There the tree sees
# the host's devices, processes and /tmp, and the top folders holding the
# current folder, WINEPREFIX, HOME and this project, each at its own path. A
# wineserver started inside keeps its namespace, and so its mounts, until it
# exits. Run by another user than root, the mounts are made as root of a user
# namespace of their own, and the command runs as that user again, in a user
# namespace below it.
set -euo pipefail
tree=$1
shift
[ -x "$tree/usr/bin/wine" ] || { echo "in-tree.sh: no Wine tree at $tree (scripts/setup makes it)" >&2; exit 2; }

if [ -z "${QV_IN_TREE_USER:-}" ]; then
    export QV_IN_TREE_USER="$(id -u):$(id -g)"
    if [ "$(id -u)" -eq 0 ]; then
        exec unshare --mount --propagation private -- "$0" "$tree" "$@"
    fi
    exec unshare --user --map-root-user --mount --propagation private -- "$0" "$tree" "$@"
fi
user=$QV_IN_TREE_USER
unset QV_IN_TREE_USER

# The folder to share for PATH: its top folder, or the path itself where the
# top folder is one of the system's own.
share_for() {
    local rest=${1#/} top
    top=/${rest%%/*}
    case $top in
        / | /bin | /boot | /dev | /etc | /lib* | /proc | /run | /sbin | /sys | /usr | /var) echo "$1" ;;
        *) echo "$top" ;;
    esac
}

here=$(cd "$(dirname "$0")/../.." && pwd)
candidates=("$PWD" "$here" "${WINEPREFIX:-}" "${HOME:-}")

mount --rbind /dev "$tree/dev"
mount --rbind /proc "$tree/proc"
mount --rbind /sys "$tree/sys"
mount --bind /tmp "$tree/tmp"
declare -A shared=([/tmp]=1)
for path in "${candidates[@]}"; do
    [ -n "$path" ] && [ -e "$path" ] || continue
    share=$(share_for "$path")
    [ -z "${shared[$share]:-}" ] || continue
    shared[$share]=1
    mkdir -p "$tree$share"
    mount --rbind "$share" "$tree$share"
done
if [ "$user" = 0:0 ]; then
    exec chroot "$tree" /usr/bin/env --chdir="$PWD" "$@"
fi
# chroot as the user: unshare changes the root before it starts the command.
exec unshare --user --map-user="${user%:*}" --map-group="${user#*:}" --mount --root="$tree" --wd="$PWD" -- "$@"
