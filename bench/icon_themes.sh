#!/usr/bin/env bash
# Makes the two desktops the start-up benchmark runs in, each a private HOME, XDG_DATA_HOME and
# XDG_DATA_DIRS under FOLDER, so the figures depend on nothing this machine has installed:
#   FOLDER/clean  the fallback icon theme (hicolor's layout: 650 folders) with an up-to-date
#                 cache, and no icons of the user's;
#   FOLDER/stale  the same theme whose cache is older than one of its folders (a program put an
#                 icon there and did not renew the cache), and a per-user hicolor folder of the
#                 same layout with no cache, as Wine and many other programs leave them.
# With no valid cache, a theme lookup checks every folder of the theme for every name it tries.
#   bench/icon_themes.sh FOLDER
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: icon_themes.sh FOLDER" >&2; exit 2; }
command -v gtk-update-icon-cache > /dev/null ||
  { echo "icon_themes: gtk-update-icon-cache is missing (scripts/install-deps.sh)" >&2; exit 2; }
icons=$(cd "$(dirname "$0")/../resources/icons" && pwd)

sizes="8 16 20 22 24 32 36 48 64 72 96 128 256"
contexts="actions animations apps categories devices emblems emotes filesystems intl legacy
mimetypes places status stock/chart stock/code stock/data stock/form stock/image stock/io
stock/media stock/navigation stock/net stock/object stock/table stock/text"

# The theme's folders, one a line: every size at scales 1 and 2, for every context.
folders() {
  for size in $sizes; do
    for context in $contexts; do
      echo "${size}x${size}/$context"
      echo "${size}x${size}@2/$context"
    done
  done
}

# Makes the folders under $1; with "index", the theme's index.theme that names them.
make_theme() {
  local theme=$1
  mkdir -p "$theme"
  folders | (cd "$theme" && xargs mkdir -p)
  [ "${2:-}" = index ] || return 0
  {
    printf '[Icon Theme]\nName=Hicolor\nComment=Fallback icon theme\nHidden=true\n'
    printf 'Directories=%s\n' "$(folders | paste -sd,)"
    folders | while read -r folder; do
      size=${folder%%x*}
      scale=1
      case $folder in *@2/*) scale=2 ;; esac
      printf '\n[%s]\nSize=%s\nScale=%s\nType=Threshold\n' "$folder" "$size" "$scale"
    done
  } > "$theme/index.theme"
  cp "$icons/vantrel-16.png" "$theme/16x16/apps/bench-app.png"
  cp "$icons/vantrel-48.png" "$theme/48x48/apps/bench-app.png"
  gtk-update-icon-cache --quiet "$theme"
}

for desktop in clean stale; do
  root=$1/$desktop
  rm -rf "$root"
  mkdir -p "$root/home" "$root/data-home" "$root/data-dirs/icons"
  make_theme "$root/data-dirs/icons/hicolor" index
done

# Everything an hour old, then one more icon now: the cache is older than that folder.
stale=$1/stale/data-dirs/icons/hicolor
find "$stale" -exec touch -d '1 hour ago' {} +
cp "$icons/vantrel-32.png" "$stale/48x48/apps/bench-late.png"
make_theme "$1/stale/data-home/icons/hicolor"
