#!/bin/sh
# Draws the About box's picture and the face of its OK button with ImageMagick; the PNG files land beside
# this script. The version shown is the project's major.minor version from the top CMakeLists.txt.
#
#   about.png   246 x 243, light grey ground: a logo of two vocabulary cards, the program's name and version
#               and its maker's name. The box shows only the middle 223 columns and its OK button covers the
#               lower middle, so nothing of importance lies within 12 columns of either side or below row 195.
#   okface.png  77 x 30, transparent ground: a green tick followed by the word OK.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^project(karte VERSION \([0-9]*\)\.\([0-9]*\).*/\1.\2/p' "$here/../../CMakeLists.txt")
[ -n "$version" ] || { echo "make_about.sh: no project version found" >&2; exit 1; }

fonts=/usr/share/fonts/truetype/dejavu
serif_bold=$fonts/DejaVuSerif-Bold.ttf
serif=$fonts/DejaVuSerif.ttf
sans_bold=$fonts/DejaVuSans-Bold.ttf
sans=$fonts/DejaVuSans.ttf

# The ground and the ink come from the 16-colour palette of the program's first screens.
grey='#c0c0c0'
navy='#000080'
maroon='#800000'
teal='#008080'
green='#008000'

# No time stamps in the files, so that drawing again gives the same bytes.
strip='-depth 8 -define png:exclude-chunks=date,time +set date:create +set date:modify'

convert -size 246x243 "xc:$grey" \
    -stroke '#808080' -strokewidth 1 -fill '#808080' -draw 'roundrectangle 72,20 148,80 5,5' \
    -stroke "$navy" -strokewidth 2 -fill white -draw 'roundrectangle 68,16 144,76 5,5' \
    -stroke none -fill "$navy" -font "$sans_bold" -pointsize 13 -gravity NorthWest -annotate +76+22 'word' \
    -stroke '#808080' -strokewidth 1 -fill '#808080' -draw 'roundrectangle 104,44 180,104 5,5' \
    -stroke "$maroon" -strokewidth 2 -fill '#ffffe0' -draw 'roundrectangle 100,40 176,100 5,5' \
    -stroke "$teal" -strokewidth 2 -draw 'line 112,88 164,88' \
    -stroke none -gravity North \
    -fill "$maroon" -font "$serif_bold" -pointsize 21 -annotate +15+53 'λόγος' \
    -fill '#ffffff' -font "$serif_bold" -pointsize 25 -annotate +1+115 'Karte Cards' \
    -fill "$navy" -annotate +0+114 'Karte Cards' \
    -fill black -font "$serif" -pointsize 13 -annotate +0+148 "Version $version" \
    -fill "$teal" -font "$sans" -pointsize 11 -annotate +0+166 'New Testament Greek vocabulary' \
    -fill "$maroon" -font "$sans_bold" -pointsize 13 -annotate +0+184 'Quarn Software' \
    $strip "$here/about.png"

convert -size 77x30 xc:none \
    -stroke "$green" -strokewidth 5 -fill none -draw 'stroke-linecap round stroke-linejoin round polyline 9,15 17,23 32,7' \
    -stroke none -fill black -font "$sans_bold" -pointsize 15 -gravity West -annotate +42+0 'OK' \
    $strip "$here/okface.png"
