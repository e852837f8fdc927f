// RegistryObject: each method is one call of the typed registry API, its
// failure turned into Status and StatusText (and raised, when asked).
#include "zarnutils/registry_object.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/conversions.h"
#include "zarnutils/automation_error.h"
#include "zarnutils/registry.h"

namespace zarn {

using registry::Access;
using registry::Key;
using registry::Root;
using registry::ValueType;

namespace {

// Input the registry is never asked about: the status and what to say.
struct Refusal {
  int32_t status;
  std::string text;
};

constexpr int32_t notFound = 2;
constexpr int32_t doesNotFit = 13;
constexpr int32_t invalidParameter = 87;

// Text the registry can hold exactly: an unpaired surrogate would become
// U+FFFD, another text than the script wrote.
std::string utf8Of(const Text& text, std::string_view what) {
  std::string utf8 = textToUtf8(text);
  if (utf8ToText(utf8) != text) {
    throw Refusal{invalidParameter, std::string(what) + " holds an unpaired surrogate"};
  }
  return utf8;
}

struct KeyPath {
  Root root;
  std::string path;   // below the root; empty for the root itself
  std::string shown;  // HKEY_CURRENT_USER\Software\App, for messages
};

KeyPath keyPathOf(const Text& key) {
  std::string whole = utf8Of(key, "the key");
  if (whole.ends_with('\\')) whole.pop_back();
  const size_t cut = whole.find('\\');
  const std::string rootText = whole.substr(0, cut);
  const std::optional<Root> root = registry::rootOfName(rootText);
  if (!root) {
    throw Refusal{invalidParameter,
                  "\"" + rootText + "\" is no root: HKCU, HKLM, HKU, HKCR or HKCC expected"};
  }
  KeyPath parsed{*root, cut == std::string::npos ? "" : whole.substr(cut + 1), {}};
  parsed.shown = std::string(registry::rootName(*root));
  if (!parsed.path.empty()) parsed.shown += "\\" + parsed.path;
  return parsed;
}

std::string describeValue(const KeyPath& key, const std::string& name) {
  return key.shown + " (value \"" + name + "\")";
}

Variant textVariant(const std::string& utf8) { return Variant::text(utf8ToText(utf8)); }

std::vector<Variant> textItems(const std::vector<std::string>& texts) {
  std::vector<Variant> items;
  items.reserve(texts.size());
  for (const std::string& text : texts) items.push_back(textVariant(text));
  return items;
}

Variant numberVariant(uint32_t number) {
  if (number <= uint32_t(std::numeric_limits<int32_t>::max())) {
    return Variant::long32(int32_t(number));
  }
  return Variant::real(number);
}

// The value as its natural automation type (the header's table).
Variant naturalOf(const registry::Value& value) {
  switch (value.type) {
    case ValueType::Text:
    case ValueType::ExpandText: return textVariant(value.text());
    case ValueType::MultiText: return Variant::array(textItems(value.multiText()));
    case ValueType::Number:
    case ValueType::NumberBigEndian: return numberVariant(value.number());
    case ValueType::Number64: return textVariant(std::to_string(value.number64()));
    default: break;
  }
  std::vector<Variant> bytes;
  bytes.reserve(value.data.size());
  for (const uint8_t byte : value.data) bytes.push_back(Variant::byte(byte));
  return Variant::array(std::move(bytes));
}

std::string typeNameOf(ValueType type) {
  const std::string_view name = registry::typeName(type);
  return name.empty() ? std::to_string(uint32_t(type)) : std::string(name);
}

// A whole number, whatever kind carries it: numbers that are whole and
// decimal text ("-1", "4294967295"); nothing for anything else.
struct Whole {
  bool negative = false;
  uint64_t magnitude = 0;
};

std::optional<Whole> wholeOfText(const Text& text) {
  const std::string digits = textToUtf8(text);
  Whole whole{!digits.empty() && digits.front() == '-'};
  const char* const first = digits.data() + (whole.negative ? 1 : 0);
  const char* const last = digits.data() + digits.size();
  const auto [end, failure] = std::from_chars(first, last, whole.magnitude);
  if (failure != std::errc() || end != last) return std::nullopt;
  return whole;
}

std::optional<Whole> wholeOfReal(double number) {
  // 2^64: the first double beyond every 64-bit magnitude.
  constexpr double beyond = 18446744073709551616.0;
  if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) >= beyond) {
    return std::nullopt;
  }
  return Whole{number < 0, uint64_t(std::fabs(number))};
}

