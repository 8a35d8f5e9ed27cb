#!/usr/bin/env bash
# Creates a macOS-layout demo tree: an Applications folder, a home folder named after the
# login user with the leftovers of each application, and a system root with its Library,
# plug-ins, preference panes and Safari's extensions list.
#
#   scripts/make-demo-tree.sh DIR      (DIR is emptied first when it holds a demo tree)
#
# Then: zembra apps --applications DIR/Applications --home DIR/Users/$USER --root DIR
set -euo pipefail

root=${1:?usage: make-demo-tree.sh DIR}
user=$(id -un)
assets="$(cd "$(dirname "$0")" && pwd)/demo-assets"
if [ -e "$root/.zembra-demo" ]; then rm -rf "$root"; fi
if [ -e "$root" ] && [ -n "$(ls -A "$root" 2>/dev/null)" ]; then
  echo "make-demo-tree: $root exists and is not a demo tree; choose an empty folder" >&2
  exit 2
fi
mkdir -p "$root"
root=$(cd "$root" && pwd)
touch "$root/.zembra-demo"
apps="$root/Applications"
home="$root/Users/$user"
lib="$home/Library"
sys="$root/Library"

PNG_blue='iVBORw0KGgoAAAANSUhEUgAAACAAAAAgCAYAAABzenr0AAAAiElEQVR42mNgGHLAaMF/vHhALKWpY9AM1ci7gxdTzxEkWkxdh1BgMV6H0Nty8hxBZcsxHDEQlhPnCBoEPWlRQWPLCYcCEQ4AgmfEYNIdQKTvqeEA7I4YdcCoA0YdMOAOGPCCaDAVxQNXGQ14dTwoGiSDokk24I3SQdEsHxQdk0HTNRsUnVMaAgC8d/bvV6CvNgAAAABJRU5ErkJggg=='
ICNS_blue='aWNucwAAANFpYzExAAAAyYlQTkcNChoKAAAADUlIRFIAAAAgAAAAIAgGAAAAc3p69AAAAIhJREFUeNpjYBhywGjBf7x4QCylqWPQDNXIu4MXU88RJFpMXYdQYDFeh9DbcvIcQWXLMRwxEJYT5wgaBD1pUUFjywmHAhEOAIJnxGDSHUCk76nhAOyOGHXAqANGHTDgDhjwgmgwFcUDVxkNeHU8KBokg6JJNuCN0kHRLB8UHZNB0zUbFJ1TGgIAvHf271egrzYAAAAASUVORK5CYII='
PNG_green='iVBORw0KGgoAAAANSUhEUgAAACAAAAAgCAYAAABzenr0AAAAiElEQVR42mNgGHIgT+4/XjwgltLUMWiGaqyKwoup5wgSLaauQyiwGK9D6G05eY6gsuUYjhgIy4lzBA2CnrSooLHlhEOBCAcAwTNiMOkOINL31HAAdkeMOmDUAaMOGHAHDHhBNJiK4oGrjAa8Oh4UDZJB0SQb8EbpoGiWD4qOyaDpmg2KzikNAQBKjE5/W/78awAAAABJRU5ErkJggg=='
ICNS_green='aWNucwAAANFpYzExAAAAyYlQTkcNChoKAAAADUlIRFIAAAAgAAAAIAgGAAAAc3p69AAAAIhJREFUeNpjYBhyIE/uP148IJbS1DFohmqsisKLqecIEi2mrkMosBivQ+htOXmOoLLlGI4YCMuJcwQNgp60qKCx5YRDgQgHAMEzYjDpDiDS99RwAHZHjDpg1AGjDhhwBwx4QTSYiuKBq4wGvDoeFA2SQdEkG/BG6aBolg+Kjsmg6ZoNis4pDQEASoxOf1v+/GsAAAAASUVORK5CYII='
PNG_orange='iVBORw0KGgoAAAANSUhEUgAAACAAAAAgCAYAAABzenr0AAAAiUlEQVR42mNgGGpgvRvDf3x4QCylqWPQDX3dJIcXU80RpFpMVYdQYjE+h9DdcrIcQW3L0R0xIJYT5QhaBD1JUUFrywmGAjEOAIJnxGCSHUCs76nhAKyOGHXAqANGHTDgDhjwgmhQFcUDVhkNeHU8KBokg6JJNuCN0kHRLB8UHZNB0zUbFJ1TWgIA6mM6BgtnY2oAAAAASUVORK5CYII='
ICNS_orange='aWNucwAAANJpYzExAAAAyolQTkcNChoKAAAADUlIRFIAAAAgAAAAIAgGAAAAc3p69AAAAIlJREFUeNpjYBhqYL0bw398eEAspalj0A193SSHF1PNEaRaTFWHUGIxPofQ3XKyHEFty9EdMSCWE+UIWgQ9SVFBa8sJhgIxDgCCZ8Rgkh1ArO+p4QCsjhh1wKgDRh0w4A4Y8IJoUBXFA1YZDXh1PCgaJIOiSTbgjdJB0SwfFB2TQdM1GxSdU1oCAOpjOgYLZ2NqAAAAAElFTkSuQmCC'
PNG_purple='iVBORw0KGgoAAAANSUhEUgAAACAAAAAgCAYAAABzenr0AAAAiUlEQVR42mNgGGrAjavnPz48IJbS1DHohja5ncCLqeYIUi2mqkMosRifQ+huOVmOoLbl6I4YEMuJcgQtgp6kqKC15QRDgRgHAMEzYjDJDiDW99RwAFZHjDpg1AGjDhhwBwx4QTSoiuIBq4wGvDoeFA2SQdEkG/BG6aBolg+Kjsmg6ZoNis4pLQEAF1YxbpPxNqgAAAAASUVORK5CYII='
ICNS_purple='aWNucwAAANJpYzExAAAAyolQTkcNChoKAAAADUlIRFIAAAAgAAAAIAgGAAAAc3p69AAAAIlJREFUeNpjYBhqwI2r5z8+PCCW0tQx6IY2uZ3Ai6nmCFItpqpDKLEYn0PobjlZjqC25eiOGBDLiXIELYKepKigteUEQ4EYBwDBM2IwyQ4g1vfUcABWR4w6YNQBow4YcAcMeEE0qIriAauMBrw6HhQNkkHRJBvwRumgaJYPio7JoOmaDYrOKS0BABdWMW6T8TaoAAAAAElFTkSuQmCC'
PNG_grey='iVBORw0KGgoAAAANSUhEUgAAACAAAAAgCAYAAABzenr0AAAAh0lEQVR42u2XQQ7AIAgEfZjnvsmzj/Ubbc/GILTQ3SaQcHVHSGAp5W9R63FKCRENhZkfba2L6QZhFXYFeSMsgXwu/gjCW3yGgIirICJKb2pFtPi2ChqAO4YmzQDa33sALCESIAESAA4AH0RUoxi2jODrmMKQUFgyuCmlsOUUhwnNaUZxnEbGBV6E6S91T1rQAAAAAElFTkSuQmCC'
ICNS_grey='aWNucwAAANBpYzExAAAAyIlQTkcNChoKAAAADUlIRFIAAAAgAAAAIAgGAAAAc3p69AAAAIdJREFUeNrtl0EOwCAIBH2Y577Js4/1G23PxiC00N0mkHB1R0hgKeVvUetxSgkRDYWZH22ti+kGYRV2BXkjLIF8Lv4Iwlt8hoCIqyAiSm9qRbT4tgoagDuGJs0A2t97ACwhEiABEgAOAB9EVKMYtozg65jCkFBYMrgppbDlFIcJzWlGcZxGxgVehOkvdU9a0AAAAABJRU5ErkJggg=='

