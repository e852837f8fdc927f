// RegistryObject: the registry for scripts, as the class "Registry"
// (ZarnUtils.Registry), over the typed registry API (registry.h). Where
// Regedit keeps its three type letters and narrow text for the scripts
// that rely on them, this class reads every value as its natural
// automation type, writes any type by name, keeps any text (Unicode
// throughout), treats keys as keys and answers lists as arrays.
//
// KEYS are a root name and a path, "HKCU\Software\App": HKCU or
// HKEY_CURRENT_USER, HKLM, HKU, HKCR, HKCC (short or long, any letter
// case); a key's path alone ("HKCU") names the root. Value names are a
// separate argument, "" naming the key's default value, so a value name may
// hold backslashes.
//
// READS (Read, ReadExpanded) answer:
//   REG_SZ, REG_EXPAND_SZ  String (ReadExpanded expands %VARIABLES%)
//   REG_MULTI_SZ           an array of Strings
//   REG_DWORD (and big-endian)  its unsigned value: a Long up to
//                          2147483647, a Double above (4294967295 stays
//                          4294967295, not -1)
//   REG_QWORD              a String of its decimal digits, as WMI's
//                          StdRegProv answers 64-bit numbers: VBScript
//                          has no 64-bit integer and a Double rounds above
//                          2^53, while every language can hold and convert
//                          the text
//   REG_BINARY, REG_NONE and other types  an array of Bytes
// A missing value answers the given default, or Empty when none was given.
//
// WRITES take a type name ("REG_SZ", "REG_EXPAND_SZ", "REG_MULTI_SZ",
// "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_QWORD", "REG_BINARY",
// "REG_NONE", any letter case) or infer it from the value: a String
// REG_SZ; a whole number REG_DWORD; an array of Strings REG_MULTI_SZ; an
// array of numbers REG_BINARY. An array is a VBScript Array(), a
// PowerShell array or, through COM, a JScript array. What does not fit the type is refused with
// status 13 and nothing is written: a fraction or a number out of range
// for REG_DWORD (whose range is -2147483648 to 4294967295: a negative
// number is stored as its 32-bit pattern, since VBScript's &HFFFFFFFF is
// -1), an item outside 0 to 255 for REG_BINARY, a Boolean, Empty or Null
// without a type to say what it means. A write creates the key if needed.
//
// STATUS. Every call sets Status to the platform's status code (0 on
// success, 2 not found, 5 access denied, 87 invalid parameter, 13 data
// that does not fit its type) and StatusText to its meaning with the key
// and value concerned. A failed call answers Empty (or the default), False,
// "" or an empty array; with RaiseErrors set it raises instead, the error
// number being Status and its description StatusText, except a read of a
// missing value given a default, which answers the default (Status 2).
//
// Natively Write and DeleteKey are each all or nothing, a Transaction of
// their own (registry.h): a C++ program calls them outside its own
// Transactions, which do not nest.
//
// VIEW: 0 (the host's own), 32 or 64, the registry view of every call on
// 64-bit Windows (reg.exe's /reg:32 and /reg:64); natively there is one.
#pragma once

#include <optional>
#include <string>

#include "zarnutils/call_status.h"
#include "zarnutils/text.h"
#include "zarnutils/variant.h"

namespace zarn {

class RegistryObject {
 public:
  CallStatus Read(Text key, Text name, std::optional<Variant> fallback, Variant& result);
  CallStatus ReadExpanded(Text key, Text name, std::optional<Variant> fallback, Variant& result);
  // "REG_SZ" and the like; "" when the value is missing.
  CallStatus ValueType(Text key, Text name, Text& result);
  CallStatus Write(Text key, Text name, Variant value, Text type, AutomationBoolean& result);
  // Whether the key (the value) exists; a missing one is an answer, not a
  // failure (Status 0).
  CallStatus KeyExists(Text key, AutomationBoolean& result);
  CallStatus ValueExists(Text key, Text name, AutomationBoolean& result);
  // Creates the key and any missing parents; an existing key is success.
  CallStatus CreateKey(Text key, AutomationBoolean& result);
  // Deletes the key with everything below it; a root is refused (87).
  CallStatus DeleteKey(Text key, AutomationBoolean& result);
  CallStatus DeleteValue(Text key, Text name, AutomationBoolean& result);
  // The subkeys' names; the values' names, or with withTypes true pairs
  // Array(name, type name); both in the registry's order.
  CallStatus Keys(Text key, Variant& result);
  CallStatus Values(Text key, std::optional<Variant> withTypes, Variant& result);

  CallStatus Status(Variant& result);
  CallStatus StatusText(Text& result);
  CallStatus RaiseErrors(AutomationBoolean& result);
  CallStatus SetRaiseErrors(Variant value);
  CallStatus View(Variant& result);
  // 0, 32 or 64; anything else raises error 5 and keeps the view.
  CallStatus SetView(Variant value);

  // The description the error a call raised carries: StatusText, or empty
  // (the error number's standard description) for a refused property.
  const Text& failureDescription() const { return raisedText_; }

 private:
  CallStatus read(const Text& key, const Text& name, std::optional<Variant> fallback, bool expand,
                  Variant& result);
  // Runs one call's work; sets Status and StatusText from how it ended. A
  // missing value or key (2) raises nothing when the call had a default for
  // it.
  template <class Work>
  CallStatus attempt(Work&& work, bool missingIsAnswer = false);

  int32_t status_ = 0;
  Text statusText_;
  Text raisedText_;
  bool raiseErrors_ = false;
  int32_t view_ = 0;
};

}  // namespace zarn
