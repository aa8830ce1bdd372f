#!/usr/bin/env bash
# Times vendaro-compose (Release) against other tools doing the same job, in
# one run on this machine: a 6000x4000 photo-like JPEG, a 4000x3000 PNG with
# alpha and a 1920x1080 JPEG, fitted with margins and filled-and-cropped,
# bicubic, to 3840x2160 and 1920x1080 BMP files.  The floor is djpeg decoding
# the same JPEG (in full, or at 1/2 for the smaller screen) plus writing a BMP
# of the screen's size.  Prints medians and ratios, the peak resident memory
# of a 3840x2160 composition, and nearest-neighbour and tiling compositions
# against writing the BMP alone.  Inputs are generated; nothing is committed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
runs=${BENCH_RUNS:-7}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v djpeg >/dev/null || need+=(libjpeg-turbo-progs)
command -v vips >/dev/null || need+=(libvips-tools)
command -v convert >/dev/null || need+=(imagemagick)
command -v gm >/dev/null || need+=(graphicsmagick)
[[ -x /usr/bin/time ]] || need+=(time)
/usr/bin/python3 -c 'import PIL' 2>/dev/null || need+=(python3-pil)
bench_install "${need[@]}"

bench_build bench-compose vendaro-compose
tool="$build/bin/vendaro-compose"

work="$build/work"
mkdir -p "$work"
cd "$work"

# Photo-like pictures: large soft shapes, medium detail and a little grain
# in each channel, so they compress like photographs (about 8 MB at 24 MP).
photo() {  # width height bands output
  local w=$1 h=$2 bands=$3 out=$4 parts=()
  for b in $(seq "$bands"); do
    vips gaussnoise "soft$b.v" $((w / 32)) $((h / 32)) --sigma 50 --mean 128
    vips resize "soft$b.v" "big$b.v" 32 --kernel cubic
    vips gaussnoise "mid$b.v" $((w / 4)) $((h / 4)) --sigma 14 --mean 0
    vips resize "mid$b.v" "detail$b.v" 4 --kernel cubic
    vips gaussnoise "grain$b.v" "$w" "$h" --sigma 3 --mean 0
    vips add "big$b.v" "detail$b.v" "sum$b.v"
    vips add "sum$b.v" "grain$b.v" "band$b.v"
    parts+=("band$b.v")
  done
  vips bandjoin "${parts[*]}" joined.v
  vips cast joined.v cast.v uchar
  vips copy cast.v "$out"
  rm -f soft*.v big*.v mid*.v detail*.v sum*.v grain*.v band*.v joined.v cast.v
}
[[ -f photo.jpg ]] || { photo 6000 4000 3 photo.v; vips jpegsave photo.v photo.jpg --Q 90; rm photo.v; }
[[ -f alpha.png ]] || photo 4000 3000 4 alpha.png
[[ -f hd.jpg ]] || { photo 1920 1080 3 hd.v; vips jpegsave hd.v hd.jpg --Q 90; rm hd.v; }
[[ -f tile.png ]] || photo 256 256 3 tile.png
[[ -f small.png ]] || photo 640 360 3 small.png
# BMP files of each screen size, for the write-alone floor.
[[ -f ref-3840.bmp ]] || "$tool" --screen 3840x2160 --mode 0 hd.jpg ref-3840.bmp
[[ -f ref-1920.bmp ]] || "$tool" --screen 1920x1080 --mode 0 hd.jpg ref-1920.bmp
djpeg -scale 1/2 -ppm photo.jpg > /dev/null  # warm the page cache

pil() {  # mode size input output
  echo "/usr/bin/python3 -c \"import sys; from PIL import Image, ImageOps; im = Image.open('$3').convert('RGB'); \
s = tuple(map(int, '$2'.split('x'))); \
out = ImageOps.pad(im, s, Image.BICUBIC, color=0) if '$1' == 'fit' else ImageOps.fit(im, s, Image.BICUBIC); \
out.save('$4', 'BMP')\""
}