# Safari's compass (32 and 256 pixels; the extensions hub shows the largest, scaled down) is
# too large to keep inline: it lies in demo-assets/.

# file PATH [TEXT]: a file with some content (sizes are what the review shows).
file() {
  mkdir -p "$(dirname "$1")"
  printf '%s\n' "${2:-demo data for $(basename "$1")}" > "$1"
}
# blob PATH KB: a file of KB kilobytes.
blob() {
  mkdir -p "$(dirname "$1")"
  head -c "$(( $2 * 1024 ))" /dev/zero > "$1"
}
xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' <<<"$1"; }

# bundle PATH IDENTIFIER NAME EXECUTABLE ICONFILE COLOR [KB]
bundle() {
  local path=$1 id=$2 name=$3 exe=$4 icon=$5 color=$6 kb=${7:-256}
  mkdir -p "$path/Contents/MacOS" "$path/Contents/Resources"
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">'
    echo '<plist version="1.0">'
    echo '<dict>'
    echo "  <key>CFBundleIdentifier</key><string>$(xml_escape "$id")</string>"
    echo "  <key>CFBundleName</key><string>$(xml_escape "$name")</string>"
    echo "  <key>CFBundleExecutable</key><string>$(xml_escape "$exe")</string>"
    [ -n "$icon" ] && echo "  <key>CFBundleIconFile</key><string>$(xml_escape "$icon")</string>"
    echo '  <key>CFBundlePackageType</key><string>APPL</string>'
    echo '  <key>CFBundleShortVersionString</key><string>2.4.1</string>'
    echo '</dict>'
    echo '</plist>'
  } > "$path/Contents/Info.plist"
  blob "$path/Contents/MacOS/$exe" "$kb"
  if [ -n "$icon" ]; then
    local base=${icon%.icns}
    local png_var="PNG_$color" icns_var="ICNS_$color"
    if [ -e "$assets/$color.icns" ]; then
      cp "$assets/$color.icns" "$path/Contents/Resources/$base.icns"
      cp "$assets/$color.png" "$path/Contents/Resources/$base.png"
    else
      base64 -d <<<"${!icns_var}" > "$path/Contents/Resources/$base.icns"
      base64 -d <<<"${!png_var}" > "$path/Contents/Resources/$base.png"
    fi
  fi
}

