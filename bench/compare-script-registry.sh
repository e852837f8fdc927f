#!/usr/bin/env bash
# What a script pays for one registry call under Wine: a REG_SZ and a
# REG_DWORD read and written through ZarnUtils.Registry, WScript.Shell,
# WMI's StdRegProv and ZarnUtils.Regedit, all in one run of the 32-bit
# cscript, so that the ratios come from the same minutes. Prints
# tab-separated rows:
#   operation  object  us_per_call  ratio_to_WScript.Shell
# "-" where an object cannot make the call (the reason on stderr).
#
#   bash bench/compare-script-registry.sh [CALLS [WIN32_BUILD]]
#
# CALLS (default 2000) calls an operation, timed inside the script with
# Timer less an empty loop of as many turns, the fastest of three rounds.
# Wine runs in a prefix of its own under the win32 build
# (bench-script-wineprefix), whose wineserver is stopped at the end; the
# values live under HKCU\Software\ZarnUtilsBench, deleted at the end.
set -euo pipefail

calls=${1:-2000}
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
win32=$(cd "${2:-$here/../build/win32}" && pwd)
dll=$win32/ZarnUtils.dll
case "$calls" in '' | *[!0-9]* | 0) echo "CALLS must be a positive number" >&2; exit 2 ;; esac
[ -f "$dll" ] || { echo "no $dll: build the win32 preset first" >&2; exit 1; }
command -v wine >/dev/null || { echo "no wine" >&2; exit 1; }

export ZARNUTILS_WINEPREFIX="$win32/bench-script-wineprefix"
export ZARNUTILS_WINEARCH=win32
wine_run=(bash "$here/../cmake/wine-run.sh")
windows() { printf 'Z:%s' "${1//\//\\}"; }
work=$(mktemp -d)
finish() {
  # The script deletes its key when it runs to its end; reg.exe does it
  # when it did not.
  if ! grep -q '^cleaned' "$work/out.tsv" 2>/dev/null && [ -f "$ZARNUTILS_WINEPREFIX/system.reg" ]; then
    "${wine_run[@]}" reg delete 'HKCU\Software\ZarnUtilsBench' /f >/dev/null 2>&1 || true
  fi
  WINEPREFIX="$ZARNUTILS_WINEPREFIX" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

echo "script registry: registering $dll in $ZARNUTILS_WINEPREFIX ..." >&2
"${wine_run[@]}" regsvr32 /s "$(windows "$dll")" || { echo "regsvr32 failed" >&2; exit 1; }
# A 32-bit prefix keeps its one cscript in system32; a 64-bit one keeps the
# 32-bit cscript in syswow64.
if [ -f "$ZARNUTILS_WINEPREFIX/drive_c/windows/syswow64/cscript.exe" ]; then
  cscript='C:\windows\syswow64\cscript.exe'
else
  cscript='C:\windows\system32\cscript.exe'
fi

cat >"$work/bench.vbs" <<'EOF'
Option Explicit
Const HKCU = &H80000001
Const Shown = "C:\Program Files\ZarnUtilsBench\data"
Dim n, key, path, i, texts
n = CLng(WScript.Arguments(0))
key = "HKCU\Software\ZarnUtilsBench"
path = "Software\ZarnUtilsBench"
' The texts written, made before the clocks start; each write changes the
' value, as a write of the value already stored may write nothing. (Not
' "Dim texts()": Wine's VBScript fails on a ReDim of such an array.)
ReDim texts(n)
For i = 0 To n
  texts(i) = Shown & " " & i
Next
Dim shellText, shellNumber, shellWText, shellWNumber, regeditText, regeditNumber, regeditWText, regeditWNumber
shellText = key & "\Text" : shellNumber = key & "\Number"
shellWText = key & "\WrittenText" : shellWNumber = key & "\WrittenNumber"
regeditText = shellText : regeditNumber = shellNumber
regeditWText = shellWText : regeditWNumber = shellWNumber

Dim registry, shell, regedit, prov, provWhy
Set registry = CreateObject("ZarnUtils.Registry")
Set regedit = CreateObject("ZarnUtils.Regedit")
Set shell = CreateObject("WScript.Shell")
registry.DeleteKey key
If Not (registry.Write(key, "Text", Shown, "REG_SZ") And registry.Write(key, "Number", 8080, "REG_DWORD")) Then
  WScript.Echo "note" & vbTab & "cannot write the bench key: " & registry.StatusText
  WScript.Quit 1
End If
provWhy = ""
On Error Resume Next
Set prov = GetObject("winmgmts:{impersonationLevel=impersonate}!\\.\root\default:StdRegProv")
If Err.Number <> 0 Then provWhy = "GetObject: " & Describe()
On Error GoTo 0

