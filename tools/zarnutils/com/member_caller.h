// How a call reaches the methods of a created COM object: late-bound through
// its IDispatch, as a script does, or early-bound through the class's own
// interface, as a compiled client does.
#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <wrl/client.h>

#include <memory>

#include "command_line.h"
#include "component/class_description.h"

namespace zarn::cli {

class MemberCaller {
 public:
  virtual ~MemberCaller() = default;

  virtual HRESULT dispatchIdOfName(const wchar_t* name, DISPID& id) = 0;

  // Calls the method as a method: a failure the method reports comes back as
  // DISP_E_EXCEPTION with its status in exception.scode.
  virtual HRESULT invoke(DISPID id, DISPPARAMS& arguments, VARIANT& result,
                         EXCEPINFO& exception) = 0;
};

// The early-bound caller calls each method through its slot in the class's
// interface (found by the object's type library, which knows the slots);
// the late-bound one leaves lookup and calling to the object's IDispatch.
// Fails with the platform's status when the object lacks that interface or
// its type information.
HRESULT bindMembers(const Microsoft::WRL::ComPtr<IDispatch>& object,
                    const ClassDescription& description, Binding binding,
                    std::unique_ptr<MemberCaller>& caller);

}  // namespace zarn::cli