# --- Applications -------------------------------------------------------------------
bundle "$apps/Sketchpad.app" com.lumina.sketchpad Sketchpad Sketchpad AppIcon.icns blue 2048
bundle "$apps/Sketchpad 2.app" com.lumina.sketchpad2 "Sketchpad 2" "Sketchpad 2" AppIcon.icns blue 1024
bundle "$apps/Nimbus Notes.app" com.nimbuslabs.NimbusNotes "Nimbus Notes" "Nimbus Notes" Notes green 3072
bundle "$apps/Photon Pro.app" com.photonsoft.photonpro "Photon Pro" PhotonPro Photon.icns orange 8192
bundle "$apps/Clipper.app" com.clipstack.clipper Clipper Clipper AppIcon purple 512
bundle "$apps/Clipper.app/Contents/Library/LoginItems/Clipper Launcher.app" com.clipstack.launcher \
  "Clipper Launcher" "Clipper Launcher" "" purple 64
mkdir -p "$apps/Harbor"
bundle "$apps/Harbor/Harbor.app" com.harborhq.harbor Harbor Harbor AppIcon.icns blue 4096
file "$apps/Harbor/Read Me.txt" "Harbor keeps its own folder in Applications."
bundle "$apps/Games/Chess.app" com.boardworks.chess Chess Chess AppIcon.icns grey 1536
bundle "$apps/Games/Puzzles/Tangram.app" com.boardworks.tangram Tangram Tangram AppIcon.icns green 768
bundle "$apps/Utilities/DiskSight.app" com.vendorworks.disksight DiskSight DiskSight AppIcon.icns orange 640
bundle "$apps/Utilities/Netmeter.app" io.netmeter.Netmeter Netmeter Netmeter AppIcon.icns purple 320
bundle "$apps/Safari.app" com.apple.Safari Safari Safari compass.icns compass 6144
bundle "$apps/Xcode.app" com.apple.dt.Xcode Xcode Xcode Xcode.icns blue 16384
mkdir -p "$apps/Broken.app/Contents"          # ends in .app, but no Info.plist
file "$apps/.localized" ""

