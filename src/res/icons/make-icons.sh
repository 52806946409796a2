#!/usr/bin/env bash
# Regenerates the program's .ico files from the drawing commands below.
# Needs ImageMagick 6 (convert) and awk. Output lands next to this script.
# Set KEEP_PNG=/some/dir to also keep the 256 px masters to look at.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Everything is laid out on a 16x16 grid of 16 px cells. Keeping edges on
# cell boundaries is what keeps the 16 and 32 px images crisp after
# box-filter downscaling; off-grid edges turn into grey mush at 16 px.
T=16                 # outline thickness: exactly one pixel at 16x16
INK='#22262b'        # shared outline colour, the backbone of the flat style

# Filled rectangle over the half-open pixel range [x0,x1) x [y0,y1);
# ImageMagick's rectangle includes both end coordinates, hence the -1.
box() { # x0 y0 x1 y1 colour [radius]
  local r=${6:-0}
  if (( r > 0 )); then
    echo "fill $5 roundrectangle $1,$2 $(($3-1)),$(($4-1)) $r,$r"
  else
    echo "fill $5 rectangle $1,$2 $(($3-1)),$(($4-1))"
  fi
}

# Shape with the shared outline: an ink silhouette, then the fill inset by T.
obox() { # x0 y0 x1 y1 colour radius
  local r=$6 ri=$(( $6 > T ? $6 - T : 0 ))
  box "$1" "$2" "$3" "$4" "$INK" "$r"
  box $(($1+T)) $(($2+T)) $(($3-T)) $(($4-T)) "$5" "$ri"
}

# A flash drive standing upright, plug at the top. Both silhouettes go down
# before either fill so the plug and the body read as one outlined object.
stick() { # bx0 by0 bx1 by1 cx0 cy0 cx1 body light plug radius holes
  local bx0=$1 by0=$2 bx1=$3 by1=$4 cx0=$5 cy0=$6 cx1=$7
  local body=$8 light=$9 plug=${10} r=${11} holes=${12}
  local ri=$(( r > T ? r - T : 0 ))
  box "$cx0" "$cy0" "$cx1" $((by0+T)) "$INK"
  box "$bx0" "$by0" "$bx1" "$by1" "$INK" "$r"
  box $((cx0+T)) $((cy0+T)) $((cx1-T)) "$by0" "$plug"
  # The lighter left edge is the only shading the style allows; it keeps
  # dark bodies from melting into the dark-blue selection colour.
  box $((bx0+T)) $((by0+T)) $((bx1-T)) $((by1-T)) "$light" "$ri"
  box $((bx0+2*T)) $((by0+T)) $((bx1-T)) $((by1-T)) "$body" "$ri"
  if [[ $holes == yes ]]; then
    local mid=$(( (cx0+cx1)/2 ))
    box $((mid-2*T)) $((cy0+2*T)) $((mid-T)) $((cy0+3*T)) "$INK"
    box $((mid+T)) $((cy0+2*T)) $((mid+2*T)) $((cy0+3*T)) "$INK"
  fi
}

# Round badge for the lower-right corner, with the shared outline.
badge() { # cx cy radius colour
  echo "fill $INK circle $1,$2 $(($1+$3)),$2"
  echo "fill $4 circle $1,$2 $(($1+$3-T)),$2"
}

# ImageMagick 6.9 closes wide-stroked open paths with a stray chord, so every
# curved stroke here is built as a filled outline polygon instead.
# Angles are in degrees, clockwise from +x, since image y grows downwards.

# Band of a ring between radii ri and ro, from angle a0 round to a1.
arc_band() { # cx cy ri ro a0 a1
  awk -v cx="$1" -v cy="$2" -v ri="$3" -v ro="$4" -v a0="$5" -v a1="$6" 'BEGIN {
    k = atan2(0, -1) / 180; n = 48; s = "polygon"
    for (i = 0; i <= n; i++) { t = (a0 + (a1 - a0) * i / n) * k
      s = s sprintf(" %.1f,%.1f", cx + ro * cos(t), cy + ro * sin(t)) }
    for (i = n; i >= 0; i--) { t = (a0 + (a1 - a0) * i / n) * k
      s = s sprintf(" %.1f,%.1f", cx + ri * cos(t), cy + ri * sin(t)) }
    print s }'
}

# Padlock shackle: an upside-down U whose arch is centred on (cx,cy) and
# whose legs run straight down to y = bottom.
shackle() { # cx cy ri ro bottom
  awk -v cx="$1" -v cy="$2" -v ri="$3" -v ro="$4" -v b="$5" 'BEGIN {
    k = atan2(0, -1) / 180; n = 32
    s = sprintf("polygon %.1f,%.1f", cx - ro, b)
    for (i = 0; i <= n; i++) { t = (180 + 180 * i / n) * k
      s = s sprintf(" %.1f,%.1f", cx + ro * cos(t), cy + ro * sin(t)) }
    s = s sprintf(" %.1f,%.1f %.1f,%.1f", cx + ro, b, cx + ri, b)
    for (i = n; i >= 0; i--) { t = (180 + 180 * i / n) * k
      s = s sprintf(" %.1f,%.1f", cx + ri * cos(t), cy + ri * sin(t)) }
    s = s sprintf(" %.1f,%.1f", cx - ri, b)
    print s }'
}

