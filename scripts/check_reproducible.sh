#!/usr/bin/env bash
# Builds Vexo.exe from this tree in two fresh folders of different names, a
# few seconds apart, and fails unless both are byte for byte the file in
# build/win32 (make exe first).
set -euo pipefail
cd "$(dirname "$0")/.."
ref=build/win32/Vexo.exe
[ -f "$ref" ] || { echo "repro: $ref missing: run make exe" >&2; exit 1; }
scratch=$(mktemp -d /tmp/vexo-repro.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# The tree as git sees it, uncommitted edits included (without git: every
# file but build/). The copies have no history: they get the time stamp the
# way a release build would, from SOURCE_DATE_EPOCH.
copy_tree() {
  mkdir -p "$1"
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$1"
  else
    tar -c --exclude=./build . | tar -x -C "$1"
  fi
}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}

sums=()
for folder in "$scratch/a" "$scratch/a much longer folder name/x"; do
  copy_tree "$folder"
  ( cd "$folder" && cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
      -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null && cmake --build build/win32 --target Vexo >/dev/null )
  sums+=("$(sha256sum <"$folder/build/win32/Vexo.exe" | cut -d' ' -f1)")
  sleep 2
done
want=$(sha256sum <"$ref" | cut -d' ' -f1)
for s in "${sums[@]}"; do
  if [ "$s" != "$want" ]; then
    echo "repro: two builds of one tree differ: $ref $want, elsewhere ${sums[*]}" >&2
    exit 1
  fi
done
echo "repro: Vexo.exe built in 3 folders, the same bytes: sha256 $want"
