# Sourced by the release scripts.  The version lives in one place, the
# project() line of CMakeLists.txt; the changelog's newest heading must name it.

# project_version TREE: the version CMakeLists.txt in TREE declares.
project_version() {
    sed -n 's/^project([A-Za-z_]* VERSION \([0-9][0-9.]*\).*/\1/p' "$1/CMakeLists.txt"
}

# changelog_version FILE: the version of the newest "## [x.y.z]" heading.
changelog_version() {
    sed -n 's/^## \[\([^]]*\)\].*/\1/p' "$1" | head -n 1
}

# expect_changelog_names VERSION FILE: fails unless FILE's newest heading is VERSION.
expect_changelog_names() {
    local newest
    newest=$(changelog_version "$2")
    if [ "$newest" != "$1" ]; then
        echo "$2: the newest heading is [$newest], the project version is $1" >&2
        return 1
    fi
}