# Arrowhead whose base straddles a circle of radius r at angle a and whose
# tip lies further clockwise on that same circle, so the arrow keeps curving.
arrowhead() { # cx cy r a half len
  awk -v cx="$1" -v cy="$2" -v r="$3" -v a="$4" -v h="$5" -v l="$6" 'BEGIN {
    k = atan2(0, -1) / 180; t = a * k; tt = t + l / r
    printf "polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f\n",
      cx + (r - h) * cos(t), cy + (r - h) * sin(t),
      cx + (r + h) * cos(t), cy + (r + h) * sin(t),
      cx + r * cos(tt), cy + r * sin(tt) }'
}

render() { # name [ring]  (MVG on stdin)
  # The MVG is passed inline: stock policy.xml forbids reading "@file".
  convert -size 256x256 xc:none -draw "$(cat)" "$work/$1.png"
  # Curved shapes get their outline by growing the silhouette by ring px;
  # offsetting curves by hand leaves lopsided edges around arrow tips.
  if [[ -n ${2:-} ]]; then
    convert "$work/$1.png" \( +clone -channel A -morphology Dilate "Disk:$2" \
      +channel -fill "$INK" -colorize 100 \) +swap -composite "$work/$1.png"
  fi
  # Box-filter each size from the master so grid-aligned edges stay sharp,
  # and force true colour so every entry is stored as 32-bit BGRA. Besides
  # the classic sizes, 20, 40 and 64 px are what 125% and 200% display
  # scales ask for (16 and 32 px scaled), so no scale stretches an image.
  local s sized=()
  for s in 64 48 40 32 24 20 16; do
    convert "$work/$1.png" -filter Box -resize ${s}x${s} \
      -define png:color-type=6 -type TrueColorAlpha "$work/$1-$s.png"
    sized+=("$work/$1-$s.png")
  done
  convert "${sized[@]}" -type TrueColorAlpha "$here/$1.ico"
  python3 "$here/png_large_images.py" "$here/$1.ico"
  if [[ -n ${KEEP_PNG:-} ]]; then cp "$work/$1.png" "$KEEP_PNG/$1.png"; fi
}

# --- program.ico: silver drive plus a blue eject badge ----------------------
{
  stick 16 96 176 256  48 16 144  '#d3d8de' '#f1f3f5' '#9aa5b1' 32 yes
  badge 184 184 72 '#1e6fd9'
  # White, not ink: at 16 px an outlined glyph fills in to a solid blob.
  echo "fill #ffffff polygon 184,128 224,176 144,176"
  box 144 192 224 216 '#ffffff'
} | render program

# --- citadel.ico: broad gunmetal drive with a gold shield -------------------
{
  stick 32 80 224 256  80 0 176  '#4d5662' '#6f7a88' '#a9b1bb' 16 yes
  echo "fill $INK polygon 80,112 176,112 176,176 128,232 80,176"
  echo "fill #f4be3a polygon 96,128 160,128 160,170 128,208 96,170"
} | render citadel

# --- kr7.ico: slim bright-blue drive with a thin cyan stripe ----------------
{
  # Odd widths (7-cell body, 5-cell plug) so the stripe can sit dead centre.
  stick 64 96 176 256  80 16 160  '#1f7ae0' '#1f7ae0' '#a9b1bb' 24 no
  box 112 112 128 240 '#8ff0ff'
} | render kr7

# --- generic.ico: plain light-grey stick, plug with its two holes -----------
{
  stick 48 96 208 256  80 0 176  '#c9ced4' '#eceef1' '#8d98a5' 32 yes
} | render generic

# --- no_drives.ico: dashed grey outline where a drive would be --------------
# Hand-placed on the 16-cell grid: stroked dash patterns land between
# pixels at 16x16 and dissolve into a grey smudge.
{
  y=0
  while IFS= read -r row; do
    for (( x = 0; x < 16; x++ )); do
      if [[ ${row:x:1} == '#' ]]; then
        box $((x*16)) $((y*16)) $((x*16+16)) $((y*16+16)) '#8a929b'
      fi
    done
    y=$((y+1))
  done <<'MASK'
.....##..##.....
.....#....#.....
................
.....#....#.....
.....#....#.....
................
...###....###...
...#........#...
................
...#........#...
...#........#...
................
...#........#...
...#........#...
................
...##..##..##...
MASK
} | render no_drives

# --- refresh.ico: two green arrows chasing each other round a circle --------
{
  echo "fill #2fa84f"
  arc_band 128 128 60 100 195 315
  arc_band 128 128 60 100 15 135
  arrowhead 128 128 80 315 44 52
  arrowhead 128 128 80 135 44 52
} | render refresh 12

# --- warden.ico: black drive with an orange collar and a padlock ------------
{
  stick 0 80 160 240  32 0 128  '#2a2d32' '#474c54' '#a9b1bb' 32 yes
  box 16 96 144 128 '#ff8c1a'
  # Shackle before the lock body, so its legs tuck in behind it.
  echo "fill $INK"; shackle 184 144 8 56 192
  echo "fill #c3cad2"; shackle 184 144 24 40 192
  # Nine cells wide so the one-cell keyhole can be centred.
  obox 112 160 256 256 '#ff8c1a' 24
  box 176 192 192 224 "$INK"
} | render warden

echo "icons written to $here"
