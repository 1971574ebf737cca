#!/usr/bin/env bash
# signing.sh BUILD WIN32_DIR PREFIX64 PREFIX32
# make-installer --sign with a throwaway self-signed certificate: the
# signature verifies with that certificate as CA, removing it gives back the
# unsigned installer byte for byte, bad signing inputs fail with a message and
# no output file, and the signed installer installs in both prefix kinds.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 win32=$2 prefix64=$3 prefix32=$4
. "$root/tests/wine/env.sh"
. "$root/tests/tools/checks.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/key.pem" -out "$tmp/cert.pem" -days 2 \
    -subj "/CN=Quorvane Test Publisher" 2>/dev/null
openssl pkcs12 -export -inkey "$tmp/key.pem" -in "$tmp/cert.pem" -out "$tmp/cert.pfx" -passout pass:s3cret
echo s3cret >"$tmp/pw"
echo wrong >"$tmp/bad"
payload=$win32/sample-payload.zip
make() { BUILD_DIR=$build "$root/scripts/make-installer" "$payload" "$@"; }

make "$tmp/signed.exe" --sign "$tmp/cert.pfx" --password-file "$tmp/pw" >"$tmp/log" 2>&1
check "signed build succeeds" '[ $? -eq 0 ] && [ -f "$tmp/signed.exe" ]'
check "summary says signed" 'grep -q "signed *yes" "$tmp/log" && grep -q "entries *51" "$tmp/log"'
make "$tmp/unsigned.exe" >"$tmp/log2" 2>&1
check "unsigned build succeeds" '[ -f "$tmp/unsigned.exe" ] && grep -q "signed *no" "$tmp/log2"'
check "signature verifies with the certificate as CA" \
    'osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/signed.exe" 2>&1 | grep -q "Signature verification: ok"'
osslsigncode remove-signature -in "$tmp/signed.exe" -out "$tmp/stripped.exe" >/dev/null 2>&1
check "removing the signature gives the unsigned bytes" 'cmp -s "$tmp/stripped.exe" "$tmp/unsigned.exe"'
check "signed and unsigned differ" '! cmp -s "$tmp/signed.exe" "$tmp/unsigned.exe"'

make "$tmp/bad.exe" --sign "$tmp/cert.pfx" --password-file "$tmp/bad" >"$tmp/log3" 2>&1
status=$?
check "a wrong password fails with a message and no file" \
    '[ $status -ne 0 ] && grep -q "signing failed" "$tmp/log3" && [ ! -e "$tmp/bad.exe" ] && ! ls "$tmp"/bad.exe.* >/dev/null 2>&1'
make "$tmp/none.exe" --sign "$tmp/missing.pfx" >"$tmp/log4" 2>&1
status=$?
check "a missing certificate fails with a message and no file" \
    '[ $status -ne 0 ] && grep -q "no certificate file" "$tmp/log4" && [ ! -e "$tmp/none.exe" ]'

for prefix in "$prefix64" "$prefix32"; do
    install_in "$prefix" "$tmp/signed.exe" "$tmp/exit"
    staged=$(find "$prefix/drive_c/users" -path '*/Moranzo/Quorvane.zip' | head -n 1)
    check "signed installer exits 0 ($bits-bit Windows)" '[ "$(cat "$tmp/exit")" = 0 ]'
    check "it staged the payload from the signed image ($bits-bit Windows)" '[ -n "$staged" ] && cmp -s "$staged" "$payload"'
    check "it installed the product ($bits-bit Windows)" '[ -f "$prefix/drive_c/$files/Zentrel/Zentrel.exe" ]'
done
finish
