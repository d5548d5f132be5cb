#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Checks the built Debian packages the way a Debian reviewer would:
#   scripts/check-package.sh quorvia_VERSION_ARCH.deb quorvia-dbgsym_VERSION_ARCH.ddeb
# the file list, hardening of both programs, stripped binaries without RUNPATH
# and their symbols in the -dbgsym package, the copyright file, the manual
# pages' sections and warnings, the desktop entry and AppStream data, and
# lintian --pedantic with info tags. Prints one line per check; exits 1 when
# any fails. Needs lintian and devscripts (scripts/package.sh --check installs them).
set -uo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 PACKAGE.deb PACKAGE-dbgsym.ddeb" >&2
    exit 2
fi
deb="$1"
ddeb="$2"
failures=0
pass() { printf '  ok    %s\n' "$*"; }
fail() { printf '  FAIL  %s\n' "$*"; failures=$((failures + 1)); }
section() { printf '\n== %s\n' "$*"; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/main"
dpkg-deb -x "$ddeb" "$work/dbgsym"

section "Package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
dpkg-deb -f "$deb" Package Version Maintainer Depends | sed 's/^/  /'

section "File list"
expected=(
    usr/bin/quorvia
    usr/bin/quorvia-cli
    usr/share/applications/quorvia.desktop
    usr/share/metainfo/io.github.quorvia.quorvia.metainfo.xml
    usr/share/mime/packages/quorvia.xml
    usr/share/quorvia/Quorvia.html
    usr/share/doc/quorvia/copyright
    usr/share/doc/quorvia/changelog.gz
    usr/share/man/man1/quorvia.1.gz
    usr/share/man/man1/quorvia-cli.1.gz
    usr/share/icons/hicolor/scalable/apps/quorvia.svg
)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/quorvia.png")
done
for file in "${expected[@]}"; do
    if [ -f "$work/main/$file" ]; then pass "$file"; else fail "$file is missing"; fi
done
for size in 16 32 48 64 128 256; do
    icon="$work/main/usr/share/icons/hicolor/${size}x${size}/apps/quorvia.png"
    [ -f "$icon" ] || continue
    if file -b "$icon" | grep -q "PNG image data, $size x $size,"; then
        pass "icon ${size}x${size} is a ${size} px PNG"
    else
        fail "icon ${size}x${size}: $(file -b "$icon")"
    fi
done
unexpected="$(cd "$work/main" && find . -type f | sed 's|^\./||' | grep -v -x -F "$(printf '%s\n' "${expected[@]}")")"
if [ -z "$unexpected" ]; then pass "no other files"; else fail "unexpected files: $unexpected"; fi

section "Programs: hardening, stripping, RUNPATH, debug symbols"
for program in quorvia quorvia-cli; do
    binary="$work/main/usr/bin/$program"
    [ -f "$binary" ] || continue
    # The programs are compiled with -fcf-protection, but the C library's start
    # files on Debian 12 carry no control-flow marks, so the linker cannot mark
    # any program there (ls and cmake show the same): that one line is not
    # asked for. Every other protection must be found.
    if output="$(hardening-check --nocfprotection "$binary")"; then
        pass "hardening-check --nocfprotection $program"
    else
        fail "hardening-check --nocfprotection $program"
    fi
    printf '%s\n' "$output" | sed 1d | sed 's/^/        /'
    if file -b "$binary" | grep -q ", stripped"; then pass "$program is stripped"; else fail "$program is not stripped"; fi
    if readelf -d "$binary" | grep -Eq "\((RPATH|RUNPATH)\)"; then
        fail "$program has an RPATH or RUNPATH: $(readelf -d "$binary" | grep -E 'R(UN)?PATH')"
    else
        pass "$program has no RPATH or RUNPATH"
    fi
    build_id="$(readelf -n "$binary" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')"
    debug="$work/dbgsym/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
    if [ -n "$build_id" ] && [ -f "$debug" ] && readelf -S "$debug" 2>/dev/null | grep -q "\.debug_info"; then
        pass "$program's symbols are in the -dbgsym package (build ID $build_id)"
    else
        fail "$program's symbols (build ID ${build_id:-none}) are not in the -dbgsym package"
    fi
done
if dpkg-deb -f "$ddeb" Depends | grep -q "^quorvia (= $(dpkg-deb -f "$deb" Version))$"; then
    pass "the -dbgsym package depends on this exact version"
else
    fail "the -dbgsym package's Depends: $(dpkg-deb -f "$ddeb" Depends)"
fi

section "Copyright"
copyright="$work/main/usr/share/doc/quorvia/copyright"
if head -1 "$copyright" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"; then
    pass "machine-readable format"
else
    fail "first line is not the machine-readable Format: line"
fi
if grep -qx "License: GPL-3+" "$copyright" && grep -q "/usr/share/common-licenses/GPL-3" "$copyright"; then
    pass "GPL-3+ with its licence text's place"
else
    fail "no GPL-3+ paragraph pointing at /usr/share/common-licenses/GPL-3"
fi

section "Manual pages"
declare -A sections=(
    [quorvia]="NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|FILES|EXAMPLES|REPORTING BUGS|SEE ALSO"
    [quorvia-cli]="NAME|SYNOPSIS|DESCRIPTION|COMMANDS|OPTIONS|CSV FILES|RULES FILES|EXIT STATUS|FILES|EXAMPLES|REPORTING BUGS|SEE ALSO"
)
for page in quorvia quorvia-cli; do
    file="$work/main/usr/share/man/man1/$page.1.gz"
    [ -f "$file" ] || continue
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)"
    if [ -z "$warnings" ]; then pass "$page(1): man --warnings is silent"; else fail "$page(1): $warnings"; fi
    headings="$(zcat "$file" | sed -n 's/^\.SH "\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' | paste -sd'|')"
    if [ "$headings" = "${sections[$page]}" ]; then
        pass "$page(1) sections: ${headings//|/, }"
    else
        fail "$page(1) sections are \"$headings\", expected \"${sections[$page]}\""
    fi
