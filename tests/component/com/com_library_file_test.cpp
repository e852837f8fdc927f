// What ZarnUtils.dll carries: its type library, read back through the
// platform's type library interfaces, its interface identifier lists and
// its version block.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "component/class_description.h"
#include "component/com/com_test_dll.h"
#include "component/com/platform_forms.h"

namespace zarn {
namespace {

using com::toGuid;
using Microsoft::WRL::ComPtr;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(test::comDllPath().c_str(), REGKIND_NONE, &library_), S_OK);
  }

  struct Type {
    std::wstring name;
    TYPEKIND kind;
    WORD flags;
    WORD major;
    WORD minor;
    GUID id;
  };

  Type type(UINT index) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(library_->GetTypeInfo(index, &info), S_OK);
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    BSTR name = nullptr;
    library_->GetDocumentation(static_cast<INT>(index), &name, nullptr, nullptr, nullptr);
    Type result{name,
                attributes->typekind,
                attributes->wTypeFlags,
                attributes->wMajorVerNum,
                attributes->wMinorVerNum,
                attributes->guid};
    SysFreeString(name);
    info->ReleaseTypeAttr(attributes);
    return result;
  }

  ComPtr<ITypeInfo> vtableSide(const ClassDescription& description) {
    ComPtr<ITypeInfo> dispatch, vtable;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(toGuid(description.interfaceId), &dispatch), S_OK);
    HREFTYPE reference = 0;
    EXPECT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference), S_OK);
    EXPECT_EQ(dispatch->GetRefTypeInfo(reference, &vtable), S_OK);
    return vtable;
  }

  ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibrary, CarriesTheLibraryIdentity) {
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, toGuid(identity::libraryId)));
  EXPECT_EQ(attributes->wMajorVerNum, 34);
  EXPECT_EQ(attributes->wMinorVerNum, 1);
  EXPECT_EQ(attributes->lcid, 0u);
  EXPECT_EQ(attributes->syskind, com::ownSystemKind);
  // The platform marks every library it loads from a file as having a disk image.
  EXPECT_EQ(attributes->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0);
  library_->ReleaseTLibAttr(attributes);
  BSTR name = nullptr, help = nullptr;
  library_->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  EXPECT_EQ(std::wstring(name), L"ZarnUtils");
  EXPECT_EQ(std::wstring(help), L"ZARN Registry and INI Editing Utilities");
  SysFreeString(name);
  SysFreeString(help);
}

TEST_F(TypeLibrary, ListsItsTypesInOrder) {
  ASSERT_EQ(library_->GetTypeInfoCount(), 8u);
  const WORD hiddenDual =
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
  const struct {
    const wchar_t* name;
    TYPEKIND kind;
    WORD flags;
    WORD major, minor;
    const identity::Guid& id;
  } expected[] = {
      {L"_Regedit", TKIND_DISPATCH, hiddenDual, 1, 1, identity::regeditInterfaceId},
      {L"Regedit", TKIND_COCLASS, TYPEFLAG_FCANCREATE, 1, 1, identity::regeditClassId},
      {L"Regedit___v0", TKIND_ALIAS, TYPEFLAG_FHIDDEN, 1, 0, identity::regeditEarlierInterfaceId},
      {L"_IniEdit", TKIND_DISPATCH, hiddenDual, 1, 0, identity::iniEditInterfaceId},
      {L"IniEdit", TKIND_COCLASS, TYPEFLAG_FCANCREATE, 1, 0, identity::iniEditClassId},
      {L"_Registry", TKIND_DISPATCH, hiddenDual, 1, 0, identity::registryInterfaceId},
      {L"Registry", TKIND_COCLASS, TYPEFLAG_FCANCREATE, 1, 0, identity::registryClassId},
      {L"SECURITY_ATTRIBUTES", TKIND_RECORD, 0, 1, 0, identity::securityAttributesRecordId},
  };
  for (UINT i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    const Type actual = type(i);
    EXPECT_EQ(actual.name, expected[i].name);
    EXPECT_EQ(actual.kind, expected[i].kind);
    EXPECT_EQ(actual.flags, expected[i].flags);
    EXPECT_EQ(actual.major, expected[i].major);
    EXPECT_EQ(actual.minor, expected[i].minor);
    EXPECT_TRUE(IsEqualGUID(actual.id, toGuid(expected[i].id)));
  }
  // Automation compatibility is a flag of the vtable side of a dual interface.
  ComPtr<ITypeInfo> vtable = vtableSide(regeditClass());
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(vtable->GetTypeAttr(&attributes), S_OK);
  const WORD vtableFlags = attributes->wTypeFlags;
  vtable->ReleaseTypeAttr(attributes);
  EXPECT_EQ(vtableFlags, hiddenDual | TYPEFLAG_FOLEAUTOMATION);
}

