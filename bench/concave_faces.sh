#!/usr/bin/env bash
# Exports every Assimp sample scene with one build's zorvel and counts the faces
# written and the concave polygons among them (bench_face_shapes of the same build):
#   bench/concave_faces.sh [BIN_DIR [zorvel flags...]]   (default: build/bin)
set -uo pipefail
bin=$(realpath "${1:-build/bin}")
[ $# -gt 0 ] && shift
for tool in zorvel bench_face_shapes; do
  [ -x "$bin/$tool" ] || { echo "Error: $bin/$tool not found" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

scenes=()
while IFS= read -r f; do scenes+=("$f"); done < <(
  find /usr/share/assimp/models -type f -not -path '*/invalid/*' \
    \( -iname '*.fbx' -o -iname '*.gltf' -o -iname '*.glb' -o -iname '*.obj' \
       -o -iname '*.3ds' -o -iname '*.ase' -o -iname '*.dae' \) 2>/dev/null | sort)
[ ${#scenes[@]} -gt 0 ] || { echo "Error: no scenes under /usr/share/assimp/models" >&2; exit 2; }

exported=0 failed=0 faces=0 polygons=0 concave=0 withConcave=0
for i in "${!scenes[@]}"; do
  dir="$work/$i"
  mkdir -p "$dir/out"
  if (cd "$dir" && timeout 120 "$bin/zorvel" --dialog=batch --copy-textures --quiet "$@" \
        "${scenes[$i]}" out/scene.flt >/dev/null 2>&1) && [ -f "$dir/out/scene.flt" ]; then
    read -r _ f _ p _ c _ < <("$bin/bench_face_shapes" "$dir/out/scene.flt")
    exported=$((exported + 1)) faces=$((faces + f)) polygons=$((polygons + p))
    concave=$((concave + c))
    [ "$c" -gt 0 ] && withConcave=$((withConcave + 1)) && [ -n "${VERBOSE:-}" ] &&
      echo "concave $c: ${scenes[$i]}"
  else
    failed=$((failed + 1))
  fi
  rm -rf "$dir"
done
echo "scenes ${#scenes[@]} exported $exported failed $failed"
echo "faces $faces polygons $polygons concave $concave (in $withConcave exports)"
