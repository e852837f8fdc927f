// Build step: writes the type library and each class's interface identifier
// list into the folder named by its one argument, for the resource compiler,
// and the registration entries, for the MSI package.
//
// The platform's type library creation interfaces keep the two orders of an
// interface apart: each method is added at its place in the declaration
// order while its description records its place in the vtable, which widl
// cannot express.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <wrl/client.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "automation/text.h"
#include "component/class_description.h"
#include "component/com/platform_forms.h"
#include "component/com/registration.h"
#include "platform/win32/automation_variant.h"

namespace zarn::com {
namespace {

using Microsoft::WRL::ComPtr;

// IUnknown's three operations and IDispatch's four come before the methods.
constexpr int inheritedOperations = 7;

constexpr WORD dualInterfaceFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                    TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

void check(HRESULT result, const char* step) {
  if (FAILED(result)) {
    char code[16];
    wsprintfA(code, "%08lX", static_cast<unsigned long>(result));
    throw std::runtime_error(std::string(step) + " failed with 0x" + code);
  }
}

// Owns what one method description points to while it is being added.
class MethodDescriptionData {
 public:
  MethodDescriptionData(const MethodDescription& method, int slot) {
    const size_t count = method.parameters.size();
    const bool answers = method.result != ResultKind::None;
    parameters_.resize(count + (answers ? 1 : 0));
    defaults_.reserve(count);
    names_.push_back(wide(method.name));
    for (size_t i = 0; i < count; ++i) {
      const ParameterDescription& parameter = method.parameters[i];
      ELEMDESC& element = parameters_[i];
      element.tdesc.vt = parameter.kind == ParameterKind::String ? VT_BSTR : VT_VARIANT;
      element.paramdesc.wParamFlags = PARAMFLAG_FIN;
      if (parameter.optional && parameter.kind == ParameterKind::String) {
        addDefault(element, parameter.defaultText);
      } else if (parameter.optional) {
        element.paramdesc.wParamFlags |= PARAMFLAG_FOPT;
      }
      // A property put's value is unnamed.
      if (method.kind != MemberKind::PropertyPut) names_.push_back(wide(parameter.name));
    }
    if (answers) {
      resultType_.vt = resultType(method.result);
      ELEMDESC& result = parameters_[count];
      result.tdesc.vt = VT_PTR;
      result.tdesc.lptdesc = &resultType_;
      result.paramdesc.wParamFlags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
    }

    description_.memid = method.dispatchId;
    description_.funckind = FUNC_PUREVIRTUAL;
    description_.invkind = invokeKind(method.kind);
    description_.callconv = CC_STDCALL;
    description_.cParams = static_cast<SHORT>(parameters_.size());
    description_.oVft =
        static_cast<SHORT>((inheritedOperations + static_cast<size_t>(slot)) * sizeof(void*));
    description_.elemdescFunc.tdesc.vt = VT_HRESULT;
    description_.lprgelemdescParam = parameters_.data();
  }

  ~MethodDescriptionData() {
    for (PARAMDESCEX& defaultValue : defaults_) VariantClear(&defaultValue.varDefaultValue);
  }
  MethodDescriptionData(const MethodDescriptionData&) = delete;
  MethodDescriptionData& operator=(const MethodDescriptionData&) = delete;

  FUNCDESC* description() { return &description_; }

  // The method's name, then its named parameters; the result is unnamed.
  std::vector<LPOLESTR> names() {
    std::vector<LPOLESTR> pointers;
    for (std::wstring& name : names_) pointers.push_back(name.data());
    return pointers;
  }

 private:
  static VARTYPE resultType(ResultKind kind) {
    switch (kind) {
      case ResultKind::String: return VT_BSTR;
      case ResultKind::Boolean: return VT_BOOL;
      case ResultKind::Variant: return VT_VARIANT;
      case ResultKind::None: break;
    }
    return VT_EMPTY;
  }

  static INVOKEKIND invokeKind(MemberKind kind) {
    switch (kind) {
      case MemberKind::Method: break;
      case MemberKind::PropertyGet: return INVOKE_PROPERTYGET;
      case MemberKind::PropertyPut: return INVOKE_PROPERTYPUT;
    }
    return INVOKE_FUNC;
  }

