#include "component/com/error_report.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "component/com/com_guid.h"
#include "component/com/com_text.h"
#include "automation/automation_error.h"

namespace zarn::com {

HRESULT reportFailure(const ComClass& comClass, int32_t errorNumber) {
  Microsoft::WRL::ComPtr<ICreateErrorInfo> creator;
  if (SUCCEEDED(CreateErrorInfo(&creator))) {
    std::wstring source = wide(comClass.description.progId);
    std::wstring description = wide(errorDescription(errorNumber));
    creator->SetGUID(toGuid(comClass.description.interfaceId));
    creator->SetSource(source.data());
    creator->SetDescription(description.data());
    Microsoft::WRL::ComPtr<IErrorInfo> errorInfo;
    if (SUCCEEDED(creator.As(&errorInfo))) SetErrorInfo(0, errorInfo.Get());
  }
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, errorNumber & 0xFFFF);
}

}  // namespace zarn::com