std::optional<Whole> wholeOfSigned(int64_t number) {
  return Whole{number < 0, number < 0 ? uint64_t(0) - uint64_t(number) : uint64_t(number)};
}

std::optional<Whole> wholeOf(const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Byte: return wholeOfSigned(value.byteValue());
    case VariantKind::Integer: return wholeOfSigned(value.integerValue());
    case VariantKind::Long: return wholeOfSigned(value.longValue());
    case VariantKind::Single: return wholeOfReal(value.singleValue());
    case VariantKind::Double: return wholeOfReal(value.realValue());
    case VariantKind::String: return wholeOfText(value.textValue());
    default: return std::nullopt;
  }
}

// A whole number as a pattern of bits: -2^(bits-1) to 2^bits-1, a negative
// number as its two's complement. So a REG_DWORD takes -2147483648 to
// 4294967295 (VBScript's &HFFFFFFFF is -1), and a REG_QWORD likewise.
std::optional<uint64_t> patternOf(const Variant& value, unsigned bits) {
  const std::optional<Whole> whole = wholeOf(value);
  if (!whole) return std::nullopt;
  const uint64_t largest = std::numeric_limits<uint64_t>::max() >> (64 - bits);
  if (whole->negative) {
    if (whole->magnitude > uint64_t(1) << (bits - 1)) return std::nullopt;
    return (uint64_t(0) - whole->magnitude) & largest;
  }
  if (whole->magnitude > largest) return std::nullopt;
  return whole->magnitude;
}

std::optional<uint8_t> byteOf(const Variant& value) {
  const std::optional<Whole> whole = wholeOf(value);
  if (!whole || whole->negative || whole->magnitude > 255) return std::nullopt;
  return uint8_t(whole->magnitude);
}

bool isText(const Variant& value) { return value.kind() == VariantKind::String; }

// The text of a scalar, as the platform's conversion writes it; nothing
// for Null and arrays.
std::optional<std::string> scalarText(const Variant& value) {
  if (value.isNull() || value.kind() == VariantKind::Array) return std::nullopt;
  return utf8Of(toText(value, BooleanText::Words), "the data");
}

