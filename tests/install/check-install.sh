#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a desktop sees:
# every file in its place, the icons at their sizes and the same drawing the
# window uses, a valid desktop entry and AppStream component, and an installed
# executable that finds its shipped files and lays out the rider's folder.
# usage: check-install.sh CMAKE BUILD_DIR APP_ID
set -u
cmake=${1:?usage: check-install.sh CMAKE BUILD_DIR APP_ID}
build=${2:?usage: check-install.sh CMAKE BUILD_DIR APP_ID}
id=${3:?usage: check-install.sh CMAKE BUILD_DIR APP_ID}
src=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d)
apid=""
cleanup() {
    [ -n "$apid" ] && kill "$apid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR="$work/root" "$cmake" --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }
root="$work/root/usr"

expected=(
    bin/velomarq
    share/velomarq/languages/vmq_00.ini
    share/velomarq/help/index.html
    share/velomarq/htmltemplate.dat
    share/velomarq/logo.dat
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
    [ -f "$root/$f" ] || fail "missing $f"
done
[ -x "$root/bin/velomarq" ] || fail "bin/velomarq is not executable"
# Nothing else: no static libraries, test programs or headers.
unexpected=$(cd "$root" && find . -type f | sed 's|^\./||' | sort |
    grep -v -x -F -f <(printf '%s\n' "${expected[@]}") |
    grep -v -E '^share/velomarq/(languages/vmq_[0-9][0-9]\.ini|help/.+)$')
[ -z "$unexpected" ] || fail "files that should not be installed: $unexpected"

# Each PNG's header says its size (width and height at bytes 16 to 23), and
# each is the very file the window embeds, so menu and task bar match.
for size in 16 22 24 32 48 64 128 256; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$png" ] || continue
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || fail "$size icon is $dims"
    embedded="$src/resources/app_icon_${size}.png"
    [ "$size" = 256 ] && embedded="$src/resources/app_icon.png"
    cmp -s "$png" "$embedded" || fail "$size icon differs from $embedded"
done
cmp -s "$root/share/icons/hicolor/scalable/apps/$id.svg" "$src/resources/app_icon.svg" || fail "scalable icon differs"

desktop="$root/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
grep -qx "Exec=velomarq" "$desktop" || fail "the desktop entry does not start velomarq"
metainfo="$root/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "launchable"
grep -q '<release version="[0-9]' "$metainfo" || fail "no release version in the AppStream data"

# Started from the installed place, the program lays out the rider's folder
# in the data home (and then asks about a new database; it is not answered).
mkdir -p "$work/home" "$work/elsewhere"
(cd "$work/elsewhere" && HOME="$work/home" XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen \
    exec "$root/bin/velomarq" >"$work/run.log" 2>&1) &
apid=$!
data="$work/home/.local/share/velomarq"
for _ in $(seq 1 150); do
    [ -d "$data/Rides" ] && [ -d "$data/Maintenance" ] && break
    kill -0 "$apid" 2>/dev/null || break
    sleep 0.1
done
kill "$apid" 2>/dev/null
wait "$apid" 2>/dev/null
apid=""
for f in languages/vmq_00.ini help/index.html htmltemplate.dat logo.dat Rides Maintenance; do
    [ -e "$data/$f" ] || { fail "the installed program did not make $data/$f"; cat "$work/run.log" >&2; }
done
cmp -s "$data/languages/vmq_00.ini" "$root/share/velomarq/languages/vmq_00.ini" || fail "language file not copied"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the installed program wrote into the directory it was started in"
[ -e "$data/bicycle.db" ] && fail "a database was made without asking"

if [ "$failures" -ne 0 ]; then
    echo "install tree: $failures failed" >&2
    exit 1
fi
echo "install tree: ${#expected[@]} files, desktop entry and AppStream data valid"
