#!/usr/bin/env bash
# payload_limit.sh BUILD
# make-installer refuses a payload larger than the installer can carry before
# building anything, naming the limit and the payload's size, and writes no
# installer; one at the limit passes the size check.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
. "$root/tests/tools/checks.sh"
limit=$(sed -n 's/^payload_limit=//p' "$root/scripts/make-installer")
check "make-installer states its limit" '[ -n "$limit" ] && [ "$limit" -gt 0 ]'

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
finish
