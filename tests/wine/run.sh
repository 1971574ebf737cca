#!/usr/bin/env bash
# run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program in the prefix and
# exits with its status; the prefix's server is waited for afterwards.
set -uo pipefail
. "$(dirname "$0")/env.sh"
prefix=$1; shift
[ -f "$prefix/system.reg" ] || { echo "run.sh: no prefix at $prefix" >&2; exit 2; }
qv_wine_env "$prefix"
if [ -d "$prefix/drive_c/windows/syswow64" ]; then export QV_WINDOWS_BITS=64; else export QV_WINDOWS_BITS=32; fi
wine "$@"
status=$?
wineserver -w
exit $status
