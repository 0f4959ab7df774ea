// The scanning dialog's scan without the window, kept apart from the dialog's own code: it
// belongs to the scan controller, and tests of the dialog replace it.
#include "ui/MainUIDialog.h"
#include "ui/ScanController.h"

int CMainUIDialog::StartScanWithoutUI()
{
    return CScanController::Instance().StartScanWithoutUI(CScanController::NegotiatedValues());
}