TEST_F(TypeLibrary, DescribesMethodsInDeclarationOrderWithTheirInterfacePlaces) {
  for (const ClassDescription* description : describedClasses()) {
    ComPtr<ITypeInfo> info = vtableSide(*description);
    for (size_t index = 0; index < description->declarationOrder.size(); ++index) {
      const auto place = static_cast<size_t>(description->declarationOrder[index]);
      const MethodDescription& method = description->methods[place];
      SCOPED_TRACE(std::string(method.name.begin(), method.name.end()));
      FUNCDESC* function = nullptr;
      ASSERT_EQ(info->GetFuncDesc(static_cast<UINT>(index), &function), S_OK);
      EXPECT_EQ(function->memid, method.dispatchId);
      EXPECT_EQ(function->oVft, static_cast<SHORT>((7 + place) * sizeof(void*)));
      const bool put = method.kind == MemberKind::PropertyPut;
      EXPECT_EQ(function->invkind, put                                      ? INVOKE_PROPERTYPUT
                                   : method.kind == MemberKind::PropertyGet ? INVOKE_PROPERTYGET
                                                                            : INVOKE_FUNC);
      EXPECT_EQ(function->callconv, CC_STDCALL);
      EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
      ASSERT_EQ(function->cParams, static_cast<SHORT>(method.parameters.size() + (put ? 0 : 1)));
      BSTR names[8] = {};
      UINT count = 0;
      info->GetNames(function->memid, names, 8, &count);
      EXPECT_EQ(std::wstring(names[0]), wide(method.name));
      for (size_t p = 0; p < method.parameters.size(); ++p) {
        const ELEMDESC& parameter = function->lprgelemdescParam[p];
        // A property put's value is unnamed.
        if (!put) {
          EXPECT_EQ(std::wstring(names[p + 1]), wide(method.parameters[p].name));
        }
        EXPECT_EQ(parameter.tdesc.vt,
                  method.parameters[p].kind == ParameterKind::String ? VT_BSTR : VT_VARIANT);
        if (method.parameters[p].optional && method.parameters[p].kind == ParameterKind::Variant) {
          EXPECT_EQ(parameter.paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOPT);
        } else if (method.parameters[p].optional) {
          ASSERT_TRUE(parameter.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT);
          EXPECT_EQ(std::wstring(V_BSTR(&parameter.paramdesc.pparamdescex->varDefaultValue)),
                    wide(method.parameters[p].defaultText));
        } else {
          EXPECT_EQ(parameter.paramdesc.wParamFlags, PARAMFLAG_FIN);
        }
      }
      if (!put) {
        const ELEMDESC& result = function->lprgelemdescParam[method.parameters.size()];
        EXPECT_EQ(result.paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
        EXPECT_EQ(result.tdesc.vt, VT_PTR);
      }
      for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
      info->ReleaseFuncDesc(function);
    }
  }
}

TEST_F(TypeLibrary, RefersToStdoleForIDispatchAndLaysOutTheRecord) {
  ComPtr<ITypeInfo> base;
  HREFTYPE reference = 0;
  ComPtr<ITypeInfo> vtable = vtableSide(iniEditClass());
  ASSERT_EQ(vtable->GetRefTypeOfImplType(0, &reference), S_OK);
  ASSERT_EQ(vtable->GetRefTypeInfo(reference, &base), S_OK);
  ComPtr<ITypeLib> containing;
  UINT index = 0;
  ASSERT_EQ(base->GetContainingTypeLib(&containing, &index), S_OK);
  TLIBATTR* attributes = nullptr;
  containing->GetLibAttr(&attributes);
  const GUID stdole{0x00020430, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
  EXPECT_TRUE(IsEqualGUID(attributes->guid, stdole));
  EXPECT_EQ(attributes->wMajorVerNum, 2);
  containing->ReleaseTLibAttr(attributes);

  ComPtr<ITypeInfo> record;
  ASSERT_EQ(library_->GetTypeInfoOfGuid(toGuid(identity::securityAttributesRecordId), &record),
            S_OK);
  TYPEATTR* layout = nullptr;
  record->GetTypeAttr(&layout);
  EXPECT_EQ(layout->cbSizeInstance, 12u);
  EXPECT_EQ(layout->cbAlignment, 4);
  ASSERT_EQ(layout->cVars, 3);
  record->ReleaseTypeAttr(layout);
  const struct {
    const wchar_t* name;
    ULONG offset;
    VARTYPE type;
  } fields[] = {
      {L"nLength", 0, VT_I4}, {L"lpSecurityDescriptor", 4, VT_I4}, {L"bInheritHandle", 8, VT_BOOL}};
  for (UINT i = 0; i < 3; ++i) {
    VARDESC* variable = nullptr;
    record->GetVarDesc(i, &variable);
    BSTR name = nullptr;
    UINT count = 0;
    record->GetNames(variable->memid, &name, 1, &count);
    EXPECT_EQ(std::wstring(name), fields[i].name);
    EXPECT_EQ(variable->oInst, fields[i].offset);
    EXPECT_EQ(variable->elemdescVar.tdesc.vt, fields[i].type);
    SysFreeString(name);
    record->ReleaseVarDesc(variable);
  }
}

std::vector<BYTE> resource(const wchar_t* type) {
  HRSRC found = FindResourceW(test::comDll(), MAKEINTRESOURCEW(1), type);
  if (found == nullptr) return {};
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(test::comDll(), found)));
  return std::vector<BYTE>(bytes, bytes + SizeofResource(test::comDll(), found));
}

