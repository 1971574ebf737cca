#!/usr/bin/env bash
# payload_limit.sh BUILD
# make-installer refuses a payload larger than the installer can carry before
# building anything, naming the limit and the payload's size, and writes no
# installer; one at the limit passes the size check, with a warning that it
# may not install on 32-bit Windows, which one within a 2 GiB space does not get.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
. "$root/tests/tools/checks.sh"
limit=$(sed -n 's/^payload_limit=//p' "$root/scripts/make-installer")
small=$(sed -n 's/^payload_2gib_limit=//p' "$root/scripts/make-installer")
check "make-installer states its limits" '[ -n "$limit" ] && [ -n "$small" ] && [ "$small" -gt 0 ] && [ "$small" -lt "$limit" ]'
# The limit was measured with the whole 4 GiB a 32-bit program gets on 64-bit Windows.
check "the installer is large-address aware" \
    'i686-w64-mingw32-objdump -p "$build/win32/quorvane-setup.exe" | grep -x "[[:space:]]*large address aware" >/dev/null'

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
truncate -s $((limit + 1)) "$tmp/big.zip"  # sparse: nothing is read before the refusal
BUILD_DIR=$build "$root/scripts/make-installer" "$tmp/big.zip" "$tmp/out.exe" >"$tmp/log" 2>&1
status=$?
check "one byte over the limit is refused" '[ $status -ne 0 ] && grep -q "at most $limit bytes" "$tmp/log"'
check "the message names the payload's size" 'grep -q "$((limit + 1)) bytes" "$tmp/log"'
check "nothing is built or written" '[ ! -e "$tmp/out.exe" ] && ! grep -q "building the installer" "$tmp/log"'
truncate -s "$limit" "$tmp/edge.zip"
BUILD_DIR=$build "$root/scripts/make-installer" "$tmp/edge.zip" "$tmp/edge.exe" >"$tmp/log2" 2>&1
check "a payload at the limit passes the size check (and fails as no archive)" \
    '! grep -q "at most $limit bytes" "$tmp/log2" && grep -q "cannot be the payload" "$tmp/log2"'
check "... with a warning for 32-bit Windows naming its size" \
    'grep -q "warning: the payload is $limit bytes; above $small bytes.*32-bit Windows" "$tmp/log2"'
truncate -s "$small" "$tmp/fits.zip"
BUILD_DIR=$build "$root/scripts/make-installer" "$tmp/fits.zip" "$tmp/fits.exe" >"$tmp/log3" 2>&1
check "a payload a 2 GiB space holds gets no warning" \
    '! grep -q "warning" "$tmp/log3" && grep -q "cannot be the payload" "$tmp/log3"'
finish
