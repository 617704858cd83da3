#!/bin/bash
# Checks of the Debian package that `make package` makes, one step per CTest test
# (tests/package/CMakeLists.txt). FOLDER holds the package (quervelle.deb) and its unpacked
# files (root/), as the build step leaves them.
#
#   check_package.sh build SOURCE_DIR VERSION FOLDER  makes the package from the optimized
#                                                     build and unpacks it into FOLDER
#   check_package.sh lintian FOLDER    no error, no warning outside the accepted list below
#   check_package.sh files FOLDER      the control fields; each file where the desktop, man and
#                                      dpkg look for it, owned by root, with its mode; nothing else
#   check_package.sh metadata FOLDER   the desktop entry and the metainfo validate, notes and all
#
# A step fails, saying why, when a tool it needs is missing: `make deps` installs them all.
set -u

app_id=io.github.quervelle.quervelle

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need() { # tool, package
    command -v "$1" >/dev/null || fail "$1 is missing (package $2; make deps installs it)"
}

build() { # source dir, version, folder
    need cmake cmake
    need dpkg-deb dpkg
    need dpkg-shlibdeps dpkg-dev
    need file file
    cd "$1" || fail "no source folder $1"
    cmake --preset release >/dev/null || fail "cannot configure the optimized build"
    cmake --build --preset release --target package || fail "cannot make the package"
    local deb
    deb=build-release/quervelle_$2_$(dpkg --print-architecture).deb
    [ -f "$deb" ] || fail "$deb was not made"
    rm -rf "$3" && mkdir -p "$3/root" || fail "cannot make $3"
    cp "$deb" "$3/quervelle.deb" && dpkg-deb -x "$3/quervelle.deb" "$3/root" ||
        fail "cannot unpack $deb"
}

# Warnings lintian may give, one tag a line, each with why it stays. None today; infos are
# printed but allowed (hardening-no-fortify-functions: the program makes no call the compiler
# could check, getcwd writing into a buffer sized at run time and realpath allocating its own).
accepted_warnings=(
)

check_lintian() { # folder
    need lintian lintian
    local report status tags=""
    report=$(lintian --display-info --pedantic "$1/quervelle.deb" 2>&1)
    status=$?
    echo "$report"
    # 0: nothing at error level; 2: errors; anything else: lintian could not check.
    [ $status -eq 0 ] || [ $status -eq 2 ] || fail "lintian could not check (status $status)"
    local level package tag rest
    while read -r level package tag rest; do
        case $level in
        E:) tags+=" $tag (error)" ;;
        W:) [[ " ${accepted_warnings[*]} " == *" $tag "* ]] || tags+=" $tag (warning)" ;;
        esac
    done <<<"$report"
    [ -z "$tags" ] || fail "lintian:$tags"
}

# What the package holds, with each file's mode; nothing else may be there.
expected_files() {
    echo "-rwxr-xr-x usr/bin/quervelle"
    echo "-rw-r--r-- usr/share/applications/$app_id.desktop"
    echo "-rw-r--r-- usr/share/metainfo/$app_id.metainfo.xml"
    for size in 16 24 32 48 64 128 256; do
        echo "-rw-r--r-- usr/share/icons/hicolor/${size}x${size}/apps/quervelle.png"
    done
    echo "-rw-r--r-- usr/share/man/man1/quervelle.1.gz"
    echo "-rw-r--r-- usr/share/doc/quervelle/copyright"
    echo "-rw-r--r-- usr/share/doc/quervelle/changelog.gz"
}

# The value of KEY in the desktop entry FILE.
entry_value() {
    sed -n "s/^$2=//p" "$1"
}

# A PNG's width and height, from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'
}

# Control fields: name, value the field must hold.
expected_control() {
    echo "Package quervelle"
    echo "Architecture $(dpkg --print-architecture)"
    echo "Section utils"
    echo "Priority optional"
    echo "Depends libqt6widgets6" # computed by dpkg-shlibdeps
    echo "Depends fonts-liberation2 | fonts-liberation | fonts-croscore"
    echo "Recommends qt6-translations-l10n"
}

