#!/usr/bin/env bash
# names.sh BUILD WIN32_DIR PREFIX64 PREFIX32
# A product whose files and folders have Chinese names (UTF-8 on this
# machine) is packed by make-installer in code page 936 and installed under
# those names in both prefix kinds (Wine keeps a Windows name on Linux as the
# UTF-8 of its UTF-16 form, so the names are read back here as Unicode);
# archives whose names are marked UTF-8 (Python's zipfile) are refused with
# a message saying to pack the folder.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 win32=$2 prefix64=$3 prefix32=$4
. "$root/tests/wine/env.sh"
. "$root/tests/tools/checks.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -r "$win32/sample-product" "$tmp/product"
echo "readme" >"$tmp/product/Zentrel/说明.txt"
mkdir "$tmp/product/Zentrel/资料"
echo "inner" >"$tmp/product/Zentrel/资料/说明.txt"
BUILD_DIR=$build "$root/scripts/make-installer" "$tmp/product" "$tmp/setup.exe" >"$tmp/log" 2>&1
check "a product with Chinese names builds" '[ $? -eq 0 ] && [ -f "$tmp/setup.exe" ]'

for prefix in "$prefix64" "$prefix32"; do
    install_in "$prefix" "$tmp/setup.exe" "$tmp/exit"
    product="$prefix/drive_c/$files/Zentrel"
    check "it installs ($bits-bit Windows)" '[ "$(cat "$tmp/exit")" = 0 ] && [ -f "$product/Zentrel.exe" ]'
    check "说明.txt has its name ($bits-bit Windows)" '[ "$(cat "$product/说明.txt" 2>/dev/null)" = readme ]'
    check "the folder 资料 has its name ($bits-bit Windows)" '[ "$(cat "$product/资料/说明.txt" 2>/dev/null)" = inner ]'
    rm -rf "$product"
done

# A peer's archive: Python marks a non-ASCII name UTF-8.
python3 - "$tmp/product" "$tmp/flagged.zip" <<'PY'
import os, sys, zipfile
src, out = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for folder, dirs, names in os.walk(src):
        dirs.sort()
        rel = os.path.relpath(folder, src)
        if rel != ".":
            z.write(folder, rel + "/")
        for n in sorted(names):
            z.write(os.path.join(folder, n), os.path.join(rel, n) if rel != "." else n)
PY
"$build/qvpack" check "$tmp/flagged.zip" >"$tmp/check" 2>&1
status=$?
check "an archive with UTF-8 names is refused, saying to pack the folder" \
    '[ $status -ne 0 ] && grep -q "marked UTF-8" "$tmp/check" && grep -q "pack the folder instead" "$tmp/check"'
finish
