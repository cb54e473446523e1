// The whole framework layer in one include.
#pragma once

#include <windows.h>

#include "framework/afx_string.h"
#include "framework/afxres.h"
#include "framework/app_services.h"
#include "framework/cmd_target.h"
#include "framework/dialog.h"
#include "framework/menu.h"
#include "framework/message_map.h"
#include "framework/paint_dc.h"
#include "framework/resource_handle.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
