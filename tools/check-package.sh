#!/usr/bin/env bash
# Checks a release zip the way an operator receives it: unpacked into an
# empty folder, every file present and matching SHA256SUMS, the DLL loaded
# under Wine, the packaged replay.exe replaying the sample log to the
# expected results, every text with CR LF line ends (UTF-8 with a byte
# order mark when it holds more than ASCII), the binaries stripped and each
# carrying the project's version in its version resource, every Windows
# import of the binaries on the list that backs the guides' Windows claim,
# and nothing in the binaries that would tell one build of a commit from
# another.
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

# A text Notepad shows right on every Windows the guides name: every line
# ended by CR LF (older Notepads show LF-only files on one line), and valid
# UTF-8 with a byte order mark (older Notepads need it to tell UTF-8 from
# ANSI) when it holds more than ASCII.
check_windows_text() {
    local text="$1" name
    name=$(basename "$text")
    if LC_ALL=C grep -q $'[\x80-\xff]' "$text"; then
        [ "$(head -c 3 "$text" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$name does not begin with a UTF-8 byte order mark"
        iconv -f UTF-8 -t UTF-8 "$text" >/dev/null 2>&1 || fail "$name is not valid UTF-8"
    fi
    [ "$(tail -c 2 "$text" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "$name does not end with CR LF"
    ! LC_ALL=C grep -q $'[^\r]$\|^$' "$text" || fail "$name has a line that does not end with CR LF"
    ! LC_ALL=C grep -q $'\r.' "$text" || fail "$name has a CR inside a line"
}

# The guides besides name the oldest Windows the binaries run on.
check_guide() {
    local guide="$1"
    LC_ALL=C grep -q "$floor" "$guide" || fail "$(basename "$guide") does not name $floor, the oldest Windows the imports allow"
}

# No symbols and no debugging data: an operator's copy needs neither, and
# they double the size.
check_stripped() {
    local binary="$1" pe_header debug_sections
    pe_header=$(od -An -tu4 -j 60 -N 4 "$binary" | tr -d ' ')
    expect_equal "$(basename "$binary")'s symbol count" "$(od -An -tu4 -j $((pe_header + 16)) -N 4 "$binary" | tr -d ' ')" 0
    debug_sections=$(i686-w64-mingw32-objdump -h "$binary" | awk '$2 ~ /^\.debug/ { print $2 }')
    [ -z "$debug_sections" ] || fail "$(basename "$binary") holds debugging data: $(echo $debug_sections)"
}

# The version resource Explorer shows (Properties, Details), read by loading
# the binary under Wine as a host would.
check_version_resource() {
    local binary="$1" name resource
    name=$(basename "$binary")
    if ! resource=$(wine "$windows_build/version_resource.exe" "$(winepath -w "$binary")" | tr -d '\r'); then
        fail "$name did not load under Wine, or has no version resource"
        return
    fi
    field() { sed -n "s/^$1 //p" <<<"$resource"; }
    expect_equal "$name's FILEVERSION" "$(field FILEVERSION)" "$version.0"
    expect_equal "$name's PRODUCTVERSION" "$(field PRODUCTVERSION)" "$version.0"
    expect_equal "$name's FileVersion text" "$(field FileVersion)" "$version"
    expect_equal "$name's ProductVersion text" "$(field ProductVersion)" "$version"
    expect_equal "$name's OriginalFilename" "$(field OriginalFilename)" "$name"
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
expect_equal "the files SHA256SUMS lists" "$(tr -d '\r' < "$unpacked/SHA256SUMS" | awk '{print $2}' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')" \
    "$(echo "$expected_files" | tr ' ' '\n' | grep -vx SHA256SUMS | tr '\n' ' ' | sed 's/ $//')"
expect_changelog_names "$version" "$unpacked/CHANGELOG.md" || fail "the packaged CHANGELOG.md does not head with $version"

floor=$(sed -n 's/^floor: //p' tools/windows-imports.txt)
for text in README-ru.txt README-en.txt ORGANISER-ru.txt ORGANISER-en.txt LICENSE CHANGELOG.md SHA256SUMS; do
    check_windows_text "$unpacked/$text"
done
check_guide "$unpacked/README-ru.txt"
check_guide "$unpacked/README-en.txt"
check_guide "$unpacked/ORGANISER-ru.txt"
check_guide "$unpacked/ORGANISER-en.txt"
for binary in Stats.dll replay.exe zemrix-check.exe; do
    check_imports "$unpacked/$binary"
    check_reproducible "$unpacked/$binary"
    check_stripped "$unpacked/$binary"
done

[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] || source tools/wine-session.sh
check_version_resource "$unpacked/Stats.dll"
check_version_resource "$unpacked/replay.exe"
check_version_resource "$unpacked/zemrix-check.exe"
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
five="$PWD/checker/five-logs"
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
