#!/usr/bin/env bash
# End-to-end start-up of the real program in a real X server: an empty program
# directory is offered a new database (answered from the keyboard) and goes on
# into the main window, the new file is checked, and the next start shows the
# main window at once.
# usage: startup.sh PATH_TO_VELOMARQ SOURCE_TREE
set -u
exe=$1
src=$2

work=$(mktemp -d)
xpid=""
apid=""
cleanup() {
    [ -n "$apid" ] && kill "$apid" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A display of our own.
for n in $(seq 0 40); do
    disp=$((300 + (RANDOM % 600)))
    [ -e "/tmp/.X${disp}-lock" ] && continue
    Xvfb ":$disp" -screen 0 1280x900x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xpid=$!
    # On a busy machine the server takes a while to accept clients.
    for _ in $(seq 1 50); do
        DISPLAY=":$disp" xdotool getdisplaygeometry >/dev/null 2>&1 && break
        kill -0 "$xpid" 2>/dev/null || break
        sleep 0.2
    done
    if DISPLAY=":$disp" xdotool getdisplaygeometry >/dev/null 2>&1; then break; fi
    kill "$xpid" 2>/dev/null
    xpid=""
done
[ -n "$xpid" ] || fail "cannot start Xvfb"
export DISPLAY=":$disp"
export QT_QPA_PLATFORM=xcb

bash "$src/scripts/layout-program-dir.sh" "$src" "$work/app" || fail "cannot lay out the program directory"
rm -rf "$work/app/Rides" "$work/app/Maintenance"
cd "$work/app" || fail "no program directory"

# Waits up to 20 s for a visible window whose name matches; prints its id.
wait_window() {
    for _ in $(seq 1 100); do
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
        kill -0 "$apid" 2>/dev/null || { wait "$apid"; return $?; }
        sleep 0.2
    done
    return 124
}

# First start: no database. The rider is welcomed with a question (titled with
# the welcome title of the English file) and goes on into the main window.
"$exe" >"$work/first.log" 2>&1 &
apid=$!
welcome=$(sed -n '/^\[EmptyHints\]/,/^\[/s/^WLCT=//p' languages/vmq_00.ini | head -n 1 | tr -d '\r')
[ -n "$welcome" ] || fail "no welcome title in the English file"
question=$(wait_window "^${welcome}\$") || { cat "$work/first.log" >&2; fail "the welcome question did not appear"; }
press Return "$question"  # Yes is the default answer
main=$(wait_window "^Velomarq V1\.1\$") || { cat "$work/first.log" >&2; fail "no main window after creating the database"; }
kill "$apid"
wait "$apid" 2>/dev/null
apid=""

[ -f bicycle.db ] || fail "bicycle.db was not created"
[ -d Rides ] && [ -d Maintenance ] || fail "memo folders were not made"
tables=$(sqlite3 bicycle.db "select count(*) from sqlite_master where type='table'")
[ "$tables" = 11 ] || fail "expected 11 tables, found $tables"
config=$(sqlite3 bicycle.db "select length(Data), substr(cast(Data as text), 1, 20) from ApplicationConfig")
[ "$config" = "512|00010001000000000000" ] || fail "unexpected configuration row: $config"

# Second start: the main window.
"$exe" >"$work/second.log" 2>&1 &
apid=$!
main=$(wait_window "^Velomarq V1\.1\$") || { cat "$work/second.log"; fail "the main window did not appear"; }
# Enter and Escape must not close it.
press Escape "$main"
press Return "$main"
sleep 0.5
kill -0 "$apid" 2>/dev/null || fail "Enter or Escape closed the main window"
kill "$apid"
wait "$apid" 2>/dev/null
apid=""
echo "smoke start-up: 1 passed, 0 failed"
