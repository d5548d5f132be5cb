#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's and the software centre's picture of Quorvia: builds the
# program, writes a pool of twelve people, starts the real program under a
# virtual X server, lets it calculate three groups, and saves the main window
# as docs/screenshot.png. Installs what it needs (its own packages below, the
# build's through scripts/install-deps.sh). Run it again whenever the window
# changes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"
output="${SCREENSHOT:-$root/docs/screenshot.png}"
app="$build_dir/src/quorvia"
cli="$build_dir/src/quorvia-cli"

# The window is driven from outside, as a user would: a virtual X server, key
# presses, and a picture of one window.
screenshot_packages=(xvfb xauth xdotool imagemagick)

if [ -z "${QUORVIA_SCREENSHOT_INSIDE:-}" ]; then
    "$root/scripts/install-deps.sh"
    missing=()
    for package in "${screenshot_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        export DEBIAN_FRONTEND=noninteractive
        $sudo apt-get update -qq
        $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
    cmake -S "$root" -B "$build_dir" -DQUORVIA_WERROR=ON >/dev/null
    cmake --build "$build_dir" -j"$(nproc 2>/dev/null || echo 2)" --target quorvia quorvia-cli quorvia_help >/dev/null
    QUORVIA_SCREENSHOT_INSIDE=1 exec xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" "$0" "$@"
fi

work="$(mktemp -d)"
app_pid=""
cleanup() {
    if [ -n "$app_pid" ]; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# One pool record: three texts of 12 bytes, then 69 flag words (22 own traits,
# 22 compatible, 22 incompatible, then has-data, has-position, has-both-names),
# each FF FF for set and 00 00 for not.
record() {
    local first="$1" last="$2" position="$3" own="$4" compatible="$5" incompatible="$6"
    printf '%-12.12s%-12.12s%-12.12s' "$first" "$last" "$position"
    local list trait
    for list in "$own" "$compatible" "$incompatible"; do
        for trait in $(seq 0 21); do
            if [[ " $list " == *" $trait "* ]]; then printf '\xff\xff'; else printf '\x00\x00'; fi
        done
    done
    printf '\xff\xff\xff\xff\xff\xff'
}

# Traits by number: 0 Creative, 1 Technical, 2 Independent, 3 Follower,
# 4 Introvert, 5 Extrovert, 6 Easygoing, 7 Particular, 8 Serious, 9 Comic,
# 10 Diligent, 11 Inert, 12 Impulsive, 13 Thoughtful, 14 Sophisticated,
# 15 Unworldly, 16 Incisive, 17 Slower, 18 Younger, 19 Older, 20 Expert,
# 21 Beginner.
pool="$work/Workshop.Qvr"
{
    record "Maria"   "Garcia"    "Designer"     "0 5 6 9 18"     "1 10 13"    "11 17"
    record "James"   "Okafor"    "Developer"    "1 4 10 13 20"   "0 8 16"     "12 9"
    record "Aiko"    "Tanaka"    "Tester"       "1 7 8 10 16"    "13 20"      "11 12"
    record "Lukas"   "Weber"     "Sales Lead"   "5 9 12 14 19"   "6 0 18"     "7 4"
    record "Priya"   "Sharma"    "Analyst"      "1 2 8 13 16"    "10 20 4"    "9 11"
    record "Tom"     "Brennan"   "Copywriter"   "0 3 6 9 21"     "5 18"       "7 8"
    record "Sofia"   "Rossi"     "Manager"      "2 5 10 14 19"   "16 20 8"    "11 21"
    record "Noah"    "Lindqvist" "Engineer"     "1 4 7 13 20"    "10 16"      "12 9"
    record "Fatima"  "Haddad"    "Architect"    "0 1 2 16 20"    "13 14"      "17 11"
    record "Daniel"  "Kim"       "Support"      "3 6 9 11 18"    "5 0"        "8 7"
    record "Elena"   "Petrova"   "Accountant"   "4 7 8 10 19"    "13 1"       "9 12"
    record "Omar"    "Diallo"    "Trainee"      "3 5 12 15 21"   "6 9 18"     "7 16"
} > "$pool"

export XDG_RUNTIME_DIR="$work"
"$app" "$pool" >"$work/app.log" 2>&1 &
app_pid=$!
window="$(timeout 30 xdotool search --sync --onlyvisible --name '^Quorvia - ' | head -n 1)"
xdotool windowmove "$window" 0 0 windowfocus --sync "$window"
sleep 1

# The keys a user would press, following the window's tab order: the list has
# the focus; Tab to Select All and press it; Tab past Clear All and the amount
# option into the amount box and type 3; Tab to Calculate and press it.
# If the window's tab order changes, this is the line to change.
xdotool key --delay 150 Tab space Tab Tab Tab
xdotool type --delay 150 3
xdotool key --delay 150 Tab space
sleep 1
# Without time stamps, so an unchanged window gives an unchanged file.
import -window "$window" -strip -define png:exclude-chunks=date,time "$work/screenshot.png"

# Check that the picture shows what it should: the groups the window exports
# must be the tool's groups for everybody in three groups.
not_shown() {
    echo "screenshot.sh: the window did not show the three groups expected (has its tab order changed?);" \
         "$output is left as it was" >&2
    exit 1
}
xdotool key --delay 300 alt+f o
timeout 10 xdotool search --sync --onlyvisible --name '^Export Groups As$' >/dev/null || not_shown
sleep 0.5
xdotool type --delay 20 "$work/shown.txt"
xdotool key Return
for _ in $(seq 50); do
    [ -s "$work/shown.txt" ] && break
    sleep 0.2
done
"$cli" groups "$pool" --amount 3 -o "$work/expected.txt"
cmp -s "$work/shown.txt" "$work/expected.txt" || not_shown

mkdir -p "$(dirname "$output")"
cp "$work/screenshot.png" "$output"
echo "Saved $output"
