#!/usr/bin/env bash
# The Debian package end to end, as a rider would meet it: build it, install it
# with apt, start `velomarq` from PATH in a virtual X server with an empty
# home, answer the first-start question, find the new database in
# ~/.local/share/velomarq and the main window on the next start, then install
# a package with a higher version over it and check that the log survives and
# the shipped files are refreshed.
#
# This installs a system package, so it is not part of `make test`. Run it as
# root (or with sudo available) on a Debian machine:
#     scripts/package-smoke.sh
# The package is removed again at the end unless it was installed before or
# KEEP_PACKAGE=1 is set. BUILD_DIR chooses the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "package-smoke: needs root (or sudo) to install the package" >&2
    exit 1
fi

work=$(mktemp -d)
chmod 755 "$work"  # apt reads local packages as its own unprivileged user
xpid=""
apid=""
installed_before=$(dpkg-query -W -f='${Status}' velomarq 2>/dev/null | grep -c "install ok installed" || true)
cleanup() {
    [ -n "$apid" ] && kill "$apid" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    if [ "$installed_before" = 0 ] && [ "${KEEP_PACKAGE:-0}" != 1 ]; then
        DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get remove -y -qq velomarq >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
step() { echo; echo "== $*"; }
fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
    done
    exit 1
}

step "building the package"
rm -f "$build"/velomarq_*.deb
make package BUILD_DIR="$build"
debs=("$build"/velomarq_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in $build, found: ${debs[*]}"
cp "${debs[0]}" "$work/"
deb="$work/$(basename "${debs[0]}")"
version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}
revision=${version##*-}
dpkg-deb --info "$deb"
dpkg-deb -f "$deb" Depends | grep -q imagemagick || fail "the package does not depend on imagemagick"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package's dependencies were not read from its libraries"

step "installing $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt install -y --allow-downgrades "$deb" 2>&1 |
    grep -v "does not have a stable CLI interface" || true
[ "$(dpkg-query -W -f='${Version}' velomarq)" = "$version" ] || fail "velomarq $version is not installed"
[ "$(command -v velomarq)" = /usr/bin/velomarq ] || fail "velomarq is not on PATH as /usr/bin/velomarq"

step "starting velomarq in a virtual X server"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xpid" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb

# A rider who never ran Velomarq, starting it from somewhere unrelated.
export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME VELOMARQ_HOME
mkdir -p "$HOME" "$work/elsewhere"
data="$HOME/.local/share/velomarq"

start() {  # start velomarq from PATH, logging to $work/$1.log
    (cd "$work/elsewhere" && exec velomarq >"$work/$1.log" 2>&1) &
    apid=$!
}
wait_window() {  # wait_window NAME_REGEX: prints the id of a visible window
    for _ in $(seq 1 150); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        kill -0 "$apid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}
press() {  # press KEY on window ID
    xdotool windowfocus --sync "$2" 2>/dev/null || xdotool windowfocus "$2"
    sleep 0.3
    xdotool key --clearmodifiers "$1"
}
wait_exit() {
    for _ in $(seq 1 100); do
        kill -0 "$apid" 2>/dev/null || { wait "$apid" || true; apid=""; return 0; }
        sleep 0.2
    done
    return 1
}
stop() {
    kill "$apid" 2>/dev/null || true
    wait "$apid" 2>/dev/null || true
    apid=""
}
main_window() {  # the main window appears, under the desktop entry's window class
    local win
    win=$(wait_window "^Velomarq V${upstream//./\\.}\$") || fail "the main window did not appear"
    xdotool search --class '^Velomarq$' 2>/dev/null | grep -qx "$win" ||
        fail "the main window's class does not match StartupWMClass of the desktop entry"
    echo "main window: $(xdotool getwindowname "$win")"
}

start first
erro=$(sed -n 's/^ERRO=//p' /usr/share/velomarq/languages/vmq_00.ini | head -n 1 | tr -d '\r')
question=$(wait_window "^${erro}\$") || fail "the new-database question did not appear"
echo "first start asks: $(xdotool getwindowname "$question")"
press Return "$question"  # Yes is the default answer
sleep 1
created=$(xdotool search --onlyvisible --pid "$apid" 2>/dev/null | head -n 1)
[ -n "$created" ] || fail "no confirmation after creating the database"
press Return "$created"
wait_exit || fail "the program did not end after creating the database"
[ -f "$data/bicycle.db" ] || fail "no bicycle.db in $data"
[ -f "$data/languages/vmq_00.ini" ] || fail "the shipped files were not copied to $data"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "velomarq wrote into the directory it was started from"
echo "new database: $data/bicycle.db ($(stat -c %s "$data/bicycle.db") bytes)"

start second
main_window
stop

step "upgrading to a package with a higher version"
# The rider's log by now, and a shipped file left over from an older version.
mkdir -p "$data/Rides/7"
printf '<html><body>Col du Galibier</body></html>' >"$data/Rides/7/data.htm"
printf '[Old]\nX=1\n' >>"$data/languages/vmq_00.ini"
touch -d 2001-01-01 "$data/languages/vmq_00.ini"
before=$(cd "$data" && sha256sum bicycle.db Rides/7/data.htm)

next=$((revision + 1))
cpack --config "$build/CPackConfig.cmake" -D CPACK_DEBIAN_PACKAGE_RELEASE="$next" -B "$work/next" >"$work/cpack.log" 2>&1 ||
    fail "cpack could not build the next package"
newer=("$work"/next/velomarq_*.deb)
[ -f "${newer[0]}" ] || fail "no next package"
chmod -R a+rX "$work/next"
dpkg --compare-versions "$(dpkg-deb -f "${newer[0]}" Version)" gt "$version" || fail "the next package is not newer"
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt install -y "${newer[0]}" 2>&1 |
    grep -v "does not have a stable CLI interface" || true
[ "$(dpkg-query -W -f='${Version}' velomarq)" = "$upstream-$next" ] || fail "velomarq $upstream-$next is not installed"

start third
main_window
stop
after=$(cd "$data" && sha256sum bicycle.db Rides/7/data.htm)
[ "$before" = "$after" ] || fail "the rider's data changed across the upgrade"
cmp -s "$data/languages/vmq_00.ini" /usr/share/velomarq/languages/vmq_00.ini ||
    fail "the older language file in $data was not refreshed"
echo "kept across the upgrade:"
echo "$after" | sed 's/^/    /'

echo
echo "package smoke: passed ($version, then $upstream-$next)"
