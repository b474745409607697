#!/usr/bin/env bash
# Checks what a configured and built tree installs and packages:
#   scripts/lib/check_package.sh BUILD_DIR
# the desktop entry and metainfo as `cmake --install` puts them (desktop-file-validate,
# appstreamcli validate --no-net), then the Debian package CPack builds from the same install
# rules: unpacked into a scratch root with dpkg -x it holds every installed file and every file
# the desktop needs, and lintian reports no error. Prints the package's path last.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
work="$build/package-check"
rm -rf "$work"
mkdir -p "$work"

echo "== package: cmake --install into $work/install"
cmake --install "$build" --prefix "$work/install/usr" >"$work/install.log"
desktop-file-validate "$work"/install/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/install/usr/share/metainfo/*.metainfo.xml

echo "== package: cpack"
(cd "$build" && cpack -G DEB >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls -t "$build"/package/*.deb | head -n 1)
dpkg-deb --field "$deb" Package Version Depends Recommends Installed-Size
# Without Qt's Wayland plugin a Wayland session runs the program through XWayland.
dpkg-deb --field "$deb" Recommends | grep -qw qt6-wayland ||
    { echo "the package does not recommend qt6-wayland" >&2; exit 1; }
dpkg -x "$deb" "$work/root"

# Every file an install rule installs is in the package, whichever folder added the rule.
missing=0
while IFS= read -r file; do
    relative=${file#"$work/install"}
    if [ ! -e "$work/root$relative" ]; then
        echo "not in the package: $relative" >&2
        missing=1
    fi
done < <(find "$work/install" -type f -o -type l)
# And what the desktop needs is among them.
id=example.kestrel.orvale
for relative in usr/bin/orvale usr/bin/orvale-sim \
    usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg \
    usr/lib/udev/rules.d/60-orvale-i2c.rules usr/lib/modules-load.d/orvale.conf \
    usr/share/man/man1/orvale.1.gz usr/share/man/man1/orvale-sim.1.gz \
    usr/share/doc/orvale/copyright usr/share/doc/orvale/changelog.gz; do
    [ -e "$work/root/$relative" ] || { echo "not in the package: /$relative" >&2; missing=1; }
done
for size in 16 22 24 32 48 64 128 256 512; do
    icon=usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -e "$work/root/$icon" ] || { echo "not in the package: /$icon" >&2; missing=1; }
done
[ "$missing" -eq 0 ] || exit 1
echo "== package: $(find "$work/root" -type f | wc -l) files, all present"

echo "== package: lintian"
lintian --fail-on error --allow-root --tag-display-limit 0 "$deb" | tee "$work/lintian.log"
echo "== package: lintian reports no error ($(grep -c '^W:' "$work/lintian.log" || true) warnings)"
echo "$deb"
