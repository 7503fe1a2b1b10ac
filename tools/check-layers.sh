#!/usr/bin/env bash
# Checks that every library under src/ includes only its own folder and the
# layers below it, that the engine never includes QtWidgets, and that only
# the layers that talk to the user include the text table.
#   tools/check-layers.sh [SRC]     exit 1, naming each offending line
set -u
src="${1:-$(dirname "$0")/../src}"

# Folder: the include roots it may use besides its own.
declare -A below=(
  [platform]=""
  [settings]="platform"
  [media/formats]="platform"
  [media/filters]="media/formats settings platform"
  [capture]="media/filters media/formats settings platform"
  [control]="capture media/filters media/formats settings platform"
  [actions]="settings platform"
  [help]="actions settings platform"
  [ui]="control capture media/filters media/formats settings platform"
  [app]="*"
)
engine="platform settings media/formats media/filters capture"
# The layers that return reasons; the ones above word them in French.
wordless="platform media/formats media/filters capture"
widgets='QtWidgets|QWidget|QDialog|QApplication|QMessageBox|QMainWindow|QLabel|QPushButton'

failed=0
fail() {
  echo "$1"
  failed=1
}

for folder in "${!below[@]}"; do
  [ -d "$src/$folder" ] || continue
  allowed="${below[$folder]}"
  while IFS= read -r -d '' file; do
    while IFS=: read -r line text; do
      target=$(sed -E 's/^#include *"([^"]+)".*/\1/' <<<"$text")
      [ "$allowed" = "*" ] && continue
      case "$target" in
        "$folder"/*) continue ;;
        texts.h)
          case " $wordless " in *" $folder "*) fail "$file:$line: $folder words no text (texts.h)" ;; esac
          continue
          ;;
      esac
      ok=0
      for root in $allowed; do
        case "$target" in "$root"/*) ok=1 ;; esac
      done
      # A header of another folder of the program (not a system header).
      if [ "$ok" = 0 ] && [ -e "$src/$target" ]; then fail "$file:$line: $folder may not include $target"; fi
    done < <(grep -nE '^#include *"' "$file")
    case " $engine " in
      *" $folder "*)
        grep -nE "^#include *<($widgets)" "$file" | while IFS=: read -r line text; do
          echo "$file:$line: the engine never includes widgets: $text"
        done | grep . && failed=1
        ;;
    esac
  done < <(find "$src/$folder" -maxdepth 2 \( -name '*.h' -o -name '*.cpp' \) -print0)
done

if [ "$failed" = 0 ]; then echo "layers: every include stays in its layer"; fi
exit "$failed"
