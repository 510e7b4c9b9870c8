#pragma once

// Everything the framework offers, in one include, for the program's window code.
#include "platform/framework/CDataExchange.h"
#include "platform/framework/CDialog.h"
#include "platform/framework/CMenu.h"
#include "platform/framework/CPaintDC.h"
#include "platform/framework/CString.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/CWnd.h"

// windows.h's LoadString macro, for callers that included CString.h before windows.h.
#ifdef LoadString
#undef LoadString
#endif
