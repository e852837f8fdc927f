' Late-bound calls of every method from VBScript. Prints OK or FAIL per check.
Option Explicit

Sub Check(name, condition)
  If condition Then
    WScript.Echo "OK " & name
  Else
    WScript.Echo "FAIL " & name
  End If
End Sub

Dim regedit, ini, file, key, value, port, listing
Set regedit = CreateObject("ZarnUtils.Regedit")
Set ini = CreateObject("ZarnUtils.IniEdit")
file = CreateObject("Scripting.FileSystemObject").GetSpecialFolder(0) & "\Temp\zarn_vbs.ini"
key = "HKCU\Software\ZarnVbs"

port = 8080
Call Check("WriteValue", regedit.WriteValue(key & "\Sub\Port", "D", port))
Call Check("caller variable kept", port = 8080 And TypeName(port) = "Integer")
Call Check("ReadValue", regedit.ReadValue(key & "\Sub\Port", "D", 1) = 8080)
Call Check("ReadValue default", regedit.ReadValue(key & "\Sub\Missing", "S", "none") = "none")
Call Check("EnumKeys without delimiter", regedit.EnumKeys(key) = "Sub")
Call Check("EnumKeys same as comma", regedit.EnumKeys(key) = regedit.EnumKeys(key, ","))
Call regedit.WriteValue(key & "\Other\Name", "S", "x")
Call Check("EnumKeys with delimiter", regedit.EnumKeys(key, ";") = "Other;Sub")
Call Check("EnumValues", regedit.EnumValues(key & "\Sub") = "Port=8080")
Call Check("DeleteValue", regedit.DeleteValue(key & "\Sub\Port"))
Call Check("DeleteKey", regedit.DeleteKey(key & "\Sub") And regedit.DeleteKey(key & "\Other"))
Call regedit.DeleteKey(key)

value = "zarn"
Call Check("WriteIni", regedit.WriteIni(file, "Main", "Name", value))
Call Check("ReadIni", regedit.ReadIni(file, "Main", "Name", "") = "zarn")
Call Check("IniEdit.WriteValue", ini.WriteValue(file, "Main", "Count", 5))
Call Check("IniEdit.ReadValue", ini.ReadValue(file, "Main", "Count", "N", 0) = 5)
Call Check("IniEdit.EnumSections", ini.EnumSections(file) = "Main")
Call Check("IniEdit.EnumValues", ini.EnumValues(file, "Main") = "Name=zarn" & Chr(0) & "Count=5")
Call Check("caller text kept", value = "zarn")
CreateObject("Scripting.FileSystemObject").DeleteFile file

On Error Resume Next
listing = "unchanged"
listing = regedit.EnumKeys("")
Call Check("empty path raises 9", Err.Number = 9)
Call Check("empty path description", Err.Description = "Subscript out of range")
Call Check("error source", Err.Source = "ZarnUtils.Regedit")
Err.Clear
Call regedit.ResolveRootKey("HKLM")
Call Check("ResolveRootKey refused", Err.Number = 438)
Err.Clear

' The Registry class: natural kinds, arrays, status and raised errors (its
' Unicode text is checked from JScript: Wine's VBScript has no ChrW).
On Error GoTo 0
Dim registry, item, count, bytes
Set registry = CreateObject("ZarnUtils.Registry")
key = "HKCU\Software\ZarnVbs\Registry"
Call Check("Registry.Write &HFFFFFFFF", registry.Write(key, "Mask", &HFFFFFFFF, "REG_DWORD"))
Call Check("Registry.Read DWORD unsigned", registry.Read(key, "Mask") = 4294967295)
Call Check("Registry.Write inferred multi", registry.Write(key, "List", Array("a", "b")))
count = 0
For Each item In registry.Read(key, "List")
  count = count + 1
Next
Call Check("Registry.Read multi For Each", count = 2 And registry.ValueType(key, "List") = "REG_MULTI_SZ")
Call Check("Registry.Write binary", registry.Write(key, "Bytes", Array(1, 2, 255), "REG_BINARY"))
bytes = registry.Read(key, "Bytes")
Call Check("Registry.Read binary", UBound(bytes) = 2 And bytes(2) = 255 And TypeName(bytes(2)) = "Byte")
Call Check("Registry.Write QWORD", registry.Write(key, "Quad", "9007199254740993", "REG_QWORD"))
Call Check("Registry.Read QWORD text", registry.Read(key, "Quad") = "9007199254740993")
count = 0
For Each item In registry.Values(key, True)
  If item(0) = "Mask" And item(1) = "REG_DWORD" Then count = count + 1
Next
Call Check("Registry.Values typed", count = 1 And UBound(registry.Values(key)) = 3)
Call Check("Registry.Keys", UBound(registry.Keys(key)) = -1)
Call Check("Registry.Read default", registry.Read(key, "Missing", 7) = 7 And registry.Status = 2)
Call Check("Registry.StatusText names the value", InStr(registry.StatusText, "Missing") > 0)
Call Check("Registry.Write refused", Not registry.Write(key & "\Misfit", "Half", 1.5) And registry.Status = 13)
Call Check("Registry.Write refused makes no key", Not registry.KeyExists(key & "\Misfit"))
Call Check("Registry.KeyExists", registry.KeyExists(key) And Not registry.KeyExists(key & "\None"))
Call Check("Registry.Status after success", registry.Status = 0)
registry.RaiseErrors = True
On Error Resume Next
Call registry.Read(key, "Missing")
Call Check("Registry raises Status", Err.Number = 2 And Err.Source = "ZarnUtils.Registry")
Call Check("Registry raises StatusText", Err.Description = registry.StatusText)
Err.Clear
value = registry.Read(key, "Missing", 5)
Call Check("Registry default raises nothing", Err.Number = 0 And value = 5 And registry.Status = 2)
Err.Clear
registry.View = 48
Call Check("Registry.View refuses 48", Err.Number = 5 And registry.View = 0)
Err.Clear
registry.RaiseErrors = False
Call Check("Registry.DeleteKey tree", registry.DeleteKey("HKCU\Software\ZarnVbs") And Not registry.KeyExists(key))
