#!/bin/sh
# Builds the Debian package of a build folder with cpack into a scratch folder and checks it: its
# control fields, that it holds exactly the installed files under /usr and no maintainer scripts, that
# its programs are stripped and its entries name /usr/bin, that the unpacked thumbnailer draws in a
# sandbox-like session and leaves nothing behind, and, as root, that dpkg installs and purges it in a
# scratch root without leaving a file. Exits 77 (skipped) where the Debian tools are missing.
#   check-deb.sh CPACK BUILD_DIR SOURCE_DIR VERSION
cpack=$1 build=$2 source=$3 version=$4
for tool in dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done

dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT INT TERM
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$dir/out" >"$dir/cpack.log" 2>&1 ||
    { cat "$dir/cpack.log"; echo "FAILED: cpack"; exit 1; }
deb=$(ls "$dir"/out/plavik_"$version"*_*.deb 2>/dev/null)
[ -f "$deb" ] || { cat "$dir/cpack.log"; echo "FAILED: no plavik_$version*.deb"; exit 1; }
echo "built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = plavik ] || fail "Package: $(field Package)"
[ "$(field Section)" = graphics ] || fail "Section: $(field Section)"
# The libraries the programs link, found by dpkg-shlibdeps, SQLite's for the index among them.
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libsqlite3-0 libc6 libstdc++6; do
    field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qx "$dep" || fail "Depends lacks $dep: $(field Depends)"
done
[ "$(field Recommends)" = "fonts-ipafont-gothic, fonts-ipafont-mincho, qt6-translations-l10n" ] ||
    fail "Recommends: $(field Recommends)"
# No maintainer scripts: dpkg's triggers update the caches.
dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort >"$dir/control"
printf 'control\nmd5sums\n' | diff - "$dir/control" || fail "control files other than control and md5sums"

# Exactly the installed files, owned by root, nothing outside /usr.
dpkg-deb -c "$deb" >"$dir/listing"
awk '$2 != "root/root" { print "not root/root: " $0 }' "$dir/listing" | grep . && fail "owners"
grep -v '^d' "$dir/listing" | awk '{ print $6 }' | sort >"$dir/files"
sort >"$dir/expected" <<LIST
./usr/bin/plavik
./usr/bin/plavik-render
./usr/share/applications/plavik.desktop
./usr/share/icons/hicolor/128x128/apps/plavik.png
./usr/share/icons/hicolor/16x16/apps/plavik.png
./usr/share/icons/hicolor/24x24/apps/plavik.png
./usr/share/icons/hicolor/256x256/apps/plavik.png
./usr/share/icons/hicolor/32x32/apps/plavik.png
./usr/share/icons/hicolor/48x48/apps/plavik.png
./usr/share/icons/hicolor/64x64/apps/plavik.png
./usr/share/icons/hicolor/scalable/apps/plavik.svg
./usr/share/man/man1/plavik-render.1
./usr/share/man/man1/plavik.1
./usr/share/metainfo/org.orvanta.plavik.metainfo.xml
./usr/share/mime/packages/plavik.xml
./usr/share/thumbnailers/plavik.thumbnailer
LIST
diff "$dir/expected" "$dir/files" || fail "the package's files"

# Unpacked: stripped programs, entries naming /usr/bin.
root=$dir/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
for program in plavik plavik-render; do
    file -b "$root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped: $(file -b "$root/usr/bin/$program")"
done
grep -qx 'Exec=/usr/bin/plavik %f' "$root/usr/share/applications/plavik.desktop" || fail "the menu entry's Exec"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/thumbnailers/plavik.thumbnailer")
[ "$exec_line" = "/usr/bin/plavik-render thumbnailer -s %s %i %o" ] || fail "the thumbnailer's Exec: $exec_line"

# The unpacked thumbnailer as a sandboxed file manager runs it: no runtime folder, the session's
# window system named, a temporary folder that must stay empty.
mkdir "$dir/tmp"
figure=$(ls "$source"/samples/jws-figures/*.jws | head -n 1)
env -i PATH=/usr/bin:/bin HOME="$dir" TMPDIR="$dir/tmp" XDG_RUNTIME_DIR="$dir/runtime" \
    QT_QPA_PLATFORM=wayland "$root/usr/bin/plavik-render" thumbnailer -s 128 "$figure" "$dir/thumb.png" ||
    fail "the unpacked thumbnailer"
head -c 8 "$dir/thumb.png" 2>/dev/null | od -An -tx1 | tr -d ' \n' | grep -qx 89504e470d0a1a0a || fail "no PNG"
[ -z "$(ls -A "$dir/tmp")" ] || fail "left in the temporary folder: $(ls -A "$dir/tmp")"
[ ! -e "$dir/runtime" ] || fail "made the session's missing runtime folder"
[ "$("$root/usr/bin/plavik" --version)" = "plavik $version" ] || fail "plavik --version"

# dpkg installs it into a scratch root and purges it again, leaving only its own records.
if [ "$(id -u)" -eq 0 ] && command -v dpkg >/dev/null 2>&1; then
    target=$dir/target
    admin=$target/var/lib/dpkg
    mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
    touch "$admin/status" "$admin/available"
    dpkg --root="$target" --log="$dir/dpkg.log" --force-depends -i "$deb" >"$dir/dpkg.out" 2>&1 ||
        { cat "$dir/dpkg.out"; fail "dpkg -i"; }
    [ -x "$target/usr/bin/plavik-render" ] || fail "dpkg -i installed no plavik-render"
    dpkg --root="$target" --log="$dir/dpkg.log" --purge plavik >"$dir/dpkg.out" 2>&1 ||
        { cat "$dir/dpkg.out"; fail "dpkg --purge"; }
    left=$(cd "$target" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg' \
        ! -path './var/lib/dpkg/*')
    [ -z "$left" ] || fail "left after purging: $left"
else
    echo "not root: the install into a scratch root is skipped"
fi

[ "$failures" -eq 0 ] || exit 1
echo "the package is sound"
