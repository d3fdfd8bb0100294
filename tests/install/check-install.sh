#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks it as a desktop and a user meet it: the files and nothing else,
# the desktop's own validators, the type a file manager gives our collections (and not Access files), and the
# installed program starting with its own web engine module. Arguments: build dir, source dir, version, zettora-newdb,
# the library folder under the prefix.
set -uo pipefail
build=$1 source=$2 version=$3 newdb=$4 libdir=$5
id=net.tarnwell.Zettora
work=$(mktemp -d "${TMPDIR:-/tmp}/install-check.XXXXXX")
prefix=$work/prefix
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }

# Exactly these: anything the build leaves beside the program (a collection, a test program) must not come along.
expected=$(LC_ALL=C sort <<END
bin/zettora
bin/zettora-ocr
$libdir/zettora/zettora_export.so
$libdir/zettora/zettora_speech.so
$libdir/zettora/zettora_webengine.so
share/applications/$id.desktop
share/doc/zettora/ReadMe.txt
share/icons/hicolor/128x128/apps/$id.png
share/icons/hicolor/16x16/apps/$id.png
share/icons/hicolor/24x24/apps/$id.png
share/icons/hicolor/256x256/apps/$id.png
share/icons/hicolor/32x32/apps/$id.png
share/icons/hicolor/48x48/apps/$id.png
share/icons/hicolor/64x64/apps/$id.png
share/icons/hicolor/scalable/apps/$id.svg
share/metainfo/$id.metainfo.xml
share/man/man1/zettora.1
share/mime/packages/$id.xml
END
)
installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
diff <(echo "$expected" | LC_ALL=C sort) <(echo "$installed") || fail "installed files (<: missing, >: unexpected)"
[ -x "$prefix/bin/zettora" ] || fail "bin/zettora is not executable"
# grep without -q here and below: it reads to the end, where -q would cut the writer off and fail the pipe.
for size in 16 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/$id.png
    file -b "$prefix/$png" | grep "^PNG image data, $size x $size," >/dev/null || fail "$png is not $size x $size"
done

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
mimexml=$prefix/share/mime/packages/$id.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
for xml in "$mimexml" "$prefix/share/icons/hicolor/scalable/apps/$id.svg"; do
    xmllint --noout "$xml" || fail "xmllint $xml"
done
manwarnings=$(man --warnings -E UTF-8 -l "$prefix/share/man/man1/zettora.1" 2>&1 >/dev/null)
[ -z "$manwarnings" ] || fail "man --warnings: $manwarnings"

# The entry, the metadata and the MIME type name one another and the icon; the hand-kept changelog keeps up.
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ -f "$prefix/share/icons/hicolor/scalable/apps/$(entry Icon).svg" ] || fail "Icon=$(entry Icon) is not installed"
mimetype=$(entry MimeType)
mimetype=${mimetype%;}
grep -q "<mime-type type=\"$mimetype\">" "$mimexml" || fail "MimeType=$mimetype is not defined in $mimexml"
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the metadata does not launch $(basename "$desktop")"
changelog=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
[ "$changelog" = "$version" ] || fail "debian/changelog is at $changelog, the project at $version"

# What a file manager calls each file, with our MIME type and entry registered as a package's triggers would.
# A desktop lists an entry only when it finds the entry's Exec on PATH.
export XDG_DATA_DIRS="$prefix/share:/usr/share" PATH="$prefix/bin:$PATH"
update-mime-database "$prefix/share/mime"
update-desktop-database "$prefix/share/applications"
samples=$source/tests/data/legacy-samples
"$newdb" "$work/new.mdb" || fail "zettora-newdb"
"$prefix/bin/zettora" --import "$samples/empty-new.mdb" "$work/converted.mdb" >"$work/import.log" 2>&1 ||
    fail "the installed program's --import: $(cat "$work/import.log")"
cp "$work/new.mdb" "$work/other.sqlite"
cp "$samples/empty-new.mdb" "$work/access.mdb"
while read -r name type; do
    got=$(gio info -a standard::content-type "$work/$name" 2>&1 | sed -n 's/^ *standard::content-type: //p')
    [ "$got" = "$type" ] || fail "$name is '$got', not $type"
done <<EOF
new.mdb application/x-zettora-collection
converted.mdb application/x-zettora-collection
access.mdb application/vnd.ms-access
other.sqlite application/vnd.sqlite3
EOF
gio mime "$mimetype" 2>&1 | grep "^Default application .*: $id.desktop$" >/dev/null ||
    fail "$id.desktop does not open $mimetype"

# Started from the prefix, the program shows its start page through the module installed beside it.
ZETTORA_STARTUP_REPORT=1 "$prefix/bin/zettora" "$work/new.mdb" >"$work/run.out" 2>"$work/run.err" &
pid=$!
for _ in $(seq 120); do
    grep -qx page "$work/run.out" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
done
if ! grep -qx page "$work/run.out"; then
    fail "the installed program showed no start page: $(tail -20 "$work/run.err")"
elif ! awk -v m="$prefix/$libdir/zettora/zettora_webengine.so" '$6 == m {found = 1} END {exit !found}' "/proc/$pid/maps"; then
    fail "the installed program loaded another web engine module: $(grep zettora_webengine "/proc/$pid/maps" | head -1)"
fi
# A shutdown's SIGTERM closes it as its menu's 終了 does: a clean exit, the collection's lock gone.
kill -TERM "$pid" 2>/dev/null
for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
done
if kill -0 "$pid" 2>/dev/null; then
    fail "the installed program did not end on SIGTERM"
    kill -KILL "$pid"
fi
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the installed program ended on SIGTERM with status $status"
[ ! -e "$work/.new.mdb.lock" ] || fail "the installed program left its lock on SIGTERM"

# With its module gone it loads none from the folder it was built in, which is no part of the installation.
rm "$prefix/$libdir/zettora/zettora_webengine.so"
"$prefix/bin/zettora" "$work/new.mdb" >/dev/null 2>"$work/run2.err" &
pid=$!
for _ in $(seq 60); do
    grep -q "no module" "$work/run2.err" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
done
grep -q "no module" "$work/run2.err" ||
    fail "without its web engine module the installed program loaded another: $(grep zettora_webengine "/proc/$pid/maps" | head -1)"
kill -TERM "$pid" 2>/dev/null
wait "$pid"
pid=""

[ "$failures" -eq 0 ] && echo "install check: all passed" && exit 0
echo "install check: $failures failed"
exit 1
