#!/bin/sh
# The sample machine planted into a copy of the build's Wine prefix: its registry
# imported with REG IMPORT, its drive C: copied into drive_c with the last-access
# times of sample/last-access.txt; then the window test that repairs some of its
# problems from the main window runs in that prefix, on the real registry and files.
# PlantedSampleRepair.sh SOURCE_DIR WINDOWS_BIN SCRATCH
set -e
source=$1 windows_bin=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
prefix="$scratch/prefix"
cp -a "$WINEPREFIX" "$prefix"
rm -f "$prefix/wineserver"  # names the server of the prefix it was copied from
# The profile's links to the Unix home lead to a small home of the test's own.
mkdir -p "$scratch/home"
for link in "$prefix"/drive_c/users/*/*; do
  [ -L "$link" ] && ln -sfn "$scratch/home" "$link"
done

run() { WINEPREFIX="$prefix" "$source/scripts/wine-run" "$prefix" "$@"; }
cp -r "$source/sample/C/." "$prefix/drive_c/"
tab=$(printf '\t')
grep -v '^#' "$source/sample/last-access.txt" | while IFS="$tab" read -r path days attribute; do
  [ -n "$path" ] || continue
  touch -a -d "$days days ago" "$prefix/drive_c/$path"
done
run reg import "Z:$(echo "$source/sample/machine.reg" | tr / '\\')" >/dev/null
BRIVOLEX_PLANTED_SAMPLE=1 run "$windows_bin/brivolex_tests.exe" \
  --gtest_filter=MainWindowWine.RepairsTheSampleProblemsPlantedInTheRealMachine
status=$?
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w
[ $status -ne 0 ] || rm -rf "$scratch"
exit $status
