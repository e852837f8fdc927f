' Creates the classes and calls each, printing the host's processor
' architecture first and then one line per answer, so that runs from
' different hosts can be compared. Ends with OK when every call answered.
Option Explicit
Dim shell, files, reg, ini, key, file
Set shell = CreateObject("WScript.Shell")
WScript.Echo "host " & shell.Environment("Process")("PROCESSOR_ARCHITECTURE")

Set reg = CreateObject("ZarnUtils.Regedit")
key = "HKCU\Software\ZarnUtilsBothClasses"
WScript.Echo "WriteValue " & reg.WriteValue(key & "\App\Port", "D", 8080)
WScript.Echo "ReadValue " & reg.ReadValue(key & "\App\Port", "D", 80)
WScript.Echo "EnumKeys " & reg.EnumKeys(key)
WScript.Echo "DeleteKey " & reg.DeleteKey(key & "\App")
WScript.Echo "ReadValue after DeleteKey " & reg.ReadValue(key & "\App\Port", "D", 80)
Call reg.DeleteKey(key)

Set ini = CreateObject("ZarnUtils.IniEdit")
' The temporary folder; Wine's ExpandEnvironmentStrings keeps a NUL at the
' end, which would cut off the name appended to it.
Set files = CreateObject("Scripting.FileSystemObject")
file = files.GetSpecialFolder(2).Path & "\zarnutils-both-classes.ini"
WScript.Echo "WriteValue " & ini.WriteValue(file, "Server", "Port", 8080)
WScript.Echo "ReadValue " & ini.ReadValue(file, "Server", "Port", "N", 0)
WScript.Echo "EnumSections " & ini.EnumSections(file)
WScript.Echo "ReadIni " & reg.ReadIni(file, "Server", "Port", "none")
files.DeleteFile file

' The Registry class, and the view it is told to use: the same answers from
' either host.
Dim registry, views, subkey, listed
Set registry = CreateObject("ZarnUtils.Registry")
WScript.Echo "Write " & registry.Write(key & "\App", "Max", 4294967295, "REG_DWORD")
WScript.Echo "Read " & registry.Read(key & "\App", "Max")
' For Each rather than Join, which Wine's VBScript lacks.
For Each subkey In registry.Keys(key)
  listed = listed & " " & subkey
Next
WScript.Echo "Keys" & listed
WScript.Echo "DeleteKey " & registry.DeleteKey(key)
views = "HKLM\Software\ZarnUtilsBothClassesViews"
registry.View = 32
WScript.Echo "32-bit view Write " & registry.Write(views, "Seen", "from the 32-bit view")
registry.View = 64
WScript.Echo "64-bit view Read " & registry.Read(views, "Seen", "none")
WScript.Echo "64-bit view of WOW6432Node " & _
    registry.Read("HKLM\Software\WOW6432Node\ZarnUtilsBothClassesViews", "Seen", "none")
registry.View = 32
WScript.Echo "32-bit view DeleteKey " & registry.DeleteKey(views)
WScript.Echo "OK"
