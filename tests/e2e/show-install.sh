#!/usr/bin/env bash
# show-install.sh WINBUILD PREFIX 64|32 [INSTALLER]: makes a fresh throwaway
# prefix, runs the installer in it and shows what it did.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$1 prefix=$2 bits=$3
installer=${4:-$win/quorvane-setup.exe}
. "$here/../wine/env.sh"

echo "== Making a fresh $bits-bit Windows prefix in $prefix"
qv_make_prefix "$prefix" "$bits" || { echo "cannot make the prefix" >&2; exit 1; }
qv_wine_env "$prefix"
# The product started by the installer keeps running until its window closes.
trap 'wineserver -k 2>/dev/null' EXIT

echo "== Running $(basename "$installer") ($(stat -c %s "$installer") bytes)"
start=$(date +%s.%N)
wine "$installer" </dev/null >/dev/null 2>&1
status=$?
echo "installer exit code: $status ($(printf '%.1f' "$(echo "$(date +%s.%N) - $start" | bc)") s)"

appdata="$prefix/drive_c/users/$(id -un)/AppData/Roaming"
[ -d "$appdata" ] || appdata=$(find "$prefix/drive_c/users" -maxdepth 3 -type d -path '*/AppData/Roaming' | head -n 1)
for _ in $(seq 1 100); do [ -s "$appdata/Moranzo/launch.log" ] && break; sleep 0.2; done

root="$prefix/drive_c/Program Files (x86)"
[ "$bits" = 32 ] && root="$prefix/drive_c/Program Files"
echo
echo "== Product tree ($root/Zentrel)"
if [ -d "$root/Zentrel" ]; then
    (cd "$root" && find Zentrel | sort | while read -r p; do
        if [ -d "$p" ]; then printf '  %s/\n' "$p"; else printf '  %-40s %10s bytes\n' "$p" "$(stat -c %s "$p")"; fi
    done)
    echo "  $(find "$root/Zentrel" -type f | wc -l) files, $(find "$root/Zentrel" -type d | wc -l) folders"
else
    echo "  (missing)"
fi
echo "Staging archive: $(stat -c %s "$appdata/Moranzo/Quorvane.zip" 2>/dev/null || echo missing) bytes"
echo
QV_WINDOWS_BITS=$bits wine "$win/show_install.exe" </dev/null | tr -d '\r' | iconv -f GBK -t UTF-8
exit $status
