#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh <program.exe> [args...]
# Used as CMAKE_CROSSCOMPILING_EMULATOR by cmake/toolchain-mingw64.cmake, so
# CTest (and gtest_discover_tests) run the cross-compiled tests through it.
#
# Wine prefix (never the user's own ~/.wine), first match wins:
#   1. $VLNT_WINEPREFIX
#   2. $VLNT_BUILD_DIR/wineprefix
#   3. <build dir>/wineprefix, the build dir being the nearest folder holding a
#      CMakeCache.txt, searched upwards from the program's folder and then from
#      the current folder (CTest runs tests inside the build tree).
# The prefix is created once (wineboot -i) under an flock, so parallel CTest
# jobs wait for the first one instead of racing; a prefix left half-made by a
# killed run (no .vlnt-ready marker) is recreated.
#
# WINEARCH=win64, WINEDEBUG=-all, and mscoree/mshtml disabled so Wine never
# offers to install Mono or Gecko (winemenubuilder too, so $HOME stays as is). Works without DISPLAY for console programs
# (GUI tests should be wrapped by the caller, e.g. in xvfb-run).
# Wine's own messages go to stderr or nowhere; stdout is the program's alone.
# The program's stderr is replayed after it exits (see the end of this file).
# Exit status: the program's exit code (125 if the wrapper itself fails); Wine
# keeps codes 1..255 and maps larger ones to a non-zero value. A program that
# crashes ends with the exception code's low byte (access violation: 5).
set -uo pipefail

die() { printf 'wine-run: %s\n' "$*" >&2; exit 125; }

[[ $# -ge 1 ]] || die "usage: wine-run.sh <program.exe> [args...]"
exe=$1
shift
[[ -f $exe ]] || die "no such program: $exe"

find_build_dir() {
    local d
    d=$(cd "$1" 2>/dev/null && pwd -P) || return 1
    while [[ -n $d ]]; do
        if [[ -f $d/CMakeCache.txt ]]; then
            printf '%s' "$d"
            return 0
        fi
        [[ $d == / ]] && return 1
        d=$(dirname "$d")
    done
    return 1
}

if [[ -n ${VLNT_WINEPREFIX:-} ]]; then
    prefix=$VLNT_WINEPREFIX
elif [[ -n ${VLNT_BUILD_DIR:-} ]]; then
    prefix=$VLNT_BUILD_DIR/wineprefix
elif build_dir=$(find_build_dir "$(dirname "$exe")") || build_dir=$(find_build_dir "$PWD"); then
    prefix=$build_dir/wineprefix
else
    die "cannot tell the build folder of $exe; set VLNT_WINEPREFIX or VLNT_BUILD_DIR"
fi
case $prefix in
    /*) ;;
    *) prefix=$PWD/$prefix ;;
esac

wine=${VLNT_WINE:-wine}
command -v "$wine" >/dev/null 2>&1 || die "'$wine' not found (install wine and wine64)"

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=-all
# winemenubuilder would write menu entries and file associations into $HOME.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine must not pick up a loader or server from another setup.
unset WINELOADER WINESERVER

if [[ ! -f $prefix/.vlnt-ready ]]; then
    mkdir -p "$(dirname "$prefix")" || die "cannot create $(dirname "$prefix")"
    exec 9>"$prefix.lock" || die "cannot open $prefix.lock"
    flock 9 || die "cannot lock $prefix.lock"
    if [[ ! -f $prefix/.vlnt-ready ]]; then
        rm -rf "$prefix"
        printf 'wine-run: creating Wine prefix %s\n' "$prefix" >&2
        # fd 9 is closed for Wine so the wineserver it starts cannot keep the
        # lock; all Wine output goes to stderr.
        if ! "$wine" wineboot -i </dev/null >&2 2>&1 9>&-; then
            die "wineboot -i failed for $prefix"
        fi
        # A crashing program must fail: Wine's default crash handler (winedbg
        # --auto) prints its dump to stdout and ends the process with exit
        # code 0. With no usable debugger the process ends with the exception
        # code instead (e.g. 5 for an access violation), and Wine prints one
        # "Unhandled page fault ..." line on stderr.
        if ! "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /t REG_SZ /d vlnt-no-crash-debugger.exe /f </dev/null >&2 2>&1 9>&-; then
            die "cannot disable the crash debugger in $prefix"
        fi
        # Let the server flush the registry before others use the prefix.
        wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
        [[ -f $prefix/system.reg ]] || die "wineboot left no registry in $prefix"
        touch "$prefix/.vlnt-ready"
    fi
    exec 9>&-
fi

# Wine hands its Unix stderr (its debug channel) to the background system
# processes it starts (services, winedevice.exe...), which outlive the program
# by a second or two. If that stderr were CTest's pipe, CTest would wait for
# them after every test. So the program's stderr goes to a file that is copied
# to our stderr once the program has exited; stdout is passed through directly
# (Wine gives those processes /dev/null as stdout).
errlog=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || die "mktemp failed"
flush_errlog() {
    cat "$errlog" >&2 2>/dev/null
    rm -f "$errlog"
}
trap flush_errlog EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# A wineserver ends a few seconds after its last program; a program that
# starts just then loses its connection before it runs ("wine client error:
# ... recvmsg: Connection reset by peer"). Between the test programs of one
# run the server therefore stays up for a minute after its last client (a
# server that already runs keeps its own setting, and this call does nothing).
wineserver -p60 </dev/null >/dev/null 2>&1
"$wine" "$exe" "$@" 2>"$errlog"
status=$?
# Should the race still hit, the program never ran (no output at all): start
# it once more.
if ((status != 0)) && [[ $(head -c 4096 "$errlog") == "wine client error:"* ]]; then
    printf 'wine-run: the wine server went away before %s ran; starting it again\n' "$exe" >&2
    sleep 1
    wineserver -p60 </dev/null >/dev/null 2>&1
    "$wine" "$exe" "$@" 2>"$errlog"
    status=$?
fi
exit $status
