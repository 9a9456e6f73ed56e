#!/usr/bin/env bash
# Checks a release zip the way an operator receives it: unpacked into an
# empty folder, every file present and matching SHA256SUMS, the DLL loaded
# under Wine with the project's version in its version resource, the
# packaged replay.exe replaying the sample log to the expected results,
# both guides UTF-8 with CR LF line ends, every Windows import of the
# binaries on the list that backs the guides' Windows claim, and nothing
# in the binaries that would tell one build of a commit from another.
#
#   tools/check-package.sh ZIP [WINDOWS_BUILD_DIR]
#
# WINDOWS_BUILD_DIR (default build/win32) holds version_resource.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/version.sh

zip_file=$(realpath "$1")
windows_build=${2:-build/win32}
version=$(project_version .)
unpacked=build/package-check
failures=0

fail() {
    echo "package check: $*" >&2
    failures=$((failures + 1))
}

expect_equal() {  # WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || fail "$1 is '$2', expected '$3'"
}

# A guide Notepad shows right on every Windows the guides name: a UTF-8
# byte order mark (older Notepads need it to tell UTF-8 from ANSI), valid
# UTF-8, and every line ended by CR LF.
check_guide() {
    local guide="$1"
    [ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$guide does not begin with a UTF-8 byte order mark"
    iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null 2>&1 || fail "$guide is not valid UTF-8"
    [ "$(tail -c 2 "$guide" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "$guide does not end with CR LF"
    ! LC_ALL=C grep -q $'[^\r]$\|^$' "$guide" || fail "$guide has a line that does not end with CR LF"
    ! LC_ALL=C grep -q $'\r.' "$guide" || fail "$guide has a CR inside a line"
    LC_ALL=C grep -q "$floor" "$guide" || fail "$guide does not name $floor, the oldest Windows the imports allow"
}

# "DLL Function" for every function the binary imports by name.
imported_functions() {
    i686-w64-mingw32-objdump -p "$1" | awk '
        /^The Import Tables/ { inside = 1; next }
        /^The / { inside = 0 }
        inside && /DLL Name:/ { dll = toupper($3) }
        inside && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll, $3 }'
}

check_imports() {
    local binary="$1" unknown
    unknown=$(imported_functions "$binary" | sort -u | LC_ALL=C comm -23 - <(grep -v '^#\|^floor:' tools/windows-imports.txt | sort -u))
    [ -z "$unknown" ] || fail "$(basename "$binary") imports what tools/windows-imports.txt does not list (check the Windows it needs): $(echo $unknown)"
}

# What would make two builds of one commit differ, short of building twice:
# a link time stamp, the build's own paths, a compile date (__DATE__).
check_reproducible() {
    local binary="$1"
    local pe_header
    pe_header=$(od -An -tu4 -j 60 -N 4 "$binary" | tr -d ' ')
    expect_equal "$(basename "$binary")'s link time stamp" "$(od -An -tu4 -j $((pe_header + 8)) -N 4 "$binary" | tr -d ' ')" 0
    ! LC_ALL=C grep -q -F "$PWD" "$binary" || fail "$(basename "$binary") holds the build path $PWD"
    ! LC_ALL=C grep -q -F "$(LC_ALL=C date -u '+%b %e %Y')" "$binary" || fail "$(basename "$binary") holds today's date"
}

expect_equal "the zip's name" "$(basename "$zip_file")" "zemrix-stats-$version.zip"
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip_file" -d "$unpacked"

expected_files="CHANGELOG.md LICENSE ORGANISER-en.txt ORGANISER-ru.txt README-en.txt README-ru.txt SHA256SUMS Stats.dll cty.dat replay.exe zemrix-check.exe"
expect_equal "the zip's content" "$(cd "$unpacked" && LC_ALL=C ls | tr '\n' ' ' | sed 's/ $//')" "$expected_files"
(cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
expect_equal "the files SHA256SUMS lists" "$(awk '{print $2}' "$unpacked/SHA256SUMS" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')" \
    "$(echo "$expected_files" | tr ' ' '\n' | grep -vx SHA256SUMS | tr '\n' ' ' | sed 's/ $//')"
expect_changelog_names "$version" "$unpacked/CHANGELOG.md" || fail "the packaged CHANGELOG.md does not head with $version"

floor=$(sed -n 's/^floor: //p' tools/windows-imports.txt)
check_guide "$unpacked/README-ru.txt"
check_guide "$unpacked/README-en.txt"
check_guide "$unpacked/ORGANISER-ru.txt"
check_guide "$unpacked/ORGANISER-en.txt"
check_imports "$unpacked/Stats.dll"
check_imports "$unpacked/replay.exe"
check_imports "$unpacked/zemrix-check.exe"
check_reproducible "$unpacked/Stats.dll"
check_reproducible "$unpacked/replay.exe"
check_reproducible "$unpacked/zemrix-check.exe"

[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] || source tools/wine-session.sh
resource=$(wine "$windows_build/version_resource.exe" "$(winepath -w "$unpacked/Stats.dll")" | tr -d '\r') ||
    fail "Stats.dll did not load under Wine"
field() { sed -n "s/^$1 //p" <<<"$resource"; }
expect_equal "Stats.dll's FILEVERSION" "$(field FILEVERSION)" "$version.0"
expect_equal "Stats.dll's PRODUCTVERSION" "$(field PRODUCTVERSION)" "$version.0"
expect_equal "Stats.dll's FileVersion text" "$(field FileVersion)" "$version"
expect_equal "Stats.dll's ProductVersion text" "$(field ProductVersion)" "$version"
expect_equal "replay.exe --version" "$(wine "$unpacked/replay.exe" --version | tr -d '\r')" "replay $version"
expect_equal "zemrix-check.exe --version" "$(wine "$unpacked/zemrix-check.exe" --version | tr -d '\r')" \
    "zemrix-check $version"

# The packaged replay.exe, with the packaged Stats.dll and cty.dat beside it.
sample=tools/replay/sample
if ! replayed=$(cmake -DEMULATOR=wine -DREPLAY="$unpacked/replay.exe" -DLOG="$sample/zemrix-sample.log" \
                      -DWORKDIR="$PWD/build/package-check-run" -DEXPECTED_EXIT=0 \
                      -DEXPECTED_RESULTS="$sample/expected-results.txt" -DEXPECTED_ERR="$sample/expected-err.txt" \
                      -P tools/replay/tests/wine/check_replay.cmake 2>&1); then
    echo "$replayed" >&2
    fail "the packaged replay.exe did not give the sample's expected results"
fi

# The packaged zemrix-check.exe, with the packaged cty.dat beside it, on the
# five-log contest.
five=checker/five-logs
if ! checked=$(cmake -DEMULATOR=wine -DCHECKER="$unpacked/zemrix-check.exe" -DCONFIG="$five/contest.ini" \
                     -DLOGS="$five/logs" -DEXPECTED="$five/expected" -DOUT="$PWD/build/package-check-five" \
                     -P "$five/check_reports.cmake" 2>&1); then
    echo "$checked" >&2
    fail "the packaged zemrix-check.exe did not give the five-log contest's expected reports"
fi

if [ "$failures" -ne 0 ]; then
    echo "package check: $failures problem(s) in $zip_file" >&2
    exit 1
fi
echo "package check: $zip_file is good (version $version)"
