#!/bin/sh
# PackagesWine.sh SOURCE_DIR SETUP_EXE PORTABLE_ZIP WORK_DIR
# The installer and the portable zip under Wine, in a fresh prefix in WORK_DIR (the
# tests' own prefix holds what other tests' programs registered):
# - a silent install, into a folder chosen with /D= and into the default one: the zip's
#   files, the uninstaller, the Start-menu shortcut and the Uninstall key are in place;
# - the installed program starts from there, and its scan reports nothing about its
#   own registration (Uninstall key, shortcut, Run value);
# - a silent uninstall leaves HKLM's Uninstall, Run and RunOnce keys and the prefix's
#   files as they were before the install, except a backup folder that holds a backup;
# - the zip, unpacked on a removable drive, holds a program that starts there.
# Prints every difference found; exits 1 when there is one.
set -eu
source=$1 setup=$2 zip=$3 work=$4
version=$(basename "$setup" .exe | sed 's/^Brivolex-Setup-//')

rm -rf "$work"
mkdir -p "$work/home"
# A home of its own: Wine links the prefix's Desktop and Documents into it, and the
# scan walks them.
export HOME="$work/home"
"$source/scripts/wine-prefix" "$work/prefix"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# No menu entries on the Linux desktop for the shortcut the installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
wine=/usr/lib/wine/wine64
# One server for the whole test: a new one would start wineboot, which runs and removes
# the RunOnce values the program writes.
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
$wine wineboot >/dev/null 2>&1
drive_c="$WINEPREFIX/drive_c"
status=0
fail() {
  echo "FAIL: $*" >&2
  status=1
}

# C:\a\b -> the prefix's file; A:\a -> its removable drive.
host_path() {
  case "$1" in
    [Aa]:*) drive="$WINEPREFIX/drive_a" ;;
    *) drive="$drive_c" ;;
  esac
  printf '%s/%s' "$drive" "$(printf '%s' "${1#?:\\}" | tr '\\' '/')"
}

# The files below a folder, one relative path a line, sorted.
file_list() { (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort); }

keys='Uninstall Run RunOnce'
# The keys an install and an uninstall touch, and every file of drive C:.
snapshot() {
  for key in $keys; do
    if $wine reg export "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\$key" "$work/export.reg" /y \
      >/dev/null 2>&1; then
      iconv -f UTF-16LE -t UTF-8 "$work/export.reg" | tr -d '\r' >"$work/$1.$key.reg"
    else
      echo "no key" >"$work/$1.$key.reg"
    fi
  done
  file_list "$drive_c" >"$work/$1.files"
}

# Runs a command line as cmd.exe would from a batch file: /D= takes the rest of the
# line, spaces and all, unquoted, as a user types it.
run_line() {
  printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$1" >"$drive_c/run-line.bat"
  rc=0
  $wine cmd /c 'C:\run-line.bat' || rc=$?
  rm -f "$drive_c/run-line.bat"
  return $rc
}

to_windows() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
json_text() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }

unzip -Z1 "$zip" | sed 's|^Brivolex/||; s|/$||' | grep . | LC_ALL=C sort >"$work/zip.files"
today=$(date +%d%m%Y)
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brivolex'
shortcut='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Brivolex.lnk'

