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
# One commit gives one zip, byte for byte: the binaries hold no build paths
# or link times (CMakeLists.txt), and every file in the zip carries the
# commit's time, in a fixed order, without owner or extra attributes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/version.sh

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
    git archive HEAD | tar -x -C "$tree"
    echo "Building $(git rev-parse --short HEAD) from a clean tree in $work"
    binaries="$work/win32"
    cmake -S "$tree" -B "$binaries" -DCMAKE_TOOLCHAIN_FILE="$PWD/$tree/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$binaries" -j"$(nproc)" --target Stats replay zemrix-check
fi

version=$(project_version "$tree")
expect_changelog_names "$version" "$tree/CHANGELOG.md"
timestamp="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct HEAD)}"

stage="$work/stage"
rm -rf "$stage"
mkdir -p "$stage"
cp "$binaries/Stats.dll" "$binaries/replay.exe" "$binaries/checker/zemrix-check.exe" \
   /usr/share/hamradio-files/cty.dat "$tree/docs/README-ru.txt" "$tree/docs/README-en.txt" \
   "$tree/docs/ORGANISER-ru.txt" "$tree/docs/ORGANISER-en.txt" "$tree/LICENSE" "$tree/CHANGELOG.md" "$stage/"
files=(Stats.dll replay.exe zemrix-check.exe cty.dat README-ru.txt README-en.txt ORGANISER-ru.txt ORGANISER-en.txt
       LICENSE CHANGELOG.md)
(cd "$stage" && sha256sum "${files[@]}" > SHA256SUMS)
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
