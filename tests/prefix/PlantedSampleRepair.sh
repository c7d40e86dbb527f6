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

# The console on the same machine: its dry run names exactly what its run then does,
# and restore puts back every key the run's backup saved.
app="$scratch/app"
mkdir -p "$app/backup"
cp -r "$windows_bin/languages" "$app/"
cli() { run "$windows_bin/brivolex-cli.exe" "$@" --app-dir "Z:$app" 2>/dev/null; }
actions() {
  python3 -c '
import json, sys
for a in json.load(sys.stdin)["actions"]:
    if a["action"] != "back up key":
        print(a["UID"], "|", a["action"], "|", a["target"], "|", a["newPath"], "|", a["done"])'
}
cli repair --all --choose first --json --dry-run | actions >"$scratch/dry.txt" || status=1
cli repair --all --choose first --json --backup >"$scratch/run.json" || true
actions <"$scratch/run.json" >"$scratch/run.txt" || status=1
if ! diff "$scratch/dry.txt" "$scratch/run.txt"; then
  echo "the dry run and the run differ (< dry run, > run)"
  status=1
fi
echo "console: the dry run and the run agree on $(wc -l <"$scratch/dry.txt") actions"
backups=$(python3 -c '
import json, sys
print("\n".join(a["newPath"] for a in json.load(open(sys.argv[1]))["actions"] if a["action"] == "back up key"))' \
  "$scratch/run.json")
[ -n "$backups" ] || { echo "the run backed up nothing"; status=1; }
printf '%s\n' "$backups" >"$scratch/backups.txt"
# restore takes the files as arguments; the names hold no blanks.
if ! cli restore $(cat "$scratch/backups.txt") >"$scratch/restore.txt"; then
  echo "restore failed:"; cat "$scratch/restore.txt"
  status=1
fi
echo "console: restore put back $(grep -c '^restored: ' "$scratch/restore.txt") keys"

WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w
[ $status -ne 0 ] || rm -rf "$scratch"
exit $status
