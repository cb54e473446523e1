// The About box: the program's name, version and copyright.
#pragma once

#include "framework/afxwin.h"

// A modal dialog on template 100 that OK or Esc closes. With no parent, the
// running main dialog owns it.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    DECLARE_MESSAGE_MAP()
};
