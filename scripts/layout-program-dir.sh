#!/usr/bin/env bash
# Lays out a program directory: refreshes the shipped files (languages, help,
# the memo template and the report logo) and makes the memo folders. The rider's
# own data there (bicycle.db, Rides/, Maintenance/) is never touched.
# usage: layout-program-dir.sh SOURCE_TREE PROGRAM_DIR
set -euo pipefail
src=${1:?usage: layout-program-dir.sh SOURCE_TREE PROGRAM_DIR}
dest=${2:?usage: layout-program-dir.sh SOURCE_TREE PROGRAM_DIR}

mkdir -p "$dest/languages" "$dest/help" "$dest/Rides" "$dest/Maintenance"
cp -f "$src"/languages/*.ini "$dest/languages/"
cp -rf "$src"/dist/help/. "$dest/help/"
cp -f "$src/dist/htmltemplate.dat" "$src/dist/logo.dat" "$dest/"