results=()
time_group() {  # group name, then pairs of label and command
  local group=$1
  shift
  local names=() commands=()
  while (($#)); do
    names+=("$1")
    commands+=("$2")
    shift 2
  done
  local args=()
  for i in "${!names[@]}"; do args+=(-n "${names[$i]}" "${commands[$i]}"); done
  hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$group.json" "${args[@]}" >/dev/null 2>&1 ||
    hyperfine --style none --warmup 1 --runs "$runs" --export-json "$group.json" "${args[@]}" >/dev/null
  results+=("$group.json")
}

for screen in 3840x2160 1920x1080; do
  w=${screen%x*}
  scale=""
  [[ $w == 1920 ]] && scale="-scale 1/2"
  floor_cp="cp ref-$w.bmp floor.bmp"
  time_group "floor-$w" \
    "djpeg $scale" "djpeg $scale -ppm -outfile /dev/null photo.jpg" \
    "bmp write" "$floor_cp"
  for job in fit fill; do
    if [[ $job == fit ]]; then
      mode=1 im_geometry="-resize $screen -background black -gravity center -extent $screen"
      vips_cmd="sh -c 'vips thumbnail photo.jpg t.v $w --height ${screen#*x} && vips gravity t.v vips.bmp centre $w ${screen#*x} --extend background'"
    else
      mode=2 im_geometry="-resize $screen^ -gravity center -extent $screen"
      vips_cmd="vips thumbnail photo.jpg vips.bmp $w --height ${screen#*x} --crop centre"
    fi
    time_group "$job-$w" \
      "vendaro-compose" "$tool --screen $screen --mode $mode --interp 2 --fill 1 --color clBlack photo.jpg v.bmp" \
      "ImageMagick" "convert photo.jpg -filter Catrom $im_geometry -type TrueColor BMP3:im.bmp" \
      "GraphicsMagick" "gm convert photo.jpg -filter Catrom $im_geometry gm.bmp" \
      "libvips CLI" "$vips_cmd" \
      "Pillow" "$(pil $job $screen photo.jpg pil.bmp)"
  done
done

time_group "other-inputs" \
  "PNG alpha fit 3840" "$tool --screen 3840x2160 --mode 1 --fill 1 --color clBlack alpha.png v.bmp" \
  "PNG alpha fill 3840" "$tool --screen 3840x2160 --mode 2 alpha.png v.bmp" \
  "HD JPEG fit 3840" "$tool --screen 3840x2160 --mode 1 hd.jpg v.bmp" \
  "HD JPEG fill 1920" "$tool --screen 1920x1080 --mode 2 hd.jpg v.bmp"

# Writing the BMP alone: the same tool with a picture that places nothing (a
# recorded size of 0) writes the plain canvas; a file copy for reference.
time_group "cheap-modes" \
  "bmp write" "$tool --screen 3840x2160 --size 0x0 small.png v.bmp" \
  "file copy" "cp ref-3840.bmp floor.bmp" \
  "nearest 640x360" "$tool --screen 3840x2160 --mode 0 --interp 0 small.png v.bmp" \
  "tiling 256x256" "$tool --screen 3840x2160 --mode 4 tile.png v.bmp"

rss() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {printf "%.0f MB", $2 / 1024}'; }
rss_vendaro=$(rss "$tool" --screen 3840x2160 --mode 1 --fill 1 --color clBlack photo.jpg v.bmp)
rss_fill=$(rss "$tool" --screen 3840x2160 --mode 2 photo.jpg v.bmp)
rss_im=$(rss convert photo.jpg -filter Catrom -resize 3840x2160 -background black -gravity center -extent 3840x2160 -type TrueColor BMP3:im.bmp)

/usr/bin/python3 - "${results[@]}" <<'PY'
import json, sys
medians = {}
for path in sys.argv[1:]:
    group = path[:-5]
    for r in json.load(open(path))["results"]:
        medians[(group, r["command"])] = r["median"]
def show(group, name, base=None, label=""):
    m = medians[(group, name)]
    ratio = f"  {m / base:5.2f}x {label}" if base else ""
    print(f"  {name:<20} {m * 1000:8.0f} ms{ratio}")
for w in ("3840", "1920"):
    floor = medians[(f"floor-{w}", [k for g, k in medians if g == f"floor-{w}" and k.startswith("djpeg")][0])] \
        + medians[(f"floor-{w}", "bmp write")]
    print(f"\n6000x4000 JPEG to {w} wide BMP; floor (djpeg{' -scale 1/2' if w == '1920' else ''} + BMP write) {floor * 1000:.0f} ms")
    for job in ("fit", "fill"):
        print(f" {job}:")
        vendaro = medians[(f"{job}-{w}", "vendaro-compose")]
        show(f"{job}-{w}", "vendaro-compose", floor, "of floor")
        for other in ("ImageMagick", "GraphicsMagick", "libvips CLI", "Pillow"):
            m = medians[(f"{job}-{w}", other)]
            print(f"  {other:<20} {m * 1000:8.0f} ms  vendaro {vendaro / m:5.2f}x of it")
print("\nOther inputs (vendaro-compose):")
for name in ("PNG alpha fit 3840", "PNG alpha fill 3840", "HD JPEG fit 3840", "HD JPEG fill 1920"):
    show("other-inputs", name)
write = medians[("cheap-modes", "bmp write")]
copy = medians[("cheap-modes", "file copy")]
print(f"\nCheap modes at 3840x2160 against vendaro-compose writing the plain canvas alone "
      f"({write * 1000:.0f} ms; a copy of the file takes {copy * 1000:.0f} ms):")
for name in ("nearest 640x360", "tiling 256x256"):
    show("cheap-modes", name, write, "of the write")
PY
echo
echo "Peak resident memory, 6000x4000 JPEG to 3840x2160: vendaro fit $rss_vendaro, fill $rss_fill; ImageMagick $rss_im"
