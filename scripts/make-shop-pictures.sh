#!/usr/bin/env bash
# Remakes the shop's button, status and footer pictures of data/skeleton/Bd/Style with ImageMagick
# (Debian package imagemagick). The results are committed; run this only to change them.
set -euo pipefail
IM=${IM:-$(command -v convert-im6.q16 || command -v magick || command -v convert)}
FONT=${FONT:-DejaVu-Sans-Bold}
root=$(cd "$(dirname "$0")/.." && pwd)/data/skeleton/Bd/Style
mkdir -p "$root"

# Preset: name, background, hover background, text colour (the five "Web Shop Style" choices).
presets=(
  "0|#FF8040|#E0621F|#FFFFFF"
  "1|#5FAFAF|#3F8F8F|#FFFFFF"
  "2|#808080|#606060|#FFFFFF"
  "3|#FF8000|#DE500C|#FFFFFF"
  "4|#6A6AC0|#50509F|#FFFFFF"
)
# Picture: file stem, label, width.
buttons=(
  "b1|Cart|96" "b3|Order|96" "b4|About us|96" "b5|Price list|96" "b6|Terms|96" "b7|Search|96"
  "kupuj|Add to cart|104" "more|More...|80"
)
plain=("back|Back|80" "prev|Previous page|120")

button() { # out width label background text
  "$IM" -size "$2x28" xc:none -fill "$4" -stroke "#00000033" -draw "roundrectangle 0,0 $(( $2 - 1 )),27 7,7" \
    -font "$FONT" -pointsize 12 -fill "$5" -stroke none -gravity center -annotate +0+0 "$3" \
    -background white -flatten -quality 92 "$1"
}

for p in "${presets[@]}"; do
  IFS='|' read -r index bg hover fg <<< "$p"
  dir="$root/$index"; mkdir -p "$dir"
  for b in "${buttons[@]}"; do
    IFS='|' read -r stem label width <<< "$b"
    button "$dir/$stem.jpg" "$width" "$label" "$bg" "$fg"
    button "$dir/${stem}b.jpg" "$width" "$label" "$hover" "$fg"
  done
  for b in "${plain[@]}"; do
    IFS='|' read -r stem label width <<< "$b"
    button "$dir/$stem.jpg" "$width" "$label" "$bg" "$fg"
  done
  "$IM" -size 220x40 xc:white -fill "$bg" -draw "roundrectangle 0,0 219,39 9,9" \
    -font "$FONT" -pointsize 20 -fill "$fg" -gravity center -annotate +0+0 "Your cart" -quality 92 "$dir/koszyk.jpg"
  # Preview of the style for the options dialog: a header strip with three buttons.
  mkdir -p "$root/Szablon"
  "$IM" -size 200x80 xc:white -fill "$bg" -draw "rectangle 0,0 199,30" \
    -fill "$hover" -draw "roundrectangle 8,6 60,24 5,5" -draw "roundrectangle 70,6 122,24 5,5" \
    -draw "roundrectangle 132,6 184,24 5,5" -fill "#DDDDDD" -draw "rectangle 0,31 44,79" \
    -quality 90 "$root/Szablon/$index.jpg"
done

# Status pictures in the three looks: 0 button, 1 star, 2 flat button.
statuses=("Promocja|promocja|Promo|#D7261E" "New|new|New|#2E9B3A" "Sale|sale|Sale|#E07B00")
for s in "${statuses[@]}"; do
  IFS='|' read -r folder stem label colour <<< "$s"
  for look in 0 1 2; do
    dir="$root/Szablon/gif/$folder/$look"; mkdir -p "$dir"
    case $look in
      0) "$IM" -size 52x20 xc:white -fill "$colour" -draw "roundrectangle 0,0 51,19 6,6" \
           -font "$FONT" -pointsize 11 -fill white -gravity center -annotate +0+0 "$label" "$dir/$stem.gif" ;;
      1) "$IM" -size 44x44 xc:white -fill "$colour" \
           -draw "polygon 22,1 27,15 43,16 30,26 35,42 22,33 9,42 14,26 1,16 17,15" \
           -font "$FONT" -pointsize 9 -fill white -gravity center -annotate +0+2 "$label" "$dir/$stem.gif" ;;
      2) "$IM" -size 52x18 xc:"$colour" -font "$FONT" -pointsize 11 -fill white -gravity center \
           -annotate +0+0 "$label" "$dir/$stem.gif" ;;
    esac
  done
done

"$IM" -size 20x20 xc:white -stroke "#C62828" -strokewidth 3 -draw "line 5,5 14,14" -draw "line 14,5 5,14" \
  -quality 92 "$root/Szablon/gif/delete.jpg"
"$IM" -size 88x31 xc:"#2B4F9E" -font "$FONT" -pointsize 13 -fill white -gravity center \
  -annotate +0+0 "Kalmenor" -quality 92 "$root/Szablon/gif/orvane.jpg"
echo "Pictures written to $root"

# Pictures of the demo catalogue: small (M) and large (D) for most products.
demo=$(cd "$(dirname "$0")/.." && pwd)/data/demo/Bd/jpg
mkdir -p "$demo"
demo_pictures=(
  "ID000001001P|T-shirt|#E8EEF6|#3D6FB6" "ID000001002P|Polo|#E6F2EA|#2E7D4F" "ID000001003P|Hoodie|#EEEEEE|#555555"
  "ID000001004P|Zip hoodie|#F3ECE4|#8A5A2B" "ID000001005P|Cap|#F9E3E3|#B3261E" "ID000001006P|Mug|#E3F1FA|#1F6C9E"
  "ID000001007P|Board|#F5EBDC|#8A5A2B" "ID000001008P|Kettle|#ECEFF1|#37474F" "ID000001009P|Can|#E8F5E9|#2E7D32"
  "ID000001011P|Novel|#E3F2FD|#0D47A1" "ID000001012P|Atlas|#FFF8E1|#8D6E00" "ID000001016P|Blocks|#FFF3E0|#E65100"
  "ID000001018P|Teddy|#EFEBE9|#6D4C41"
)
for p in "${demo_pictures[@]}"; do
  IFS='|' read -r id label bg fg <<< "$p"
  "$IM" -size 320x240 xc:"$bg" -fill "$fg" -draw "roundrectangle 40,40 279,199 24,24" \
    -font "$FONT" -pointsize 34 -fill white -gravity center -annotate +0+0 "$label" -quality 80 "$demo/${id}D.jpg"
  "$IM" "$demo/${id}D.jpg" -resize 160x120 -quality 80 "$demo/${id}M.jpg"
done
echo "Demo pictures written to $demo"
