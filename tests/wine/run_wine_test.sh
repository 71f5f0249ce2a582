#!/usr/bin/env bash
# End-to-end test of the Windows builds: stand-in hosts load QUENDARIL.dll
# under Wine in a virtual X display, and xdotool answers the plug-in's boxes
# and dialog the way a person would. Four hosts, each with the DLL of its
# architecture beside it:
#   x86 Microsoft ABI (zerna_msabi.exe of the win32 build) and x64 GNU
#   (zerna.exe of the win64 build): every session below;
#   x86 GNU and x64 Microsoft ABI: the import session.
# The sessions:
#   question-no  scene not empty, answer No: go returns 0, only GB_SceneEmpty
#   import       answer Yes, type the scene's path: the same host calls as
#                the Linux `kvd trace` of that file
#   written      the import session of a scene kvd convert wrote from a
#                model (x64 GNU host)
#   cancel       empty scene, no question, cancel the dialog: go returns 0
#   damaged      a bad first tag: a box captioned QUENDARIL, OK, then
#                GB_EndImport, go returns 1
# and with each Microsoft-ABI host:
#   lacking      the host built without GB_EndSurface: one box naming it,
#                no host call, go returns 0
#   renamed      the import session with the host under another file name
#   no-point3d   the import session with a host that exports no Point3d
#                member: the plug-in sets its points itself
# Also checks that each DLL exports go alone and imports only system DLLs.
# A machine that cannot run 32-bit programs skips the x86 hosts, saying so.
# Screenshots and traces are kept in WORK_DIR.
#
# Usage: run_wine_test.sh WIN32_BIN_DIR WIN64_BIN_DIR NATIVE_BIN_DIR [WORK_DIR]
#   WIN32_BIN_DIR   folder of the x86 hosts and QUENDARIL.dll (build-win32/bin)
#   WIN64_BIN_DIR   folder of the x64 hosts and QUENDARIL.dll (build-win64/bin)
#   NATIVE_BIN_DIR  folder of kvd and kvd_wine_scenes (build/bin)
#   WORK_DIR        default: WIN64_BIN_DIR/../wine-test (emptied first)
set -u

usage='usage: run_wine_test.sh WIN32_BIN_DIR WIN64_BIN_DIR NATIVE_BIN_DIR [WORK_DIR]'
win32_bin=$(cd "${1:?$usage}" && pwd) || exit 2
win64_bin=$(cd "${2:?$usage}" && pwd) || exit 2
native_bin=$(cd "${3:?$usage}" && pwd) || exit 2
work=${4:-$win64_bin/../wine-test}

# Steps that wait for a window or a process give up after these many seconds.
readonly window_timeout=30
readonly session_timeout=60
readonly boot_timeout=180

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
note() { echo "-- $*"; }

find_tool() {
    local candidate
    for candidate in "$@"; do
        if [ -x "$candidate" ]; then echo "$candidate"; return 0; fi
        if command -v "$candidate" >/dev/null 2>&1; then command -v "$candidate"; return 0; fi
    done
    return 1
}

wine64=$(find_tool wine64 /usr/lib/wine/wine64) || { echo "wine64 is not installed"; exit 1; }
wine32=$(find_tool /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine) || { echo "wine32 is not installed"; exit 1; }
wineserver=$(find_tool wineserver /usr/lib/wine/wineserver) || { echo "wineserver is not installed"; exit 1; }
objdump32=$(find_tool i686-w64-mingw32-objdump) || { echo "i686-w64-mingw32-objdump is not installed"; exit 1; }
objdump64=$(find_tool x86_64-w64-mingw32-objdump) || { echo "x86_64-w64-mingw32-objdump is not installed"; exit 1; }
for tool in Xvfb xdotool import setxkbmap; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 1; }
done
for file in "$native_bin/kvd" "$native_bin/kvd_wine_scenes"; do
    [ -e "$file" ] || { echo "missing $file: build the default preset first"; exit 1; }
done
for bin in "$win32_bin" "$win64_bin"; do
    for file in QUENDARIL.dll zerna.exe zerna_msabi.exe zerna_msabi_lacking_endsurface.exe \
                zerna_msabi_without_point3d.exe zerna_trace.dll; do
        [ -e "$bin/$file" ] || { echo "missing $bin/$file: build the win32 and win64 presets first"; exit 1; }
    done
done

rm -rf "$work"
mkdir -p "$work/scenes" "$work/home" "$work/sessions" || exit 1
work=$(cd "$work" && pwd)

# ---------------------------------------------------------------------------
# The module's export and import tables.

