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

// The Registry class: arrays through VBArray, unsigned DWORDs, raised errors.
var registry = new ActiveXObject("ZarnUtils.Registry");
var rkey = "HKCU\\Software\\ZarnJs\\Registry";
var wide = "\u4e2d\u6587\u03a9";
check("Registry.Write wide", registry.Write(rkey, wide, wide));
check("Registry.Read wide", registry.Read(rkey, wide) === wide);
check("Registry.Write DWORD", registry.Write(rkey, "Max", 4294967295, "REG_DWORD"));
check("Registry.Read DWORD", registry.Read(rkey, "Max") === 4294967295);
// Wine lists values by name, Windows in creation order.
var names = new VBArray(registry.Values(rkey)).toArray();
check("Registry.Values", names.length === 2 && names.join("|").indexOf("Max") >= 0 &&
                         names.join("|").indexOf(wide) >= 0);
check("Registry.Read default", registry.Read(rkey, "Missing", "none") === "none" && registry.Status === 2);
// A JScript array is a list for Registry, and stays text for Regedit.
check("Registry.Write JScript array", registry.Write(rkey, "List", ["one", "two"]) &&
                                      registry.ValueType(rkey, "List") === "REG_MULTI_SZ");
check("Registry.Read list", new VBArray(registry.Read(rkey, "List")).toArray().join("|") === "one|two");
check("Registry.Write JScript bytes", registry.Write(rkey, "Bytes", [0, 255], "REG_BINARY") &&
                                      new VBArray(registry.Read(rkey, "Bytes")).toArray()[1] === 255);
check("Regedit takes an array as text", regedit.WriteValue(rkey + "\\Joined", "S", ["a", "b"]) &&
                                        regedit.ReadValue(rkey + "\\Joined", "S", "") === "a,b");
registry.RaiseErrors = true;
try {
  registry.Read(rkey, "Missing");
  check("Registry raises", false);
} catch (failure) {
  check("Registry raises", (failure.number & 0xFFFF) === 2 && failure.description === registry.StatusText);
}
registry.RaiseErrors = false;
check("Registry.DeleteKey tree", registry.DeleteKey("HKCU\\Software\\ZarnJs") && !registry.KeyExists(rkey));