  void addDefault(ELEMDESC& element, std::u16string_view text) {
    PARAMDESCEX& defaultValue = defaults_.emplace_back();
    defaultValue.cBytes = sizeof(PARAMDESCEX);
    VariantInit(&defaultValue.varDefaultValue);
    V_VT(&defaultValue.varDefaultValue) = VT_BSTR;
    V_BSTR(&defaultValue.varDefaultValue) = allocateText(text);
    element.paramdesc.wParamFlags |= PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
    element.paramdesc.pparamdescex = &defaultValue;
  }

  FUNCDESC description_{};
  std::vector<ELEMDESC> parameters_;
  std::vector<PARAMDESCEX> defaults_;
  TYPEDESC resultType_{};
  std::vector<std::wstring> names_;
};

ComPtr<ICreateTypeInfo> createTypeInfo(ICreateTypeLib2* library, std::wstring name, TYPEKIND kind,
                                       const identity::Guid& id, uint16_t major, uint16_t minor) {
  ComPtr<ICreateTypeInfo> info;
  check(library->CreateTypeInfo(name.data(), kind, &info), "CreateTypeInfo");
  check(info->SetGuid(toGuid(id)), "SetGuid");
  check(info->SetVersion(major, minor), "SetVersion");
  return info;
}

ComPtr<ITypeInfo> typeInfoOf(ICreateTypeInfo* info) {
  ComPtr<ITypeInfo> typeInfo;
  check(info->QueryInterface(IID_PPV_ARGS(&typeInfo)), "QueryInterface(ITypeInfo)");
  return typeInfo;
}

HREFTYPE referTo(ICreateTypeInfo* info, ITypeInfo* target) {
  HREFTYPE reference = 0;
  check(info->AddRefTypeInfo(target, &reference), "AddRefTypeInfo");
  return reference;
}

ComPtr<ITypeInfo> dispatchTypeInfo() {
  ComPtr<ITypeLib> standardLibrary;
  check(LoadTypeLib(L"stdole2.tlb", &standardLibrary), "LoadTypeLib(stdole2.tlb)");
  ComPtr<ITypeInfo> dispatch;
  check(standardLibrary->GetTypeInfoOfGuid(IID_IDispatch, &dispatch),
        "GetTypeInfoOfGuid(IDispatch)");
  return dispatch;
}

ComPtr<ITypeInfo> addInterface(ICreateTypeLib2* library, const ClassDescription& description,
                               ITypeInfo* dispatch) {
  ComPtr<ICreateTypeInfo> info =
      createTypeInfo(library, wide(description.interfaceName), TKIND_INTERFACE,
                     description.interfaceId, description.versionMajor, description.versionMinor);
  check(info->AddImplType(0, referTo(info.Get(), dispatch)), "AddImplType(IDispatch)");
  check(info->SetTypeFlags(dualInterfaceFlags), "SetTypeFlags(interface)");
  UINT index = 0;
  for (const int slot : description.declarationOrder) {
    MethodDescriptionData method(description.methods[static_cast<size_t>(slot)], slot);
    check(info->AddFuncDesc(index, method.description()), "AddFuncDesc");
    std::vector<LPOLESTR> names = method.names();
    check(info->SetFuncAndParamNames(index, names.data(), static_cast<UINT>(names.size())),
          "SetFuncAndParamNames");
    ++index;
  }
  check(info->LayOut(), "LayOut(interface)");
  return typeInfoOf(info.Get());
}

void addClass(ICreateTypeLib2* library, const ClassDescription& description,
              ITypeInfo* interfaceInfo) {
  ComPtr<ICreateTypeInfo> info =
      createTypeInfo(library, wide(description.className), TKIND_COCLASS, description.classId,
                     description.versionMajor, description.versionMinor);
  check(info->AddImplType(0, referTo(info.Get(), interfaceInfo)), "AddImplType(class)");
  check(info->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");
  // Set last: Wine adds the dispatchable flag to a class while it takes in
  // the first interface of the library.
  check(info->SetTypeFlags(TYPEFLAG_FCANCREATE), "SetTypeFlags(class)");
  check(info->LayOut(), "LayOut(class)");
}

void addAlias(ICreateTypeLib2* library, const InterfaceAlias& alias, ITypeInfo* interfaceInfo) {
  ComPtr<ICreateTypeInfo> info = createTypeInfo(library, wide(alias.name), TKIND_ALIAS, alias.id,
                                                alias.versionMajor, alias.versionMinor);
  check(info->SetTypeFlags(TYPEFLAG_FHIDDEN), "SetTypeFlags(alias)");
  TYPEDESC aliased{};
  aliased.vt = VT_USERDEFINED;
  aliased.hreftype = referTo(info.Get(), interfaceInfo);
  check(info->SetTypeDescAlias(&aliased), "SetTypeDescAlias");
  check(info->LayOut(), "LayOut(alias)");
}

// The platform's SECURITY_ATTRIBUTES as automation clients see it: the
// handle flag is a 16-bit boolean, padded to the record's 12 bytes.
struct RecordField {
  const wchar_t* name;
  VARTYPE type;
  ULONG offset;
  ULONG size;
};
constexpr std::array<RecordField, 3> securityAttributesFields{{
    {L"nLength", VT_I4, 0, 4},
    {L"lpSecurityDescriptor", VT_I4, 4, 4},
    {L"bInheritHandle", VT_BOOL, 8, 2},
}};
constexpr WORD securityAttributesAlignment = 4;

constexpr uint32_t securityAttributesSize() {
  const RecordField& last = securityAttributesFields.back();
  const ULONG end = last.offset + last.size;
  return (end + securityAttributesAlignment - 1) / securityAttributesAlignment *
         securityAttributesAlignment;
}

// Returns the record's index in the library.
UINT addSecurityAttributesRecord(ICreateTypeLib2* library) {
  ComPtr<ICreateTypeInfo> info = createTypeInfo(library, L"SECURITY_ATTRIBUTES", TKIND_RECORD,
                                                identity::securityAttributesRecordId, 1, 0);
  check(info->SetAlignment(securityAttributesAlignment), "SetAlignment");
  UINT index = 0;
  for (const RecordField& field : securityAttributesFields) {
    VARDESC variable{};
    variable.memid = 0x40000000 + static_cast<MEMBERID>(index);
    variable.varkind = VAR_PERINSTANCE;
    variable.oInst = field.offset;
    variable.elemdescVar.tdesc.vt = field.type;
    check(info->AddVarDesc(index, &variable), "AddVarDesc");
    check(info->SetVarName(index, const_cast<LPOLESTR>(field.name)), "SetVarName");
    ++index;
  }
  check(info->LayOut(), "LayOut(record)");
  ComPtr<ITypeInfo> typeInfo = typeInfoOf(info.Get());
  ComPtr<ITypeLib> containing;
  UINT recordIndex = 0;
  check(typeInfo->GetContainingTypeLib(&containing, &recordIndex), "GetContainingTypeLib");
  return recordIndex;
}

// Wine's creation interfaces lay out no record sizes, so the record's size
// is written into the saved file, in the platform's standard ("MSFT")
// format: a fixed header, a help library offset when its flag is set, one
// offset per type, then the segment directory whose first entry locates the
// table of type descriptions.
constexpr size_t signatureSize = 4;
constexpr size_t flagsOffset = 0x14;
constexpr size_t typeCountOffset = 0x20;
constexpr size_t headerSize = 0x54;
constexpr uint32_t helpLibraryFlag = 0x100;
constexpr size_t typeEntrySize = 0x64;
constexpr size_t instanceSizeOffset = 0x50;

uint32_t readWord32(const std::vector<char>& bytes, size_t offset) {
  if (offset + 4 > bytes.size()) throw std::runtime_error("type library file is truncated");
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

// Sets the instance size of the type at `index` (a record's byte count).
void setInstanceSize(const std::wstring& path, UINT index, uint32_t size) {
  std::vector<char> bytes;
  {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  if (bytes.size() < headerSize || std::memcmp(bytes.data(), "MSFT", signatureSize) != 0) {
    throw std::runtime_error("not a type library file");
  }
  const uint32_t typeCount = readWord32(bytes, typeCountOffset);
  if (index >= typeCount) throw std::runtime_error("type index out of range");
  size_t directory = headerSize + typeCount * sizeof(uint32_t);
  if (readWord32(bytes, flagsOffset) & helpLibraryFlag) directory += sizeof(uint32_t);
  const size_t entry = readWord32(bytes, directory) + index * typeEntrySize + instanceSizeOffset;
  readWord32(bytes, entry);
  std::memcpy(bytes.data() + entry, &size, sizeof size);

  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot rewrite the type library file");
}

uint32_t writtenInstanceSize(const std::wstring& path, UINT index) {
  ComPtr<ITypeLib> written;
  check(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &written), "LoadTypeLibEx");
  ComPtr<ITypeInfo> info;
  check(written->GetTypeInfo(index, &info), "GetTypeInfo");
  TYPEATTR* attributes = nullptr;
  check(info->GetTypeAttr(&attributes), "GetTypeAttr");
  const uint32_t size = attributes->cbSizeInstance;
  info->ReleaseTypeAttr(attributes);
  return size;
}

// Writes the library's type library from its identity and the class
// descriptions through the platform's type library creation interfaces.
// Throws std::runtime_error naming the step that the platform refused.
void writeTypeLibrary(const std::wstring& path) {
  ComPtr<ICreateTypeLib2> library;
  check(CreateTypeLib2(ownSystemKind, path.c_str(), &library), "CreateTypeLib2");
  check(library->SetGuid(toGuid(identity::libraryId)), "SetGuid(library)");
  check(library->SetName(wide(identity::libraryName).data()), "SetName");
  check(library->SetVersion(identity::versionMajor, identity::versionMinor), "SetVersion(library)");
  check(library->SetLcid(identity::localeNeutral), "SetLcid");
  check(library->SetDocString(wide(identity::helpString).data()), "SetDocString");
  check(library->SetLibFlags(0), "SetLibFlags");

  const ComPtr<ITypeInfo> dispatch = dispatchTypeInfo();
  for (const ClassDescription* description : describedClasses()) {
    const ComPtr<ITypeInfo> interfaceInfo =
        addInterface(library.Get(), *description, dispatch.Get());
    addClass(library.Get(), *description, interfaceInfo.Get());
    if (description->earlierInterface != nullptr) {
      addAlias(library.Get(), *description->earlierInterface, interfaceInfo.Get());
    }
  }
  const UINT recordIndex = addSecurityAttributesRecord(library.Get());
  check(library->SaveAllChanges(), "SaveAllChanges");
  library.Reset();

  // Wine's creation interfaces lay out no record sizes; Windows' do.
  if (writtenInstanceSize(path, recordIndex) != securityAttributesSize()) {
    setInstanceSize(path, recordIndex, securityAttributesSize());
  }
}

}  // namespace
}  // namespace zarn::com

namespace {

// The content of a class's "_IID_<CLASS>" resource: a 32-bit byte count,
// then the 16-byte identifiers of the interfaces the class answers to.
std::string interfaceIdList(const zarn::ClassDescription& description) {
  const uint32_t byteCount =
      static_cast<uint32_t>(description.answeredInterfaceIds.size() * sizeof(GUID));
  std::string list(sizeof byteCount, '\0');
  std::memcpy(list.data(), &byteCount, sizeof byteCount);
  for (const zarn::identity::Guid* id : description.answeredInterfaceIds) {
    const GUID guid = zarn::com::toGuid(*id);
    list.append(reinterpret_cast<const char*>(&guid), sizeof guid);
  }
  return list;
}

std::wstring widePath(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring result(length > 0 ? static_cast<size_t>(length - 1) : 0, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, result.data(), length);
  return result;
}

std::string utf8(const std::wstring& text) {
  return zarn::textToUtf8(std::u16string(text.begin(), text.end()));
}

// One line per entry: key, value name (empty for the default value) and
// value, separated by tabs, below the classes root. The server's path and
// folder stand as @SERVER_PATH@ and @SERVER_FOLDER@, for the package to
// fill in with its own.
std::string registrationEntryLines() {
  std::string lines;
  for (const auto& entry : zarn::com::registrationEntries(L"@SERVER_PATH@", L"@SERVER_FOLDER@")) {
    lines += utf8(entry.key) + '\t' + utf8(entry.name) + '\t' + utf8(entry.value) + '\n';
  }
  return lines;
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "\\";
  try {
    const std::string libraryName = zarn::textToUtf8(zarn::identity::libraryName);
    zarn::com::writeTypeLibrary(widePath(folder + libraryName + ".tlb"));
    for (const zarn::ClassDescription* description : zarn::describedClasses()) {
      writeFile(folder + zarn::textToUtf8(description->className) + ".iids",
                interfaceIdList(*description));
    }
    writeFile(folder + "registration-entries.txt", registrationEntryLines());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