one_line() { printf '%s' "$1" | tr '\n' ' '; }
system_dlls='^(kernel32|user32|comdlg32|comctl32|ole32|msvcrt|advapi32|shell32|gdi32)\.dll$'
# check_module OBJDUMP FILE FORMAT: a DLL of that file format whose only
# export is go and whose imports are all system DLLs.
check_module() {
    local objdump=$1 file=$2 format=$3 table exports imports dll
    table=$("$objdump" -p "$file")
    printf '%s\n' "$table" | grep -q "file format $format\$" || fail "$file is not $format"
    exports=$(printf '%s\n' "$table" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
              sed -n 's/^[[:space:]]*\[ *[0-9]*\] \(.*\)$/\1/p')
    [ "$exports" = go ] || fail "$file exports '$(one_line "$exports")' instead of go alone"
    imports=$(printf '%s\n' "$table" | sed -n 's/^[[:space:]]*DLL Name: //p')
    for dll in $imports; do
        printf '%s\n' "$dll" | grep -Eiq "$system_dlls" || fail "$file needs $dll, which is not a system DLL"
    done
    note "$file ($format) exports: $(one_line "$exports"); imports: $(one_line "$imports")"
}
check_module "$objdump32" "$win32_bin/QUENDARIL.dll" pei-i386
check_module "$objdump64" "$win64_bin/QUENDARIL.dll" pei-x86-64

# 32-bit programs need the kernel's 32-bit support, which some machines lack.
if "$wine32" --version >/dev/null 2>&1; then
    run_x86=yes
else
    run_x86=no
    note "SKIPPED: this machine cannot run 32-bit programs; the x86 hosts are not tested"
fi

# ---------------------------------------------------------------------------
# The display and the Wine prefix, both this test's own and always ended.

