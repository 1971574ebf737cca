#!/usr/bin/env bash
# sample_payload.sh HOSTBUILD WINBUILD: the sample payload has the product's
# shape, passes unzip -t and the validator, packs to the same bytes again, and
# the installer image carries no time stamp and no build path.
set -uo pipefail
host=$(realpath "$1") win=$(realpath "$2")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
zip=$win/sample-payload.zip
failures=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

check "unzip -t" unzip -tq "$zip"
check "validator" "$host/qvpack" check "$zip"
list=$("$host/qvpack" list "$zip")
folders=$(awk '$3 == 0 && $4 == 16 && $2 == 10 && $7 == 0 && $8 ~ /\/$/' <<<"$list" | wc -l)
files=$(awk '$3 == 8 && $4 == 32 && $2 == 20 && $8 !~ /\/$/' <<<"$list" | wc -l)
stored_bigger=$(awk '$3 == 8 && $6 > $7' <<<"$list" | wc -l)
check "51 entries" [ "$(wc -l <<<"$list")" -eq 51 ]
check "7 stored folders, 44 deflated files" [ "$folders" -eq 7 -a "$files" -eq 44 ]
check "6 files that deflate to more than they hold" [ "$stored_bigger" -eq 6 ]
check "made by 63 on host 0, flags 0" [ "$(awk '$1 != 63 || $5 != 0' <<<"$list" | wc -l)" -eq 0 ]
check "first Zentrel/, last Zentrel/Win10x64/" [ "$(head -n1 <<<"$list" | awk '{print $8}')" = Zentrel/ -a \
      "$(tail -n1 <<<"$list" | awk '{print $8}')" = Zentrel/Win10x64/ ]
check "Zentrel.exe and Uninstall.exe in the top folder" grep -q ' Zentrel/Zentrel.exe$' <<<"$list"
check "Uninstall.exe" grep -q ' Zentrel/Uninstall.exe$' <<<"$list"
unpacked=$(awk '{s += $7} END {print s}' <<<"$list")
check "about 39 MB unpacked ($unpacked)" [ "$unpacked" -gt 38000000 -a "$unpacked" -lt 41000000 ]
check "about 29.5 MB archive ($(stat -c %s "$zip"))" [ "$(stat -c %s "$zip")" -gt 28500000 -a "$(stat -c %s "$zip")" -lt 30500000 ]

# Entries in packing order: each folder, its files, then its subfolders.
expected=$(python3 - "$win/sample-product" <<'PY'
import os, sys
root = sys.argv[1]
def walk(rel):
    d = os.path.join(root, rel)
    names = os.listdir(d)
    files = sorted((n for n in names if not os.path.isdir(os.path.join(d, n))), key=str.lower)
    dirs = sorted((n for n in names if os.path.isdir(os.path.join(d, n))), key=str.lower)
    for f in files: print(rel + f)
    for f in dirs:
        print(rel + f + "/")
        walk(rel + f + "/")
walk("")
PY
)
check "order: folder, its files, its subfolders, ignoring case" [ "$expected" = "$(awk '{print $8}' <<<"$list")" ]

tmp=$(mktemp)
"$host/qvpack" pack "$win/sample-product" "$tmp" --mtime 1729583490
check "the same folder packs to the same bytes" cmp -s "$tmp" "$zip"
rm -f "$tmp"

exe=$win/quorvane-setup.exe
stamp=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(4096); o=struct.unpack_from("<I",d,0x3c)[0]; print(struct.unpack_from("<I",d,o+8)[0])' "$exe")
check "no PE time stamp" [ "$stamp" -eq 0 ]
no_path() { ! grep -a -q -F -e "$win" -e "$source_dir" "$exe"; }
check "no build or source path in the image" no_path
echo "$failures failed"
[ "$failures" -eq 0 ]
