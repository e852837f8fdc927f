// ZarnUtils.dll as an early- and late-bound client sees it: class objects,
// interfaces, vtable places, the platform's dispatch over the type library,
// and error reports.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "component/com/com_test_dll.h"
#include "component/com/platform_forms.h"
#include "component/library_identity.h"
#include "support/expected_surface.h"

namespace zarn {
namespace {

using com::toGuid;
using Microsoft::WRL::ComPtr;

using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNow = HRESULT(WINAPI*)();

class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
  Bstr() = default;
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* out() { return &value_; }
  std::wstring text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : L""; }

 private:
  BSTR value_ = nullptr;
};

ComPtr<IClassFactory> classObject(const identity::Guid& classId) {
  ComPtr<IClassFactory> factory;
  const auto getClassObject = test::comEntryPoint<GetClassObject>("DllGetClassObject");
  EXPECT_EQ(getClassObject(toGuid(classId), IID_IClassFactory, &factory), S_OK);
  return factory;
}

ComPtr<IDispatch> create(const identity::Guid& classId) {
  ComPtr<IDispatch> object;
  EXPECT_EQ(classObject(classId)->CreateInstance(nullptr, IID_IDispatch, &object), S_OK);
  return object;
}

using test_support::expectedDispatchId;
using test_support::expectedIniEditMethods;
using test_support::expectedRegeditMethods;

// The function at a Regedit method's expected place in the interface (after
// IDispatch's seven).
template <class Function>
Function slot(IDispatch* object, std::u16string_view method) {
  void** vtable = *reinterpret_cast<void***>(object);
  return reinterpret_cast<Function>(
      vtable[7 + test_support::expectedPlace(expectedRegeditMethods, method)]);
}

using KeyAndDelimiter = HRESULT(__stdcall*)(IDispatch*, BSTR, BSTR, BSTR*);
using KeyToText = HRESULT(__stdcall*)(IDispatch*, BSTR, BSTR*);
using KeyToBoolean = HRESULT(__stdcall*)(IDispatch*, BSTR, VARIANT_BOOL*);
using IniRead = HRESULT(__stdcall*)(IDispatch*, BSTR, BSTR, BSTR, VARIANT, BSTR*);
using IniWrite = HRESULT(__stdcall*)(IDispatch*, BSTR, BSTR, BSTR, VARIANT, VARIANT_BOOL*);
using ValueRead = HRESULT(__stdcall*)(IDispatch*, BSTR, BSTR, VARIANT, VARIANT*);
using ValueWrite = HRESULT(__stdcall*)(IDispatch*, BSTR, BSTR, VARIANT, VARIANT_BOOL*);

VARIANT longVariant(LONG value) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = VT_I4;
  V_I4(&variant) = value;
  return variant;
}

std::wstring scratchIni() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"zarn_com_client.ini";
}

