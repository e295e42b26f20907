#!/usr/bin/env bash
# Assembles the Arduino library from the player's own sources: OUT/Quillon/ and
# OUT/Quillon-VERSION.zip, which the IDE's "Add .ZIP Library" installs.
#   make-library.sh OUT
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
firmware=$(cd "$here/.." && pwd)
out=$1
version=$(sed -n 's/^#define QUILLON_VERSION "\(.*\)"$/\1/p' "$firmware/quillon_player.h")
[ -n "$version" ] || { echo "make-library.sh: no QUILLON_VERSION in quillon_player.h" >&2; exit 1; }

lib=$out/Quillon
rm -rf "$lib" "$out/Quillon-$version.zip"
mkdir -p "$lib/src"
cp "$firmware/quillon_player.c" "$firmware/quillon_player.h" "$firmware/quillon_convention.h" \
    "$here/Quillon.h" "$lib/src/"
cp -r "$here/examples" "$lib/"
cp "$here/keywords.txt" "$firmware/../LICENSE" "$lib/"
sed "s/@VERSION@/$version/" "$here/library.properties" >"$lib/library.properties"
sed "s/@VERSION@/$version/" "$here/library.json" >"$lib/library.json"
# Plain files only, readable by all and executable by none, in a stable order.
find "$lib" -type d -exec chmod 755 {} +
find "$lib" -type f -exec chmod 644 {} +
(cd "$out" && find Quillon -print | LC_ALL=C sort | zip -q -X -@ "Quillon-$version.zip")
echo "$out/Quillon-$version.zip"