// The type a written value takes when the script names none.
std::optional<ValueType> inferredType(const Variant& value) {
  switch (value.kind()) {
    case VariantKind::String: return ValueType::Text;
    case VariantKind::Byte:
    case VariantKind::Integer:
    case VariantKind::Long:
    case VariantKind::Single:
    case VariantKind::Double: return ValueType::Number;
    case VariantKind::Array: {
      const std::vector<Variant>& items = value.arrayValue();
      if (items.empty()) return std::nullopt;
      bool allText = true;
      bool allNumbers = true;
      for (const Variant& item : items) {
        allText = allText && isText(item);
        allNumbers = allNumbers && !isText(item) && wholeOf(item).has_value();
      }
      if (allText) return ValueType::MultiText;
      if (allNumbers) return ValueType::Binary;
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

// The data of a value to write, converted before the registry is touched:
// what does not fit is refused before a key is made.
struct Prepared {
  ValueType type;
  std::variant<std::string, std::vector<std::string>, uint32_t, uint64_t, std::vector<uint8_t>>
      data;
};

Prepared prepare(ValueType type, const Variant& value, const std::string& where) {
  const Refusal misfit{doesNotFit, where + ": the data does not fit " + typeNameOf(type)};
  switch (type) {
    case ValueType::Text:
    case ValueType::ExpandText: {
      std::optional<std::string> text = scalarText(value);
      if (!text) throw misfit;
      return {type, std::move(*text)};
    }
    case ValueType::MultiText: {
      std::vector<std::string> texts;
      const auto add = [&](const Variant& item) {
        std::optional<std::string> text = scalarText(item);
        if (!text) throw misfit;
        texts.push_back(std::move(*text));
      };
      if (value.kind() == VariantKind::Array) {
        for (const Variant& item : value.arrayValue()) add(item);
      } else {
        add(value);
      }
      return {type, std::move(texts)};
    }
    case ValueType::Number:
    case ValueType::NumberBigEndian: {
      const std::optional<uint64_t> number = patternOf(value, 32);
      if (!number) throw misfit;
      return {type, uint32_t(*number)};
    }
    case ValueType::Number64: {
      const std::optional<uint64_t> number = patternOf(value, 64);
      if (!number) throw misfit;
      return {type, *number};
    }
    case ValueType::Binary:
    case ValueType::None: {
      if (value.kind() != VariantKind::Array) throw misfit;
      std::vector<uint8_t> bytes;
      for (const Variant& item : value.arrayValue()) {
        const std::optional<uint8_t> byte = byteOf(item);
        if (!byte) throw misfit;
        bytes.push_back(*byte);
      }
      return {type, std::move(bytes)};
    }
  }
  throw misfit;
}

void write(const Key& key, const std::string& name, const Prepared& prepared) {
  const auto& data = prepared.data;
  switch (prepared.type) {
    case ValueType::Text: return key.writeText(name, std::get<std::string>(data));
    case ValueType::ExpandText: return key.writeExpandText(name, std::get<std::string>(data));
    case ValueType::MultiText:
      return key.writeMultiText(name, std::get<std::vector<std::string>>(data));
    case ValueType::Number: return key.writeNumber(name, std::get<uint32_t>(data));
    case ValueType::NumberBigEndian:
      return key.writeNumberBigEndian(name, std::get<uint32_t>(data));
    case ValueType::Number64: return key.writeNumber64(name, std::get<uint64_t>(data));
    case ValueType::Binary:
    case ValueType::None:
      return key.writeValue(name, prepared.type, std::get<std::vector<uint8_t>>(data));
  }
}

Access inView(Access access, int32_t view) {
  if (view == 32) return access | Access::View32;
  if (view == 64) return access | Access::View64;
  return access;
}

}  // namespace

// A refusal or registry error becomes the call's status.
template <class Work>
CallStatus RegistryObject::attempt(Work&& work, bool missingIsAnswer) {
  status_ = 0;
  std::string text = registry::registryCategory().message(0);
  try {
    work();
  } catch (const Refusal& refusal) {
    status_ = refusal.status;
    text = refusal.text;
  } catch (const registry::Error& failure) {
    status_ = failure.status();
    text = failure.what();
  } catch (const AutomationError& failure) {
    status_ = failure.number();
    text = errorDescription(failure.number());
  }
  statusText_ = utf8ToText(text);
  const bool raised = raiseErrors_ && status_ != 0 && !(missingIsAnswer && status_ == notFound);
  raisedText_ = raised ? statusText_ : Text();
  return {raised ? status_ : 0};
}

CallStatus RegistryObject::Read(Text key, Text name, std::optional<Variant> fallback,
                                Variant& result) {
  return read(key, name, std::move(fallback), false, result);
}

CallStatus RegistryObject::ReadExpanded(Text key, Text name, std::optional<Variant> fallback,
                                        Variant& result) {
  return read(key, name, std::move(fallback), true, result);
}

CallStatus RegistryObject::read(const Text& key, const Text& name, std::optional<Variant> fallback,
                                bool expand, Variant& result) {
  result = fallback.value_or(Variant());
  return attempt(
      [&] {
        const KeyPath path = keyPathOf(key);
        const std::string valueName = utf8Of(name, "the value name");
        const Key opened = Key::open(path.root, path.path, inView(Access::Read, view_));
        const registry::Value value = opened.readValue(valueName);
        result = expand && value.type == registry::ValueType::ExpandText
                     ? textVariant(opened.readExpandedText(valueName))
                     : naturalOf(value);
      },
      fallback.has_value());
}

CallStatus RegistryObject::ValueType(Text key, Text name, Text& result) {
  result.clear();
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    const std::string valueName = utf8Of(name, "the value name");
    const Key opened = Key::open(path.root, path.path, inView(Access::Read, view_));
    result = utf8ToText(typeNameOf(opened.valueInfo(valueName).type));
  });
}

CallStatus RegistryObject::Write(Text key, Text name, Variant value, Text type,
                                 AutomationBoolean& result) {
  result = automationFalse;
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    const std::string valueName = utf8Of(name, "the value name");
    const std::string where = describeValue(path, valueName);
    std::optional<registry::ValueType> written;
    if (type.empty()) {
      written = inferredType(value);
      if (!written) {
        throw Refusal{doesNotFit, where + ": a " + std::string(typeName(value.kind())) +
                                      " has no registry type of its own; name the type"};
      }
    } else {
      written = registry::valueTypeOfName(utf8Of(type, "the type name"));
      if (!written) {
        throw Refusal{invalidParameter, "\"" + textToUtf8(type) +
                                            "\" is no value type: REG_SZ, "
                                            "REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, "
                                            "REG_BINARY or REG_NONE expected"};
      }
    }
    const Prepared prepared = prepare(*written, value, where);
    // Natively a key made for the value goes with it if the write fails.
    registry::Transaction whole;
    const Key opened = Key::create(path.root, path.path, inView(Access::ReadWrite, view_));
    write(opened, valueName, prepared);
    whole.commit();
    result = automationTrue;
  });
}

