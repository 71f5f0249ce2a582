#!/usr/bin/env bash
# The shared library exports exactly the functions kvd.h declares, under
# its versioned SONAME; the static library defines no other strong global
# symbol (what it shares with a program's own code can only be weak
# instances of the C++ library's templates).
# Usage: exported-symbols.sh LIBKVD_SO KVD_H LIBKVD_A
set -u
usage='usage: exported-symbols.sh LIBKVD_SO KVD_H LIBKVD_A'
library=${1:?$usage}
header=${2:?$usage}
archive=${3:?$usage}
status=0
declared=$(grep -o 'kvd_[a-z_]*(' "$header" | tr -d '(' | sort -u)
exported=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TDBRVWiu]$/ {print $3}' | sed 's/@.*//' |
           grep -v '^KVD_1$' | sort -u)
if [ "$exported" != "$declared" ]; then
    echo "FAIL: the exports are not the functions of kvd.h:"
    diff <(printf '%s\n' "$declared") <(printf '%s\n' "$exported") | sed -n 's/^[<>]/  &/p'
    status=1
fi
strong=$(nm -g --defined-only "$archive" | awk 'NF == 3 && $2 ~ /^[TDBR]$/ {print $3}' | sort -u)
if [ "$strong" != "$declared" ]; then
    echo "FAIL: the static library's strong global symbols are not the functions of kvd.h:"
    diff <(printf '%s\n' "$declared") <(printf '%s\n' "$strong") | sed -n 's/^[<>]/  &/p' | head -20
    status=1
fi
soname=$(readelf -d "$library" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
[ "$soname" = libkvd.so.1 ] || { echo "FAIL: SONAME is '$soname', not libkvd.so.1"; status=1; }
echo "$(printf '%s\n' "$exported" | wc -l) symbols exported (kvd.h declares $(printf '%s\n' "$declared" | wc -l)), SONAME $soname"
exit $status
