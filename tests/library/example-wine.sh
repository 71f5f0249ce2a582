#!/usr/bin/env bash
# The Windows library under Wine: kvd.dll exports the C interface alone,
# and the cross-built example, run beside it on each sample, prints what
# the Linux example prints. Exits 77 (skipped, saying why) where the
# Windows build or Wine is not there.
# Usage: example-wine.sh WIN64_BIN_DIR NATIVE_BIN_DIR SOURCE_DIR [WORK_DIR]
#   WIN64_BIN_DIR   kvd.dll and scene_summary.exe (build-win64/bin)
#   NATIVE_BIN_DIR  the Linux scene_summary (build/bin)
set -u
usage='usage: example-wine.sh WIN64_BIN_DIR NATIVE_BIN_DIR SOURCE_DIR [WORK_DIR]'
win64_bin=${1:?$usage}
native_bin=$(cd "${2:?$usage}" && pwd) || exit 2
source=$(cd "${3:?$usage}" && pwd) || exit 2
work=${4:-$native_bin/../library-wine}

skip() { echo "SKIPPED: $*"; exit 77; }
for file in kvd.dll scene_summary.exe; do
    [ -f "$win64_bin/$file" ] || skip "no $win64_bin/$file: build the win64 preset first"
done
win64_bin=$(cd "$win64_bin" && pwd)
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine64" ] || skip "wine64 is not installed"
objdump=$(command -v x86_64-w64-mingw32-objdump) || skip "x86_64-w64-mingw32-objdump is not installed"
[ -x "$native_bin/scene_summary" ] || { echo "FAIL: no $native_bin/scene_summary"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Only kvd_* in the DLL's export table, and only system DLLs imported.
table=$("$objdump" -p "$win64_bin/kvd.dll")
exports=$(printf '%s\n' "$table" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[ *[0-9]*\] \(.*\)$/\1/p')
declared=$(grep -o 'kvd_[a-z_]*(' "$source/library/include/kvd.h" | tr -d '(' | sort -u)
[ "$(printf '%s\n' "$exports" | sort -u)" = "$declared" ] ||
    fail "kvd.dll exports other than the functions of kvd.h: $(printf '%s ' $exports | head -c 600)"
echo "-- kvd.dll exports $(printf '%s\n' "$exports" | grep -c '^kvd_') kvd_* functions"
imports=$(printf '%s\n' "$table" | sed -n 's/^[[:space:]]*DLL Name: //p')
for dll in $imports; do
    printf '%s\n' "$dll" | grep -Eiq '^(kernel32|msvcrt|user32|advapi32|shell32|ole32)\.dll$|^api-ms-win' ||
        fail "kvd.dll needs $dll, which is not a system DLL"
done

rm -rf "$work"
mkdir -p "$work/bin" "$work/home" && work=$(cd "$work" && pwd)
cp "$win64_bin/kvd.dll" "$win64_bin/scene_summary.exe" "$work/bin/"
export HOME=$work/home WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
cleanup() { timeout 15 "$(dirname "$wine64")/wineserver" -k >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1; }
trap cleanup EXIT
timeout 300 "$wine64" wineboot -u </dev/null >"$work/wineboot.log" 2>&1 ||
    skip "Wine cannot start here (wineboot failed or timed out; see $work/wineboot.log)"

for sample in house triangle; do
    kvd=$source/samples/$sample.kvd
    "$native_bin/scene_summary" "$kvd" >"$work/$sample-linux.txt" 2>&1
    linux_status=$?
    windows_path="Z:${kvd//\//\\}"
    timeout 120 "$wine64" "$work/bin/scene_summary.exe" "$windows_path" </dev/null 2>"$work/$sample-wine.err" |
        tr -d '\r' >"$work/$sample-wine.txt"
    wine_status=${PIPESTATUS[0]}
    [ "$wine_status" = "$linux_status" ] || fail "$sample: exit status $wine_status under Wine, $linux_status on Linux"
    if diff -u "$work/$sample-linux.txt" "$work/$sample-wine.txt" >"$work/$sample.diff"; then
        echo "-- $sample: the Windows example printed what the Linux one prints"
    else
        fail "$sample: the Windows example printed something else:"
        cat "$work/$sample.diff" "$work/$sample-wine.err"
    fi
done
[ $failures = 0 ] || exit 1
echo "kvd.dll and the example under Wine agree with Linux"