# --- The home folder: leftovers -------------------------------------------------------
for p in com.lumina.sketchpad com.lumina.sketchpad2 com.nimbuslabs.NimbusNotes com.photonsoft.photonpro \
         com.photonsoft.photonpro.LSSharedFileList com.clipstack.clipper com.clipstack.launcher \
         com.harborhq.harbor com.boardworks.chess com.boardworks.tangram com.vendorworks.disksight \
         com.apple.Safari com.apple.dt.Xcode com.apple.finder com.adshield.safari-ABCDE12345; do
  file "$lib/Preferences/$p.plist"
done
file "$lib/Preferences/.GlobalPreferences.plist"

blob "$lib/Application Support/Sketchpad/Brushes/Ink.brush" 96
file "$lib/Application Support/Sketchpad/settings.json" '{"theme": "dark"}'
blob "$lib/Application Support/Sketchpad 2/Library.db" 128
blob "$lib/Application Support/Nimbus Notes/notes.sqlite" 1200
file "$lib/Application Support/com.nimbuslabs.NimbusNotes/sync.json"
blob "$lib/Application Support/Photon Pro/Presets/Film.preset" 64
file "$lib/Application Support/Clipper/history.json"
file "$lib/Application Support/Harbor/state.json"
blob "$lib/Application Support/Chess/Games.pgn" 40
file "$lib/Application Support/CrashReporter/Sketchpad_8C3D1F.plist"
file "$lib/Application Support/CrashReporter/Photon Pro_A81B2C.plist"
file "$lib/Application Support/AddressBook/AddressBook-v22.abcddb"

blob "$lib/Containers/com.photonsoft.photonpro/Data/Library/Caches/thumbs.db" 512
blob "$lib/Containers/com.nimbuslabs.NimbusNotes/Data/Documents/Inbox.note" 24
file "$lib/Containers/com.clipstack.launcher/Data/launch.log"
file "$lib/Containers/com.apple.Safari/Data/Library/Safari/History.db"
file "$lib/Saved Application State/com.lumina.sketchpad.savedState/windows.plist"
file "$lib/Saved Application State/com.photonsoft.photonpro.savedState/windows.plist"
blob "$lib/Caches/com.lumina.sketchpad/Cache.db" 300
blob "$lib/Caches/com.photonsoft.photonpro/previews/1.jpg" 900
file "$lib/Caches/Lumina/update.json"
blob "$lib/Caches/Lumina/Sketchpad/brushes.cache" 200
blob "$lib/HTTPStorages/com.lumina.sketchpad/httpstorages.sqlite" 160
file "$lib/HTTPStorages/com.lumina.sketchpad.binarycookies"
file "$lib/Preferences/ByHost/com.lumina.sketchpad.6F1C2A3B-9D4E-4F50-8A61-7B2C3D4E5F60.plist"
file "$lib/Caches/com.apple.helpd/Generated/com.photonsoft.photonpro.help/index.json"
file "$lib/Cookies/com.nimbuslabs.NimbusNotes.binarycookies"
file "$lib/Application Scripts/com.clipstack.launcher/hook.scpt"
file "$lib/Application Scripts/com.photonsoft.photonpro/export.scpt"
file "$lib/Group Containers/7Y3Q5XK2.NimbusNotes/shared.sqlite"
file "$lib/LaunchAgents/com.photonsoft.photonpro.updater.plist"
file "$lib/LaunchAgents/com.harborhq.harbor.helper.plist"
file "$lib/LaunchAgents/com.clipstack.clipper.plist"
blob "$lib/Logs/Sketchpad/Sketchpad.log" 48
file "$lib/Logs/Photon Pro.log"
file "$lib/Logs/CSXS/photonsoft-Photon Pro.log"
file "$lib/Logs/DiagnosticReports/Photon Pro_2026-11-30-101500.crash"
file "$lib/WebKit/com.nimbuslabs.NimbusNotes/WebsiteData/LocalStorage.db"
file "$lib/Services/Sketchpad Capture.workflow/Contents/document.wflow"
file "$lib/Developer/Xcode/DerivedData/Demo-abc/info.plist"
blob "$lib/Developer/Xcode/Archives/Demo.xcarchive/Info.plist" 200
file "$home/Desktop/Sketchpad/untitled.sketch"
file "$home/Desktop/Sketchpad export.pdf"
file "$home/Desktop/Shopping list.txt"
file "$home/Documents/Letter.txt"

