#!/usr/bin/env bash
# Checks what a Linux user installs: the desktop entry and metainfo validate, the install tree is
# complete, the .deb carries it with the right dependencies, and Debian's own checker, lintian,
# finds nothing in it but the tags named below. On CI it also installs the .deb and starts the
# installed program. The build folder is normally the one scripts/build-deb.sh made.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/deb}
id=org.vantrel.Vantrel
version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

scripts/install-deps.sh lintian
desktop-file-validate packaging/linux/$id.desktop
appstreamcli validate --no-net --pedantic packaging/linux/$id.metainfo.xml >/dev/null ||
  appstreamcli validate --no-net packaging/linux/$id.metainfo.xml

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
fail() { echo "packaging: $*" >&2; exit 1; }
[ "$(readlink "$stage/usr/bin/vantrel")" = ../lib/vantrel/vantrel ] || fail "bin/vantrel link"
[ -x "$stage/usr/lib/vantrel/vantrel" ] || fail "program missing"
[ -f "$stage/usr/lib/vantrel/grab.ico" ] || fail "grab.ico is not beside the program"
[ -f "$stage/usr/share/applications/$id.desktop" ] || fail "desktop entry missing"
[ -f "$stage/usr/share/metainfo/$id.metainfo.xml" ] || fail "metainfo missing"
[ -f "$stage/usr/share/doc/vantrel/copyright" ] || fail "the licence (doc/vantrel/copyright) missing"
[ -f "$stage/usr/share/doc/vantrel/changelog.gz" ] || fail "the changelog (doc/vantrel/changelog.gz) missing"
gzip -cd "$stage/usr/share/doc/vantrel/changelog.gz" | sed -n 1p | grep -q "^vantrel ($version) " ||
  fail "the changelog's first entry is not version $version"
[ -f "$stage/usr/share/man/man1/vantrel.1.gz" ] || fail "the manual page missing"
[ -f "$stage/usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$stage/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "${size}px icon missing"
done
echo "install tree: complete"

(cd "$build" && cpack -G DEB >/dev/null)
deb="$build/vantrel_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q libqt6widgets6 || fail "Depends lacks Qt: $depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "Recommends lacks qt6-wayland"
contents=$(dpkg-deb -c "$deb")
grep -q "./usr/lib/vantrel/grab.ico" <<<"$contents" || fail ".deb lacks grab.ico"
grep -q "./usr/share/applications/$id.desktop" <<<"$contents" || fail ".deb lacks the desktop entry"
echo ".deb: $(basename "$deb"), Depends: $depends"

# Debian's checker: any error or warning fails, but for these tags, which the README explains.
# A .deb packed by CPack from an install tree has no Debian source package behind it.
accepted=(
)
lintian_args=(--fail-on error,warning --tag-display-limit 0)
[ ${#accepted[@]} -eq 0 ] || lintian_args+=(--suppress-tags "$(IFS=,; echo "${accepted[*]}")")
lintian "${lintian_args[@]}" "$deb" || fail "lintian found faults in $(basename "$deb")"
echo "lintian: clean${accepted[*]:+ (accepted: ${accepted[*]})}"

if [ "${CI:-}" = true ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
  status=0
  QT_QPA_PLATFORM=offscreen timeout 3 vantrel || status=$?
  [ "$status" -eq 124 ] || fail "installed vantrel exited with $status instead of running"
  echo "installed .deb: vantrel starts"
fi
