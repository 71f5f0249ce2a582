#!/bin/bash
# End-to-end sessions: zerna loads the plug-in module, answers come from
# standard input as a person would type them, and the trace is compared
# line for line.
# Usage: zerna_session.sh BIN_DIR   (the folder holding zerna, kvd and QUENDARIL.so)
set -u

bin=$(cd "${1:?usage: zerna_session.sh BIN_DIR}" && pwd) || exit 1
zerna=$bin/zerna
kvd=$bin/kvd
plugin=$bin/QUENDARIL.so
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect NAME FILE: FILE holds exactly the lines that follow on standard input.
expect() {
    local name=$1 actual=$2
    if ! diff -u - "$actual" >"$work/diff.txt"; then
        fail "$name"
        cat "$work/diff.txt"
    fi
}

# The smallest scene: header, no material, no object, no camera.
printf '\x56\x02\x0e\x00\x00\x00*KOLVENDRASIT\x00'   >empty.kvd   # tag 598, signature
printf '\x00\x00\x00\x00'                              >>empty.kvd  # format word, text slot
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'      >>empty.kvd  # four words, values slot
printf '\x06\x01\x56\x01\x00\x00\x00\x00'              >>empty.kvd  # 262, 342, 0 materials, end word
printf '\x00\x00\x00\x00\x00\x03'                      >>empty.kvd  # 0 objects, 0 cameras, 768
[ "$(wc -c <empty.kvd)" -eq 48 ] || fail "test file is not 48 bytes"

printf '\x57\x02\x0e\x00\x00\x00*KOLVENDRASIT\x00' >damaged.kvd    # first tag 599
head -c 46 empty.kvd >bad-end.kvd && printf '\x01\x03' >>bad-end.kvd  # camera section ends in 769

camera='{"call":"GB_SetDefaultCamera","name":"相机1","name_hex":"cfe0bbfa31","eye":[2734,-1836.8,3832.7],"target":[9706.5,368.3,3047.6],"fov":22}'

# A file without cameras gets the fixed default camera.
printf '%s\n' empty.kvd | "$zerna" --trace - >out.txt 2>err.txt
[ $? -eq 0 ] || fail "zerna exit status for empty.kvd"
expect "empty scene" out.txt <<EOF
{"call":"GB_SceneEmpty","result":1}
{"call":"GB_StartImport","result":1}
$camera
{"call":"GB_EndImport"}
{"go":1}
EOF

# The same import through kvd trace: the same calls, without the session's.
"$kvd" trace empty.kvd >kvd.txt 2>kvd-err.txt
[ $? -eq 0 ] || fail "kvd trace exit status"
grep -v -e GB_SceneEmpty -e '"go"' out.txt | expect "kvd trace matches zerna" kvd.txt

# A damaged header: the message is recorded where it was shown, and still
# reaches the real standard error.
printf '%s\n' damaged.kvd | "$zerna" --trace - >out.txt 2>err.txt
expect "damaged header" out.txt <<'EOF'
{"call":"GB_SceneEmpty","result":1}
{"message":"文件已破坏","hex":"cec4bcfed2d1c6c6bbb5"}
{"call":"GB_EndImport"}
{"go":1}
EOF
grep -q 'QUENDARIL: 文件已破坏' err.txt || fail "message not forwarded to standard error"

"$kvd" trace damaged.kvd >kvd.txt 2>kvd-err.txt
grep -v -e GB_SceneEmpty -e '"go"' out.txt | expect "kvd trace of a damaged header" kvd.txt
grep -q '^kvd: 文件已破坏$' kvd-err.txt || fail "kvd trace does not show the message"

# A trace written to a file records the same lines.
printf '%s\n' damaged.kvd | "$zerna" --trace trace.jsonl >/dev/null 2>&1
expect "trace file" trace.jsonl <out.txt

# A message in the middle of the import stays between the calls around it.
printf '%s\n' bad-end.kvd | "$zerna" --trace - >out.txt 2>err.txt
expect "camera section error" out.txt <<EOF
{"call":"GB_SceneEmpty","result":1}
{"call":"GB_StartImport","result":1}
$camera
{"message":"Output Camera Error","hex":"4f75747075742043616d657261204572726f72"}
{"call":"GB_EndImport"}
{"go":1}
EOF

# A refused start: the host's refusal is shown, nothing else is sent.
printf '%s\n' empty.kvd | "$zerna" --trace - --refuse-start >out.txt 2>err.txt
expect "refused start" out.txt <<'EOF'
{"call":"GB_SceneEmpty","result":1}
{"call":"GB_StartImport","result":0}
{"message":"GB_StartImport error","hex":"47425f5374617274496d706f7274206572726f72"}
{"call":"GB_EndImport"}
{"go":1}
EOF

# Declining to clear a non-empty scene ends the session at once.
printf 'n\n' | "$zerna" --trace - --scene-not-empty >out.txt 2>err.txt
expect "declined question" out.txt <<'EOF'
{"call":"GB_SceneEmpty","result":0}
{"go":0}
EOF

# An empty answer cancels the file dialog.
printf '\n' | "$zerna" --trace - >out.txt 2>err.txt
expect "cancelled dialog" out.txt <<'EOF'
{"call":"GB_SceneEmpty","result":1}
{"go":0}
EOF

# Sessions share nothing: a cancelled one, then an import, then a damaged file.
printf '\n%s\n%s\n' empty.kvd damaged.kvd | "$zerna" --trace - --sessions 3 >out.txt 2>err.txt
expect "three sessions" out.txt <<EOF
{"call":"GB_SceneEmpty","result":1}
{"go":0}
{"call":"GB_SceneEmpty","result":1}
{"call":"GB_StartImport","result":1}
$camera
{"call":"GB_EndImport"}
{"go":1}
{"call":"GB_SceneEmpty","result":1}
{"message":"文件已破坏","hex":"cec4bcfed2d1c6c6bbb5"}
{"call":"GB_EndImport"}
{"go":1}
EOF

# Failures of the programs themselves.
"$zerna" --sessions x >/dev/null 2>&1
[ $? -eq 2 ] || fail "zerna usage error should exit 2"
"$zerna" --plugin "$work/missing.so" </dev/null >/dev/null 2>&1
[ $? -eq 1 ] || fail "zerna with a missing plug-in should exit 1"
"$kvd" trace "$work/missing.kvd" >/dev/null 2>&1
[ $? -eq 1 ] || fail "kvd trace of a missing file should exit 1"
"$kvd" trace >/dev/null 2>&1
[ $? -eq 2 ] || fail "kvd trace without a file should exit 2"

# The module exports go and nothing else; the host exports what it binds to.
functions=$(nm -D --defined-only "$plugin" | awk '$2 ~ /^[TtWwi]$/ { print $3 }')
[ "$functions" = "go" ] || fail "plug-in exports: $functions"
for name in GB_SceneEmpty GB_StartImport GB_EndImport GB_SetDefaultCamera GB_AddCamera \
            GB_BeginObject GB_BeginSurface GB_AddTriangle GB_EndSurface GB_EndObject; do
    nm -D --defined-only "$zerna" | grep -qw "$name" || fail "zerna does not export $name"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures end-to-end check(s) failed"
    exit 1
fi
echo "all end-to-end checks passed"
