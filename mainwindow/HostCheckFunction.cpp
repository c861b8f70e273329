#include "mainwindow/HostCheckFunction.h"

#include "mainwindow/MainDialog.h"
#include "pages/PropertyPage.h"
#include "platform/AppMessages.h"
#include "platform/MessageBox.h"

namespace netsonde {

CHostCheckFunction::CHostCheckFunction(CMainDialog& dialog, FunctionId id) : m_dialog(dialog), m_id(id) {}

void CHostCheckFunction::Start()
{
    CPropertyPage* page = m_dialog.Page(m_id);
    page->DoDataExchange(true);
    if (page->m_strHost.isEmpty())
        ShowMessageBox(QStringLiteral("Please, enter a host name or address"), MessageIcon::Exclamation);
    m_dialog.OnStop();
}

void CHostCheckFunction::Cancel() { SendAppMessage(m_dialog.Page(m_id), WM_APP_FOCUS_HOST); }

} // namespace netsonde