# Installer switches | the folder they install into | the program starts, scans and leaves a backup
while IFS='|' read -r switches folder used; do
  echo "== $(basename "$setup") $switches"
  dir=$(host_path "$folder")
  snapshot before
  run_line "\"$(to_windows "$setup")\" $switches" || fail "the installer ended with $?"

  # The zip's files, the uninstaller, and (for a German user) the language choice.
  file_list "$dir" | grep -vx 'uninstall.exe\|setup.ini' >"$work/installed.files" || true
  diff "$work/zip.files" "$work/installed.files" >"$work/files.diff" ||
    fail "$folder holds other files than the zip: $(tr '\n' ' ' <"$work/files.diff")"
  [ -f "$dir/uninstall.exe" ] || fail "no uninstall.exe in $folder"
  [ -d "$dir/backup" ] || fail "no backup folder in $folder"

  query=$($wine reg query "$uninstall_key" | tr -d '\r' || true)
  size_kb=$(find "$dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print int(s / 1024) }')
  while IFS='|' read -r name type data; do
    printf '%s\n' "$query" | grep -qxF "    $name    $type    $data" ||
      fail "$uninstall_key: $name is not $type $data: $(printf '%s\n' "$query" | grep "    $name " || echo missing)"
  done <<ROWS
DisplayName|REG_SZ|Brivolex
DisplayVersion|REG_SZ|$version
Publisher|REG_SZ|Brivolex
DisplayIcon|REG_SZ|$folder\\Brivolex.exe,0
InstallLocation|REG_SZ|$folder
UninstallString|REG_SZ|"$folder\\uninstall.exe"
EstimatedSize|REG_DWORD|$(printf '0x%x' "$size_kb")
ROWS

  links=$($wine "$folder\\brivolex-cli.exe" shortcut --json "$shortcut" | tr -d '\r' || true)
  printf '%s' "$links" | grep -qF "\"target\": \"$(json_text "$folder\\Brivolex.exe")\"" ||
    fail "the Start-menu shortcut does not start $folder\\Brivolex.exe: $links"

  if [ "$used" = yes ]; then
    # A scheduled start that is not due today registers the scheduled scan and the
    # updater's first-run call, and ends.
    printf '[Main]\r\nlast_scheduled_run=%s\r\n' "$today" >"$dir/setup.ini"
    $wine "$folder\\Brivolex.exe" /SCHEDULED || fail "Brivolex.exe /SCHEDULED ended with $?"
    grep -q 'scheduled run, skipped' "$dir/app.log" 2>/dev/null || fail "the installed Brivolex.exe did not start"
    $wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Brivolex 2>/dev/null |
      grep -qF "$folder\\Brivolex.exe /SCHEDULED" || fail "no Run value Brivolex"
    $wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v update_lustrant2 >/dev/null 2>&1 ||
      fail "no RunOnce value update_lustrant2"

    rc=0
    $wine "$folder\\brivolex-cli.exe" scan --json >"$work/scan.json" 2>"$work/scan.err" || rc=$?
    [ $rc -eq 0 ] && grep -q '"scanCancelled": false' "$work/scan.json" || fail "the scan ended with $rc: $(cat "$work/scan.err")"
    [ ! -s "$work/scan.err" ] || fail "the scan wrote to stderr: $(cat "$work/scan.err")"
    if grep -i 'brivolex' "$work/scan.json"; then fail "the scan reports the program's own registration"; fi

    printf 'Windows Registry Editor Version 5.00\r\n' >"$dir/backup/registry-backup.reg"
  fi

  # As the uninstaller runs itself: from a copy outside the folder, told the folder
  # with _?= (the copy it makes itself runs on once the started one has ended).
  cp "$dir/uninstall.exe" "$work/Un.exe"
  run_line "\"$(to_windows "$work/Un.exe")\" /S _?=$folder" || fail "the uninstaller ended with $?"
  snapshot after
  for key in $keys; do
    cmp -s "$work/before.$key.reg" "$work/after.$key.reg" ||
      fail "HKLM\\...\\$key differs after the uninstall: $(diff "$work/before.$key.reg" "$work/after.$key.reg" | tr '\n' ' ')"
  done
  expected="$work/before.files"
  if [ "$used" = yes ]; then
    # The backup stays, and the folders it lies in.
    rel=$(printf '%s' "${folder#C:\\}" | tr '\\' '/')
    { cat "$work/before.files"
      printf '%s\n' "$rel/backup/registry-backup.reg"
      p="$rel/backup"
      while [ "$p" != . ]; do
        printf '%s\n' "$p"
        p=$(dirname "$p")
      done
    } | LC_ALL=C sort -u >"$work/expected.files"
    expected="$work/expected.files"
  fi
  diff "$expected" "$work/after.files" >"$work/files.diff" ||
    fail "the files after the uninstall differ: $(tr '\n' ' ' <"$work/files.diff")"
done <<'CASES'
/S /D=C:\Test Apps\Brivolex|C:\Test Apps\Brivolex|yes
/S|C:\Program Files\Brivolex|no
CASES

echo "== $(basename "$zip") on a removable drive"
unzip -q "$zip" -d "$WINEPREFIX/drive_a"
printf '[Main]\r\nwasfirstrun=1\r\nlast_scheduled_run=%s\r\n' "$today" >"$WINEPREFIX/drive_a/Brivolex/setup.ini"
$wine 'A:\Brivolex\Brivolex.exe' /SCHEDULED || fail "the portable Brivolex.exe ended with $?"
grep -q 'scheduled run, skipped' "$WINEPREFIX/drive_a/Brivolex/app.log" 2>/dev/null ||
  fail "the portable Brivolex.exe did not start from A:\\Brivolex"

/usr/lib/wine/wineserver -k 2>/dev/null || true
trap - EXIT
if [ $status -eq 0 ]; then
  rm -rf "$work"
  echo "== the installer and the portable zip work"
fi
exit $status
