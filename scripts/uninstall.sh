#!/usr/bin/env bash
# Removes what `cmake --install BUILD_DIR` put in place, as BUILD_DIR/install_manifest.txt
# (or another manifest named instead) lists it, and the folders that this leaves
# empty. The settings file ToviraWatch.ini stays, and so does the program folder
# holding it, unless --purge is given.
#   scripts/uninstall.sh [--purge] BUILD_DIR|MANIFEST
set -euo pipefail

purge=0
if [ "${1:-}" = --purge ]; then
  purge=1
  shift
fi
[ $# -eq 1 ] || { echo "usage: $0 [--purge] BUILD_DIR|MANIFEST" >&2; exit 2; }
manifest=$1
[ -d "$manifest" ] && manifest=$manifest/install_manifest.txt
[ -f "$manifest" ] || { echo "No $manifest: nothing was installed from $1" >&2; exit 1; }

files=()
while IFS= read -r file || [ -n "$file" ]; do
  [[ $file == /* ]] && files+=("$file")
done <"$manifest"
((${#files[@]})) || { echo "$manifest lists no files" >&2; exit 1; }

# The deepest folder that holds every listed file (the install prefix): neither
# it nor anything above it is removed.
top=$(dirname "${files[0]}")
for file in "${files[@]}"; do
  while [[ $file != "$top"/* && $top != / ]]; do top=$(dirname "$top"); done
done

removed=()
for file in "${files[@]}"; do
  if [ "$purge" = 0 ] && [ "$(basename "$file")" = ToviraWatch.ini ]; then
    [ -e "$file" ] && echo "Kept: $file"
    continue
  fi
  # Only what installing makes: files and links, never a folder in their place.
  if [ -L "$file" ] || [ -f "$file" ]; then
    rm -f -- "$file"
    echo "Removed: $file"
    removed+=("$file")
  fi
done

# Each removed file's folder, and its parents, while removing them empties the next.
for file in "${removed[@]}"; do
  dir=$(dirname "$file")
  while [[ $dir == "$top"/* ]] && rmdir -- "$dir" 2>/dev/null; do
    echo "Removed: $dir/"
    dir=$(dirname "$dir")
  done
done
