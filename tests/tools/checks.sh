# Sourced by the script tests: named checks counted into a closing line, and
# an installer run in a prefix as a person would start it.
passes=0 failures=0

# check NAME CONDITION: prints ok or FAILED and counts it.
check() {
    if eval "$2"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

# finish: the closing line, and the status of all checks.
finish() {
    echo "$passes passed, $failures failed"
    [ $failures -eq 0 ]
}

# install_in PREFIX INSTALLER EXITFILE: runs the installer there, writes its
# exit status to EXITFILE, lets the started product come up, then ends the
# prefix's processes. Sets bits and files (the Program Files folder's name).
install_in() {
    (
        qv_wine_env "$1"
        wine "$2" >/dev/null 2>&1
        echo $? >"$3"
        sleep 3
        wineserver -k
    )
    if [ -d "$1/drive_c/windows/syswow64" ]; then bits=64 files="Program Files (x86)"; else bits=32 files="Program Files"; fi
}
