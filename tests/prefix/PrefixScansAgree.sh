#!/bin/sh
# The same Wine prefix scanned twice: by the Windows build under Wine (the real
# registry and drives) and by the native build from the prefix's registry files and
# dosdevices/ links. Both must find the same problems, in the same order: first in a
# copy of the build's prefix as it is, then with problems planted into it.
# PrefixScansAgree.sh SOURCE_DIR WINDOWS_BIN NATIVE_CLI SCRATCH
set -e
source=$1 windows_bin=$2 native_cli=$3 scratch=$4
if [ ! -x "$native_cli" ]; then
  echo "the native build's brivolex-cli ($native_cli) is missing: build the native preset first"
  exit 77
fi
rm -rf "$scratch"
mkdir -p "$scratch/app"
cp -r "$windows_bin/languages" "$scratch/app/"
prefix="$scratch/prefix"
cp -a "$WINEPREFIX" "$prefix"
rm -f "$prefix/wineserver"  # names the server of the prefix it was copied from
# The profile's Desktop, Documents... link to the Unix home, which the shortcut scan
# walks whole: in the copy they lead to a small home of the test's own.
mkdir -p "$scratch/home/Sub"
cp "$source/sample/C/Users/Sample/Desktop/Old Game.lnk" "$scratch/home/Sub/In the home.lnk"
for link in "$prefix"/drive_c/users/*/*; do
  [ -L "$link" ] && ln -sfn "$scratch/home" "$link"
done

# Wine writes the registry files when its server ends; ended at once, it does not
# wait for its background programs (a desktop under Xvfb) to go idle.
stop_wine() {
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w
}

# The problems as "name | check | missing file", one per line.
problems() {
  python3 -c '
import json, sys
for problem in json.load(sys.stdin)["problems"]:
    print(problem["pName"], "|", problem["pInternalType"], "|", problem["pCureMissingfile"])'
}

compare() {
  WINEPREFIX="$prefix" "$source/scripts/wine-run" "$prefix" "$windows_bin/brivolex-cli.exe" scan --json \
    --app-dir "Z:$scratch/app" 2>/dev/null | problems >"$scratch/wine-$1.txt"
  stop_wine
  "$native_cli" scan --json --wine-prefix "$prefix" --app-dir "$scratch/app" 2>/dev/null |
    problems >"$scratch/native-$1.txt"
  if ! diff "$scratch/wine-$1.txt" "$scratch/native-$1.txt"; then
    echo "$1: the scans differ (< under Wine, > natively)"
    exit 1
  fi
  echo "$1: both find $(wc -l <"$scratch/wine-$1.txt") problems"
}

compare as-built
before=$(wc -l <"$scratch/wine-as-built.txt")

# Planted: a Run entry and an App Paths entry for programs that are gone, a desktop
# shortcut to one, a temporary file unused for two years.
WINEPREFIX="$prefix" "$source/scripts/wine-run" "$prefix" reg add \
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Planted /d 'C:\Gone\planted.exe' /f >/dev/null
WINEPREFIX="$prefix" "$source/scripts/wine-run" "$prefix" reg add \
  'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\planted.exe' /ve /d 'C:\Gone\planted.exe' /f >/dev/null
stop_wine
mkdir -p "$prefix/drive_c/users/Public/Desktop"
cp "$source/sample/C/Users/Sample/Desktop/Old Game.lnk" "$prefix/drive_c/users/Public/Desktop/Planted.lnk"
temp="$prefix/drive_c/users/$(whoami)/Temp"
mkdir -p "$temp"
echo old >"$temp/planted-old.tmp"
touch -a -d "730 days ago" "$temp/planted-old.tmp"

compare planted
after=$(wc -l <"$scratch/wine-planted.txt")
if [ "$after" -ne $((before + 4)) ]; then
  echo "planted 4 problems, the scans found $((after - before)) more"
  exit 1
fi
rm -rf "$scratch"
