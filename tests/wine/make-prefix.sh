#!/usr/bin/env bash
# make-prefix.sh DIR 64|32
set -euo pipefail
. "$(dirname "$0")/env.sh"
qv_make_prefix "$1" "$2"
echo "prefix $1 ($2-bit Windows) ready"
