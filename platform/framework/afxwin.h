#pragma once

// Everything the framework offers, in one include, for the program's window code.
#include "platform/framework/CDataExchange.h"
#include "platform/framework/CDialog.h"
#include "platform/framework/CMenu.h"
#include "platform/framework/CPaintDC.h"
#include "platform/framework/CString.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/CWnd.h"

// CString.h undoes windows.h's LoadString macro only when windows.h came first; the window code
// often includes CString.h first (through the settings), so the macro is undone here once more.
#ifdef LoadString
#undef LoadString
#endif
