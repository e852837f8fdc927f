#!/usr/bin/env bash
# Installs what is missing, builds the native target and runs a short
# demonstration of both classes through the zarnutils command-line caller:
# registry values written, read, listed and deleted in a throw-away registry
# store, then INI entries written, read, listed and the file shown.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target zarnutils >/dev/null

workdir="$(mktemp -d)"
trap 'rm -rf "$workdir"' EXIT
# Keep the demonstration out of the real registry store.
export ZARNUTILS_REGISTRY_DIR="$workdir/registry"

show() {
  printf '$ zarnutils'
  for argument in "$@"; do
    if [[ "$argument" =~ ^[A-Za-z0-9_.:/=+-]+$ ]]; then
      printf ' %s' "$argument"
    else
      printf " '%s'" "$argument"
    fi
  done
  printf '\n'
  build/native/zarnutils "$@" || true
  echo
}

key='HKCU\Software\ZarnDemo'
echo "== Registry (store in $ZARNUTILS_REGISTRY_DIR)"
show Regedit.WriteValue "$key\\Server\\Host" S example.org
show Regedit.WriteValue "$key\\Server\\Port" D i:8080
show Regedit.WriteValue "$key\\Server\\Secure" B b:true
show Regedit.WriteValue "$key\\Client\\Name" S "Zarn demo"
show Regedit.ReadValue "$key\\Server\\Port" D i:80
show --json Regedit.ReadValue "$key\\Server\\Secure" B b:false
show --json Regedit.ReadValue "$key\\Server\\Missing" D i:80
show Regedit.EnumKeys "$key"
show Regedit.EnumKeys "$key" " | "
show Regedit.EnumValues "$key\\Server"
show Regedit.DeleteValue "$key\\Server\\Secure"
show Regedit.EnumValues "$key\\Server"
show Regedit.DeleteKey "$key\\Client"
show Regedit.EnumKeys "$key"
show Regedit.EnumKeys "HKCU\\Software\\ZarnDemo\\Nowhere"
show --json Regedit.ReadValue "" S x
echo "== The Registry class: every type, keys as keys, arrays"
show --json Registry.Write "$key\\Server" Mirrors "a:one.example;two.example" REG_MULTI_SZ
show --json Registry.Read "$key\\Server" Mirrors
show --json Registry.Write "$key\\Server" Mask i:-1 REG_DWORD
show --json Registry.Read "$key\\Server" Mask
show --json Registry.Values "$key\\Server" b:true
show --json Registry.KeyExists "$key\\Server"
show --json Registry.DeleteKey "$key"
show --json Registry.KeyExists "$key"

ini="$workdir/settings.ini"
echo "== INI file $ini"
show IniEdit.WriteValue "$ini" Server Host example.org
show IniEdit.WriteValue "$ini" Server Port i:8080
show IniEdit.WriteValue "$ini" Client Name "Zarn demo"
show Regedit.WriteIni "$ini" Client Retries i:3
show IniEdit.ReadValue "$ini" server host S default
show --json IniEdit.ReadValue "$ini" Server Port N i:80
show Regedit.ReadIni "$ini" Client Missing i:80
show IniEdit.EnumSections "$ini"
show IniEdit.EnumValues "$ini" Server
echo "--- $ini"
cat "$ini"
echo
echo "The reference, with examples in VBScript, JScript, VBA, PowerShell and C++: docs/index.md"
