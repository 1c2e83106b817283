#!/usr/bin/env bash
# Checks the two layering rules that keep the runtime portable:
#  - host/ stands alone and core/ builds only on host/;
#  - operating-system headers appear only in host/ and in the window
#    backends (src/winui/backend_*.cpp).
set -u
src=$1
bad=0
for f in $(find "$src" -name '*.h' -o -name '*.cpp'); do
  rel=${f#"$src"/}
  layer=${rel%%/*}
  while IFS= read -r inc; do
    il=${inc%%/*}
    case "$layer:$il" in
      host:host|core:core|core:host) ;;
      host:*|core:*) echo "$rel includes \"$inc\": $layer may not build on $il"; bad=1 ;;
    esac
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$f")
  case "$rel" in host/*|winui/backend_*.cpp) continue ;; esac
  if grep -nE '^#include <(unistd|fcntl|dirent|termios|pwd|spawn|signal|poll|curses|ncurses|ncursesw/[a-z]+|sys/[a-z_]+)\.h>' "$f"; then
    echo "$rel includes an operating-system header outside host/ and the window backends"; bad=1
  fi
done
exit $bad
