# Sourced by the benchmarks: installs what is needed, configures and builds
# (showing the tools' output when a step fails), and names the platform.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/scripts/common.sh"
. "$root/tests/wine/env.sh"
build=${BUILD_DIR:-$root/build}

bench_prepare() {  # NAME
    step "$1" "installing what the benchmark needs"
    as_root "$root/scripts/setup" >/dev/null
    step "$1" "configuring and building $build"
    run_logged cmake -S "$root" -B "$build" -G Ninja
    run_logged cmake --build "$build"
}

# How 32-bit Windows code runs here: natively, or through qemu-user (which
# answers QEMU_VERSION by printing its own version).
i686_platform() {
    if QEMU_VERSION=1 /usr/lib/wine/wine --version 2>/dev/null </dev/null | grep -q '^qemu'; then
        echo "i686 under qemu-user"
    else
        echo "i686 native"
    fi
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
spread() { sort -g | awk 'NR==1{lo=$1} {hi=$1} END {printf "%.3f-%.3f", lo, hi}'; }
now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc -l; }
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# The Wine release the benchmark runs under (QV_WINE_TREE: the tree's).
wine_release() { env -u WINEPREFIX "${qv_wine[@]}" --version 2>/dev/null | sed 's/^wine-/Wine /; s/ (.*//'; }

# A warm prefix of the kind (64 or 32) for benchmarks, made once for each
# Wine release.
bench_prefix() {
    local prefix=$build/bench/${QV_WINE_TREE:+wine10-}prefix$1
    [ -f "$prefix/system.reg" ] || run_logged "$root/tests/wine/make-prefix.sh" "$prefix" "$1"
    echo "$prefix"
}

# Whole installations are timed in a warm prefix, as on a Windows machine whose
# desktop is up: one persistent wineserver (and so one desktop process) for all
# runs, the started product ended after each run, outside the timing.
warm_wine() {
    wineserver -k 2>/dev/null || true
    wineserver -p
    wineboot >/dev/null 2>&1 || true
}
# The product started in this prefix only (WINEPREFIX in its environment): a
# product a test started in another prefix runs on.
prefix_products() {
    local pid
    for pid in $(pgrep -f 'Zentrel\.exe'); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
    return 0
}
end_product() {
    local pids
    pids=$(prefix_products)
    [ -z "$pids" ] || kill $pids 2>/dev/null || true
    for _ in $(seq 50); do
        [ -n "$(prefix_products)" ] || return 0
        sleep 0.05
    done
}
