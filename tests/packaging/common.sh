# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the packaging tests (sourced): how they skip and fail, and how
# they build the Debian package.

# Exit status 77 is a skip for ctest (SKIP_RETURN_CODE).
skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# build_deb BUILD_DIR FOLDER: runs CPack on the build into FOLDER and sets
# deb to the one tolvane_*.deb made there; fails with CPack's log otherwise.
build_deb() {
    (cd "$1" && cpack -G DEB -B "$2" >"$2/cpack.log" 2>&1) || {
        cat "$2/cpack.log"
        fail "cpack"
    }
    local debs=("$2"/tolvane_*.deb)
    [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "no tolvane_*.deb in $2"
    deb=${debs[0]}
}
