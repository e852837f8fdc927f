// Everything a program using ZarnUtils sees: the three classes, the values
// and errors of their methods, the typed registry API, the INI API, and where
// the native registry store lives.
#pragma once

#include "zarnutils/automation_error.h"
#include "zarnutils/call_status.h"
#include "zarnutils/ini_edit.h"
#include "zarnutils/ini_file.h"
#include "zarnutils/regedit.h"
#include "zarnutils/registry.h"
#include "zarnutils/registry_object.h"
#include "zarnutils/store_location.h"
#include "zarnutils/text.h"
#include "zarnutils/variant.h"