done
# Every option of the tool's synopsis has its own item under OPTIONS.
cli_page="$(zcat "$work/main/usr/share/man/man1/quorvia-cli.1.gz" | sed 's/\\-/-/g')"
synopsis_options="$(sed -n '/^\.SH SYNOPSIS/,/^\.SH /p' <<<"$cli_page" | grep -v '^\.SY' \
    | grep -o -- '-\{1,2\}[a-z][a-z-]*' | sort -u)"
described="$(sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/p' <<<"$cli_page" | grep -A1 '^\.TP' | grep -v '^\.TP')"
undescribed=""
for option in $synopsis_options; do
    grep -qw -- "$option" <<<"$described" || undescribed="$undescribed $option"
done
if [ -z "$undescribed" ]; then
    pass "quorvia-cli(1) describes each of its $(wc -w <<<"$synopsis_options") options"
else
    fail "quorvia-cli(1) names but does not describe:$undescribed"
fi

section "Desktop entry and AppStream"
if desktop-file-validate "$work/main/usr/share/applications/quorvia.desktop"; then pass "desktop-file-validate"; else fail "desktop-file-validate"; fi
if grep -qx "TryExec=quorvia" "$work/main/usr/share/applications/quorvia.desktop" \
    && grep -q "^Categories=Qt;" "$work/main/usr/share/applications/quorvia.desktop"; then
    pass "TryExec=quorvia, Categories start with Qt;"
else
    fail "the desktop entry lacks TryExec=quorvia or the Qt category"
fi
if appstreamcli validate --no-net --pedantic "$work/main/usr/share/metainfo/io.github.quorvia.quorvia.metainfo.xml" >/dev/null; then
    pass "appstreamcli validate --pedantic"
else
    fail "appstreamcli validate: $(appstreamcli validate --no-net --pedantic "$work/main/usr/share/metainfo/io.github.quorvia.quorvia.metainfo.xml")"
fi

section "lintian --pedantic --info (overrides shown)"
lintian_root=()
[ "$(id -u)" -eq 0 ] && lintian_root=(--allow-root)
lintian_output="$(lintian "${lintian_root[@]}" --pedantic --info --show-overrides --fail-on error,warning,info,pedantic \
    "$deb" "$ddeb" 2>&1)"
lintian_status=$?
if [ -n "$lintian_output" ]; then printf '%s\n' "$lintian_output" | sed 's/^/        /'; fi
if [ "$lintian_status" -eq 0 ]; then pass "lintian: no tags but the overridden ones"; else fail "lintian found tags"; fi

if [ "$failures" -eq 0 ]; then
    printf '\nThe packages pass every check.\n'
else
    printf '\n%d check(s) failed.\n' "$failures"
    exit 1
fi
