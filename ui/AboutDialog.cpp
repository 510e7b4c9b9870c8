#include "ui/AboutDialog.h"

#include "ui/resources/resource.h"

BEGIN_MESSAGE_MAP(CAboutDialog, CDialog)
END_MESSAGE_MAP()

CAboutDialog::CAboutDialog() : CDialog(IDD_ABOUTBOX) {}

// Nothing to exchange: the box only shows text.
void CAboutDialog::DoDataExchange(CDataExchange*) {}
