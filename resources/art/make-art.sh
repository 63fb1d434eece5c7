#!/usr/bin/env bash
# Draws the page art with ImageMagick: the banner halves (129 left, 164 right), the welcome
# picture (169) and the program icon (131). Run again only to change the art.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
plain=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Banner, left: the product name on white. The halves meet on white, so the seam never shows,
# whatever the dialog font makes of their positions.
convert -size 320x48 xc:white \
    -font "$font" -pointsize 22 -fill '#1c3c78' -annotate +12+32 'Orvella 2.0' \
    -type TrueColor BMP3:banner-left.bmp

# Banner, right: white fading into blue, with a USB key.
convert -size 160x48 xc:'#2868c8' \
    \( -size 48x60 gradient:'#2868c8'-white -rotate 90 \) -geometry +0+0 -composite \
    -fill '#c8ccd4' -draw 'rectangle 62,18 80,30' \
    -fill '#f4f4f4' -draw 'roundrectangle 80,12 140,36 6,6' \
    -fill '#2868c8' -draw 'rectangle 67,21 71,24 rectangle 73,21 77,24' \
    -fill '#1c3c78' -draw 'circle 128,24 132,24' \
    -type TrueColor BMP3:banner-right.bmp

# Welcome page: fills the page. The control centres it and fills the rest with its corner colour,
# so the background is one colour: pages laid out in a larger font show no seam.
convert -size 480x326 xc:'#dce8f8' \
    -fill '#1c3c78' -font "$font" -pointsize 34 -annotate +36+86 'Orvella 2.0' \
    -fill '#1c3c78' -font "$plain" -pointsize 15 -annotate +38+118 'Bootable USB keys from CD/DVD and ISO images' \
    -fill '#d0d4dc' -stroke '#606870' -strokewidth 2 -draw 'circle 130,228 130,172' \
    -fill '#f4f8ff' -draw 'circle 130,228 130,216' \
    -stroke none -fill '#2868c8' -draw 'polygon 212,222 262,222 262,208 292,230 262,252 262,238 212,238' \
    -fill '#c8ccd4' -draw 'rectangle 312,214 336,244' \
    -fill '#f4f4f4' -stroke '#606870' -draw 'roundrectangle 336,200 440,258 10,10' \
    -stroke none -fill '#2868c8' -draw 'circle 420,229 426,229' \
    -type TrueColor BMP3:welcome.bmp

# Icon: a key on a disc, in the sizes the shell asks for.
convert -size 256x256 xc:none \
    -fill '#d0d4dc' -stroke '#606870' -strokewidth 8 -draw 'circle 104,128 104,24' \
    -fill none -draw 'circle 104,128 104,104' \
    -stroke none -fill '#2868c8' -draw 'roundrectangle 132,96 244,176 16,16' \
    -fill '#c8ccd4' -draw 'rectangle 100,110 132,162' \
    \( -clone 0 -resize 16x16 \) \( -clone 0 -resize 32x32 \) \( -clone 0 -resize 48x48 \) \
    -delete 0 orvella.ico