TEST(ComClassObjects, RefuseOtherClassesAndTrackUnloading) {
  const auto getClassObject = test::comEntryPoint<GetClassObject>("DllGetClassObject");
  const auto canUnloadNow = test::comEntryPoint<CanUnloadNow>("DllCanUnloadNow");
  ComPtr<IClassFactory> none;
  EXPECT_EQ(getClassObject(toGuid(identity::regeditInterfaceId), IID_IClassFactory, &none),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(canUnloadNow(), S_OK);
  {
    ComPtr<IDispatch> object = create(identity::iniEditClassId);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(canUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory = classObject(identity::regeditClassId);
  factory->LockServer(TRUE);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST(ComInterfaces, RegeditAnswersBothInterfaceIdentifiersWithOneInterface) {
  ComPtr<IDispatch> object = create(identity::regeditClassId);
  ComPtr<IUnknown> current, earlier, unknown, iniEdit;
  ComPtr<ISupportErrorInfo> errorInfo;
  ASSERT_EQ(object->QueryInterface(toGuid(identity::regeditInterfaceId), &current), S_OK);
  ASSERT_EQ(object->QueryInterface(toGuid(identity::regeditEarlierInterfaceId), &earlier), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(current.Get(), earlier.Get());
  EXPECT_EQ(current.Get(), unknown.Get());
  EXPECT_EQ(object->QueryInterface(toGuid(identity::iniEditInterfaceId), &iniEdit), E_NOINTERFACE);
  ASSERT_EQ(object.As(&errorInfo), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(toGuid(identity::regeditInterfaceId)), S_OK);

  ComPtr<IDispatch> ini = create(identity::iniEditClassId);
  EXPECT_EQ(ini->QueryInterface(toGuid(identity::iniEditInterfaceId), &iniEdit), S_OK);
  EXPECT_EQ(ini->QueryInterface(toGuid(identity::regeditEarlierInterfaceId), &earlier),
            E_NOINTERFACE);
}

TEST(ComEarlyBinding, RegeditMethodsSitAtTheirInterfacePlaces) {
  ComPtr<IDispatch> object = create(identity::regeditClassId);
  ComPtr<IDispatch> earlier;
  ASSERT_EQ(object->QueryInterface(toGuid(identity::regeditEarlierInterfaceId), &earlier), S_OK);
  const Bstr key(L"HKCU\\Software\\ZarnComClient\\Port");
  const Bstr parent(L"HKCU\\Software\\ZarnComClient");
  const Bstr dword(L"D");
  VARIANT_BOOL done = VARIANT_FALSE;

  ASSERT_EQ(slot<ValueWrite>(earlier.Get(), u"WriteValue")(earlier.Get(), key.get(), dword.get(),
                                                           longVariant(80), &done),
            S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  VARIANT read;
  ASSERT_EQ(slot<ValueRead>(object.Get(), u"ReadValue")(object.Get(), key.get(), dword.get(),
                                                        longVariant(1), &read),
            S_OK);
  EXPECT_EQ(V_VT(&read), VT_I4);
  EXPECT_EQ(V_I4(&read), 80);
  Bstr values;
  ASSERT_EQ(slot<KeyToText>(object.Get(), u"EnumValues")(object.Get(), parent.get(), values.out()),
            S_OK);
  EXPECT_EQ(values.text(), L"Port=80");
  ASSERT_EQ(slot<KeyToBoolean>(object.Get(), u"DeleteValue")(object.Get(), key.get(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  ASSERT_EQ(slot<KeyToBoolean>(object.Get(), u"DeleteKey")(object.Get(), parent.get(), &done),
            S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);

  const Bstr file(scratchIni().c_str()), section(L"Main"), item(L"Name"), value(L"zarn");
  VARIANT text;
  VariantInit(&text);
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = value.get();
  ASSERT_EQ(slot<IniWrite>(object.Get(), u"WriteIni")(object.Get(), file.get(), section.get(),
                                                      item.get(), text, &done),
            S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  Bstr readBack;
  ASSERT_EQ(slot<IniRead>(object.Get(), u"ReadIni")(object.Get(), file.get(), section.get(),
                                                    item.get(), longVariant(0), readBack.out()),
            S_OK);
  EXPECT_EQ(readBack.text(), L"zarn");
  EXPECT_EQ(std::wstring(V_BSTR(&text)), L"zarn");
  DeleteFileW(scratchIni().c_str());
}

TEST(ComEarlyBinding, AnEmptyPathFailsWithErrorNineAndAnErrorObject) {
  ComPtr<IDispatch> object = create(identity::regeditClassId);
  const Bstr comma(L",");
  Bstr list;
  EXPECT_EQ(slot<KeyAndDelimiter>(object.Get(), u"EnumKeys")(object.Get(), nullptr, comma.get(),
                                                             list.out()),
            static_cast<HRESULT>(0x800A0009));
  EXPECT_EQ(list.text(), L"");
  ComPtr<IErrorInfo> errorInfo;
  ASSERT_EQ(GetErrorInfo(0, &errorInfo), S_OK);
  Bstr description, source;
  errorInfo->GetDescription(description.out());
  errorInfo->GetSource(source.out());
  EXPECT_EQ(description.text(), L"Subscript out of range");
  EXPECT_EQ(source.text(), L"ZarnUtils.Regedit");

  VARIANT_BOOL done = VARIANT_TRUE;
  EXPECT_EQ(slot<KeyToBoolean>(object.Get(), u"DeleteKey")(object.Get(), nullptr, &done),
            static_cast<HRESULT>(0x800A0009));
  EXPECT_EQ(done, VARIANT_FALSE);
}

HRESULT invoke(IDispatch* object, DISPID id, std::initializer_list<const wchar_t*> arguments,
               VARIANT& result, EXCEPINFO& exception) {
  std::vector<VARIANT> reversed(arguments.size());
  size_t i = arguments.size();
  for (const wchar_t* argument : arguments) {
    VARIANT& variant = reversed[--i];
    VariantInit(&variant);
    V_VT(&variant) = VT_BSTR;
    V_BSTR(&variant) = SysAllocString(argument);
  }
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  VariantInit(&result);
  exception = {};
  UINT argumentError = 0;
  const HRESULT status = object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, &result,
                                        &exception, &argumentError);
  for (VARIANT& variant : reversed) VariantClear(&variant);
  return status;
}

TEST(ComLateBinding, FindsOnlyTheListedNamesAndIdentifiers) {
  ComPtr<IDispatch> regedit = create(identity::regeditClassId);
  for (const auto* name : {L"EnumKeys", L"enumkeys"}) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    ASSERT_EQ(regedit->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, expectedDispatchId(expectedRegeditMethods, u"EnumKeys"));
  }
  LPOLESTR privateName[] = {const_cast<LPOLESTR>(L"ResolveRootKey")};
  DISPID id = 0;
  EXPECT_EQ(regedit->GetIDsOfNames(IID_NULL, privateName, 1, 0, &id), DISP_E_UNKNOWNNAME);

  // IniEdit's EnumValues has an identifier that no method of Regedit has.
  const DISPID enumValues = expectedDispatchId(expectedIniEditMethods, u"EnumValues");
  VARIANT result;
  EXCEPINFO exception;
  EXPECT_EQ(invoke(regedit.Get(), enumValues, {L"a", L"b"}, result, exception),
            DISP_E_MEMBERNOTFOUND);
  ComPtr<IDispatch> iniEdit = create(identity::iniEditClassId);
  ASSERT_EQ(invoke(iniEdit.Get(), enumValues, {L"Z:\\no\\such.ini", L"Main"}, result, exception),
            S_OK);
  EXPECT_EQ(V_VT(&result), VT_BSTR);
  VariantClear(&result);
}

TEST(ComLateBinding, SuppliesTheDelimiterAndReportsFailures) {
  ComPtr<IDispatch> regedit = create(identity::regeditClassId);
  const DISPID enumKeys = expectedDispatchId(expectedRegeditMethods, u"EnumKeys");
  VARIANT omitted, passed;
  EXCEPINFO exception;
  ASSERT_EQ(invoke(regedit.Get(), enumKeys, {L"HKCU\\Software"}, omitted, exception), S_OK);
  ASSERT_EQ(invoke(regedit.Get(), enumKeys, {L"HKCU\\Software", L","}, passed, exception), S_OK);
  EXPECT_EQ(VarBstrCmp(V_BSTR(&omitted), V_BSTR(&passed), 0, 0), VARCMP_EQ);
  VariantClear(&omitted);
  VariantClear(&passed);

  VARIANT failed;
  ASSERT_EQ(invoke(regedit.Get(), enumKeys, {L""}, failed, exception), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, static_cast<SCODE>(0x800A0009));
  EXPECT_EQ(std::wstring(exception.bstrDescription), L"Subscript out of range");
  EXPECT_EQ(std::wstring(exception.bstrSource), L"ZarnUtils.Regedit");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
}

}  // namespace
}  // namespace zarn
