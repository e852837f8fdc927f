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