std::vector<BYTE> idList(std::initializer_list<const identity::Guid*> ids) {
  std::vector<BYTE> list(4);
  const uint32_t count = static_cast<uint32_t>(ids.size() * sizeof(GUID));
  std::memcpy(list.data(), &count, 4);
  for (const identity::Guid* id : ids) {
    const GUID guid = toGuid(*id);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&guid);
    list.insert(list.end(), bytes, bytes + sizeof guid);
  }
  return list;
}

TEST(ComLibraryFile, ListsTheInterfaceIdentifiersOfEachClass) {
  EXPECT_EQ(resource(L"_IID_REGEDIT"),
            idList({&identity::regeditEarlierInterfaceId, &identity::regeditInterfaceId}));
  EXPECT_EQ(resource(L"_IID_INIEDIT"), idList({&identity::iniEditInterfaceId}));
}

TEST(ComLibraryFile, CarriesTheVersionBlock) {
  const std::wstring path = test::comDllPath();
  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000005u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000005u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  DWORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(*translation, 0x04B00409u);
  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } strings[] = {{L"FileVersion", L"1.00.0005"},          {L"ProductVersion", L"1.00.0005"},
                 {L"ProductName", L"ZARN Utils"},         {L"InternalName", L"ZarnUtils"},
                 {L"OriginalFilename", L"ZarnUtils.dll"}, {L"OLESelfRegister", L""}};
  for (const auto& [name, value] : strings) {
    wchar_t* text = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    ASSERT_TRUE(
        VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
        << std::string(query.begin(), query.end());
    EXPECT_EQ(std::wstring(text), value);
  }
}

}  // namespace
}  // namespace zarn
