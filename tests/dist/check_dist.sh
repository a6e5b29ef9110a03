#!/usr/bin/env bash
# Checks what `make dist` made. The zips and the installers' payloads, for every target packaged; then, under
# Wine in a fresh prefix, the x86_64 installer end to end: a silent install, the program started from where it
# went (it registers itself to start with Windows), an uninstall refused while it runs, the real uninstall
# leaving nothing behind, and a second install into a chosen folder whose uninstall keeps what is not its own.
# The i686 installer is a 32-bit program: it runs only where Wine's 32-bit loader does.
# Usage: tests/dist/check_dist.sh   (after make dist; ends with "<n> passed, <m> failed")
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine.sh"
work=$(mktemp -d)
trap 'wine_stop; rm -rf "$work"' EXIT

version=$(sed -n 's/^project(vigilamp VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
dist=$root/build/dist
passed=0; failed=0
check() {  # check <what> <command...>: one line per check, the command's own output on failure
  local what=$1; shift
  local out
  if out=$("$@" 2>&1); then passed=$((passed + 1)); echo "ok   $what"
  else failed=$((failed + 1)); echo "FAIL $what"; [ -n "$out" ] && printf '%s\n' "$out" | sed 's/^/     /'; fi
}
same() { cmp "$1" "$2"; }
# eventually <seconds> <test...>: what Wine, an installer or the program writes is read again every 0.25 s until
# the test holds, for at most <seconds>; a failure shows the last try's words.
eventually() {
  local tries=$(($1 * 4)) out
  shift
  while ! out=$("$@" 2>&1); do
    ((--tries > 0)) || { [ -n "$out" ] && printf '%s\n' "$out"; return 1; }
    sleep 0.25
  done
}
status_is() { [ "$2" = "$1" ] || { echo "exit code $2"; return 1; }; }
crlf_only() { ! grep -n -v $'\r$' "$1"; }
pe_machine() {  # pe_machine <exe> <i686|x86_64>
  local want=pei-i386; [ "$2" = x86_64 ] && want=pei-x86-64
  x86_64-w64-mingw32-objdump -f "$1" | grep -q "file format $want" || { echo "$1 is not $want"; return 1; }
}

files=(vigilamp.exe manual.mht vigilampairraid.mp3 README.txt LICENSE.txt)
built=(vigilamp.exe manual.mht vigilampairraid.mp3)
targets=()
for t in i686 x86_64; do [ -f "$dist/vigilamp-$version-$t.zip" ] && targets+=("$t"); done
check "x86_64 zip and installer exist" test -f "$dist/vigilamp-$version-x86_64.zip" -a \
  -f "$dist/vigilamp-$version-x86_64-setup.exe"

# --- the portable zips and the installers' contents
zip_listing() {  # exactly the folder and its five files
  local want got
  want=$(printf 'Vigilamp Rizu/\n'; printf 'Vigilamp Rizu/%s\n' "${files[@]}" | sort)
  got=$(unzip -Z1 "$1" | sort)
  [ "$got" = "$(sort <<<"$want")" ] || { diff <(sort <<<"$want") <(echo "$got"); return 1; }
}
setup_listing() {  # the five files and the uninstaller, nothing else outside the installer's own plug-ins
  local want got
  want=$(printf '%s\n' "${files[@]}" uninstall.exe | sort)
  got=$(7z l -slt "$1" | sed -n "/^----------/,\$ s/^Path = //p" | grep -v '^\$PLUGINSDIR/' | sort)
  [ "$got" = "$want" ] || { diff <(echo "$want") <(echo "$got"); return 1; }
}
setup_bits() {  # <setup> <target>: a 64-bit stub for x86_64, a 32-bit one for i686
  local info; info=$(7z l "$1" | grep '^SubType')
  case $2 in x86_64) grep -q '64-bit' <<<"$info" ;; *) ! grep -q '64-bit' <<<"$info" ;; esac || { echo "$info"; return 1; }
}
for t in "${targets[@]}"; do
  zipfile=$dist/vigilamp-$version-$t.zip setup=$dist/vigilamp-$version-$t-setup.exe
  mkdir -p "$work/zip-$t" "$work/setup-$t"
  unzip -q "$zipfile" -d "$work/zip-$t"
  check "$t zip holds the folder with the program, manual, sound, readme and licence" zip_listing "$zipfile"
  for f in "${built[@]}"; do
    check "$t zip: $f is the build's" same "$work/zip-$t/Vigilamp Rizu/$f" "$root/build/$t/$f"
  done
  check "$t zip: vigilamp.exe is an $t program" pe_machine "$work/zip-$t/Vigilamp Rizu/vigilamp.exe" "$t"
  for f in README.txt LICENSE.txt; do check "$t zip: $f has Windows line ends" crlf_only "$work/zip-$t/Vigilamp Rizu/$f"; done
  check "$t zip: README.txt names version $version" grep -q "Vigilamp Rizu! $version" "$work/zip-$t/Vigilamp Rizu/README.txt"

  check "$t installer holds the five files and the uninstaller" setup_listing "$setup"
  check "$t installer has the $t stub" setup_bits "$setup" "$t"
  7z x -y -o"$work/setup-$t" "$setup" "${files[@]}" >/dev/null
  for f in "${files[@]}"; do
    check "$t installer: $f is the zip's" same "$work/setup-$t/$f" "$work/zip-$t/Vigilamp Rizu/$f"
  done