check_files() { # folder
    need dpkg-deb dpkg
    need readelf binutils
    local field value
    while read -r field value; do
        [[ "$(dpkg-deb -f "$1/quervelle.deb" "$field")" == *"$value"* ]] ||
            fail "the $field field lacks $value: $(dpkg-deb -f "$1/quervelle.deb" "$field")"
    done < <(expected_control)
    local listing root=$1/root
    listing=$(dpkg-deb -c "$1/quervelle.deb") || fail "dpkg-deb cannot list the package"
    local found
    found=$(awk '$1 !~ /^d/ { sub("^\\./", "", $6); print $1, $6 }' <<<"$listing" | sort)
    [ "$found" == "$(expected_files | sort)" ] ||
        fail "the package holds other files than expected:
$(diff <(expected_files | sort) - <<<"$found")"
    awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' <<<"$listing" ||
        fail "files not owned by root"
    awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print; bad = 1 } END { exit bad }' <<<"$listing" ||
        fail "folders not rwxr-xr-x"

    # The menu entry starts the program on PATH and names the icon present at every size.
    local entry=$root/usr/share/applications/$app_id.desktop exec icon size
    exec=$(entry_value "$entry" Exec)
    [ -x "$root/usr/bin/$exec" ] || fail "Exec=$exec is not a program in /usr/bin"
    icon=$(entry_value "$entry" Icon)
    for size in 16 24 32 48 64 128 256; do
        local png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
        [ -f "$png" ] || fail "no icon $icon in hicolor at ${size}x${size}"
        [ "$(png_size "$png")" == "${size}x${size}" ] ||
            fail "the ${size}x${size} icon is $(png_size "$png")"
    done
    # Software centres pair the metainfo with the entry through its identifier.
    local metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's <id> is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo launches another desktop entry"

    # The program is stripped (its debug information is in the -dbgsym package) and looks for
    # libraries only where the system keeps them.
    local program=$root/usr/bin/quervelle sections
    sections=$(readelf -SW "$program") || fail "readelf cannot read the program"
    ! grep -qE '\.debug_info|\.symtab' <<<"$sections" || fail "the program is not stripped"
    ! readelf -dW "$program" | grep -qE 'RPATH|RUNPATH' || fail "the program has a search path"
    echo "files: $(wc -l <<<"$found") in place"
}

# Every note, pedantic ones included, fails the check; the network is not used (the
# screenshot's address is not fetched).
appstream() { # command, file or folder
    local report status
    report=$(appstreamcli "$1" --pedantic --no-net --explain "$2" 2>&1)
    status=$?
    echo "appstreamcli $1: $report"
    [ $status -eq 0 ] || fail "appstreamcli $1 failed (status $status)"
    ! grep -qE '^ *[EWIP]: ' <<<"$report" || fail "appstreamcli $1 has notes"
}

check_metadata() { # folder
    need desktop-file-validate desktop-file-utils
    need appstreamcli appstream
    local root=$1/root report
    report=$(desktop-file-validate "$root/usr/share/applications/$app_id.desktop" 2>&1) ||
        fail "desktop-file-validate: $report"
    [ -z "$report" ] || fail "desktop-file-validate: $report"
    echo "desktop-file-validate: no note"
    appstream validate "$root/usr/share/metainfo/$app_id.metainfo.xml"
    appstream validate-tree "$root" # the metainfo with the desktop entry it names
}

case ${1-} in
build) build "$2" "$3" "$4" ;;
lintian) check_lintian "$2" ;;
files) check_files "$2" ;;
metadata) check_metadata "$2" ;;
*) fail "usage: check_package.sh build SOURCE_DIR VERSION FOLDER | lintian|files|metadata FOLDER" ;;
esac