Function Describe()
  Describe = "error &H" & Hex(Err.Number)
  If Err.Number = &H80041002 Then Describe = Describe & " (WBEM_E_NOT_FOUND)"
  If Err.Description <> "" Then Describe = Describe & " " & Trim(Replace(Err.Description, vbCrLf, " "))
  Err.Clear
End Function

' Timer is a Single of seconds since midnight, which steps by up to 8 ms
' (more as the day goes on): starting on a step's edge makes a time's error
' under one step rather than up to two.
Function Start()
  Dim first
  first = Timer
  Do
    Start = Timer
  Loop While Start = first
End Function

Function Since(start)
  Since = Timer - start
  If Since < 0 Then Since = Since + 86400   ' past midnight
End Function

' One call, checked, then n of them timed: seconds, or -1 with why set.
Function Measure(operation, object, ByRef why)
  Dim t, i, v, rc, ok
  Measure = -1
  On Error Resume Next
  Select Case operation & "/" & object
    Case "read REG_SZ/ZarnUtils.Registry"
      ok = registry.Read(key, "Text") = Shown
      If ok Then
        t = Start()
        For i = 1 To n : v = registry.Read(key, "Text") : Next
        t = Since(t)
      End If
    Case "read REG_SZ/WScript.Shell"
      ok = shell.RegRead(shellText) = Shown
      If ok Then
        t = Start()
        For i = 1 To n : v = shell.RegRead(shellText) : Next
        t = Since(t)
      End If
    Case "read REG_SZ/StdRegProv"
      ok = prov.GetStringValue(HKCU, path, "Text", v) = 0 And v = Shown
      If ok Then
        t = Start()
        For i = 1 To n : rc = prov.GetStringValue(HKCU, path, "Text", v) : Next
        t = Since(t)
      End If
    Case "read REG_SZ/ZarnUtils.Regedit"
      ok = regedit.ReadValue(regeditText, "S", Null) = Shown
      If ok Then
        t = Start()
        For i = 1 To n : v = regedit.ReadValue(regeditText, "S", Null) : Next
        t = Since(t)
      End If
    Case "read REG_DWORD/ZarnUtils.Registry"
      ok = registry.Read(key, "Number") = 8080
      If ok Then
        t = Start()
        For i = 1 To n : v = registry.Read(key, "Number") : Next
        t = Since(t)
      End If
    Case "read REG_DWORD/WScript.Shell"
      ok = shell.RegRead(shellNumber) = 8080
      If ok Then
        t = Start()
        For i = 1 To n : v = shell.RegRead(shellNumber) : Next
        t = Since(t)
      End If
    Case "read REG_DWORD/StdRegProv"
      ok = prov.GetDWORDValue(HKCU, path, "Number", v) = 0 And v = 8080
      If ok Then
        t = Start()
        For i = 1 To n : rc = prov.GetDWORDValue(HKCU, path, "Number", v) : Next
        t = Since(t)
      End If
    Case "read REG_DWORD/ZarnUtils.Regedit"
      ok = regedit.ReadValue(regeditNumber, "D", Null) = 8080
      If ok Then
        t = Start()
        For i = 1 To n : v = regedit.ReadValue(regeditNumber, "D", Null) : Next
        t = Since(t)
      End If
    Case "write REG_SZ/ZarnUtils.Registry"
      ok = registry.Write(key, "WrittenText", texts(0), "REG_SZ")
      If ok Then
        t = Start()
        For i = 1 To n : v = registry.Write(key, "WrittenText", texts(i), "REG_SZ") : Next
        t = Since(t)
      End If
    Case "write REG_SZ/WScript.Shell"
      shell.RegWrite shellWText, texts(0), "REG_SZ"
      ok = Err.Number = 0
      If ok Then
        t = Start()
        For i = 1 To n : shell.RegWrite shellWText, texts(i), "REG_SZ" : Next
        t = Since(t)
      End If
    Case "write REG_SZ/StdRegProv"
      ok = prov.SetStringValue(HKCU, path, "WrittenText", texts(0)) = 0
      If ok Then
        t = Start()
        For i = 1 To n : rc = prov.SetStringValue(HKCU, path, "WrittenText", texts(i)) : Next
        t = Since(t)
      End If
    Case "write REG_SZ/ZarnUtils.Regedit"
      ok = regedit.WriteValue(regeditWText, "S", texts(0))
      If ok Then
        t = Start()
        For i = 1 To n : v = regedit.WriteValue(regeditWText, "S", texts(i)) : Next
        t = Since(t)
      End If
    Case "write REG_DWORD/ZarnUtils.Registry"
      ok = registry.Write(key, "WrittenNumber", 0, "REG_DWORD")
      If ok Then
        t = Start()
        For i = 1 To n : v = registry.Write(key, "WrittenNumber", i, "REG_DWORD") : Next
        t = Since(t)
      End If
    Case "write REG_DWORD/WScript.Shell"
      shell.RegWrite shellWNumber, 0, "REG_DWORD"
      ok = Err.Number = 0
      If ok Then
        t = Start()
        For i = 1 To n : shell.RegWrite shellWNumber, i, "REG_DWORD" : Next
        t = Since(t)
      End If
    Case "write REG_DWORD/StdRegProv"
      ok = prov.SetDWORDValue(HKCU, path, "WrittenNumber", 0) = 0
      If ok Then
        t = Start()
        For i = 1 To n : rc = prov.SetDWORDValue(HKCU, path, "WrittenNumber", i) : Next
        t = Since(t)
      End If
    Case "write REG_DWORD/ZarnUtils.Regedit"
      ok = regedit.WriteValue(regeditWNumber, "D", 0)
      If ok Then
        t = Start()
        For i = 1 To n : v = regedit.WriteValue(regeditWNumber, "D", i) : Next
        t = Since(t)
      End If
  End Select
  If Err.Number <> 0 Then
    why = Describe()
  ElseIf Not ok Then
    why = "a wrong answer or a failure status"
  Else
    Measure = t
  End If
