// Late-bound calls of every method from JScript. Prints OK or FAIL per check.
function check(name, condition) {
  WScript.Echo((condition ? "OK " : "FAIL ") + name);
}

var regedit = new ActiveXObject("ZarnUtils.Regedit");
var ini = WScript.CreateObject("ZarnUtils.IniEdit");
var file = new ActiveXObject("Scripting.FileSystemObject").GetSpecialFolder(0) + "\\Temp\\zarn_js.ini";
var key = "HKCU\\Software\\ZarnJs";

var port = 8080;
check("WriteValue", regedit.WriteValue(key + "\\Sub\\Port", "D", port));
check("caller variable kept", port === 8080);
check("ReadValue", regedit.ReadValue(key + "\\Sub\\Port", "D", 1) === 8080);
check("ReadValue default", regedit.ReadValue(key + "\\Sub\\Missing", "S", "none") === "none");
check("EnumKeys without delimiter", regedit.EnumKeys(key) === "Sub");
regedit.WriteValue(key + "\\Other\\Name", "S", "x");
check("EnumKeys with delimiter", regedit.EnumKeys(key, ";") === "Other;Sub");
check("EnumValues", regedit.EnumValues(key + "\\Sub") === "Port=8080");
check("DeleteValue", regedit.DeleteValue(key + "\\Sub\\Port"));
check("DeleteKey", regedit.DeleteKey(key + "\\Sub") && regedit.DeleteKey(key + "\\Other"));
regedit.DeleteKey(key);

var value = "zarn";
check("WriteIni", regedit.WriteIni(file, "Main", "Name", value));
check("ReadIni", regedit.ReadIni(file, "Main", "Name", "") === "zarn");
check("IniEdit.WriteValue", ini.WriteValue(file, "Main", "Count", 5));
check("IniEdit.ReadValue", ini.ReadValue(file, "Main", "Count", "N", 0) === 5);
check("IniEdit.EnumSections", ini.EnumSections(file) === "Main");
check("IniEdit.EnumValues", ini.EnumValues(file, "Main") === "Name=zarn\u0000Count=5");
check("caller text kept", value === "zarn");
new ActiveXObject("Scripting.FileSystemObject").DeleteFile(file);

try {
  regedit.EnumKeys("");
  check("empty path raises 9", false);
} catch (failure) {
  check("empty path raises 9", (failure.number & 0xFFFF) === 9);
  check("empty path description", failure.description === "Subscript out of range");
}
try {
  regedit.ResolveRootKey("HKLM");
  check("ResolveRootKey refused", false);
} catch (failure) {
  check("ResolveRootKey refused", true);
}
