# Environment of a throwaway Wine prefix; source it, then call qv_wine_env DIR.
# Never touches the user's own prefix.
#
# With QV_WINE_TREE naming a Debian tree made by scripts/setup, wine, wineboot
# and wineserver are that tree's (another Wine release), run through
# in-tree.sh; without it, the machine's own.

qv_env_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# qv_wine: the wine command as words, for commands such as timeout that start
# it themselves.
if [ -n "${QV_WINE_TREE:-}" ]; then
    qv_wine=("$qv_env_dir/in-tree.sh" "$QV_WINE_TREE" wine)
    qv_in_tree() { "$qv_env_dir/in-tree.sh" "$QV_WINE_TREE" "$@"; }
    wine() { qv_in_tree wine "$@"; }
    wineboot() { qv_in_tree wineboot "$@"; }
    wineserver() { qv_in_tree wineserver "$@"; }
else
    qv_wine=(wine)
fi

qv_wine_env() {
    export WINEPREFIX="$1"
    export HOME="$1.home"
    export WINEDEBUG=-all
    # No debugger: a crashing program ends instead of waiting for one.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
    export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
    export TZ=${QV_TZ:-Asia/Shanghai}
    unset DISPLAY WAYLAND_DISPLAY
    mkdir -p "$HOME"
}

# qv_make_prefix DIR 64|32: a fresh prefix with the null graphics driver.
qv_make_prefix() {
    local dir=$1 bits=$2
    rm -rf "$dir" "$dir.home"
    mkdir -p "$(dirname "$dir")"
    qv_wine_env "$dir"
    if [ "$bits" = 32 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
    # A home as people have it: Wine links the profile's Desktop, Documents,
    # ... to these, as every wine user has them (Wine 10 only to folders
    # that exist).
    mkdir -p "$HOME/Desktop" "$HOME/Documents"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    unset WINEARCH
    [ -f "$dir/system.reg" ]
}