CallStatus RegistryObject::KeyExists(Text key, AutomationBoolean& result) {
  result = automationFalse;
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    std::error_code failure;
    const bool exists = Key::exists(path.root, path.path, inView(Access::Read, view_), failure);
    if (failure) throw registry::Error(failure, path.shown);
    result = exists ? automationTrue : automationFalse;
  });
}

CallStatus RegistryObject::ValueExists(Text key, Text name, AutomationBoolean& result) {
  result = automationFalse;
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    const std::string valueName = utf8Of(name, "the value name");
    std::error_code failure;
    const Key opened = Key::open(path.root, path.path, inView(Access::Read, view_), failure);
    if (failure.value() == notFound) return;
    if (failure) throw registry::Error(failure, path.shown);
    result = opened.hasValue(valueName) ? automationTrue : automationFalse;
  });
}

CallStatus RegistryObject::CreateKey(Text key, AutomationBoolean& result) {
  result = automationFalse;
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    Key::create(path.root, path.path, inView(Access::ReadWrite, view_));
    result = automationTrue;
  });
}

CallStatus RegistryObject::DeleteKey(Text key, AutomationBoolean& result) {
  result = automationFalse;
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    if (path.path.empty()) throw Refusal{invalidParameter, path.shown + ": a root is not deleted"};
    const size_t cut = path.path.rfind('\\');
    const std::string parent = cut == std::string::npos ? "" : path.path.substr(0, cut);
    const std::string last = path.path.substr(cut == std::string::npos ? 0 : cut + 1);
    // Natively the whole tree goes or none of it; Windows has no such
    // transactions, and a failure part way leaves what was not yet deleted.
    registry::Transaction whole;
    Key::open(path.root, parent, inView(Access::ReadWrite, view_)).deleteTree(last);
    whole.commit();
    result = automationTrue;
  });
}

CallStatus RegistryObject::DeleteValue(Text key, Text name, AutomationBoolean& result) {
  result = automationFalse;
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    const std::string valueName = utf8Of(name, "the value name");
    Key::open(path.root, path.path, inView(Access::ReadWrite, view_)).deleteValue(valueName);
    result = automationTrue;
  });
}

CallStatus RegistryObject::Keys(Text key, Variant& result) {
  result = Variant::array({});
  return attempt([&] {
    const KeyPath path = keyPathOf(key);
    const Key opened = Key::open(path.root, path.path, inView(Access::Read, view_));
    result = Variant::array(textItems(opened.subKeyNames()));
  });
}

CallStatus RegistryObject::Values(Text key, std::optional<Variant> withTypes, Variant& result) {
  result = Variant::array({});
  return attempt([&] {
    const bool typed = withTypes && toBoolean(*withTypes) != 0;
    const KeyPath path = keyPathOf(key);
    const Key opened = Key::open(path.root, path.path, inView(Access::Read, view_));
    std::vector<Variant> items;
    for (const registry::Value& value : opened.values()) {
      if (typed) {
        items.push_back(
            Variant::array({textVariant(value.name), textVariant(typeNameOf(value.type))}));
      } else {
        items.push_back(textVariant(value.name));
      }
    }
    result = Variant::array(std::move(items));
  });
}

CallStatus RegistryObject::Status(Variant& result) {
  result = Variant::long32(status_);
  return {};
}

CallStatus RegistryObject::StatusText(Text& result) {
  result = statusText_;
  return {};
}

CallStatus RegistryObject::RaiseErrors(AutomationBoolean& result) {
  result = raiseErrors_ ? automationTrue : automationFalse;
  return {};
}

CallStatus RegistryObject::SetRaiseErrors(Variant value) {
  raisedText_.clear();
  try {
    raiseErrors_ = toBoolean(value) != 0;
    return {};
  } catch (const AutomationError& failure) {
    return {failure.number()};
  }
}

CallStatus RegistryObject::View(Variant& result) {
  result = Variant::long32(view_);
  return {};
}

CallStatus RegistryObject::SetView(Variant value) {
  raisedText_.clear();
  try {
    const int32_t view = toLong(value);
    if (view != 0 && view != 32 && view != 64) return {error::InvalidProcedureCall};
    view_ = view;
    return {};
  } catch (const AutomationError& failure) {
    return {failure.number()};
  }
}

}  // namespace zarn