xvfb_pid=""
wineserver_pid=""
session_pid=""
cleanup() {
    [ -n "$session_pid" ] && kill "$session_pid" 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 15 "$wineserver" -k >/dev/null 2>&1
    fi
    if [ -n "$wineserver_pid" ] && kill -0 "$wineserver_pid" 2>/dev/null; then
        kill "$wineserver_pid" 2>/dev/null
        sleep 1
        kill -KILL "$wineserver_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export HOME=$work/home
export WINEPREFIX=$work/prefix
export WINEARCH=win64
# Quiet, but with the message boxes' texts in the log; no installer dialogs.
export WINEDEBUG=-all,trace+msgbox
export WINEDLLOVERRIDES="mscoree,mshtml="
# The "A" functions decode GBK only when Wine's code page is 936, which it
# derives from a Chinese Unix locale.
chinese_locale=no
if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
    chinese_locale=yes
else
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    note "no zh_CN.UTF-8 locale: the texts of the boxes are not checked"
fi
unset WINESERVER WINELOADER

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" \
    </dev/null >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
# xdotool types with the server's keymap: a US one types ':' and '\' right.
timeout 10 setxkbmap us || note "setxkbmap failed; typing paths may go wrong"

note "creating the Wine prefix"
started=$SECONDS
timeout "$boot_timeout" "$wine64" wineboot -u </dev/null >"$work/wineboot.log" 2>&1 ||
    { echo "wineboot failed or timed out"; tail -20 "$work/wineboot.log"; exit 1; }
timeout 60 "$wineserver" -w || note "the prefix's first wineserver did not end by itself"
note "prefix ready in $((SECONDS - started)) s"
# One persistent server for the sessions, started here so its id is known.
"$wineserver" -f -p </dev/null >"$work/wineserver.log" 2>&1 &
wineserver_pid=$!

"$native_bin/kvd_wine_scenes" "$work/scenes" || { echo "cannot write the test scenes"; exit 1; }

# ---------------------------------------------------------------------------
# Helpers for one session.

# Z:\... for a Unix path: Wine's Z: drive is the Unix root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# use_host ARCH EXE LABEL: the host that the next sessions run (ARCH x86 or
# x64; the DLL of that architecture sits beside EXE). Their names start
# with LABEL.
use_host() {
    host_exe=$2
    host_label=$3
    if [ "$1" = x86 ]; then host_wine=$wine32; else host_wine=$wine64; fi
    # Wine names the class of a program's windows after its file, in lower case.
    host_class=$(basename "$host_exe" | tr '[:upper:]' '[:lower:]' | sed 's/\./\\./g')
}

# start_session NAME [zerna options]: starts the host in the scenes folder,
# where the file dialog opens; its trace goes to sessions/LABEL-NAME.jsonl.
start_session() {
    current=$host_label-$1
    shift
    (cd "$work/scenes" &&
        exec timeout "$session_timeout" "$host_wine" "$host_exe" \
            --trace "$(windows_path "$work/sessions/$current.jsonl")" "$@") \
        </dev/null >"$work/sessions/$current.out" 2>"$work/sessions/$current.err" &
    session_pid=$!
}

# Sets window to the visible window of the session whose title matches
# TITLES: shell patterns, '|' between them.
window=""
wait_window() {
    local titles=$1 deadline=$((SECONDS + window_timeout)) id title pattern
    local -a patterns
    IFS='|' read -r -a patterns <<<"$titles"
    window=""
    while [ "$SECONDS" -lt "$deadline" ]; do
        for id in $(xdotool search --onlyvisible --classname "$host_class" 2>/dev/null); do
            title=$(xdotool getwindowname "$id" 2>/dev/null) || continue
            for pattern in "${patterns[@]}"; do
                # shellcheck disable=SC2053  # the pattern is meant to glob
                if [[ $title == $pattern ]]; then
                    window=$id
                    return 0
                fi
            done
        done
        if ! kill -0 "$session_pid" 2>/dev/null; then
            fail "$current: the host ended while waiting for a window '$titles'"
            return 1
        fi
        sleep 0.2
    done
    fail "$current: no window '$titles' within ${window_timeout} s"
    return 1
}

# Gives the window the keyboard and presses the keys.
press() {
    local id=$1
    shift
    timeout 10 xdotool windowfocus --sync "$id" && sleep 0.3 &&
        timeout 10 xdotool key --clearmodifiers "$@"
}

type_text() {
    local id=$1 text=$2
    timeout 10 xdotool windowfocus --sync "$id" && sleep 0.3 &&
        timeout 30 xdotool type --delay 30 --clearmodifiers "$text"
}

# Waits for the session to end; stops it after session_timeout in any case.
end_session() {
    local deadline=$((SECONDS + session_timeout))
    while kill -0 "$session_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.2
    done
    if kill -0 "$session_pid" 2>/dev/null; then
        fail "$current: the host did not end"
        kill "$session_pid" 2>/dev/null
    fi
    wait "$session_pid" 2>/dev/null
    session_pid=""
    note "$current: $(tail -n 1 "$work/sessions/$current.jsonl" 2>/dev/null)"
}

# expect_trace: the session's trace holds exactly the lines on stdin.
expect_trace() {
    if ! diff -u - "$work/sessions/$current.jsonl" >"$work/sessions/$current.diff" 2>&1; then
        fail "$current: unexpected trace"
        cut -c1-160 "$work/sessions/$current.diff" | head -20
    fi
}

# expect_box_text UTF16: Wine logged a message box with this text, written
# as its debug log writes UTF-16 (\XXXX per character beyond ASCII).
expect_box_text() {
    [ "$chinese_locale" = yes ] || return 0
    grep -aFq "MSGBOX_OnInit L\"$1\"" "$work/sessions/$current.err" ||
        fail "$current: no message box with the text L\"$1\""
}

screenshot() {
    timeout 20 import -window "$1" "$work/$current-$2" || fail "$current: screenshot $2 failed"
}

# Without code page 936 the caption's GBK bytes show as other characters.
question_caption='3DMax输入'
[ "$chinese_locale" = yes ] || question_caption='3DMax*'
readonly question_caption
# "此操作将清除当前场景，是否继续?" and "文件已破坏" as Wine logs them.
readonly question_text='\6b64\64cd\4f5c\5c06\6e05\9664\5f53\524d\573a\666f\ff0c\662f\5426\7ee7\7eed?'
readonly damaged_text='\6587\4ef6\5df2\7834\574f'
# The open dialog's title, as Wine shows it in a Chinese or another locale.
readonly dialog_titles='打开|Open'

# ---------------------------------------------------------------------------
# The sessions.

question_no() {
    note "$host_label: question-no"
    start_session question-no --scene-not-empty
    if wait_window "$question_caption"; then
        screenshot "$window" question.png
        press "$window" n
    fi
    end_session
    expect_box_text "$question_text"
    expect_trace <<'EOF'
{"call":"GB_SceneEmpty","result":0}
{"go":0}
EOF
}

# import_scene [SESSION FILE]: the import session of FILE (scene.kvd), whose
# host calls must be those of kvd trace (sessions/FILE-calls.jsonl).
import_scene() {
    local session=${1:-import} file=${2:-scene.kvd}
    note "$host_label: $session"
    start_session "$session" --scene-not-empty
    if wait_window "$question_caption"; then
        press "$window" y
        if wait_window "$dialog_titles"; then
            sleep 1   # let the folder's listing be painted
            screenshot "$window" file-dialog.png
            type_text "$window" "$(windows_path "$work/scenes/$file")" && press "$window" Return
        fi
    fi
    end_session
    expect_box_text "$question_text"
    grep '"call"' "$work/sessions/$current.jsonl" | grep -v '"GB_SceneEmpty"' \
        >"$work/sessions/$current-calls.jsonl"
    if diff -q "$work/sessions/$file-calls.jsonl" "$work/sessions/$current-calls.jsonl" >/dev/null; then
        note "$current: $(wc -l <"$work/sessions/$current-calls.jsonl") host calls, the same as kvd trace"
    else
        fail "$current: the host calls differ from kvd trace"
        diff -u "$work/sessions/$file-calls.jsonl" "$work/sessions/$current-calls.jsonl" | cut -c1-160 | head -20
    fi
    [ "$(head -n 1 "$work/sessions/$current.jsonl")" = '{"call":"GB_SceneEmpty","result":0}' ] ||
        fail "$current: the session did not start with GB_SceneEmpty answering 0"
    [ "$(tail -n 1 "$work/sessions/$current.jsonl")" = '{"go":1}' ] || fail "$current: go did not return 1"
}

cancel() {
    note "$host_label: cancel"
    start_session cancel
    if wait_window "$dialog_titles"; then
        press "$window" Escape
    fi
    end_session
    grep -aq MSGBOX_OnInit "$work/sessions/$current.err" && fail "$current: a message box was shown"
    expect_trace <<'EOF'
{"call":"GB_SceneEmpty","result":1}
{"go":0}
EOF
}

damaged() {
    note "$host_label: damaged"
    start_session damaged
    if wait_window "$dialog_titles"; then
        type_text "$window" "$(windows_path "$work/scenes/damaged.kvd")" && press "$window" Return
        if wait_window QUENDARIL; then
            screenshot "$window" message.png
            press "$window" Return
        fi
    fi
    end_session
    expect_box_text "$damaged_text"
    expect_trace <<'EOF'
{"call":"GB_SceneEmpty","result":1}
{"call":"GB_EndImport"}
{"go":1}
EOF
}

# The host lacks GB_EndSurface: the box names it, and go returns before any
# host call.
lacking() {
    note "$host_label: lacking"
    start_session lacking
    if wait_window QUENDARIL; then
        screenshot "$window" lacking.png
        press "$window" Return
    fi
    end_session
    grep -aF 'MSGBOX_OnInit L"' "$work/sessions/$current.err" | grep -q GB_EndSurface ||
        fail "$current: no message box naming GB_EndSurface"
    expect_trace <<'EOF'
{"go":0}
EOF
}

# The Microsoft-ABI host of one architecture under another file name, in a
# folder of its own with what it needs beside it.
renamed() {
    local arch=$1 bin=$2 folder=$work/renamed-$1
    mkdir -p "$folder" &&
        cp "$bin/zerna_msabi.exe" "$folder/Studio3D.exe" &&
        cp "$bin/zerna_trace.dll" "$bin/QUENDARIL.dll" "$folder/" || { fail "cannot copy the $arch host"; return; }
    use_host "$arch" "$folder/Studio3D.exe" "$arch-renamed"
    import_scene
}

# A scene written by kvd convert from a model: the scene as .glb, and that
# .glb back as written.kvd.
"$native_bin/kvd" convert --quiet "$work/scenes/scene.kvd" "$work/written.glb" 2>/dev/null &&
    "$native_bin/kvd" convert --quiet "$work/written.glb" "$work/scenes/written.kvd" ||
    fail "kvd convert could not write written.kvd"
for file in scene.kvd written.kvd; do
    "$native_bin/kvd" trace "$work/scenes/$file" >"$work/sessions/$file-trace.jsonl" 2>/dev/null ||
        fail "kvd trace of $file failed"
    grep '"call"' "$work/sessions/$file-trace.jsonl" >"$work/sessions/$file-calls.jsonl"
    [ "$(wc -l <"$work/sessions/$file-calls.jsonl")" -gt 10 ] || fail "kvd trace of $file made too few calls"
done

if [ "$run_x86" = yes ]; then
    use_host x86 "$win32_bin/zerna_msabi.exe" x86-msabi
    question_no
    import_scene
    cancel
    damaged
    use_host x86 "$win32_bin/zerna_msabi_lacking_endsurface.exe" x86-msabi
    lacking
    renamed x86 "$win32_bin"
    use_host x86 "$win32_bin/zerna_msabi_without_point3d.exe" x86-no-point3d
    import_scene
    use_host x86 "$win32_bin/zerna.exe" x86-gnu
    import_scene
fi

use_host x64 "$win64_bin/zerna.exe" x64-gnu
question_no
import_scene
import_scene written written.kvd
cancel
damaged
use_host x64 "$win64_bin/zerna_msabi.exe" x64-msabi
import_scene
use_host x64 "$win64_bin/zerna_msabi_lacking_endsurface.exe" x64-msabi
lacking
renamed x64 "$win64_bin"
use_host x64 "$win64_bin/zerna_msabi_without_point3d.exe" x64-no-point3d
import_scene

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s); logs and screenshots in $work"
    exit 1
fi
if [ "$run_x86" = yes ]; then
    echo "wine end-to-end: all sessions passed for the four hosts; screenshots in $work"
else
    echo "wine end-to-end: all x64 sessions passed; the x86 hosts were SKIPPED (no 32-bit support); screenshots in $work"
fi
