#!/usr/bin/env bash
# Exports every Assimp sample scene with one build's zorvel and compares each file
# with its source (bench_look_fidelity of the same build): faces whose colour is
# their material's, lit faces, concave faces, texture-coordinate and normal misses, totalled:
#   bench/look_fidelity.sh [BIN_DIR [zorvel flags...]]   (default: build/bin)
# VERBOSE=1 names the scenes with misses and describes the first few of each.
set -uo pipefail
bin=$(realpath "${1:-build/bin}")
[ $# -gt 0 ] && shift
for tool in zorvel bench_look_fidelity; do
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

exported=0 failed=0 skipped=0 triangles=0 found=0 facing=0 colour=0 colourChecked=0 lit=0 litChecked=0
sides=0 sidesChecked=0 uv=0 uvChecked=0 normals=0 normalsChecked=0 faces=0 litFaces=0 polygons=0 concave=0 larger=0
for i in "${!scenes[@]}"; do
  dir="$work/$i"
  mkdir -p "$dir/out"
  # Y-up throughout, FBX too, so that the comparison turns every source alike.
  if (cd "$dir" && timeout 120 "$bin/zorvel" --dialog=batch --quiet --up-axis=y "$@" \
        "${scenes[$i]}" out/scene.flt >/dev/null 2>&1) && [ -f "$dir/out/scene.flt" ] &&
     line=$("$bin/bench_look_fidelity" "${scenes[$i]}" "$dir/out/scene.flt" 2>"$dir/misses"); then
    read -r _ k _ t _ fo _ fa _ cm cc _ lm lc _ sm sc _ um uc _ nm nc _ f _ lf _ _ _ p _ c _ wa sa _ <<<"$line"
    exported=$((exported + 1)) skipped=$((skipped + k)) triangles=$((triangles + t)) found=$((found + fo))
    facing=$((facing + fa)) colour=$((colour + cm)) colourChecked=$((colourChecked + cc))
    lit=$((lit + lm)) litChecked=$((litChecked + lc)) sides=$((sides + sm))
    sidesChecked=$((sidesChecked + sc)) uv=$((uv + um)) uvChecked=$((uvChecked + uc))
    normals=$((normals + nm)) normalsChecked=$((normalsChecked + nc))
    faces=$((faces + f)) litFaces=$((litFaces + lf)) polygons=$((polygons + p))
    concave=$((concave + c))
    awk -v w="$wa" -v s="$sa" 'BEGIN { d = w - s; exit !(d > 1e-4 * s || -d > 1e-4 * s) }' &&
      larger=$((larger + 1))
    if [ -n "${VERBOSE:-}" ] && [ "$fo$fa$cm$lm$sm$um$nm$c" != "$t$t$cc$lc$sc$uc${nc}0" ]; then
      echo "misses: ${scenes[$i]}"
      VERBOSE=1 "$bin/bench_look_fidelity" "${scenes[$i]}" "$dir/out/scene.flt" 2>&1 >/dev/null |
        head -4
    fi
  else
    failed=$((failed + 1))
  fi
  rm -rf "$dir"
done
echo "scenes ${#scenes[@]} exported and compared $exported failed $failed"
echo "source triangles $triangles (and $skipped of no area) held by a face $found wound alike $facing"
echo "colour of the material   $colour of $colourChecked triangles"
echo "light mode as asked      $lit of $litChecked triangles"
echo "sides as asked           $sides of $sidesChecked triangles"
echo "texture coordinates      $uv of $uvChecked triangles ($((uvChecked - uv)) misses)"
echo "vertex normals           $normals of $normalsChecked triangles"
echo "faces $faces lit $litFaces polygons $polygons concave $concave; exports of other area $larger"
