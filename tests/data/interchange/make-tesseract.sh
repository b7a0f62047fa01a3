#!/usr/bin/env bash
# Makes the real engine output the interchange tests read: Tesseract's hOCR and
# ALTO of a vertical page (page 2 of the sample, jpn_vert) and of a horizontal page
# (a paragraph of the same story set in IPA Mincho at 400 dpi, jpn), with
# character boxes, and the LSTM alternatives on the horizontal page. The outputs are kept here, so the
# tests do not change with the engine's version; run this again only to refresh
# them (needs tesseract-ocr, tesseract-ocr-jpn, tesseract-ocr-jpn-vert, ImageMagick
# and fonts-ipafont).
set -euo pipefail
cd "$(dirname "$0")"
options=(-c hocr_char_boxes=1 -c lstm_choice_mode=2)
tesseract ../../../samples/rashomon/p02.tif tesseract-vertical -l jpn_vert --dpi 400 -c hocr_char_boxes=1 hocr alto
text="ある日の暮方の事である。一人の下人が、羅生門の下で雨やみを待っていた。広い門の下には、この男のほかに誰もいない。ただ、所々丹塗の剥げた、大きな円柱に、蟋蟀が一匹とまっている。"
page=$(mktemp --suffix=.png)
trap 'rm -f "$page"' EXIT
convert -size 2400x900 -density 400 xc:white -font IPAMincho -pointsize 14 \
  -annotate +120+200 "${text:0:30}" -annotate +120+400 "${text:30:30}" -annotate +120+600 "${text:60}" \
  -type bilevel "$page"
tesseract "$page" tesseract-horizontal -l jpn --dpi 400 "${options[@]}" hocr alto
# The image names in the outputs: the page's file name only.
sed -i "s|$page|horizontal.png|g; s|\.\./\.\./\.\./samples/rashomon/p02\.tif|p02.tif|g" tesseract-*.hocr tesseract-*.xml
