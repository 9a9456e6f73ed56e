#!/usr/bin/env bash
# Writes the release package dist/zemrix-stats-<version>.zip: Stats.dll,
# replay.exe and zemrix-check.exe with the country file cty.dat, the
# operator's and the organiser's guides in Russian and English, LICENSE,
# CHANGELOG.md and SHA256SUMS.
#
#   tools/package.sh                          the release: a clean build of the
#                                             committed tree (HEAD) in a fresh
#                                             build/package, zip in dist/
#   tools/package.sh --prebuilt DIR --output OUT
#                                             the binaries already built in DIR and
#                                             the working tree's texts, zip in OUT
#                                             (the test command's package check)
#
# The binaries come stripped of symbols and debugging data from a release
# build (CMakeLists.txt); the texts get CR LF line ends, and a UTF-8 byte
# order mark when they hold more than ASCII, so that every Notepad the guides'
# Windows versions have shows them right.
#
# One commit gives one zip, byte for byte: the binaries hold no build paths
# or link times (CMakeLists.txt), and every file in the zip carries the
# commit's time, in a fixed order, without owner or extra attributes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/version.sh

# windows_text SOURCE TARGET: SOURCE with CR LF line ends, and a UTF-8 byte
# order mark if it holds any byte beyond ASCII.  Line ends and a mark that
# SOURCE already has are kept, not doubled.
windows_text() {
    local plain="$2.plain"
    LC_ALL=C sed '1s/^\xEF\xBB\xBF//; s/\r$//' "$1" > "$plain"
    {
        ! LC_ALL=C grep -q $'[\x80-\xff]' "$plain" || printf '\xEF\xBB\xBF'
        LC_ALL=C sed 's/$/\r/' "$plain"
    } > "$2"
    rm "$plain"
}

prebuilt=""
output=dist
while [ $# -gt 0 ]; do
    case "$1" in
        --prebuilt) prebuilt="$2"; shift 2 ;;
        --output) output="$2"; shift 2 ;;
        *) echo "usage: tools/package.sh [--prebuilt BUILD_DIR] [--output DIR]" >&2; exit 1 ;;
    esac
done

tools/install-deps.sh
# Read once: a commit made while the package builds must not lend the zip
# its time.
commit=$(git rev-parse HEAD)
if [ -n "$prebuilt" ]; then
    work=build/package-prebuilt
    tree=.
    binaries="$prebuilt"
else
    work=build/package
    # Only what is committed goes into a release: the build starts from an
    # export of HEAD, not from the working tree.
    rm -rf "$work"
    tree="$work/src"
    mkdir -p "$tree"
    git archive "$commit" | tar -x -C "$tree"
    echo "Building ${commit:0:7} from a clean tree in $work"
    binaries="$work/win32"
    cmake -S "$tree" -B "$binaries" -DCMAKE_TOOLCHAIN_FILE="$PWD/$tree/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$binaries" -j"$(nproc)" --target Stats replay zemrix-check
fi

version=$(project_version "$tree")
expect_changelog_names "$version" "$tree/CHANGELOG.md"
timestamp="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct "$commit")}"

stage="$work/stage"
rm -rf "$stage"
mkdir -p "$stage"
cp "$binaries/Stats.dll" "$binaries/replay.exe" "$binaries/checker/zemrix-check.exe" \
   /usr/share/hamradio-files/cty.dat "$stage/"
for text in docs/README-ru.txt docs/README-en.txt docs/ORGANISER-ru.txt docs/ORGANISER-en.txt LICENSE CHANGELOG.md; do
    windows_text "$tree/$text" "$stage/$(basename "$text")"
done
files=(Stats.dll replay.exe zemrix-check.exe cty.dat README-ru.txt README-en.txt ORGANISER-ru.txt ORGANISER-en.txt
       LICENSE CHANGELOG.md)
(cd "$stage" && sha256sum "${files[@]}" | windows_text /dev/stdin SHA256SUMS)
files+=(SHA256SUMS)
chmod 644 "$stage"/*
touch -d "@$timestamp" "$stage"/*

mkdir -p "$output"
zip_file="$(realpath "$output")/zemrix-stats-$version.zip"
rm -f "$zip_file" "$zip_file.tmp"
# Zip keeps local times: UTC makes them the same on every machine.
(cd "$stage" && TZ=UTC zip -q -X -D "$zip_file.tmp" "${files[@]}")
mv "$zip_file.tmp" "$zip_file"
echo "$zip_file"