End Function

' The loop alone, a call: timed over 100 times as many turns, as n empty
' turns end within the clock's step.
Function EmptyLoop()
  Dim t, i, v
  t = Start()
  For i = 1 To n * 100 : Next
  EmptyLoop = Since(t) / (n * 100)
End Function

Dim operations, objects, best, whys, o, b, round, s, why, loopCost
operations = Array("read REG_SZ", "read REG_DWORD", "write REG_SZ", "write REG_DWORD")
objects = Array("ZarnUtils.Registry", "WScript.Shell", "StdRegProv", "ZarnUtils.Regedit")
ReDim best(UBound(operations), UBound(objects))
whys = ""
loopCost = EmptyLoop()
For round = 1 To 3
  For o = 0 To UBound(operations)
    For b = 0 To UBound(objects)
      If round = 1 Or best(o, b) >= 0 Then
        why = ""
        If objects(b) = "StdRegProv" And provWhy <> "" Then
          s = -1 : why = provWhy
        Else
          s = Measure(operations(o), objects(b), why)
        End If
        If s < 0 Then
          best(o, b) = -1
          If objects(b) <> "StdRegProv" Or provWhy = "" Or o = 0 Then
            If whys <> "" Then whys = whys & "; "
            whys = whys & objects(b) & " " & operations(o) & ": " & why
          End If
        ElseIf round = 1 Or s < best(o, b) Then
          best(o, b) = s
        End If
      End If
    Next
  Next
Next
If whys <> "" Then WScript.Echo "note" & vbTab & whys
For o = 0 To UBound(operations)
  For b = 0 To UBound(objects)
    If best(o, b) < 0 Then
      s = "-"
    Else
      s = (best(o, b) / n - loopCost) * 1000000
      If s < 0 Then s = 0
    End If
    WScript.Echo operations(o) & vbTab & objects(b) & vbTab & s
  Next
Next
If registry.DeleteKey(key) And Not registry.KeyExists(key) Then WScript.Echo "cleaned"
EOF

echo "script registry: $calls calls an operation under cscript ($cscript) ..." >&2
# Into a file, not a pipe: the WMI host (dllhost.exe) that GetObject starts
# inherits the output and lives on until the wineserver stops, so a pipe
# would never end.
"${wine_run[@]}" "$cscript" //nologo "$(windows "$work/bench.vbs")" "$calls" >"$work/raw.txt" 2>&1 || true
tr -d '\r' <"$work/raw.txt" >"$work/out.tsv"
grep -q '^cleaned' "$work/out.tsv" ||
  { echo "the script stopped before its end:" >&2; sed 's/^/  /' "$work/out.tsv" >&2; exit 1; }
sed -n 's/^note\t/script registry: /p' "$work/out.tsv" >&2
# VBScript writes a fraction with the locale's separator: read a comma too.
awk -F'\t' '
  NF == 3 && $1 != "note" { gsub(",", ".", $3); us[NR] = $3; op[NR] = $1; obj[NR] = $2
    if ($2 == "WScript.Shell") shell[$1] = $3 }
  END {
    for (i = 1; i <= NR; i++) {
      if (!(i in op)) continue
      if (us[i] == "-") { printf "%s\t%s\t-\t-\n", op[i], obj[i]; continue }
      s = shell[op[i]]
      ratio = (s == "" || s == "-" || s + 0 == 0) ? "-" : sprintf("%.2f", us[i] / s)
      printf "%s\t%s\t%.1f\t%s\n", op[i], obj[i], us[i], ratio
    }
  }
' "$work/out.tsv"
