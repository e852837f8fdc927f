' The registry view a host's DLL sees. "write NAME" stores NAME under
' HKLM\Software\ZarnUtilsViews; "read NAME" prints what NAME reads as under
' HKLM\Software\ZarnUtilsViews and under its 32-bit view's redirected place,
' HKLM\Software\WOW6432Node\ZarnUtilsViews ("none" when missing); "clean"
' removes both keys.
Option Explicit
Dim reg, name
Set reg = CreateObject("ZarnUtils.Regedit")
Select Case WScript.Arguments(0)
  Case "write"
    name = WScript.Arguments(1)
    WScript.Echo "written " & reg.WriteValue("HKLM\Software\ZarnUtilsViews\" & name, "S", name)
  Case "read"
    name = WScript.Arguments(1)
    WScript.Echo "Software " & reg.ReadValue("HKLM\Software\ZarnUtilsViews\" & name, "S", "none")
    WScript.Echo "WOW6432Node " & _
        reg.ReadValue("HKLM\Software\WOW6432Node\ZarnUtilsViews\" & name, "S", "none")
  Case "clean"
    Call reg.DeleteKey("HKLM\Software\ZarnUtilsViews")
    Call reg.DeleteKey("HKLM\Software\WOW6432Node\ZarnUtilsViews")
End Select
