#!/bin/sh
# Draws the About box's picture and the face of its OK button with ImageMagick; the PNG files land beside
# this script. The version shown is the project's major.minor version from the top CMakeLists.txt.
#
#   about.png   246 x 243, light grey ground: a logo of two vocabulary cards, the program's name and version
#               and its maker's name. The box shows only the middle 223 columns and its OK button covers the
#               lower middle, so nothing of importance lies within 12 columns of either side or below row 195.
#   okface.png  77 x 30, transparent ground: a green tick followed by the word OK.
#   about-contrast.png, okface-contrast.png
#               the same drawn light on black, for a desktop with a dark palette or a high-contrast style.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^project(karte VERSION \([0-9]*\)\.\([0-9]*\).*/\1.\2/p' "$here/../../CMakeLists.txt")
[ -n "$version" ] || { echo "make_about.sh: no project version found" >&2; exit 1; }

fonts=/usr/share/fonts/truetype/dejavu
serif_bold=$fonts/DejaVuSerif-Bold.ttf
serif=$fonts/DejaVuSerif.ttf
sans_bold=$fonts/DejaVuSans-Bold.ttf
sans=$fonts/DejaVuSans.ttf

# No time stamps in the files, so that drawing again gives the same bytes.
strip='-depth 8 -define png:exclude-chunks=date,time +set date:create +set date:modify'

# draw_about FILE GROUND SHADOW PAPER NAVY MAROON PAPER2 TEAL INK: the two cards' papers, their shadows, and the inks
draw_about() {
    convert -size 246x243 "xc:$2" \
        -stroke "$3" -strokewidth 1 -fill "$3" -draw 'roundrectangle 72,20 148,80 5,5' \
        -stroke "$5" -strokewidth 2 -fill "$4" -draw 'roundrectangle 68,16 144,76 5,5' \
        -stroke none -fill "$5" -font "$sans_bold" -pointsize 13 -gravity NorthWest -annotate +76+22 'word' \
        -stroke "$3" -strokewidth 1 -fill "$3" -draw 'roundrectangle 104,44 180,104 5,5' \
        -stroke "$6" -strokewidth 2 -fill "$7" -draw 'roundrectangle 100,40 176,100 5,5' \
        -stroke "$8" -strokewidth 2 -draw 'line 112,88 164,88' \
        -stroke none -gravity North \
        -fill "$6" -font "$serif_bold" -pointsize 21 -annotate +15+53 'λόγος' \
        -fill "$4" -font "$serif_bold" -pointsize 25 -annotate +1+115 'Karte Cards' \
        -fill "$5" -annotate +0+114 'Karte Cards' \
        -fill "$9" -font "$serif" -pointsize 13 -annotate +0+148 "Version $version" \
        -fill "$8" -font "$sans" -pointsize 11 -annotate +0+166 'New Testament Greek vocabulary' \
        -fill "$6" -font "$sans_bold" -pointsize 13 -annotate +0+184 'Quarn Software' \
        $strip "$1"
}

# draw_okface FILE TICK INK
draw_okface() {
    convert -size 77x30 xc:none \
        -stroke "$2" -strokewidth 5 -fill none -draw 'stroke-linecap round stroke-linejoin round polyline 9,15 17,23 32,7' \
        -stroke none -fill "$3" -font "$sans_bold" -pointsize 15 -gravity West -annotate +42+0 'OK' \
        $strip "$1"
}

# The ground and the inks come from the 16-colour palette of the program's first screens.
draw_about "$here/about.png" '#c0c0c0' '#808080' white '#000080' '#800000' '#ffffe0' '#008080' black
draw_okface "$here/okface.png" '#008000' black

# The same for a dark or high-contrast desktop: light ink on a black ground, each colour at least 7:1 against the
# ground it is drawn on.
draw_about "$here/about-contrast.png" black '#404040' '#202040' '#9ab8ff' '#ff9c9c' '#302810' '#40e0d0' white
draw_okface "$here/okface-contrast.png" '#50e050' white