done

# --- an installer under Wine, in a prefix of its own: run_installer <target>
run_installer() {
  local t=$1 arch=win64
  [ "$t" = i686 ] && arch=win32
  local setup=$dist/vigilamp-$version-$t-setup.exe probe=$root/build/$t/dist_probe.exe
  if [ ! -f "$setup" ] || [ ! -f "$probe" ]; then
    failed=$((failed + 1)); echo "FAIL $t installer run: $setup or $probe is missing (make $t dist)"
    return
  fi
  echo "== installing $t under Wine ($arch)"
  if ! wine_start $arch; then
    failed=$((failed + 1)); echo "FAIL $t installer run: Wine could not be started (above: why)"
    return
  fi
  run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
  user_run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
  uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vigilamp Rizu'
  w() { $WINE "$@" 2>/dev/null | tr -d '\r'; }
  reg_value() { w reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }  # <key> <name>: its data
  reg_is() {  # <key> <name> <data>
    local got; got=$(reg_value "$1" "$2")
    [ "$got" = "$3" ] || { echo "$1\\$2 is \"$got\", not \"$3\""; return 1; }
  }
  reg_absent() { ! w reg query "$1" /v "$2" | grep -q "$2"; }
  reg_present() { w reg query "$1" /v "$2" | grep -q "^ *$2 " || { echo "$1\\$2 is not there"; return 1; }; }
  key_absent() { ! w reg query "$1" >/dev/null 2>&1 || { w reg query "$1"; return 1; }; }
  winpath() { w winepath -u "$1"; }
  wine_env() {  # <name>: the variable as Wine's cmd expands it, asked again until it answers
    local value tries=40
    while value=$(w cmd /c "echo %$1%"); [ -z "$value" ] || [ "$value" = "%$1%" ]; do
      ((--tries > 0)) || { echo "Wine's cmd did not expand %$1%" >&2; return 1; }
      sleep 0.25
    done
    echo "$value"
  }
  if ! localappdata=$(wine_env LOCALAPPDATA) || ! appdata=$(wine_env APPDATA); then
    failed=$((failed + 1)); echo "FAIL $t installer run: Wine's folders could not be read"
    wine_stop; unset WINEPREFIX WT_DIR
    return
  fi
  target="$localappdata\\Programs\\Vigilamp Rizu"
  dir=$(winpath "$target")
  shortcut=$(winpath "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Vigilamp Rizu!.lnk")
  no_file() { [ ! -e "$1" ] || { echo "$1 is still there"; return 1; }; }
  # The uninstaller copies itself away and returns at once; its last step is to remove its entry.
  uninstalled() { eventually 20 key_absent "$uninstall_key"; }
  # The installer's last step is to write the entry's size: the size there again means it has finished.
  installed() { eventually 60 reg_present "$uninstall_key" EstimatedSize; }

  $WINE "$setup" /S >/dev/null 2>&1
  check "$t: the installer ends with exit code 0" status_is 0 $?
  check "$t: the installer finishes" installed
  # The registry is read until the value is there, not once: it may lag the installer's end.
  check "$t: Add/Remove Programs: uninstall command" \
    eventually 30 reg_is "$uninstall_key" UninstallString "\"$target\\uninstall.exe\""
  check "$t: Add/Remove Programs: quiet uninstall command" \
    eventually 30 reg_is "$uninstall_key" QuietUninstallString "\"$target\\uninstall.exe\" /S"
  check "$t: Add/Remove Programs: name" eventually 30 reg_is "$uninstall_key" DisplayName "Vigilamp Rizu!"
  check "$t: Add/Remove Programs: version" eventually 30 reg_is "$uninstall_key" DisplayVersion "$version"
  check "$t: Add/Remove Programs: folder" eventually 30 reg_is "$uninstall_key" InstallLocation "$target"
  for f in "${files[@]}"; do check "$t: installed: $f" eventually 30 same "$dir/$f" "$work/zip-$t/Vigilamp Rizu/$f"; done
  check "$t: installed: uninstall.exe" eventually 30 test -f "$dir/uninstall.exe"
  check "$t: installed: the Start-menu shortcut" eventually 30 test -f "$shortcut"
  check "$t: the shortcut starts the installed vigilamp.exe" \
    eventually 30 grep -aqiF "Programs\\Vigilamp Rizu\\vigilamp.exe" "$shortcut"

  # The program from its new home, told to start with Windows: it writes its own Run value.
  printf '[Status]\r\nStartWithWindows=1\r\n' > "$dir/vigilamp.ini"
  (cd "$dir" && exec $WINE "$target\\vigilamp.exe" >/dev/null 2>&1) &
  program=$!
  check "$t: the installed program runs: its main window exists" $WINE "$probe" find TfrmMain "Vigilamp Rizu!" 30
  check "$t: the program registered its own path, quoted, to start with Windows" \
    eventually 30 reg_is "$run_key" "Vigilamp Rizu" "\"$target\\vigilamp.exe\""
  # _?= runs the uninstaller where it is, so its exit code is seen here. It must be the command line's bare
  # last word, spaces and all, so a batch file passes it.
  printf '@"%s\\uninstall.exe" /S _?=%s\r\n@exit /b %%ERRORLEVEL%%\r\n' "$target" "$target" > "$WT_DIR/un.bat"
  $WINE cmd /c "$(w winepath -w "$WT_DIR/un.bat")" >/dev/null 2>&1
  refused=$?
  check "$t: the uninstaller refuses while the program runs (exit code 2)" status_is 2 $refused
  check "$t: ...and has removed nothing" test -f "$dir/vigilamp.exe" -a -f "$dir/manual.mht" -a -f "$shortcut"
  check "$t: ...and kept its Add/Remove Programs entry" reg_is "$uninstall_key" DisplayName "Vigilamp Rizu!"
  check "$t: the program ends when its window closes" $WINE "$probe" close TfrmMain "Vigilamp Rizu!" 20 ||
    kill "$program" 2>/dev/null
  wait "$program"

  # A bare path, as older versions wrote it, is recognised as well as the quoted one the program writes now.
  w reg add "$user_run_key" /v "Vigilamp Rizu" /d "$target\\vigilamp.exe" /f >/dev/null
  $WINE "$dir/uninstall.exe" /S >/dev/null 2>&1
  check "$t: the uninstaller finishes" uninstalled
  check "$t: uninstalled: the program's folder is gone" eventually 30 no_file "$dir"
  check "$t: uninstalled: the shortcut is gone" eventually 30 no_file "$shortcut"
  check "$t: uninstalled: the per-machine Run value (quoted path) is gone" \
    eventually 30 reg_absent "$run_key" "Vigilamp Rizu"
  check "$t: uninstalled: the per-user Run value (bare path) is gone" \
    eventually 30 reg_absent "$user_run_key" "Vigilamp Rizu"

  # A chosen folder holding a file of the user's, and a Run value that starts another copy.
  other='C:\Apps\Vigilamp'
  odir=$(winpath "$other")
  mkdir -p "$odir"; echo mine > "$odir/notes.txt"
  w reg add "$run_key" /v "Vigilamp Rizu" /d 'C:\Portable\vigilamp.exe' /f >/dev/null
  $WINE "$setup" /S "/D=$other" >/dev/null 2>&1
  check "$t: the installer finishes" installed
  check "$t: installed into the folder given with /D" eventually 30 test -f "$odir/vigilamp.exe" -a -f "$odir/uninstall.exe"
  check "$t: Add/Remove Programs: the chosen folder" eventually 30 reg_is "$uninstall_key" InstallLocation "$other"
  # Installing again over it, as an update does, keeps the user's settings. The size is taken away first, so
  # that its return shows this installer has finished before the settings are read.
  printf '[Timers]\r\nDelayValue=5000\r\n' > "$odir/vigilamp.ini"
  w reg delete "$uninstall_key" /v EstimatedSize /f >/dev/null
  $WINE "$setup" /S "/D=$other" >/dev/null 2>&1
  check "$t: installing over it finishes" installed
  check "$t: installing over it keeps vigilamp.ini" grep -q 'DelayValue=5000' "$odir/vigilamp.ini"
  $WINE "$odir/uninstall.exe" /S >/dev/null 2>&1
  check "$t: the uninstaller finishes" uninstalled
  for f in "${files[@]}" vigilamp.ini uninstall.exe; do check "$t: uninstalled: $f" eventually 30 no_file "$odir/$f"; done
  check "$t: the user's own file and so the folder stay" same "$odir/notes.txt" <(echo mine)
  check "$t: a Run value starting another copy stays" reg_is "$run_key" "Vigilamp Rizu" 'C:\Portable\vigilamp.exe'
  wine_stop || { failed=$((failed + 1)); echo "FAIL $t: the desktop Wine ran on did not end (above: what)"; }
  unset WINEPREFIX WT_DIR
}

for t in "${targets[@]}"; do
  if [ "$t" = i686 ] && [ -z "$WINE_CAN_RUN_32BIT" ]; then
    echo "== i686 installer not run: this kernel cannot run Wine's 32-bit loader (its contents are checked above)"
    continue
  fi
  run_installer "$t"
done

echo "dist: $passed passed, $failed failed"
echo "$passed passed, $failed failed"
((failed == 0))
