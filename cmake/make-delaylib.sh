#!/usr/bin/env bash
# make-delaylib.sh PREFIX DLL OUT
# Builds a delay-load import library for DLL (for example user32.dll) from the
# toolchain's own import library: every function it exports, loaded on first
# call instead of at process start.
set -euo pipefail
prefix=$1 dll=$2 out=$3
base=${dll%.dll}
sysroot=/usr/${prefix%-}
lib=$sysroot/lib/lib${base,,}.a
[ -f "$lib" ] || { echo "make-delaylib: no import library $lib" >&2; exit 1; }
def=$out.def
{
    echo "LIBRARY $dll"
    echo "EXPORTS"
    # Import thunks are named __imp_NAME (__imp__NAME@N on i686).
    "${prefix}nm" -g --defined-only "$lib" 2>/dev/null |
        awk '$3 ~ /^__imp_/ { print $3 }' | sed -e 's/^__imp_//' |
        { if [ "$prefix" = i686-w64-mingw32- ]; then sed -e 's/^_//'; else cat; fi; } | sort -u
} >"$def"
"${prefix}dlltool" --kill-at --input-def "$def" --dllname "$dll" --output-delaylib "$out"
