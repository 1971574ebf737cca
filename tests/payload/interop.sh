#!/usr/bin/env bash
# interop.sh WINBUILD PREFIX: archives made by other tools extract with the
# unpack driver to the same files and bytes as Info-ZIP unzip gives.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$1 prefix=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A tree with text, binary, empty and nested files.
src=$work/src/tree
mkdir -p "$src/sub/deeper" "$src/empty dir"
python3 - "$src" <<'PY'
import os, random, sys
root = sys.argv[1]
rnd = random.Random(5)
open(os.path.join(root, "readme.txt"), "w").write("quorvane\n" * 500)
open(os.path.join(root, "sub", "random.bin"), "wb").write(bytes(rnd.getrandbits(8) for _ in range(70000)))
open(os.path.join(root, "sub", "deeper", "empty.dat"), "wb").close()
open(os.path.join(root, "sub", "deeper", "words.cfg"), "w").write(" ".join(str(i) for i in range(20000)))
PY

archives=()
(cd "$work/src" && zip -qr "$work/infozip.zip" tree) && archives+=(infozip.zip)
(cd "$work/src" && zip -qrX "$work/infozip-X.zip" tree) && archives+=(infozip-X.zip)
(cd "$work/src" && 7z a -tzip -bso0 -bsp0 "$work/p7zip.zip" tree) && archives+=(p7zip.zip)
(cd "$work/src" && bsdtar --format zip -cf "$work/bsdtar.zip" tree) && archives+=(bsdtar.zip)
(cd "$work/src" && python3 -c '
import zipfile, os
with zipfile.ZipFile("'"$work"'/python.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for d, dirs, files in os.walk("tree"):
        z.write(d)
        for f in files: z.write(os.path.join(d, f))
') && archives+=(python.zip)
for pattern in '*.jar' '*.whl'; do
    found=$(find /usr/share /usr/lib /root/.pyenv /usr/local/lib -name "$pattern" -size -3M 2>/dev/null | sort | head -n 1)
    if [ -n "$found" ]; then
        cp "$found" "$work/found-${pattern#*.}.zip" && archives+=("found-${pattern#*.}.zip")
        echo "found on the machine: $found"
    else
        echo "no $pattern file on this machine"
    fi
done

failed=0
for a in "${archives[@]}"; do
    rm -rf "$work/ref" "$work/out"
    unzip -q -o "$work/$a" -d "$work/ref"
    out=$("$here/../wine/run.sh" "$prefix" "$win/unpack.exe" "Z:${work//\//\\}\\$a" "Z:${work//\//\\}\\out" | tr -d "\r" | grep outcome)
    if [ "$out" != "outcome 1" ] || ! diff -r "$work/ref" "$work/out" >/dev/null; then
        echo "FAIL $a: $out"
        diff -r "$work/ref" "$work/out" | head -5
        failed=$((failed + 1))
    else
        echo "ok   $a ($(find "$work/out" -type f | wc -l) files)"
    fi
done
echo "${#archives[@]} archives, $failed different"
[ "$failed" -eq 0 ] && [ "${#archives[@]}" -ge 5 ]
