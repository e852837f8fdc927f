// The method tables of Regedit and IniEdit, in interface order.
#pragma once

#include <span>

#include "component/method_table.h"
#include "ini/ini_edit.h"
#include "registry/regedit.h"

namespace zarn {

template <class Object>
std::span<const MethodInvoker<Object>> methodTable();

template <>
std::span<const MethodInvoker<Regedit>> methodTable<Regedit>();
template <>
std::span<const MethodInvoker<IniEdit>> methodTable<IniEdit>();

}  // namespace zarn