# Plug-ins, preference panes and Safari extensions of the home Library.
bundle "$lib/Address Book Plug-Ins/CardSync.bundle" com.cardsync.abplugin CardSync CardSync "" grey 48
file "$lib/Preferences/com.cardsync.abplugin.plist"
bundle "$lib/PreferencePanes/Harbor Sync.prefPane" com.harborhq.harborsync "Harbor Sync" "Harbor Sync" AppIcon.icns blue 96
ext="$lib/Safari/Extensions"
blob "$ext/AdShield-2.1.safariextz" 180
blob "$ext/TabTamer.safariextz" 90
file "$lib/Caches/com.adshield.safari-ABCDE12345/filters.json"
cat > "$ext/Extensions.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>Available Updates</key>
  <dict><key>Last Update Check Time</key><real>786000000</real></dict>
  <key>Installed Extensions</key>
  <array>
    <dict>
      <key>Archive File Name</key><string>TabTamer.safariextz</string>
      <key>Bundle Directory Name</key><string>TabTamer.safariextension</string>
      <key>Bundle Identifier</key><string>com.tabtamer.extension-Q2W3E4R5T6</string>
      <key>Enabled</key><true/>
    </dict>
    <dict>
      <key>Archive File Name</key><string>AdShield-2.1.safariextz</string>
      <key>Bundle Directory Name</key><string>AdShield.safariextension</string>
      <key>Bundle Identifier</key><string>com.adshield.safari-ABCDE12345</string>
      <key>Enabled</key><true/>
    </dict>
  </array>
  <key>Version</key><integer>1</integer>
</dict>
</plist>
PLIST

# --- The system root ------------------------------------------------------------------
file "$sys/Application Support/Harbor/daemon.conf"
file "$sys/Application Support/photonsoft/license.dat"
file "$sys/LaunchDaemons/com.harborhq.harbor.helper.plist"
blob "$sys/PrivilegedHelperTools/com.harborhq.harbor.helper" 210
file "$sys/LaunchAgents/com.photonsoft.photonpro.agent.plist"
file "$sys/Logs/Harbor/helper.log"
file "$sys/Logs/DiagnosticReports/Photon Pro_2026-11-29-090000.crash"
bundle "$sys/Spotlight/Sketchpad.mdimporter" com.lumina.sketchpad.mdimporter Sketchpad SketchpadImporter "" grey 64
bundle "$sys/QuickLook/Photon.qlgenerator" com.photonsoft.qlgenerator Photon PhotonQL "" grey 80
bundle "$sys/Internet Plug-Ins/Flashy.plugin" com.flashy.webplugin Flashy Flashy "" grey 700
bundle "$sys/PreferencePanes/DiskSight.prefPane" com.vendorworks.disksight.prefpane DiskSight DiskSight AppIcon.icns orange 120
file "$root/Users/Shared/Photon Pro/Shared Presets.zip"
blob "$root/var/folders/zz/zyxvpxvq6csfxvn_n0000000000000/C/com.lumina.sketchpad/cache.db" 64
file "$root/var/folders/zz/zyxvpxvq6csfxvn_n0000000000000/T/com.photonsoft.photonpro/render.tmp"
file "$root/var/run/com.harborhq.harbor.pid" "4242"
file "$root/var/db/receipts/com.photonsoft.photonpro.bom"
file "$root/var/db/receipts/com.photonsoft.photonpro.plist"

echo "$root"
